// The order history's file: OrderHistory.sqlite, its two tables and the summaries kept in memory.
#include "logic/history/orderhistory.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <array>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

// SQLite's primary result codes that matter here.
enum SqliteCode { SqliteError = 1, SqliteCorrupt = 11, SqliteFull = 13, SqliteNotADatabase = 26 };

// 2: times in UTC; each order's line count, sub-total and a key of its lines; descriptions in
// the filter's text; the application id.
constexpr int SchemaVersion = 2;
// "VRNK": marks the file as this program's.
constexpr qint32 ApplicationId = 0x56524E4B;
// The orders of one chunk of the filter's texts, and of one read of the summaries.
constexpr qsizetype ChunkOrders = 2048;
// The native error code of a file that belongs to another program.
const QString ForeignFile = u"foreign"_s;

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
// another layout (no such column): such a file of ours counts as damaged and is kept aside.
QSqlError ofTheLayout(const QSqlError& error)
{
    if (primaryCode(error) != SqliteError)
        return error;
    return QSqlError(error.driverText(), error.databaseText(), error.type(),
                     QString::number(SqliteNotADatabase));
}

QSqlError foreignFile()
{
    return QSqlError(QString(), QString(), QSqlError::UnknownError, ForeignFile);
}

// The first value of a one-row statement; an invalid value when it fails.
QVariant scalar(QSqlQuery& query, const QString& statement)
{
    if (!query.exec(statement) || !query.next())
        return {};
    const QVariant value = query.value(0);
    query.finish();
    return value;
}

const QStringList OurTables{u"orders"_s, u"lines"_s};

// The probes of the layout as version 1 wrote it: a file of ours passes them.
const QStringList FirstLayoutProbes{
    u"SELECT id, sent_at, account, login, ordered_by, purchase_order, notes, status, number, "
    "search FROM orders LIMIT 0"_s,
    u"SELECT order_id, position, quantity, line_code, part_number, description, net, core, "
    "total, list, cart_line FROM lines LIMIT 0"_s,
};

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
    if (isOpen())
        return true;
    if (m_openFailed)
        return false;
    m_openFailed = !openFile();
    return !m_openFailed;
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
        // Another copy of the program writing at the same moment is waited for briefly, never
        // long enough to stall the window.
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=250"_s);
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
    const QStringList tables{
        u"CREATE TABLE orders(id INTEGER PRIMARY KEY, sent_at TEXT NOT NULL, "
        "account TEXT NOT NULL, login TEXT NOT NULL, ordered_by TEXT NOT NULL, "
        "purchase_order TEXT NOT NULL, notes TEXT NOT NULL, status TEXT NOT NULL, "
        "number INTEGER NOT NULL, search TEXT NOT NULL, lines_key TEXT NOT NULL DEFAULT '', "
        "line_count INTEGER NOT NULL DEFAULT 0, sub_total REAL NOT NULL DEFAULT 0)"_s,
        u"CREATE TABLE lines(order_id INTEGER NOT NULL, position INTEGER NOT NULL, "
        "quantity TEXT NOT NULL, line_code TEXT NOT NULL, part_number TEXT NOT NULL, "
        "description TEXT NOT NULL, net TEXT NOT NULL, core TEXT NOT NULL, total TEXT NOT NULL, "
        "list TEXT NOT NULL, cart_line TEXT NOT NULL, PRIMARY KEY(order_id, position))"_s,
    };
    const QStringList finish{
        u"CREATE INDEX IF NOT EXISTS orders_sent_at ON orders(sent_at)"_s,
        u"CREATE INDEX IF NOT EXISTS orders_lines_key ON orders(lines_key)"_s,
        u"PRAGMA application_id = %1"_s.arg(ApplicationId),
        u"PRAGMA user_version = %1"_s.arg(SchemaVersion),
    };
    QSqlDatabase db = database();
    QSqlQuery query(db);
    const QVariant id = scalar(query, u"PRAGMA application_id"_s);
    const QVariant version = scalar(query, u"PRAGMA user_version"_s);
    if (!id.isValid() || !version.isValid())
        return query.lastError();
    QStringList present;
    if (!query.exec(u"SELECT name FROM sqlite_master WHERE type = 'table' "
                    "AND name NOT LIKE 'sqlite_%'"_s))
        return query.lastError();
    while (query.next())
        present << query.value(0).toString();
    query.finish();
    const bool ours = id.toInt() == ApplicationId;
    if (!ours) {
        // Not marked: an empty file is ours to start, and a history written before the mark
        // passes the checks of our layout; anything else belongs to another program.
        if (id.toInt() != 0 || !std::all_of(present.begin(), present.end(), [](const QString& t) {
                return OurTables.contains(t);
            }))
            return foreignFile();
        if (!present.isEmpty())
            for (const QString& probe : FirstLayoutProbes)
                if (!query.exec(probe))
                    return primaryCode(query.lastError()) == SqliteError
                        ? foreignFile()
                        : std::optional(query.lastError());
    }
    if (version.toInt() > SchemaVersion) {
        // Written by a newer program: leave it alone rather than guess its layout.
        tell(u"The order history file OrderHistory.sqlite was written by a newer version of the "
             "program and is left as it is; orders are sent and saved as before."_s);
        return QSqlError(QString(), QString(), QSqlError::UnknownError, u"0"_s);
    }
    if (!ours || version.toInt() < SchemaVersion) {
        if (!db.transaction())
            return db.lastError();
        const auto failed = [&](const QSqlError& error) {
            query.finish();
            db.rollback();
            return ofTheLayout(error);
        };
        if (present.isEmpty()) {
            for (const QString& statement : tables)
                if (!query.exec(statement))
                    return failed(query.lastError());
        } else if (version.toInt() < SchemaVersion) {
            query.finish();
            if (const auto failure = migrate())
                return failed(*failure);
        }
        for (const QString& statement : finish)
            if (!query.exec(statement))
                return failed(query.lastError());
        query.finish();
        if (!db.commit())
            return failed(db.lastError());
    }
    // A file of ours of another layout answers these with an error and is handled as damaged.
    for (const QString& probe : FirstLayoutProbes)
        if (!query.exec(probe))
            return ofTheLayout(query.lastError());
    if (!query.exec(u"SELECT lines_key, line_count, sub_total FROM orders LIMIT 0"_s))
        return ofTheLayout(query.lastError());
    return std::nullopt;
}

