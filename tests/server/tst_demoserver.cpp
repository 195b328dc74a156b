// The demo order server: its answers byte for byte over loopback, the orders it stores, and
// that bad input neither crashes it nor stores anything.
#include "accounts.h"
#include "catalog.h"
#include "demoserver.h"
#include "orderstore.h"
#include "requesthandler.h"
#include "support/sqlrows.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray GoodLine = "<P> ,2,XYZ,ABC123,FILTER,25.00,,,,";
const QByteArray EndMarker = "<X>  End of Order";
const QByteArray Header = "<O>,1234,SMITHCO,JOE,PO77,RUSH,";

} // namespace

class TestDemoServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shippedDataLoadsCleanly();
    void catalogProblems_data();
    void catalogProblems();

    void inquiry_data();
    void inquiry() { compareReply(); }
    void loginTest_data();
    void loginTest();
    void requestInTwoPiecesIsJoined();
    void halfClosedRequestIsAnsweredAtOnce();

    void orderStoredWithLines();
    void orderNumbersGrowAcrossRestart();
    void malformedOrderStoresNothing_data();
    void malformedOrderStoresNothing();
    void orderNumbersStopAt32Bits();

    void badInput_data();
    void badInput();
    void idleConnectionIsClosed();

    void realBinaryAnswersAndStopsOnSigterm();

private:
    void startServer(demo::ServerOptions options = {});
    void stopServer();
    QByteArray exchange(const QByteArray& request, int offset = 0, bool halfClose = false);
    void compareReply();
    QStringList rows(const QString& sql) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dbPath;
    demo::Catalog m_catalog;
    demo::Accounts m_accounts;
    std::unique_ptr<demo::OrderStore> m_orders;
    std::unique_ptr<demo::RequestHandler> m_handler;
    std::unique_ptr<demo::DemoServer> m_server;
    QStringList m_log;
};

void TestDemoServer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dbPath = m_dir->filePath(u"orders.sqlite"_s);
    QCOMPARE(m_catalog.load(QStringLiteral(DEMOSERVER_DATA_DIR "/catalog.csv")), QStringList());
    QCOMPARE(m_accounts.load(QStringLiteral(DEMOSERVER_DATA_DIR "/accounts.csv")), QStringList());
    m_log.clear();
    startServer();
}

void TestDemoServer::cleanup()
{
    stopServer();
    m_dir.reset();
}

void TestDemoServer::startServer(demo::ServerOptions options)
{
    m_orders = std::make_unique<demo::OrderStore>(m_dbPath);
    QCOMPARE(m_orders->open(), QString());
    m_handler = std::make_unique<demo::RequestHandler>(m_catalog, m_accounts, *m_orders);
    m_handler->setClock([] { return QDateTime(QDate(2023, 7, 13), QTime(9, 30)); });
    options.basePort = 0;
    m_server = std::make_unique<demo::DemoServer>(*m_handler, options);
    connect(m_server.get(), &demo::DemoServer::logged, this,
            [this](const QString& line) { m_log << line; });
    QCOMPARE(m_server->listen(), QString());
    QVERIFY(m_server->basePort() != 0);
}

void TestDemoServer::stopServer()
{
    m_server.reset();
    m_handler.reset();
    m_orders.reset();
}

// Sends one request on its own connection and returns everything the server sent back
// before it closed the connection.
QByteArray TestDemoServer::exchange(const QByteArray& request, int offset, bool halfClose)
{
    QTcpSocket socket;
    QByteArray reply;
    connect(&socket, &QTcpSocket::readyRead, &socket, [&] { reply += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost,
                         static_cast<quint16>(m_server->basePort() + offset));
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }))
        return "(no connection)";
    socket.write(request);
    if (halfClose) {
        socket.flush();
        ::shutdown(static_cast<int>(socket.socketDescriptor()), SHUT_WR);
    }
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }))
        return "(not closed) " + reply;
    return reply + socket.readAll();
}

// The row's request, sent on its own connection, gets the row's reply.
void TestDemoServer::compareReply()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QCOMPARE(exchange(request), reply);
}

QStringList TestDemoServer::rows(const QString& sql) const
{
    return sqlRows(m_dbPath, sql);
}

void TestDemoServer::shippedDataLoadsCleanly()
{
    QVERIFY(m_catalog.size() >= 40);
    QVERIFY(m_accounts.contains(u"1234", u"DEMO"));
    // The client shows no row for a not-stocked part on a superseding or alternate record, so
    // the shipped catalog must not point at one.
    for (const QString& number : m_catalog.numbers()) {
        const QStringList records = m_catalog.answerRecords(number);
        for (qsizetype i = 1; i < records.size(); ++i)
            QVERIFY2(!records[i].contains(u",nif,"), qPrintable(number + u": "_s + records[i]));
    }
}

