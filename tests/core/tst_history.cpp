#include "core/history.h"
#include "support/orderlines.h"
#include "support/rulerows.h"

#include "core/text.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using history::DetailsHeading;
using history::HistoryHeading;

// The 1-based column where a heading word ends.
qsizetype endOf(const QString& heading, const QString& word)
{
    return heading.indexOf(word) + word.size();
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void lineFromCart_data();
    void lineFromCart();
    void orderFromCartTrimsTheFieldsAsSent();
    void sentAtValue_data();
    void sentAtValue() { compareRule<QString, QDateTime>(history::sentAtValue); }
    void historyRow_data();
    void historyRow();
    void detailRowsLineUpWithTheHeading();
    void detailRowsEndWithFieldsAndSubTotal();
    void matches_data();
    void matches();
    void sameLines_data();
    void sameLines();
    void listPriceOf_data();
    void listPriceOf() { compareRule<QString, QString>(history::listPriceOf); }
    void texts_data();
    void texts();
};

void TestHistory::lineFromCart_data()
{
    QTest::addColumn<QString>("cartLine");
    QTest::addColumn<QStringList>("fields"); // quantity, LIN, part, description, net, core, total
    QTest::newRow("full line") << lineOf(u"2"_s, u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"12.50"_s,
                                         QString(), u"25.00"_s)
                               << QStringList{u"2"_s,     u"XYZ"_s,  u"ABC123"_s, u"FILTER"_s,
                                              u"12.50"_s, QString(), u"25.00"_s};
    QTest::newRow("17-character description kept whole")
        << lineOf(u"1.5"_s, u"AB"_s, u"P1"_s, u"ABCDEFGHIJKLMNOPQ"_s, u"10.00"_s, u"5.00"_s,
                  u"22.50"_s)
        << QStringList{u"1.5"_s,   u"AB"_s,   u"P1"_s,   u"ABCDEFGHIJKLMNOPQ"_s,
                       u"10.00"_s, u"5.00"_s, u"22.50"_s};
    QTest::newRow("short line: total from its last 11 characters")
        << u"   2 XYZ PF1        .00"_s
        << QStringList{u"2"_s, u"XYZ"_s, u"PF1"_s, QString(), QString(), QString(), u".00"_s};
    QTest::newRow("total wider than its column read whole")
        << lineOf(u"9999"_s, u"AB"_s, u"P1"_s, u"GOLD"_s, u"10001.00"_s, QString(),
                  u"100000000.00"_s)
        << QStringList{u"9999"_s,     u"AB"_s,   u"P1"_s,          u"GOLD"_s,
                       u"10001.00"_s, QString(), u"100000000.00"_s};
}

void TestHistory::lineFromCart()
{
    QFETCH(QString, cartLine);
    QFETCH(QStringList, fields);
    const history::Line line = history::lineFromCart(cartLine);
    QCOMPARE((QStringList{line.quantity, line.lineCode, line.partNumber, line.description, line.net,
                          line.core, line.total}),
             fields);
    QCOMPARE(line.cartLine, cartLine);
    QVERIFY(line.list.isEmpty());
}

void TestHistory::orderFromCartTrimsTheFieldsAsSent()
{
    const QDateTime when(QDate(2026, 12, 8), QTime(10, 15));
    const history::Order order = history::orderFromCart(
        u"1234 "_s, u" JSMITH"_s, u"  JOE "_s, u"\tPO77 "_s, QString(),
        {lineOf(u"1"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"1.00"_s, QString(), u"1.00"_s)}, when);
    // Account and login as held (the order message does not trim them); the fields trimmed of
    // blanks only.
    QCOMPARE(order.account, u"1234 "_s);
    QCOMPARE(order.login, u" JSMITH"_s);
    QCOMPARE(order.orderedBy, u"JOE"_s);
    QCOMPARE(order.purchaseOrder, u"\tPO77"_s);
    QCOMPARE(order.status, history::StatusSent);
    QCOMPARE(order.lines.size(), 1);
    QCOMPARE(order.sentAt, when);
}

void TestHistory::sentAtValue_data()
{
    addRuleColumns<QString, QDateTime>();
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
    QTest::newRow("round trip") << history::sentAtText(when) << when;
    QTest::newRow("kept in UTC") << u"2026-12-08T09:05:07Z"_s
                                 << QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7), Qt::UTC);
    QTest::newRow("written before UTC: local time") << u"2026-12-08T09:05:07"_s << when;
    QTest::newRow("no such day") << u"2026-02-30T09:05:07"_s << QDateTime();
    QTest::newRow("no digits") << u"2026-12-08T09:0x:07"_s << QDateTime();
    QTest::newRow("too short") << u"2026-12-08T09:05"_s << QDateTime();
    QTest::newRow("empty") << QString() << QDateTime();
}