// From the first layout, inside the caller's transaction: the new columns, filled from each
// order's lines, and the filter's text made again with the descriptions. Times stay as they
// were written, in local time.
std::optional<QSqlError> OrderHistory::migrate()
{
    QSqlQuery query(database());
    for (const QString& column :
         {u"lines_key TEXT NOT NULL DEFAULT ''"_s, u"line_count INTEGER NOT NULL DEFAULT 0"_s,
          u"sub_total REAL NOT NULL DEFAULT 0"_s})
        if (!query.exec(u"ALTER TABLE orders ADD COLUMN "_s + column))
            return query.lastError();
    QList<history::Order> orders;
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT id, number, purchase_order FROM orders ORDER BY id"_s))
        return query.lastError();
    while (query.next()) {
        history::Order order;
        order.id = query.value(0).toLongLong();
        order.number = query.value(1).toInt();
        order.purchaseOrder = query.value(2).toString();
        orders << order;
    }
    if (!query.exec(u"SELECT order_id, part_number, description, cart_line FROM lines "
                    "ORDER BY order_id, position"_s))
        return query.lastError();
    qsizetype at = 0;
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        while (at < orders.size() && orders.at(at).id < id)
            ++at;
        if (at == orders.size())
            break;
        if (orders.at(at).id != id)
            continue;
        history::Line line;
        line.partNumber = query.value(1).toString();
        line.description = query.value(2).toString();
        line.cartLine = query.value(3).toString();
        orders[at].lines << line;
    }
    query.finish();
    if (!query.prepare(u"UPDATE orders SET search = ?, lines_key = ?, line_count = ?, "
                       "sub_total = ? WHERE id = ?"_s))
        return query.lastError();
    for (const history::Order& order : orders) {
        bindAll(query,
                {history::searchText(order), history::linesKey(order),
                 static_cast<qint32>(order.lines.size()), history::subTotalText(order).toDouble(),
                 order.id});
        if (!query.exec())
            return query.lastError();
    }
    return std::nullopt;
}

