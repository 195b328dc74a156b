// The list control: heading line, coloured rows, selection and immediate repaint.
#include "shell/listcontrol.h"

#include "shell/typefaces.h"

#include <QPainter>
#include <QScrollBar>

// The heading line above the rows. It spans the viewport and draws its text from the same left
// edge as the rows' text, moved by the same sideways scroll, so each heading word stays over its
// column.
class ListHeading : public QWidget
{
public:
    ListHeading(const QString& text, ListControl* list)
        : QWidget(list)
        , m_text(text)
        , m_list(list)
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
        const int left = m_list->textLeft();
        painter.drawText(
            QRect(left, 0, width() - left + m_list->horizontalScrollBar()->maximum(), height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
    }

private:
    QString m_text;
    ListControl* m_list;
};

ListControl::ListControl(const QString& heading, QWidget* parent)
    : QListWidget(parent)
{
    setFont(typefaces::courierBold(12));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_heading = new ListHeading(heading, this);
    setViewportMargins(0, fontMetrics().height() + 4, 0, 0);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, m_heading,
            qOverload<>(&QWidget::update));
}

QString ListControl::heading() const
{
    return m_heading->text();
}

int ListControl::textLeft() const
{
    // The rows' text starts where the style's item text rectangle begins, plus the margin the
    // style leaves inside it; the row itself starts at the scroll offset.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = QRect(-horizontalOffset(), 0, viewport()->width(), 20);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = m_heading->text();
    const QRect textRect = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    return textRect.left() + style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
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
    // Over the viewport, in the margin left for it above the rows.
    const QRect rows = viewport()->geometry();
    m_heading->setGeometry(rows.left(), frameWidth(), rows.width(), rows.top() - frameWidth());
    m_heading->update();
}
