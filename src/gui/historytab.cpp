// The order history tab's rules: list, filter, details and the requests of the buttons.
#include "gui/historytab.h"

#include "gui/orderlistmodel.h"
#include "logic/history/orderhistory.h"

#include <QScopedValueRollback>

HistoryTab::HistoryTab(OrderHistory& history, QObject* parent)
    : QObject(parent)
    , m_history(history)
    , m_model(new OrderListModel(this))
{
    connect(&m_history, &OrderHistory::changed, this, &HistoryTab::historyChanged);
    m_reader.setSingleShot(true);
    m_reader.setInterval(0);
    connect(&m_reader, &QTimer::timeout, this, &HistoryTab::readOlder);
}

QAbstractItemModel* HistoryTab::orders() const
{
    return m_model;
}

// The filter refills the list whenever its text changes, so only a change of the history leaves
// the list behind.
void HistoryTab::showOrders()
{
    m_inView = true;
    m_history.retryOpen();
    if (m_stale)
        fill();
}

void HistoryTab::hideOrders()
{
    m_inView = false;
}

void HistoryTab::setFilter(const QString& text)
{
    m_filter = text;
    fill();
}

void HistoryTab::setCurrentRow(int row)
{
    // A list being filled anew has no current row until fill() sets one.
    if (m_filling)
        return;
    m_currentRow = row;
    m_selectedId = m_model->idAt(row);
    showDetails();
}

void HistoryTab::historyChanged()
{
    m_stale = true;
    // Not read before the tab was first shown: the history stays closed until then. A list out
    // of view lets go of the rows, which may point at summaries no longer there.
    if (m_inView) {
        fill();
    } else {
        m_model->clear();
        m_currentRow = -1;
    }
}

void HistoryTab::fill()
{
    // Reading may find the file damaged and replaced, which reports a change in the middle.
    if (m_filling) {
        m_stale = true;
        return;
    }
    // After a change the selected order is read again; while only the filter changes, the
    // details of the order that stays selected are kept as they are.
    if (m_stale)
        m_detailsId = -1;
    {
        const QScopedValueRollback filling(m_filling, true);
        QList<qint32> rows = m_history.findRead(m_filter);
        m_model->setRows(m_history.summariesRead(), std::move(rows));
        m_currentRow = -1;
        m_stale = false;
    }
    if (m_history.hasOlder())
        m_reader.start();
    // The order selected before while it is still found, otherwise the newest.
    const int row = m_model->rowOf(m_selectedId);
    select(row >= 0 ? row : 0);
}

// A filter typed meanwhile has listed what was read; what it finds in each older block is added
// below, so that the row the user selected stays where it is.
void HistoryTab::readOlder()
{
    if (m_stale) {
        // The list was let go while out of view; it is filled again when shown.
        if (m_inView)
            fill();
        return;
    }
    QList<qint32> found;
    bool read = false;
    {
        const QScopedValueRollback filling(m_filling, true);
        read = m_history.readOlder(m_filter, found);
    }
    // A file found damaged meanwhile has been replaced, or the reading failed: list what there is.
    if (!read || m_stale) {
        m_stale = true;
        fill();
        return;
    }
    const bool none = m_model->rowCount() == 0;
    m_model->appendRows(found);
    if (none && m_model->rowCount() > 0) {
        // The filter found nothing among the newer orders: the first found is selected, as it
        // would have been with all of them read.
        const int row = m_model->rowOf(m_selectedId);
        select(row >= 0 ? row : 0);
    }
    if (m_history.hasOlder())
        m_reader.start();
}

void HistoryTab::select(int row)
{
    if (row < m_model->rowCount()) {
        m_currentRow = row;
        m_selectedId = m_model->idAt(row);
        emit currentRowSet(row);
    }
    showDetails();
}

std::optional<history::Order> HistoryTab::selectedOrder() const
{
    const qint64 id = m_model->idAt(m_currentRow);
    if (id <= 0)
        return std::nullopt;
    return m_history.order(id);
}

void HistoryTab::showDetails()
{
    const qint64 id = m_model->idAt(m_currentRow);
    if (id != m_detailsId) {
        m_detailsId = id;
        const auto order = selectedOrder();
        emit detailsChanged(order ? history::detailRows(*order) : QStringList());
    }
    emit actionsEnabled(id > 0);
}

void HistoryTab::requestReorder()
{
    if (const auto order = selectedOrder())
        emit reorderRequested(*order);
}

void HistoryTab::requestPrint()
{
    if (const auto order = selectedOrder())
        emit printRequested(*order);
}

void HistoryTab::requestCsv()
{
    if (const auto order = selectedOrder())
        emit csvRequested(*order);
}
