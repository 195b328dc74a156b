// The list control: heading line, coloured rows, selection and immediate repaint.
#include "shell/listcontrol.h"

#include <QFontDatabase>
#include <QLabel>
#include <QResizeEvent>

using namespace Qt::StringLiterals;

namespace {
QFont listFont()
{
    QFont font(u"Courier New"_s, 12, QFont::Bold);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}
} // namespace

ListControl::ListControl(const QString& heading, QWidget* parent)
    : QListWidget(parent)
{
    setFont(listFont());
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_heading = new QLabel(heading, this);
    m_heading->setFont(listFont());
    m_heading->setAutoFillBackground(true);
    m_heading->setBackgroundRole(QPalette::Button);
    m_heading->setTextFormat(Qt::PlainText);
    const int height = QFontMetrics(listFont()).height() + 4;
    setViewportMargins(0, height, 0, 0);
    m_heading->setGeometry(frameWidth(), frameWidth(), width(), height);
}

QString ListControl::heading() const
{
    return m_heading->text();
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

void ListControl::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    m_heading->setGeometry(frameWidth(), frameWidth(), event->size().width() - 2 * frameWidth(),
                           m_heading->height());
}
