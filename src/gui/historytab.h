#pragma once
// The INFORMATION / ORDER  HISTORY tab's rules: the orders the filter finds, the selected order's
// lines, whether Order Again, Print... and Save as CSV... have an order to act on, and the
// requests for it. The window owns the controls: it hands over the filter text and the row the
// user selects, shows the rows of orders() and what the signals say, and acts on the requests.

#include "core/history.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>

class OrderHistory;
class OrderListModel;
class QAbstractItemModel;

class HistoryTab : public QObject
{
    Q_OBJECT

public:
    explicit HistoryTab(OrderHistory& history, QObject* parent = nullptr);

    // The rows of the order list, each drawn only when in view. Filled anew when the filter or
    // the history changes (currentRowSet() follows); the older orders come in at the bottom,
    // leaving every row above where it was.
    [[nodiscard]] QAbstractItemModel* orders() const;

    // The tab came into view: fills the order list (opening the history the first time, or
    // trying again when it could not be opened). The newest orders show at once and the older
    // ones come in without blocking the window. While in view, new and confirmed orders show at
    // once.
    void showOrders();
    // The tab went out of view: the next change of the history lets go of the rows.
    void hideOrders();
    // The filter box's text: the list is filled anew.
    void setFilter(const QString& text);
    // The row the user made current in the list; -1 for none.
    void setCurrentRow(int row);
    // The buttons: the request for the selected order, when there is one.
    void requestReorder();
    void requestPrint();
    void requestCsv();

    // The selected order with its lines; nothing when no order is selected.
    [[nodiscard]] std::optional<history::Order> selectedOrder() const;

signals:
    // The list was filled anew, or its first rows came in: this row is the current one, to be
    // selected and scrolled into view.
    void currentRowSet(int row);
    // The lines of the selected order (history::detailRows); none when no order is selected.
    void detailsChanged(const QStringList& lines);
    // Whether an order is selected for the buttons to act on.
    void actionsEnabled(bool enabled);
    void reorderRequested(const history::Order& order);
    void printRequested(const history::Order& order);
    void csvRequested(const history::Order& order);

private:
    void fill();
    void select(int row);
    void showDetails();
    void historyChanged();
    void readOlder();

    OrderHistory& m_history;
    OrderListModel* m_model;
    QString m_filter;
    int m_currentRow = -1;
    qint64 m_selectedId = 0; // the order selected, kept while the filter hides it
    qint64 m_detailsId = 0;  // the order in the details list; -1 to read it again
    bool m_inView = false;
    bool m_stale = true;
    bool m_filling = false;
    // Reads the older orders after the newest have been listed, one block a turn of the event
    // loop, adding them at the bottom of the list.
    QTimer m_reader;
};