void TestDemoServer::catalogProblems_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("problem"); // a piece of the one problem reported
    QTest::newRow("description of 18 characters")
        << u"XYZ,P2,ABCDEFGHIJKLMNOPQR,1,1.00,0.60,0,0,,,,"_s << u"description"_s;
    QTest::newRow("quantity neither nif nor a number")
        << u"XYZ,P2,FILTER,NIF,1.00,0.60,0,0,,,,"_s << u"quantity"_s;
    QTest::newRow("price with three decimals")
        << u"XYZ,P2,FILTER,1,1.005,0.60,0,0,,,,"_s << u"prices"_s;
    QTest::newRow("part listed twice") << u"XYZ,p1,FILTER,1,1.00,0.60,0,0,,,,"_s << u"twice"_s;
    QTest::newRow("superseded by an unknown part")
        << u"XYZ,P2,FILTER,1,1.00,0.60,0,0,,NOPE,,"_s << u"superseded by unknown part NOPE"_s;
    QTest::newRow("can use an unknown part")
        << u"XYZ,P2,FILTER,1,1.00,0.60,0,0,,,P1;NOPE,"_s << u"can use unknown part NOPE"_s;
    QTest::newRow("'<' would split the record on the wire")
        << u"XYZ,P2,FILTER,1,1.00,0.60,0,0,<HOT>,,,"_s << u"wire"_s;
    QTest::newRow("a field too many") << u"XYZ,P2,FILTER,1,1.00,0.60,0,0,,,,,"_s << u"13 fields"_s;
}

void TestDemoServer::catalogProblems()
{
    QFETCH(QString, row);
    QFETCH(QString, problem);
    demo::Catalog catalog;
    const QStringList problems =
        catalog.parse(demo::Catalog::Heading.toString()
                      + u"\r\nXYZ,P1,FILTER,1,1.00,0.60,0,0,,,,\r\n"_s + row + u"\r\n"_s);
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems[0].contains(problem), qPrintable(problems[0]));
    QVERIFY(catalog.find(u"P1"));
}

void TestDemoServer::inquiry_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("part with a superseding part")
        << QByteArray("<I>,1234,DEMO,PF1234")
        << QByteArray("<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"
                      "<S>,XYZ,PF1234A,OIL FILTER,0,9.49,,,5.69,0,0,<V>,23.07.13");
    QTest::newRow("alternate with charges and a note")
        << QByteArray("<I>,1234,DEMO,PF1234A")
        << QByteArray("<P>,XYZ,PF1234A,OIL FILTER,0,9.49,,,5.69,0,0,"
                      "<A>,QRS,B7721,OIL FILTER HD,3,24.10,,,14.46,15,1.5,SHIPS FROM MAIN DC"
                      "<V>,23.07.13");
    QTest::newRow("not stocked") << QByteArray("<I>,1234,DEMO,PF99")
                                 << QByteArray("<P>,XYZ,PF99,AIR FILTER,nif,0.00,,,0.00,0,0,"
                                               "<V>,23.07.13");
    QTest::newRow("no longer sold, supersessions followed to the end")
        << QByteArray("<I>,1234,DEMO,PF1100")
        << QByteArray("<NS>,XYZ,PF1100,OIL FILTER,0,7.95,,,4.77,0,0,DISCONTINUED"
                      "<S>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"
                      "<S>,XYZ,PF1234A,OIL FILTER,0,9.49,,,5.69,0,0,<V>,23.07.13");
    QTest::newRow("blanks trimmed, lower case raised")
        << QByteArray("<I>,1234,DEMO, ph3600 ")
        << QByteArray("<P>,XYZ,PH3600,OIL FILTER,24,6.49,,,3.89,0,0,"
                      "<A>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,<V>,23.07.13");
    QTest::newRow("unknown part") << QByteArray("<I>,1234,DEMO,ZZZ9") << QByteArray("<NF>");
    QTest::newRow("comma in the part number is one unknown part")
        << QByteArray("<I>,1234,DEMO,PF,99") << QByteArray("<NF>");
    QTest::newRow("unknown account")
        << QByteArray("<I>,9999,DEMO,PF1234") << QByteArray("<E>,Account not on file");
    QTest::newRow("login not under that account")
        << QByteArray("<I>,5678,DEMO,PF1234") << QByteArray("<E>,Account not on file");
    QTest::newRow("no part number")
        << QByteArray("<I>,1234,DEMO,") << QByteArray("<E>,No part number");
}

void TestDemoServer::loginTest_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("known pair") << QByteArray("<V>,1234,DEMO,") << QByteArray("<V>");
    QTest::newRow("leading zeros and lower case as typed")
        << QByteArray("<V>,0042,fleetsvc,") << QByteArray("<V>");
    QTest::newRow("unknown login")
        << QByteArray("<V>,1234,NOBODY,") << QByteArray("<E>,Account not on file");
    QTest::newRow("unknown account")
        << QByteArray("<V>,9999,DEMO,") << QByteArray("<E>,Account not on file");
    QTest::newRow("signed account is not a number")
        << QByteArray("<V>,+1234,DEMO,") << QByteArray("<E>,Account not on file");
}

