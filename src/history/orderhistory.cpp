// The order history's file: OrderHistory.sqlite, its two tables and the summaries kept in memory.
#include "history/orderhistory.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

// SQLite's primary result codes that matter here.
enum SqliteCode { SqliteError = 1, SqliteCorrupt = 11, SqliteFull = 13, SqliteNotADatabase = 26 };

constexpr int SchemaVersion = 1;

int primaryCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

// An empty text is stored as such, never as NULL.
QString notNull(const QString& value)
{
    return value.isNull() ? u""_s : value;
}

// Binds the values to the prepared statement's placeholders, in order.
void bindAll(QSqlQuery& query, std::initializer_list<QVariant> values)
{
    for (const QVariant& value : values)
        query.addBindValue(value);
}

using history::sentAtText;
using history::sentAtValue;

// The journal files SQLite may keep beside the database.
const QStringList JournalSuffixes{u"-journal"_s, u"-wal"_s, u"-shm"_s};

// Our fixed statements fail with SQLite's generic error only where the file holds tables of
// another layout (no such column): such a file counts as damaged and is kept aside.
QSqlError ofTheLayout(const QSqlError& error)
{
    if (primaryCode(error) != SqliteError)
        return error;
    return QSqlError(error.driverText(), error.databaseText(), error.type(),
                     QString::number(SqliteNotADatabase));
}

} // namespace

OrderHistory::OrderHistory(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(folder)
    , m_connection(u"order-history-"_s + QString::number(reinterpret_cast<quintptr>(this), 16))
{ }

OrderHistory::~OrderHistory()
{
    close();
}

void OrderHistory::close()
{
    if (!isOpen())
        return;
    database().close(); // the handle is gone before the connection is removed
    QSqlDatabase::removeDatabase(m_connection);
}

void OrderHistory::tell(const QString& sentence)
{
    if (m_told)
        return;
    m_told = true;
    emit trouble(sentence);
}

// The connection exists exactly while the file is open: a failed open removes it at once.
bool OrderHistory::isOpen() const
{
    return QSqlDatabase::contains(m_connection);
}

bool OrderHistory::ensureOpen()
{
    return isOpen() || openFile();
}

QSqlDatabase OrderHistory::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

// Every statement below runs in a scope of its own, and the handles to the connection are gone
// before recover() runs: setting a damaged file aside closes and removes the connection.

bool OrderHistory::openFile()
{
    if (!QSqlDatabase::isDriverAvailable(u"QSQLITE"_s)) {
        tell(u"The order history cannot be kept because the SQLite support of this installation "
             "is missing; orders are sent and saved as before."_s);
        return false;
    }
    std::optional<QSqlError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
        db.setDatabaseName(m_folder.filePath(FileName));
        if (!db.open())
            failure = db.lastError();
    }
    if (!failure) {
        failure = createSchema();
        if (!failure)
            return true;
    }
    close();
    return recover(*failure);
}

std::optional<QSqlError> OrderHistory::createSchema()
{
    const QStringList statements{
        u"CREATE TABLE IF NOT EXISTS orders(id INTEGER PRIMARY KEY, sent_at TEXT NOT NULL, "
        "account TEXT NOT NULL, login TEXT NOT NULL, ordered_by TEXT NOT NULL, "
        "purchase_order TEXT NOT NULL, notes TEXT NOT NULL, status TEXT NOT NULL, "
        "number INTEGER NOT NULL, search TEXT NOT NULL)"_s,
        u"CREATE TABLE IF NOT EXISTS lines(order_id INTEGER NOT NULL, position INTEGER NOT NULL, "
        "quantity TEXT NOT NULL, line_code TEXT NOT NULL, part_number TEXT NOT NULL, "
        "description TEXT NOT NULL, net TEXT NOT NULL, core TEXT NOT NULL, total TEXT NOT NULL, "
        "list TEXT NOT NULL, cart_line TEXT NOT NULL, PRIMARY KEY(order_id, position))"_s,
        u"CREATE INDEX IF NOT EXISTS orders_sent_at ON orders(sent_at)"_s,
        u"PRAGMA user_version = %1"_s.arg(SchemaVersion),
    };
    // A file of another layout answers these with an error and is handled as damaged.
    const QStringList probes{
        u"SELECT id, sent_at, account, login, ordered_by, purchase_order, notes, status, number, "
        "search FROM orders LIMIT 0"_s,
        u"SELECT order_id, position, quantity, line_code, part_number, description, net, core, "
        "total, list, cart_line FROM lines LIMIT 0"_s,
    };
    QSqlDatabase db = database();
    QSqlQuery query(db);
    if (!query.exec(u"PRAGMA user_version"_s))
        return query.lastError();
    const int version = query.next() ? query.value(0).toInt() : 0;
    query.finish();
    if (version > SchemaVersion) {
        // Written by a newer program: leave it alone rather than guess its layout.
        tell(u"The order history file OrderHistory.sqlite was written by a newer version of the "
             "program and is left as it is; orders are sent and saved as before."_s);
        return QSqlError(QString(), QString(), QSqlError::UnknownError, u"0"_s);
    }
    if (version < SchemaVersion) {
        if (!db.transaction())
            return db.lastError();
        for (const QString& statement : statements)
            if (!query.exec(statement)) {
                const QSqlError error = query.lastError();
                query.finish();
                db.rollback();
                return ofTheLayout(error);
            }
        if (!db.commit()) {
            const QSqlError error = db.lastError();
            db.rollback();
            return error;
        }
    }
    for (const QString& probe : probes)
        if (!query.exec(probe))
            return ofTheLayout(query.lastError());
    return std::nullopt;
}

