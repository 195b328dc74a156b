#pragma once
// The rows of the order history list as a model: the orders the filter found, each row's text
// made only when the view draws it.

#include "core/history.h"

#include <QAbstractListModel>
#include <QList>

class OrderListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit OrderListModel(QObject* parent = nullptr);

    // The summaries the rows point into and the positions of the rows in it, newest first. The
    // summaries must stay as they are until the next call.
    void setRows(const QList<history::Summary>& summaries, QList<qint32> rows);
    void clear();
    // More rows at the bottom, older than every row listed: the rows above stay as they are.
    void appendRows(const QList<qint32>& rows);

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

    // The order id of a row; 0 when there is no such row.
    [[nodiscard]] qint64 idAt(int row) const;
    // The row of an order; -1 when it is not listed.
    [[nodiscard]] int rowOf(qint64 id) const;

private:
    [[nodiscard]] const history::Summary* summaryAt(int row) const;

    const QList<history::Summary>* m_summaries = nullptr;
    QList<qint32> m_rows;
};