void TestDemoServer::loginTest()
{
    compareReply();
    QCOMPARE(m_log.size(), 1);
    QVERIFY2(m_log[0].contains(u" V "), qPrintable(m_log[0]));
}

void TestDemoServer::requestInTwoPiecesIsJoined()
{
    QTcpSocket socket;
    QByteArray reply;
    connect(&socket, &QTcpSocket::readyRead, this, [&] { reply += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, m_server->basePort());
    QTRY_COMPARE(socket.state(), QAbstractSocket::ConnectedState);
    socket.write("<I>,1234,DEMO,PF");
    socket.flush();
    QTest::qWait(50); // a gap shorter than the quiet time
    socket.write("99");
    QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(reply, QByteArray("<P>,XYZ,PF99,AIR FILTER,nif,0.00,,,0.00,0,0,<V>,23.07.13"));
}

void TestDemoServer::halfClosedRequestIsAnsweredAtOnce()
{
    stopServer();
    demo::ServerOptions slow;
    slow.quietMs = slow.inquiryQuietMs = 60'000; // only the half-close can end the request
    startServer(slow);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(exchange("<I>,1234,DEMO,PF99", 1, true),
             QByteArray("<P>,XYZ,PF99,AIR FILTER,nif,0.00,,,0.00,0,0,<V>,23.07.13"));
    QVERIFY(timer.elapsed() < 5'000);
}

void TestDemoServer::orderStoredWithLines()
{
    const QByteArray order = "<O>,1234,SMITHCO,JOE,PO77,," + GoodLine
        + "<P> ,1.5,QRS,B7721,OIL FILTER HD,36.15,,,," + EndMarker;
    QCOMPARE(exchange(order, 3), QByteArray("<O>,1001"));
    QCOMPARE(rows(u"SELECT * FROM orders"_s),
             QStringList{u"1001|1234|SMITHCO|JOE|PO77||2023-07-13T09:30:00.000"_s});
    QCOMPARE(rows(u"SELECT * FROM order_lines ORDER BY line"_s),
             QStringList({u"1001|1|2|XYZ|ABC123|FILTER|2500"_s,
                          u"1001|2|1.5|QRS|B7721|OIL FILTER HD|3615"_s}));
    QVERIFY2(m_log.last().contains(u"stored order 1001"), qPrintable(m_log.last()));
}

void TestDemoServer::orderNumbersGrowAcrossRestart()
{
    const QByteArray order = Header + GoodLine + EndMarker;
    QCOMPARE(exchange(order, 3), QByteArray("<O>,1001"));
    QCOMPARE(exchange(order, 0), QByteArray("<O>,1002"));
    stopServer();
    startServer();
    QCOMPARE(exchange(order, 3), QByteArray("<O>,1003"));
    // A deleted newest order does not give its number away again.
    QCOMPARE(rows(u"DELETE FROM order_lines WHERE order_number = 1003"_s), QStringList());
    QCOMPARE(rows(u"DELETE FROM orders WHERE number = 1003"_s), QStringList());
    QCOMPARE(exchange(order, 3), QByteArray("<O>,1004"));
    QCOMPARE(rows(u"SELECT COUNT(*) FROM order_lines"_s), QStringList{u"3"_s});
}

void TestDemoServer::malformedOrderStoresNothing_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("no end marker")
        << Header + GoodLine << QByteArray("<E>,Order incomplete - no end marker");
    QTest::newRow("line missing a field") << Header + "<P> ,2,XYZ,ABC123,25.00,,,,"
            + EndMarker << QByteArray("<E>,Order line 1 has 8 fields instead of 9");
    QTest::newRow("second line with a field too many")
        << Header + GoodLine + "<P> ,1,XYZ,PF99,AIR FILTER,0.00,,,,," + EndMarker
        << QByteArray("<E>,Order line 2 has 10 fields instead of 9");
    QTest::newRow("quantity not a number") << Header + "<P> ,TWO,XYZ,ABC123,FILTER,25.00,,,,"
            + EndMarker << QByteArray("<E>,Order line 1 has an invalid quantity");
    QTest::newRow("quantity zero") << Header + "<P> ,0,XYZ,ABC123,FILTER,0.00,,,," + EndMarker
                                   << QByteArray("<E>,Order line 1 has an invalid quantity");
    QTest::newRow("total not a number") << Header + "<P> ,2,XYZ,ABC123,FILTER,lots,,,," + EndMarker
                                        << QByteArray("<E>,Order line 1 has an invalid total");
    QTest::newRow("no lines") << Header + EndMarker << QByteArray("<E>,Order has no lines");
    QTest::newRow("header cut short")
        << QByteArray("<O>,1234,SMITHCO,") + EndMarker << QByteArray("<E>,Order header incomplete");
    QTest::newRow("unknown account") << QByteArray("<O>,9999,SMITHCO,JOE,PO77,RUSH,") + GoodLine
            + EndMarker << QByteArray("<E>,Account not on file");
}

void TestDemoServer::malformedOrderStoresNothing()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QCOMPARE(exchange(request, 3), reply);
    QCOMPARE(rows(u"SELECT COUNT(*) FROM orders"_s), QStringList{u"0"_s});
    QCOMPARE(rows(u"SELECT COUNT(*) FROM order_lines"_s), QStringList{u"0"_s});
}