bool OrderHistory::recover(const QSqlError& error)
{
    const int code = primaryCode(error);
    if (code == SqliteCorrupt || code == SqliteNotADatabase) {
        if (setAside())
            return openFile();
        return false;
    }
    if (code == SqliteFull)
        tell(u"The order history could not be saved because the disk is full; orders are sent "
             "and saved in MyOrder.dat as before."_s);
    else
        tell(u"The order history file OrderHistory.sqlite in the program folder cannot be "
             "opened or written, so orders are sent as before but not kept in the history."_s);
    return false;
}

bool OrderHistory::setAside()
{
    close();
    m_summaries.clear();
    m_loaded = false;
    const QString path = m_folder.filePath(FileName);
    QString aside;
    for (int n = 1;; ++n) {
        aside = u"OrderHistory-damaged"_s + (n > 1 ? u"-"_s + QString::number(n) : QString())
            + u".sqlite"_s;
        if (!QFile::exists(m_folder.filePath(aside)))
            break;
    }
    if (!QFile::rename(path, m_folder.filePath(aside))) {
        tell(u"The order history file OrderHistory.sqlite is damaged and could not be replaced, "
             "so orders are sent as before but not kept in the history."_s);
        return false;
    }
    // A journal left by the damaged file must not be played into the new one.
    for (const QString& suffix : JournalSuffixes)
        if (QFile::exists(path + suffix))
            QFile::rename(path + suffix, m_folder.filePath(aside + suffix));
    tell(u"The order history file OrderHistory.sqlite was damaged, so it has been kept as "_s
         + aside + u" and a new, empty order history has been started."_s);
    emit changed();
    return true;
}

std::optional<QSqlError> OrderHistory::insert(const history::Order& order, const QString& search,
                                              qint64& id)
{
    QSqlDatabase db = database();
    if (!db.transaction())
        return db.lastError();
    QSqlQuery query(db);
    const auto failed = [&](const QSqlError& error) {
        query.finish();
        db.rollback();
        return error;
    };
    query.prepare(u"INSERT INTO orders(sent_at, account, login, ordered_by, purchase_order, "
                  "notes, status, number, search) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    bindAll(query,
            {sentAtText(order.sentAt), notNull(order.account), notNull(order.login),
             notNull(order.orderedBy), notNull(order.purchaseOrder), notNull(order.notes),
             notNull(order.status), order.number, search});
    if (!query.exec())
        return failed(query.lastError());
    const qint64 newId = query.lastInsertId().toLongLong();
    if (!query.prepare(u"INSERT INTO lines(order_id, position, quantity, line_code, part_number, "
                       "description, net, core, total, list, cart_line) "
                       "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s))
        return failed(query.lastError());
    int position = 0;
    for (const history::Line& line : order.lines) {
        bindAll(query,
                {newId, position++, notNull(line.quantity), notNull(line.lineCode),
                 notNull(line.partNumber), notNull(line.description), notNull(line.net),
                 notNull(line.core), notNull(line.total), notNull(line.list),
                 notNull(line.cartLine)});
        if (!query.exec())
            return failed(query.lastError());
    }
    query.finish();
    if (!db.commit())
        return failed(db.lastError());
    id = newId;
    return std::nullopt;
}

qint64 OrderHistory::record(const history::Order& order)
{
    const QString search = history::searchText(order);
    qint64 id = 0;
    // A second attempt only when the first found the file damaged and started a new one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen())
            return 0;
        const auto failure = insert(order, search, id);
        if (!failure)
            break;
        if (!recover(*failure))
            return 0;
    }
    if (id <= 0)
        return 0;
    if (m_loaded)
        m_summaries.prepend(
            history::Summary{id, sentAtText(order.sentAt), order.status, order.number, search});
    emit changed();
    return id;
}

bool OrderHistory::confirm(qint64 id, qint32 number)
{
    if (id <= 0 || !ensureOpen())
        return false;
    const QString status = history::confirmedStatus(number);
    const qint32 stored = number >= 1 ? number : 0;
    // The search text of a recorded order starts with an empty number field (history::searchText).
    const QString numberText = history::orderNumberText(stored);
    std::optional<QSqlError> failure;
    int updated = 0;
    {
        QSqlQuery query(database());
        query.prepare(u"UPDATE orders SET status = ?, number = ?, search = ? || search "
                      "WHERE id = ? AND status = ?"_s);
        query.addBindValue(status);
        query.addBindValue(stored);
        query.addBindValue(notNull(numberText));
        query.addBindValue(id);
        query.addBindValue(history::StatusSent);
        if (query.exec())
            updated = query.numRowsAffected();
        else
            failure = query.lastError();
    }
    if (failure) {
        recover(*failure);
        return false;
    }
    if (updated != 1)
        return false;
    for (history::Summary& summary : m_summaries)
        if (summary.id == id) {
            summary.status = status;
            summary.number = stored;
            summary.search.prepend(numberText);
            break;
        }
    emit changed();
    return true;
}

std::optional<QSqlError> OrderHistory::loadSummaries()
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT id, sent_at, status, number, search FROM orders ORDER BY id DESC"_s))
        return query.lastError();
    QList<history::Summary> summaries;
    while (query.next())
        summaries << history::Summary{query.value(0).toLongLong(), query.value(1).toString(),
                                      query.value(2).toString(), query.value(3).toInt(),
                                      query.value(4).toString()};
    if (query.lastError().isValid())
        return query.lastError();
    m_summaries = std::move(summaries);
    m_loaded = true;
    return std::nullopt;
}

