#include "orderstore.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

QAtomicInt connectionCounter;

bool exec(QSqlQuery& query, const QString& statement, QString* error)
{
    if (query.exec(statement))
        return true;
    *error = query.lastError().text();
    return false;
}

} // namespace

demo::OrderStore::OrderStore(QString path)
    : m_path(std::move(path))
    , m_connection(u"demoserver-orders-%1"_s.arg(connectionCounter.fetchAndAddRelaxed(1)))
{ }

demo::OrderStore::~OrderStore()
{
    close();
}

QString demo::OrderStore::open()
{
    close();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connection);
        db.setDatabaseName(m_path);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            if (exec(query, u"PRAGMA foreign_keys = ON"_s, &error)
                && exec(query, u"PRAGMA user_version"_s, &error) && query.next()
                && query.value(0).toInt() == 0) {
                // A new file: the tables, and the counter set so the first order gets 1001.
                query.finish();
                db.transaction();
                const bool created =
                    exec(query,
                         u"CREATE TABLE orders (number INTEGER PRIMARY KEY AUTOINCREMENT, "
                         "account TEXT NOT NULL, login TEXT NOT NULL, ordered_by TEXT NOT NULL, "
                         "purchase_order TEXT NOT NULL, notes TEXT NOT NULL, "
                         "received TEXT NOT NULL)"_s,
                         &error)
                    && exec(query,
                            u"CREATE TABLE order_lines (order_number INTEGER NOT NULL "
                            "REFERENCES orders(number), line INTEGER NOT NULL, "
                            "quantity TEXT NOT NULL, line_code TEXT NOT NULL, part TEXT NOT NULL, "
                            "description TEXT NOT NULL, total_cents INTEGER NOT NULL, "
                            "PRIMARY KEY (order_number, line))"_s,
                            &error)
                    && exec(query,
                            u"INSERT INTO sqlite_sequence (name, seq) VALUES ('orders', %1)"_s.arg(
                                FirstOrderNumber - 1),
                            &error)
                    && exec(query, u"PRAGMA user_version = 1"_s, &error);
                if (created)
                    db.commit();
                else
                    db.rollback();
            }
        }
    }
    if (!error.isEmpty()) {
        close();
        return u"%1: %2"_s.arg(m_path, error);
    }
    return {};
}

void demo::OrderStore::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

demo::OrderStore::Result demo::OrderStore::store(const Order& order, const QDateTime& received)
{
    if (!QSqlDatabase::contains(m_connection))
        return {0, u"Order database not open"_s};
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return {0, db.lastError().text()};
    const auto fail = [&db](const QSqlQuery& query) {
        const QString error = query.lastError().text();
        db.rollback();
        return Result{0, error};
    };

    QSqlQuery query(db);
    query.prepare(u"INSERT INTO orders (account, login, ordered_by, purchase_order, notes, "
                  "received) VALUES (?, ?, ?, ?, ?, ?)"_s);
    query.addBindValue(order.account);
    query.addBindValue(order.login);
    query.addBindValue(order.orderedBy);
    query.addBindValue(order.purchaseOrder);
    query.addBindValue(order.notes);
    query.addBindValue(received.toString(Qt::ISODateWithMs));
    if (!query.exec())
        return fail(query);
    const qint64 number = query.lastInsertId().toLongLong();
    if (number < FirstOrderNumber || number > LastOrderNumber) {
        db.rollback();
        return {0, u"Order numbers used up"_s};
    }

    query.prepare(u"INSERT INTO order_lines (order_number, line, quantity, line_code, part, "
                  "description, total_cents) VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    for (qsizetype i = 0; i < order.lines.size(); ++i) {
        const OrderLine& line = order.lines[i];
        query.addBindValue(number);
        query.addBindValue(i + 1);
        query.addBindValue(line.quantity);
        query.addBindValue(line.lineCode);
        query.addBindValue(line.part);
        query.addBindValue(line.description);
        query.addBindValue(line.totalCents);
        if (!query.exec())
            return fail(query);
    }
    if (!db.commit())
        return {0, db.lastError().text()};
    return {static_cast<int>(number), QString()};
}