void TestDemoServer::orderNumbersStopAt32Bits()
{
    // The client cannot read a number above 32 bits and would keep the order to send it again.
    QCOMPARE(rows(u"INSERT INTO orders VALUES (2147483647, '1234', 'DEMO', '', '', '', '')"_s),
             QStringList());
    QCOMPARE(exchange(Header + GoodLine + EndMarker, 3),
             QByteArray("<E>,Order could not be stored"));
    QCOMPARE(rows(u"SELECT COUNT(*) FROM orders"_s), QStringList{u"1"_s});
    QCOMPARE(rows(u"SELECT COUNT(*) FROM order_lines"_s), QStringList{u"0"_s});
}

void TestDemoServer::badInput_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("binary") << QByteArray("\x00\x01\xff<\x80,,,", 8)
                            << QByteArray("<E>,Unknown request");
    QTest::newRow("lower-case tag")
        << QByteArray("<i>,1234,DEMO,PF99") << QByteArray("<E>,Unknown request");
    QTest::newRow("tag alone") << QByteArray("<I>") << QByteArray("<E>,Malformed inquiry");
    QTest::newRow("login test cut short")
        << QByteArray("<V>,1234") << QByteArray("<E>,Malformed login test");
    QTest::newRow("huge") << QByteArray(200 * 1024, 'A') << QByteArray("<E>,Request too large");
    QTest::newRow("huge order without its end") << QByteArray("<O>,1234,DEMO,")
            + QByteArray(70 * 1024, ',') << QByteArray("<E>,Request too large");
}

void TestDemoServer::badInput()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QCOMPARE(exchange(request, 2), reply);
    QCOMPARE(exchange("<V>,1234,DEMO,", 2), QByteArray("<V>")); // still serving
}

void TestDemoServer::idleConnectionIsClosed()
{
    stopServer();
    demo::ServerOptions options;
    options.idleMs = 200;
    startServer(options);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_server->basePort());
    QTRY_COMPARE(socket.state(), QAbstractSocket::ConnectedState);
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, 5'000);
    QCOMPARE(socket.readAll(), QByteArray());
    QTRY_COMPARE(m_log.size(), 1);
    QVERIFY2(m_log[0].contains(u"idle"), qPrintable(m_log[0]));
}

void TestDemoServer::realBinaryAnswersAndStopsOnSigterm()
{
    stopServer(); // exchange() talks to whatever port m_server names; use a raw socket here
    QProcess process;
    process.start(QStringLiteral(DEMOSERVER_BINARY),
                  {u"--port"_s, u"0"_s, u"--db"_s, m_dir->filePath(u"real.sqlite"_s)});
    QVERIFY(process.waitForStarted());
    QByteArray output;
    const QRegularExpression listening(u"listening on 127\\.0\\.0\\.1:(\\d+)-(\\d+)"_s);
    QRegularExpressionMatch match;
    QVERIFY(QTest::qWaitFor(
        [&] {
            output += process.readAllStandardOutput();
            match = listening.match(QString::fromUtf8(output));
            return match.hasMatch();
        },
        10'000));
    const int base = match.captured(1).toInt();
    QCOMPARE(match.captured(2).toInt(), base + 3);

    QTcpSocket socket;
    QByteArray reply;
    connect(&socket, &QTcpSocket::readyRead, this, [&] { reply += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(base + 3));
    QTRY_COMPARE(socket.state(), QAbstractSocket::ConnectedState);
    socket.write("<V>,1234,DEMO,");
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, 10'000);
    QCOMPARE(reply, QByteArray("<V>"));

    process.terminate(); // SIGTERM
    QVERIFY(process.waitForFinished(10'000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    output += process.readAllStandardOutput();
    QVERIFY2(output.contains(" V passed 1234/DEMO\n"), output.constData());
    QVERIFY2(output.endsWith("stopped\n"), output.constData());
}

QTEST_GUILESS_MAIN(TestDemoServer)
#include "tst_demoserver.moc"
