// The order history list's model.
#include "gui/orderlistmodel.h"

#include <QColor>

namespace {
// An order never confirmed stands out; its row says so in words as well.
const QColor Unconfirmed(0xC0, 0, 0);
} // namespace

OrderListModel::OrderListModel(QObject* parent)
    : QAbstractListModel(parent)
{ }

void OrderListModel::setRows(const QList<history::Summary>& summaries, QList<qint32> rows)
{
    beginResetModel();
    m_summaries = &summaries;
    m_rows = std::move(rows);
    endResetModel();
}

void OrderListModel::clear()
{
    beginResetModel();
    m_summaries = nullptr;
    m_rows.clear();
    endResetModel();
}

void OrderListModel::appendRows(const QList<qint32>& rows)
{
    if (rows.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    m_rows << rows;
    endInsertRows();
}

int OrderListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

const history::Summary* OrderListModel::summaryAt(int row) const
{
    if (!m_summaries || row < 0 || row >= m_rows.size())
        return nullptr;
    const qint32 at = m_rows.at(row);
    return at < m_summaries->size() ? &m_summaries->at(at) : nullptr;
}

QVariant OrderListModel::data(const QModelIndex& index, int role) const
{
    const history::Summary* summary = summaryAt(index.row());
    if (!summary)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return history::historyRow(*summary);
    case Qt::ForegroundRole:
        return summary->status == history::StatusSent ? QVariant(Unconfirmed) : QVariant();
    default:
        return {};
    }
}

qint64 OrderListModel::idAt(int row) const
{
    const history::Summary* summary = summaryAt(row);
    return summary ? summary->id : 0;
}

int OrderListModel::rowOf(qint64 id) const
{
    if (!m_summaries || id <= 0)
        return -1;
    for (qsizetype row = 0; row < m_rows.size(); ++row)
        if (idAt(static_cast<int>(row)) == id)
            return static_cast<int>(row);
    return -1;
}
