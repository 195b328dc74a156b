#pragma once
// The INFORMATION / ORDER  HISTORY tab: the order list with its filter, the details of the
// selected order, and the Order Again and Print... buttons. The window owns the controls and
// hands them over; this object fills them from the order history and says when an order is to
// be placed again or printed.

#include "core/history.h"

#include <QObject>
#include <QTimer>

#include <optional>

class OrderHistory;
class OrderListModel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

struct HistoryControls
{
    QListView* orders = nullptr;    // OrderHistoryList
    QListWidget* details = nullptr; // OrderDetailsList
    QLineEdit* filter = nullptr;    // HistoryFilterTxt
    QPushButton* reorder = nullptr; // ReorderCmd
    QPushButton* print = nullptr;   // PrintOrderCmd
    QPushButton* csv = nullptr;     // HistoryCsvCmd; optional
};

class HistoryTab : public QObject
{
    Q_OBJECT

public:
    HistoryTab(OrderHistory& history, const HistoryControls& controls, QObject* parent = nullptr);

    // Fills the order list (opening the history the first time, or trying again when it could
    // not be opened); the window calls it when the tab comes into view. The newest orders show
    // at once and the older ones come in at the bottom of the list without blocking the window.
    // While the list is in view, new and confirmed orders show at once.
    void showOrders();

    // The selected order with its lines; nothing when no order is selected.
    [[nodiscard]] std::optional<history::Order> selectedOrder() const;

signals:
    void reorderRequested(const history::Order& order);
    void printRequested(const history::Order& order);
    void csvRequested(const history::Order& order);

private:
    void fill();
    void select(int row);
    void showDetails();
    void openDetails();
    void enableButtons();
    void historyChanged();
    void readOlder();
    [[nodiscard]] int currentRow() const;

    OrderHistory& m_history;
    HistoryControls m_controls;
    OrderListModel* m_model;
    qint64 m_selectedId = 0; // the order selected, kept while the filter hides it
    qint64 m_detailsId = 0;  // the order in the details list; -1 to read it again
    bool m_stale = true;
    bool m_filling = false;
    // Reads the older orders after the newest have been listed, one block a turn of the event
    // loop, adding them at the bottom of the list.
    QTimer m_reader;
};
