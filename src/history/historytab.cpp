// The order history tab: list, filter, details and the two buttons.
#include "history/historytab.h"

#include "history/orderhistory.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>

HistoryTab::HistoryTab(OrderHistory& history, const HistoryControls& controls, QObject* parent)
    : QObject(parent)
    , m_history(history)
    , m_controls(controls)
{
    connect(m_controls.filter, &QLineEdit::textChanged, this, &HistoryTab::fill);
    connect(m_controls.orders, &QListWidget::currentRowChanged, this, &HistoryTab::showDetails);
    connect(m_controls.reorder, &QPushButton::clicked, this, [this] {
        if (const auto order = selectedOrder())
            emit reorderRequested(*order);
    });
    connect(m_controls.print, &QPushButton::clicked, this, [this] {
        if (const auto order = selectedOrder())
            emit printRequested(*order);
    });
    if (m_controls.csv)
        connect(m_controls.csv, &QPushButton::clicked, this, [this] {
            if (const auto order = selectedOrder())
                emit csvRequested(*order);
        });
    connect(&m_history, &OrderHistory::changed, this, &HistoryTab::historyChanged);
    enableButtons();
}

// The filter box refills the list whenever its text changes, so only a change of the history
// leaves the list behind.
void HistoryTab::showOrders()
{
    if (m_stale)
        fill();
}

void HistoryTab::historyChanged()
{
    m_stale = true;
    // Not read before the tab was first shown: the history stays closed until then.
    if (m_controls.orders->isVisible())
        fill();
}

void HistoryTab::fill()
{
    // Reading may find the file damaged and replaced, which reports a change in the middle.
    if (m_filling) {
        m_stale = true;
        return;
    }
    const QScopedValueRollback filling(m_filling, true);
    // After a change the selected order is read again; while only the filter changes, the
    // details of the order that stays selected are kept as they are.
    if (m_stale)
        m_detailsId = -1;
    const qint64 selected = m_ids.value(m_controls.orders->currentRow(), 0);
    const QList<history::Summary> found = m_history.find(m_controls.filter->text());
    QStringList rows;
    rows.reserve(found.size());
    m_ids.clear();
    m_ids.reserve(found.size());
    for (const history::Summary& summary : found) {
        rows << history::historyRow(summary);
        m_ids << summary.id;
    }
    QListWidget* list = m_controls.orders;
    const QSignalBlocker quiet(list);
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(rows);
    list->setCurrentRow(static_cast<int>(m_ids.indexOf(selected)));
    list->setUpdatesEnabled(true);
    m_stale = false;
    showDetails();
}

std::optional<history::Order> HistoryTab::selectedOrder() const
{
    const int row = m_controls.orders->currentRow();
    if (row < 0 || row >= m_ids.size())
        return std::nullopt;
    return m_history.order(m_ids.at(row));
}

void HistoryTab::showDetails()
{
    const qint64 id = m_ids.value(m_controls.orders->currentRow(), 0);
    if (id != m_detailsId) {
        m_detailsId = id;
        QListWidget* details = m_controls.details;
        details->clear();
        if (const auto order = selectedOrder())
            details->addItems(history::detailRows(*order));
    }
    enableButtons();
}

void HistoryTab::enableButtons()
{
    const bool any = m_controls.orders->currentRow() >= 0;
    m_controls.reorder->setEnabled(any);
    m_controls.print->setEnabled(any);
    if (m_controls.csv)
        m_controls.csv->setEnabled(any);
}
