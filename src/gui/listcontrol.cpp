// The list control: heading line, coloured rows, selection and immediate repaint.
#include "gui/listcontrol.h"

#include "gui/typefaces.h"

#include <QPainter>
#include <QScrollBar>

#include <functional>

// The heading line above the rows. It spans the viewport and draws its text from the same left
// edge as the rows' text, moved by the same sideways scroll, so each heading word stays over its
// column.
class ListHeading : public QWidget
{
public:
    ListHeading(const QString& text, QAbstractItemView* list, std::function<int()> textLeft)
        : QWidget(list)
        , m_text(text)
        , m_list(list)
        , m_textLeft(std::move(textLeft))
    {
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Button);
        setAccessibleName(text);
    }
    [[nodiscard]] const QString& text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this); // in the list's font, which the heading inherits
        painter.setPen(palette().color(QPalette::ButtonText));
        const int left = m_textLeft();
        painter.drawText(
            QRect(left, 0, width() - left + m_list->horizontalScrollBar()->maximum(), height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
    }

private:
    QString m_text;
    QAbstractItemView* m_list;
    std::function<int()> m_textLeft;
};

namespace {

// Where the rows' text begins in a list of the window, in viewport coordinates: where the
// style's item text rectangle begins, plus the margin the style leaves inside it; the row
// itself starts at the scroll offset.
int textLeftOf(const QAbstractItemView* list, QStyleOptionViewItem option, int offset,
               const QString& text)
{
    option.rect = QRect(-offset, 0, list->viewport()->width(), 20);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = text;
    const QRect textRect =
        list->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, list);
    return textRect.left() + list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list)
        + 1;
}

// The heading's place: over the viewport, in the margin left for it above the rows.
void placeHeading(QAbstractItemView* list, QWidget* heading, int frameWidth)
{
    const QRect rows = list->viewport()->geometry();
    heading->setGeometry(rows.left(), frameWidth, rows.width(), rows.top() - frameWidth);
    heading->update();
}

// The look both lists share: the font, single selection, uniform rows (laid out without asking
// for each one) and the heading line, scrolled sideways with the rows; the list leaves it a
// margin above the rows.
ListHeading* setUpList(QListView* list, const QString& heading, std::function<int()> textLeft)
{
    list->setFont(typefaces::courierBold(12));
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* line = new ListHeading(heading, list, std::move(textLeft));
    QObject::connect(list->horizontalScrollBar(), &QScrollBar::valueChanged, line,
                     qOverload<>(&QWidget::update));
    return line;
}

} // namespace

ListControl::ListControl(const QString& heading, QWidget* parent)
    : QListWidget(parent)
{
    m_heading = setUpList(this, heading, [this] { return textLeft(); });
    setViewportMargins(0, fontMetrics().height() + 4, 0, 0); // room for the heading line
}

QString ListControl::heading() const
{
    return m_heading->text();
}

int ListControl::textLeft() const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return textLeftOf(this, option, horizontalOffset(), m_heading->text());
}

void ListControl::addRow(const QString& text, const QColor& colour)
{
    auto* row = new QListWidgetItem(text);
    row->setForeground(colour);
    addItem(row);
}

QString ListControl::rowText(int index) const
{
    const QListWidgetItem* row = item(index);
    return row ? row->text() : QString();
}

QStringList ListControl::rows() const
{
    QStringList texts;
    texts.reserve(count());
    for (int i = 0; i < count(); ++i)
        texts << item(i)->text();
    return texts;
}

void ListControl::removeRow(int index)
{
    delete takeItem(index);
}

QColor ListControl::rowColour(int index) const
{
    const QListWidgetItem* row = item(index);
    return row ? row->foreground().color() : QColor();
}

int ListControl::selectedIndex() const
{
    const QList<QListWidgetItem*> rows = selectedItems();
    return rows.isEmpty() ? -1 : row(rows.first());
}

void ListControl::setSelectedIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        return;
    }
    setCurrentRow(index);
}

void ListControl::repaintNow()
{
    repaint();
    viewport()->repaint();
    m_lastRepaint.start();
}

void ListControl::repaintThrottled()
{
    if (m_lastRepaint.isValid() && m_lastRepaint.elapsed() < 16)
        return;
    repaintNow();
}

void ListControl::updateGeometries()
{
    QListWidget::updateGeometries();
    placeHeading(this, m_heading, frameWidth());
}

ListView::ListView(const QString& heading, QWidget* parent)
    : QListView(parent)
{
    m_heading = setUpList(this, heading, [this] { return textLeft(); });
    setViewportMargins(0, fontMetrics().height() + 4, 0, 0); // room for the heading line
}

QString ListView::heading() const
{
    return m_heading->text();
}

int ListView::textLeft() const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return textLeftOf(this, option, horizontalOffset(), m_heading->text());
}

int ListView::rowCount() const
{
    return model() ? model()->rowCount() : 0;
}

QString ListView::rowText(int index) const
{
    return model() ? model()->index(index, 0).data().toString() : QString();
}

QStringList ListView::rows() const
{
    QStringList texts;
    for (int i = 0; i < rowCount(); ++i)
        texts << rowText(i);
    return texts;
}

int ListView::selectedIndex() const
{
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ListView::setSelectedIndex(int index)
{
    if (!model() || index < 0 || index >= rowCount()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(model()->index(index, 0));
}

void ListView::repaintNow()
{
    repaint();
    viewport()->repaint();
}

void ListView::updateGeometries()
{
    QListView::updateGeometries();
    placeHeading(this, m_heading, frameWidth());
}
