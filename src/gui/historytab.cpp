// The order history tab: list, filter, details and the two buttons.
#include "gui/historytab.h"

#include "gui/orderlistmodel.h"
#include "logic/history/orderhistory.h"

#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>

HistoryTab::HistoryTab(OrderHistory& history, const HistoryControls& controls, QObject* parent)
    : QObject(parent)
    , m_history(history)
    , m_controls(controls)
    , m_model(new OrderListModel(this))
{
    m_controls.orders->setModel(m_model);
    connect(m_controls.filter, &QLineEdit::textChanged, this, &HistoryTab::fill);
    connect(m_controls.orders->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] {
                if (m_filling)
                    return;
                m_selectedId = m_model->idAt(currentRow());
                showDetails();
            });
    // Enter and double-click take the user to the selected order's lines.
    connect(m_controls.orders, &QAbstractItemView::activated, this, &HistoryTab::openDetails);
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
    m_reader.setSingleShot(true);
    m_reader.setInterval(0);
    connect(&m_reader, &QTimer::timeout, this, &HistoryTab::readOlder);
    enableButtons();
}

int HistoryTab::currentRow() const
{
    const QModelIndex current = m_controls.orders->currentIndex();
    return current.isValid() ? current.row() : -1;
}

// The filter box refills the list whenever its text changes, so only a change of the history
// leaves the list behind.
void HistoryTab::showOrders()
{
    m_history.retryOpen();
    if (m_stale)
        fill();
}

void HistoryTab::historyChanged()
{
    m_stale = true;
    // Not read before the tab was first shown: the history stays closed until then. A list out
    // of view lets go of the rows, which may point at summaries no longer there.
    if (m_controls.orders->isVisible())
        fill();
    else
        m_model->clear();
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
        QList<qint32> rows = m_history.findRead(m_controls.filter->text());
        m_model->setRows(m_history.summariesRead(), std::move(rows));
        m_stale = false;
    }
    if (m_history.hasOlder())
        m_reader.start();
    // The order selected before while it is still found, otherwise the newest.
    const int row = m_model->rowOf(m_selectedId);
    select(row >= 0 ? row : 0);
}

// A filter typed meanwhile has listed what was read; what it finds in each older block is added.
void HistoryTab::readOlder()
{
    if (m_stale) {
        // The list was let go while out of view; it is filled again when shown.
        if (m_controls.orders->isVisible())
            fill();
        return;
    }
    QList<qint32> found;
    bool read = false;
    {
        const QScopedValueRollback filling(m_filling, true);
        read = m_history.readOlder(m_controls.filter->text(), found);
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
    QListView* list = m_controls.orders;
    if (row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, 0);
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        list->scrollTo(index);
        m_selectedId = m_model->idAt(row);
    }
    showDetails();
}

std::optional<history::Order> HistoryTab::selectedOrder() const
{
    const qint64 id = m_model->idAt(currentRow());
    if (id <= 0)
        return std::nullopt;
    return m_history.order(id);
}

void HistoryTab::showDetails()
{
    const qint64 id = m_model->idAt(currentRow());
    if (id != m_detailsId) {
        m_detailsId = id;
        QListWidget* details = m_controls.details;
        details->clear();
        if (const auto order = selectedOrder())
            details->addItems(history::detailRows(*order));
    }
    enableButtons();
}

void HistoryTab::openDetails()
{
    QListWidget* details = m_controls.details;
    if (details->count() == 0)
        return;
    if (details->currentRow() < 0)
        details->setCurrentRow(0);
    details->setFocus();
}

void HistoryTab::enableButtons()
{
    const bool any = m_model->idAt(currentRow()) > 0;
    m_controls.reorder->setEnabled(any);
    m_controls.print->setEnabled(any);
    if (m_controls.csv)
        m_controls.csv->setEnabled(any);
}