const QList<history::Summary>& OrderHistory::summaries()
{
    // A damaged file found while reading is set aside and the new, empty one read instead.
    for (int attempt = 0; attempt < 2 && !m_loaded; ++attempt) {
        if (!ensureOpen())
            break;
        const auto failure = loadSummaries();
        if (failure && !recover(*failure))
            break;
    }
    return m_summaries;
}

QList<history::Summary> OrderHistory::find(QStringView filter)
{
    const QList<history::Summary>& all = summaries();
    QList<history::Summary> found;
    for (const history::Summary& summary : all)
        if (history::matches(summary.search, filter))
            found << summary;
    return found;
}

std::optional<QSqlError> OrderHistory::readOrder(qint64 id, std::optional<history::Order>& found)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(u"SELECT sent_at, account, login, ordered_by, purchase_order, notes, status, "
                  "number FROM orders WHERE id = ?"_s);
    query.addBindValue(id);
    if (!query.exec())
        return query.lastError();
    if (!query.next())
        return query.lastError().isValid() ? std::optional(query.lastError()) : std::nullopt;
    history::Order order;
    order.id = id;
    order.sentAt = sentAtValue(query.value(0).toString());
    order.account = query.value(1).toString();
    order.login = query.value(2).toString();
    order.orderedBy = query.value(3).toString();
    order.purchaseOrder = query.value(4).toString();
    order.notes = query.value(5).toString();
    order.status = query.value(6).toString();
    order.number = query.value(7).toInt();
    query.finish();
    query.prepare(u"SELECT quantity, line_code, part_number, description, net, core, total, "
                  "list, cart_line FROM lines WHERE order_id = ? ORDER BY position"_s);
    query.addBindValue(id);
    if (!query.exec())
        return query.lastError();
    while (query.next())
        order.lines << history::Line{
            query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
            query.value(3).toString(), query.value(4).toString(), query.value(5).toString(),
            query.value(6).toString(), query.value(7).toString(), query.value(8).toString()};
    if (query.lastError().isValid())
        return query.lastError();
    found = std::move(order);
    return std::nullopt;
}

std::optional<history::Order> OrderHistory::order(qint64 id)
{
    if (!ensureOpen())
        return std::nullopt;
    std::optional<history::Order> found;
    if (const auto failure = readOrder(id, found)) {
        recover(*failure);
        return std::nullopt;
    }
    return found;
}

std::optional<QDateTime> OrderHistory::unconfirmedDuplicate(const history::Order& cart,
                                                            const QDateTime& now)
{
    if (!ensureOpen())
        return std::nullopt;
    QList<qint64> candidates;
    std::optional<QSqlError> failure;
    {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        query.prepare(u"SELECT id FROM orders WHERE status = ? AND sent_at > ? AND sent_at <= ? "
                      "ORDER BY sent_at DESC, id DESC"_s);
        query.addBindValue(history::StatusSent);
        query.addBindValue(sentAtText(now.addSecs(-history::ResendWindowSeconds)));
        query.addBindValue(sentAtText(now));
        if (query.exec())
            while (query.next())
                candidates << query.value(0).toLongLong();
        else
            failure = query.lastError();
    }
    if (failure) {
        recover(*failure);
        return std::nullopt;
    }
    for (qint64 id : candidates) {
        const auto sent = order(id);
        if (sent && history::sameContent(*sent, cart))
            return sent->sentAt;
    }
    return std::nullopt;
}