bool OrderHistory::recover(const QSqlError& error)
{
    const int code = primaryCode(error);
    const bool foreign = error.nativeErrorCode() == ForeignFile;
    if (foreign || code == SqliteCorrupt || code == SqliteNotADatabase) {
        if (setAside(foreign))
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

bool OrderHistory::setAside(bool foreign)
{
    close();
    clearSummaries();
    const QString path = m_folder.filePath(FileName);
    const QString stem = foreign ? u"OrderHistory-other"_s : u"OrderHistory-damaged"_s;
    QString aside;
    for (int n = 1;; ++n) {
        aside = stem + (n > 1 ? u"-"_s + QString::number(n) : QString()) + u".sqlite"_s;
        if (!QFile::exists(m_folder.filePath(aside)))
            break;
    }
    if (!QFile::rename(path, m_folder.filePath(aside))) {
        tell(foreign ? u"The file OrderHistory.sqlite in the program folder belongs to another "
                       "program and could not be moved aside, so orders are sent as before but "
                       "not kept in the history."_s
                     : u"The order history file OrderHistory.sqlite is damaged and could not be "
                       "replaced, so orders are sent as before but not kept in the history."_s);
        return false;
    }
    // A journal left by the damaged file must not be played into the new one.
    for (const QString& suffix : JournalSuffixes)
        if (QFile::exists(path + suffix))
            QFile::rename(path + suffix, m_folder.filePath(aside + suffix));
    if (foreign)
        tell(u"The file OrderHistory.sqlite in the program folder belongs to another program, so "
             "it has been kept as "_s
             + aside + u" and a new, empty order history has been started."_s);
    else
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
                  "notes, status, number, search, lines_key, line_count, sub_total) "
                  "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    bindAll(query,
            {sentAtText(order.sentAt), notNull(order.account), notNull(order.login),
             notNull(order.orderedBy), notNull(order.purchaseOrder), notNull(order.notes),
             notNull(order.status), order.number, search, history::linesKey(order),
             static_cast<qint32>(order.lines.size()), history::subTotalText(order).toDouble()});
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
    m_openFailed = false;
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
    if (m_readFrom >= 0)
        appendSummary(history::Summary{id, history::sentAtValue(sentAtText(order.sentAt)),
                                       order.status, order.number,
                                       static_cast<qint32>(order.lines.size()),
                                       history::subTotalText(order).toFloat()},
                      search);
    emit changed();
    return id;
}

void OrderHistory::appendSummary(const history::Summary& summary, const QString& search)
{
    if (m_summaries.size() % ChunkOrders == 0)
        m_search.append(SearchChunk());
    m_summaries << summary;
    SearchChunk& chunk = m_search.last();
    chunk.texts += search.toUtf8();
    chunk.texts += '\n';
    chunk.ends << static_cast<quint32>(chunk.texts.size());
}

void OrderHistory::clearSummaries()
{
    m_summaries.clear();
    m_search.clear();
    m_readFrom = -1;
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
    // Mostly the order recorded last, so looked for from the end.
    for (qsizetype i = m_summaries.size() - 1; i >= 0; --i) {
        history::Summary& summary = m_summaries[i];
        if (summary.id != id)
            continue;
        summary.status = status;
        summary.number = stored;
        const QByteArray digits = numberText.toUtf8();
        SearchChunk& chunk = m_search[i / ChunkOrders];
        const qsizetype at = i % ChunkOrders;
        chunk.texts.insert(at == 0 ? 0 : chunk.ends.at(at - 1), digits);
        for (qsizetype j = at; j < chunk.ends.size(); ++j)
            chunk.ends[j] += static_cast<quint32>(digits.size());
        break;
    }
    emit changed();
    return true;
}

namespace {

// One summary's fields as the summaries are read: each ends in a unit separator, the filter's
// text (which holds neither separator) last, then a record separator.
constexpr char FieldEnd = '\x1f';
constexpr char RecordEnd = '\x1e';

qint64 numberIn(QByteArrayView text)
{
    qint64 value = 0;
    bool negative = false;
    for (const char c : text) {
        if (c == '-')
            negative = true;
        else if (c >= '0' && c <= '9')
            value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// The sub-total as SQLite writes a REAL: digits, a point, digits (never an exponent for sums of
// prices).
float priceIn(QByteArrayView text)
{
    return static_cast<float>(QByteArray(text.data(), text.size()).toDouble());
}

} // namespace

// The summaries are read in blocks of one chunk, newest first, each block one value made by
// SQLite, so that reading 100,000 orders costs a few values rather than 700,000. The first read
// lays out a place for every order there is; each block fills the places of its chunk.
std::optional<QSqlError> OrderHistory::readBlock()
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    const auto failed = [&] {
        const QSqlError error = query.lastError().isValid()
            ? query.lastError()
            : QSqlError(QString(), QString(), QSqlError::UnknownError,
                        QString::number(SqliteCorrupt));
        query.finish();
        clearSummaries();
        return error;
    };
    if (m_readFrom < 0) {
        clearSummaries();
        if (!query.exec(u"SELECT count(*), max(id) FROM orders"_s) || !query.next())
            return failed();
        const qsizetype count = query.value(0).toLongLong();
        m_readBelow = query.value(1).toLongLong() + 1;
        query.finish();
        m_summaries.resize(count);
        m_search.resize((count + ChunkOrders - 1) / ChunkOrders);
        m_readFrom = count;
        if (count == 0)
            return std::nullopt;
    }
    const qsizetype first = (m_readFrom - 1) / ChunkOrders * ChunkOrders;
    const qsizetype count = m_readFrom - first;
    if (!query.prepare(
            u"SELECT CAST(group_concat(id || char(31) || sent_at || char(31) || "
            "status || char(31) || number || char(31) || line_count || char(31) || "
            "sub_total || char(31) || replace(replace(search, char(30), ''), "
            "char(31), '') || char(30), '') AS BLOB), min(id) FROM (SELECT * FROM "
            "(SELECT * FROM orders WHERE id < ? ORDER BY id DESC LIMIT ?) ORDER BY id)"_s))
        return failed();
    query.addBindValue(m_readBelow);
    query.addBindValue(static_cast<qint64>(count));
    if (!query.exec() || !query.next())
        return failed();
    const QByteArray records = query.value(0).toByteArray();
    const qint64 oldest = query.value(1).toLongLong();
    query.finish();
    if (!readSummaryChunk(records, first, count))
        return failed();
    m_readFrom = first;
    m_readBelow = oldest;
    return std::nullopt;
}

// One block's records into the places from first on; false unless it holds exactly count.
bool OrderHistory::readSummaryChunk(const QByteArray& records, qsizetype first, qsizetype count)
{
    SearchChunk& chunk = m_search[first / ChunkOrders];
    chunk.ends.reserve(count);
    const char* at = records.constData();
    const char* const end = at + records.size();
    qsizetype place = first;
    for (; at < end; ++place) {
        std::array<QByteArrayView, 6> fields;
        for (QByteArrayView& field : fields) {
            const char* stop = std::find(at, end, FieldEnd);
            if (stop == end)
                return false;
            field = QByteArrayView(at, stop - at);
            at = stop + 1;
        }
        const char* stop = std::find(at, end, RecordEnd);
        if (stop == end || place == first + count)
            return false;
        const QByteArrayView search(at, stop - at);
        at = stop + 1;
        // The three statuses share one text each rather than one copy an order.
        QString status = QString::fromUtf8(fields[2]);
        for (const QString& known :
             {history::StatusSent, history::StatusConfirmed, history::StatusNoNumber})
            if (status == known)
                status = known;
        m_summaries[place] = history::Summary{numberIn(fields[0]),
                                              history::sentAtValue(QString::fromLatin1(fields[1])),
                                              status,
                                              static_cast<qint32>(numberIn(fields[3])),
                                              static_cast<qint32>(numberIn(fields[4])),
                                              priceIn(fields[5])};
        chunk.texts.append(search.data(), search.size()).append('\n');
        chunk.ends << static_cast<quint32>(chunk.texts.size());
    }
    // Held for the life of the history: no room to spare.
    chunk.texts.squeeze();
    return place == first + count;
}

// One more block read, the newest first, opening the file when needed; a damaged file found is
// set aside and the new, empty one read instead. False when nothing could be read.
bool OrderHistory::readNext()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen())
            return false;
        const auto failure = readBlock();
        if (!failure)
            return true;
        if (!recover(*failure))
            return false;
    }
    return false;
}