void TestHistory::historyRow_data()
{
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("expected");
    QTest::newRow("confirmed") << 4711 << history::StatusConfirmed
                               << u"12/08/26 09:05       4711      2     70.00  Confirmed"_s;
    QTest::newRow("sent: no number, not confirmed in words")
        << 0 << history::StatusSent
        << u"12/08/26 09:05                 2     70.00  Sent, not confirmed"_s;
    QTest::newRow("confirmed without a number")
        << 0 << history::StatusNoNumber
        << u"12/08/26 09:05                 2     70.00  Confirmed, no number"_s;
    QTest::newRow("largest 32-bit number fits its column")
        << 2147483647 << history::StatusConfirmed
        << u"12/08/26 09:05 2147483647      2     70.00  Confirmed"_s;
}

void TestHistory::historyRow()
{
    QFETCH(qint32, number);
    QFETCH(QString, status);
    QFETCH(QString, expected);
    // Kept in UTC, shown in local time.
    const QDateTime local(QDate(2026, 12, 8), QTime(9, 5));
    const history::Summary summary{1, local.toUTC(), status, number, 2, 70.0F};
    const QString row = history::historyRow(summary);
    QCOMPARE(row, expected);
    // Each value under its heading word.
    QCOMPARE(row.indexOf(u"09:05"_s), HistoryHeading.indexOf(u"Time"_s));
    QCOMPARE(row.indexOf(history::statusText(status)), HistoryHeading.indexOf(u"Status"_s));
    QCOMPARE(row.indexOf(u"70.00"_s) + 5, endOf(HistoryHeading, u"Total"_s));
    QCOMPARE(row.indexOf(u"  2 "_s) + 3, endOf(HistoryHeading, u"Lines"_s));
    if (number > 0)
        QCOMPARE(row.indexOf(QString::number(number)) + QString::number(number).size(),
                 endOf(HistoryHeading, u"Order#"_s));
}

void TestHistory::detailRowsLineUpWithTheHeading()
{
    history::Order order;
    // A 13-character part number stays apart from the description.
    order.lines << history::lineFromCart(lineOf(u"12"_s, u"XYZ"_s, u"ABC123DEF4567"_s,
                                                u"ABCDEFGHIJKLMNOPQ"_s, u"12.50"_s, QString(),
                                                u"150.00"_s));
    order.lines.first().list = u"19.95"_s;
    const QString row = history::detailRows(order).first();
    QCOMPARE(row.indexOf(u"12"_s) + 2, endOf(DetailsHeading, u"QTY"_s));
    QCOMPARE(row.indexOf(u"ABC123DEF4567 "_s), DetailsHeading.indexOf(u"Part Number"_s));
    // The first 16 description characters, as the order message sends them.
    QCOMPARE(row.indexOf(u"ABCDEFGHIJKLMNOP "_s), DetailsHeading.indexOf(u"Description"_s));
    QCOMPARE(row.indexOf(u"19.95"_s) + 5, endOf(DetailsHeading, u"LIST"_s));
    QCOMPARE(row.size(), endOf(DetailsHeading, u"Cost"_s));
    QVERIFY(row.endsWith(u" 150.00"_s));

    order.lines.first().list.clear();
    QCOMPARE(history::detailRows(order).first().mid(DetailsHeading.indexOf(u"LIST"_s), 4),
             u"    "_s);
}

void TestHistory::detailRowsEndWithFieldsAndSubTotal()
{
    // A long note no longer pushes the sub-total out from under Cost.
    const QString notes(60, u'N');
    const history::Order order = history::orderFromCart(
        u"1234"_s, u"JSMITH"_s, u"JOE"_s, u"PO77"_s, notes,
        {lineOf(u"2"_s, u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"12.50"_s, QString(), u"25.00"_s),
         lineOf(u"3"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, u"5.00"_s, u"45.00"_s)},
        QDateTime(QDate(2026, 12, 8), QTime(10, 0)), {u"19.95"_s});
    QCOMPARE(order.lines.at(0).list, u"19.95"_s);
    QCOMPARE(order.lines.at(1).list, QString());
    const QStringList rows = history::detailRows(order);
    QCOMPARE(rows.size(), 4);
    QVERIFY(rows.at(2).trimmed().startsWith(u"Sub-Total:"_s));
    QVERIFY(rows.at(2).endsWith(u" 70.00"_s));
    QCOMPARE(rows.at(2).size(), endOf(DetailsHeading, u"Cost"_s));
    QCOMPARE(rows.last(), u"By: JOE  PO: PO77  Notes: "_s + notes);
}

