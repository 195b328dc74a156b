#pragma once
// The record of every order sent, kept in OrderHistory.sqlite in the program folder. The file is
// opened the first time something needs it, never at start-up. Every change is one transaction,
// so a crash or a kill never leaves half an order. When the file cannot be opened or written the
// history says so once (trouble()) and carries on without it: ordering never depends on it; a
// failed open is tried again only when an order is recorded or the tab is opened (retryOpen()).
// A damaged file, or one of another program, is kept aside under another name and a new one is
// started. The file carries its own application id, so that no other SQLite file is taken for it.

#include "core/history.h"

#include <QDir>
#include <QObject>
#include <QString>

#include <optional>

class QSqlDatabase;
class QSqlError;

class OrderHistory : public QObject
{
    Q_OBJECT

public:
    static inline const QString FileName = QStringLiteral("OrderHistory.sqlite");

    explicit OrderHistory(const QString& folder, QObject* parent = nullptr);
    ~OrderHistory() override;

    [[nodiscard]] bool isOpen() const;

    // Records a sent order with all its lines, or nothing of it. Returns the new order's id, 0
    // when it could not be recorded.
    qint64 record(const history::Order& order);

    // The confirmation of the order recorded with this id: a number of 1 or more makes it
    // "Confirmed" with that number, anything else "Confirmed, no number". Only an order still
    // "Sent" is changed, and only once. False when there is none or it could not be written.
    bool confirm(qint64 id, qint32 number);

    // Every recorded order, oldest first. The first call opens the file and reads the summaries
    // and the filter's texts (all that are not read yet); later calls give the copy kept in
    // memory, which record() and the confirmations keep current.
    const QList<history::Summary>& summaries();

    // The positions in summaries() of the orders the filter finds (history::matches), newest
    // first, all orders read first. Valid until the next changed().
    [[nodiscard]] QList<qint32> find(QStringView filter);

    // Reading in blocks, for a list that shows at once: the newest block is read the first time
    // (opening the file), the older ones one a call of readOlder(). Until all are read, the
    // summaries of the orders not yet read are empty (id 0) and in their places, so that every
    // position stays as it is while the rest comes in.
    const QList<history::Summary>& summariesRead();
    // As find(), over the orders read so far (the newest block read first if none is).
    [[nodiscard]] QList<qint32> findRead(QStringView filter);
    // True while older blocks are still to be read.
    [[nodiscard]] bool hasOlder() const { return m_readFrom > 0; }
    // Reads the next older block and adds the positions in it the filter finds, newest first, to
    // found. False when nothing could be read (the summaries may have been cleared: see changed()).
    bool readOlder(QStringView filter, QList<qint32>& found);

    // The whole order, lines included; nothing when it is not (or no longer) in the file.
    [[nodiscard]] std::optional<history::Order> order(qint64 id);

    // The latest order sent less than half an hour before now with the same lines as cart,
    // confirmed or not.
    [[nodiscard]] std::optional<history::Summary> recentlySent(const history::Order& cart,
                                                               const QDateTime& now);
    // The latest order of any age with the same lines as cart. Never creates the file.
    [[nodiscard]] std::optional<history::Summary> sentBefore(const history::Order& cart);

    // Lets the next use try again to open a file that could not be opened.
    void retryOpen() { m_openFailed = false; }

signals:
    // An order was recorded or confirmed, or a damaged file was replaced by an empty one.
    void changed();
    // One sentence for the user, given at most once in the life of this object.
    void trouble(const QString& sentence);

private:
    bool ensureOpen();
    [[nodiscard]] QSqlDatabase database() const;
    bool openFile();
    std::optional<QSqlError> createSchema();
    void close();
    // Handles a failed statement: a damaged file is set aside and a new one started (true: try
    // again there), anything else is told once (false).
    bool recover(const QSqlError& error);
    bool setAside(bool foreign);
    std::optional<QSqlError> migrate();
    void tell(const QString& sentence);
    std::optional<QSqlError> insert(const history::Order& order, const QString& search, qint64& id);
    bool readNext();
    std::optional<QSqlError> readBlock();
    bool readSummaryChunk(const QByteArray& records, qsizetype first, qsizetype count);
    [[nodiscard]] QList<qint32> findFrom(QStringView filter, qsizetype firstChunk,
                                         qsizetype endChunk);
    std::optional<QSqlError> readOrder(qint64 id, std::optional<history::Order>& found);
    std::optional<history::Summary> latestWithLines(const history::Order& cart,
                                                    const QDateTime& since, const QDateTime& until);
    void appendSummary(const history::Summary& summary, const QString& search);

    QDir m_folder;
    QString m_connection;
    bool m_told = false;
    bool m_openFailed = false;
    QList<history::Summary> m_summaries; // oldest first
    // The position of the oldest order read: -1 before the first read, 0 once all are read.
    qsizetype m_readFrom = -1;
    qint64 m_readBelow = 0; // the id the next older block lies below
    // The filter's texts of all orders, in the order of m_summaries, as UTF-8, each ending in a
    // line feed, in chunks of a fixed number of orders (so that no single block is ever grown
    // and copied whole); ends holds where each text ends in its chunk.
    struct SearchChunk
    {
        QByteArray texts;
        QList<quint32> ends;
    };
    QList<SearchChunk> m_search;
    void clearSummaries();
};