const QList<history::Summary>& OrderHistory::summaries()
{
    while (m_readFrom != 0 && readNext()) { }
    return m_summaries;
}

const QList<history::Summary>& OrderHistory::summariesRead()
{
    if (m_readFrom < 0)
        readNext();
    return m_summaries;
}

bool OrderHistory::readOlder(QStringView filter, QList<qint32>& found)
{
    if (!hasOlder())
        return false;
    const qsizetype chunk = (m_readFrom - 1) / ChunkOrders;
    if (!readNext() || m_readFrom != chunk * ChunkOrders)
        return false;
    found << findFrom(filter, chunk, chunk + 1);
    return true;
}

QList<qint32> OrderHistory::find(QStringView filter)
{
    summaries();
    return findFrom(filter, 0, m_search.size());
}

QList<qint32> OrderHistory::findRead(QStringView filter)
{
    summariesRead();
    return findFrom(filter, std::max<qsizetype>(m_readFrom, 0) / ChunkOrders, m_search.size());
}

// The orders found in the chunks from firstChunk up to endChunk, newest first.
QList<qint32> OrderHistory::findFrom(QStringView filter, qsizetype firstChunk, qsizetype endChunk)
{
    const QByteArray key = history::searchKey(filter).toUtf8();
    QList<qint32> found;
    if (key.isEmpty()) {
        const qsizetype count = std::min(endChunk * ChunkOrders, m_summaries.size());
        const qsizetype first = std::min(firstChunk * ChunkOrders, count);
        found.reserve(count - first);
        for (qsizetype i = count - 1; i >= first; --i)
            found << static_cast<qint32>(i);
        return found;
    }
    if (key.contains('\n'))
        return found; // never across two texts
    // One pass over each chunk's texts; a hit names its order by where it lies, and the search
    // goes on after that order's text.
    const std::string_view wanted(key.constData(), static_cast<size_t>(key.size()));
    for (qsizetype c = firstChunk; c < endChunk; ++c) {
        const SearchChunk& chunk = m_search.at(c);
        const std::string_view texts(chunk.texts.constData(),
                                     static_cast<size_t>(chunk.texts.size()));
        auto end = chunk.ends.cbegin();
        for (size_t at = texts.find(wanted); at != std::string_view::npos;) {
            end = std::upper_bound(end, chunk.ends.cend(), static_cast<quint32>(at));
            if (end == chunk.ends.cend())
                break;
            found << static_cast<qint32>(c * ChunkOrders + (end - chunk.ends.cbegin()));
            at = texts.find(wanted, *end);
        }
    }
    std::reverse(found.begin(), found.end());
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

std::optional<history::Summary> OrderHistory::latestWithLines(const history::Order& cart,
                                                              const QDateTime& since,
                                                              const QDateTime& until)
{
    if (cart.lines.isEmpty() || !ensureOpen())
        return std::nullopt;
    QList<history::Summary> candidates;
    std::optional<QSqlError> failure;
    {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        query.prepare(u"SELECT id, sent_at, status, number, line_count, sub_total FROM orders "
                      "WHERE lines_key = ? ORDER BY id DESC"_s);
        query.addBindValue(history::linesKey(cart));
        if (query.exec())
            while (query.next())
                candidates << history::Summary{
                    query.value(0).toLongLong(), history::sentAtValue(query.value(1).toString()),
                    query.value(2).toString(),   query.value(3).toInt(),
                    query.value(4).toInt(),      query.value(5).toFloat()};
        else
            failure = query.lastError();
    }
    if (failure) {
        recover(*failure);
        return std::nullopt;
    }
    for (const history::Summary& candidate : candidates) {
        if ((since.isValid() && candidate.sentAt <= since)
            || (until.isValid() && candidate.sentAt > until))
            continue;
        const auto sent = order(candidate.id);
        if (sent && history::sameLines(*sent, cart))
            return candidate;
    }
    return std::nullopt;
}

std::optional<history::Summary> OrderHistory::recentlySent(const history::Order& cart,
                                                           const QDateTime& now)
{
    // An order "sent" after now (the clock was set back since) is not within the window.
    return latestWithLines(cart, now.addSecs(-history::ResendWindowSeconds), now);
}

std::optional<history::Summary> OrderHistory::sentBefore(const history::Order& cart)
{
    if (!isOpen() && !QFile::exists(m_folder.filePath(FileName)))
        return std::nullopt;
    return latestWithLines(cart, QDateTime(), QDateTime());
}