void TestHistory::matches_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("found");
    // Order 4711, PO "Po-77x", parts ABC123 and PF-9.
    QTest::newRow("empty filter finds all") << QString() << true;
    QTest::newRow("blanks only find all") << u"   "_s << true;
    QTest::newRow("part of the order number") << u"471"_s << true;
    QTest::newRow("PO number ignoring case") << u"po-77X"_s << true;
    QTest::newRow("part number ignoring case") << u"abc1"_s << true;
    QTest::newRow("second line's part") << u"pf-9"_s << true;
    QTest::newRow("description") << u"oil filt"_s << true;
    QTest::newRow("surrounding blanks ignored") << u" abc123 "_s << true;
    QTest::newRow("not across two fields") << u"77xabc"_s << false;
    QTest::newRow("absent") << u"ZZZ"_s << false;
}

void TestHistory::matches()
{
    QFETCH(QString, filter);
    QFETCH(bool, found);
    const QString search = history::searchText(4711, u"Po-77x", QStringList{u"ABC123"_s, u"PF-9"_s},
                                               QStringList{u"Oil Filter"_s});
    QCOMPARE(history::matches(search, filter), found);
}

void TestHistory::sameLines_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("same");
    QTest::newRow("identical") << QString() << true;
    // The fields are empty after a restart: the lines alone decide.
    QTest::newRow("other PO and fields, same lines") << u"po"_s << true;
    QTest::newRow("a line less") << u"line removed"_s << false;
    QTest::newRow("lines in another order") << u"lines swapped"_s << false;
    QTest::newRow("quantity differs") << u"quantity"_s << false;
}

void TestHistory::sameLines()
{
    QFETCH(QString, change);
    QFETCH(bool, same);
    const QStringList lines{
        lineOf(u"2"_s, u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"12.50"_s, QString(), u"25.00"_s),
        lineOf(u"3"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, u"5.00"_s, u"45.00"_s)};
    const QDateTime when(QDate(2026, 12, 8), QTime(10, 0));
    const auto sent =
        history::orderFromCart(u"1"_s, u"L"_s, u"JOE"_s, u"PO1"_s, u"N"_s, lines, when);
    QString po = u"PO1"_s;
    QStringList cart = lines;
    if (change == u"po")
        po = QString();
    else if (change == u"line removed")
        cart.removeLast();
    else if (change == u"lines swapped")
        cart.swapItemsAt(0, 1);
    else if (change == u"quantity")
        cart[0] =
            lineOf(u"1"_s, u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"12.50"_s, QString(), u"12.50"_s);
    const auto other =
        history::orderFromCart(u"1"_s, u"L"_s, QString(), po, QString(), cart, when.addSecs(60));
    QCOMPARE(history::sameLines(sent, other), same);
    QCOMPARE(history::linesKey(sent) == history::linesKey(other), same);
}

void TestHistory::listPriceOf_data()
{
    addRuleColumns<QString, QString>();
    const QString row =
        u"*      XYZ PH3600       OIL FILTER          19.95     8.95     1.50e 12"_s;
    QTest::newRow("answer row") << row << u"19.95"_s;
    QTest::newRow("not stocked: no price")
        << row.left(41) + u"  **  number not stocked  **"_s << QString();
    QTest::newRow("short row") << row.left(30) << QString();
}

void TestHistory::texts_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("note");
    QTest::newRow("not confirmed")
        << history::StatusSent << 0
        << u"This order was sent at 09:05 and has not been confirmed yet. Send it again?"_s
        << u"These items were sent on 12/08/26 at 09:05 and not confirmed"_s;
    QTest::newRow("confirmed: its number")
        << history::StatusConfirmed << 4711
        << u"This order was sent at 09:05 and confirmed as order 4711. Send it again?"_s
        << u"These items were sent on 12/08/26 at 09:05 (order 4711)"_s;
    QTest::newRow("confirmed without a number")
        << history::StatusNoNumber << 0
        << u"This order was sent at 09:05 and confirmed without an order number. Send it again?"_s
        << u"These items were sent on 12/08/26 at 09:05 (confirmed without an order number)"_s;
}

void TestHistory::texts()
{
    QFETCH(QString, status);
    QFETCH(qint32, number);
    QFETCH(QString, question);
    QFETCH(QString, note);
    // Kept in UTC, told in local time.
    const QDateTime local(QDate(2026, 12, 8), QTime(9, 5, 59));
    const history::Summary sent{1, local.toUTC(), status, number, 1, 1.0F};
    QCOMPARE(history::resendQuestion(sent), question);
    QCOMPARE(history::sentBeforeNote(sent), note);
    QCOMPARE(history::confirmedStatus(-3), history::StatusNoNumber);
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
