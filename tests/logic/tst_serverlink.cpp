// The request/reply exchange against loopback servers that behave like distant ones: port
// rotation, lights, the attempt budget and the pause after a failed attempt, held handshakes,
// silence, replies in pieces, deadlines and an order's confirmation.
#include "logic/link/serverlink.h"
#include "support/fakeclock.h"
#include "support/loopbackserver.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// A server link on its own, with everything it says recorded.
struct Link
{
    FakeClock clock;
    ServerLink link{clock};
    struct Reply
    {
        quint64 id;
        QString text;
        bool complete;
    };
    QList<Reply> replies;
    QList<int> lit; // offsets lit, in order
    QStringList progress;
    QStringList failures;
    QList<ServerLink::Severity> severities;
    int ended = 0;

    Link()
    {
        clock.now = 36000.3;
        QObject::connect(&link, &ServerLink::replyArrived, &link,
                         [this](quint64 id, const QString& text, bool complete) {
                             replies << Reply{id, text, complete};
                         });
        QObject::connect(&link, &ServerLink::lampChanged, &link, [this](int offset, bool on) {
            if (on)
                lit << offset;
        });
        QObject::connect(&link, &ServerLink::progress, &link,
                         [this](const QString& text) { progress << text; });
        QObject::connect(&link, &ServerLink::failed, &link,
                         [this](const QString& text, ServerLink::Severity severity) {
                             failures << text;
                             severities << severity;
                         });
        QObject::connect(&link, &ServerLink::attemptsEnded, &link, [this] { ++ended; });
    }
    void aim(const LoopbackServer& server)
    {
        link.setServer(u"127.0.0.1"_s, qint16(server.basePort()));
    }
    [[nodiscard]] QTcpSocket* socket() const { return link.findChild<QTcpSocket*>(u"Winsock"_s); }
};

ServerLink::Kind kindOf(const QByteArray& request)
{
    return request.startsWith("<O>") ? ServerLink::Kind::Order : ServerLink::Kind::Inquiry;
}

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void portOrder_data();
    void portOrder();
    void noServerGivesOneMessageAfterHundredAttempts();
    void attemptBudget_data();
    void attemptBudget();
    void heldHandshakeConnectsOnTheFirstPort_data();
    void heldHandshakeConnectsOnTheFirstPort();
    void nextSecond_data();
    void nextSecond();
    void portOutOfRangeIsAStageFailure_data();
    void portOutOfRangeIsAStageFailure();
    void replyEnds_data();
    void replyEnds();
    void arrivalSetsCloseDeadline_data();
    void arrivalSetsCloseDeadline();
    void arrivalsDuringABoxAreHandledAfterIt();
    void queuedRequestTakesItsTurnAndItsOwnReply();
    void orderConfirmationIsNeverLost_data();
    void orderConfirmationIsNeverLost();
};

void TestExchange::portOrder_data()
{
    QTest::addColumn<QList<int>>("listening");
    QTest::addColumn<bool>("order");
    QTest::addColumn<int>("expectedOffset");
    QTest::addColumn<int>("expectedAttempts");
    QTest::newRow("all four open: inquiry lands on +0")
        << QList<int>{0, 1, 2, 3} << false << 0 << 1;
    QTest::newRow("all four open: order lands on +3") << QList<int>{0, 1, 2, 3} << true << 3 << 1;
    QTest::newRow("only +2: inquiry at its third attempt") << QList<int>{2} << false << 2 << 3;
    QTest::newRow("only +0: order wraps round to it") << QList<int>{0} << true << 0 << 2;
}

void TestExchange::portOrder()
{
    QFETCH(QList<int>, listening);
    QFETCH(bool, order);
    QFETCH(int, expectedOffset);
    QFETCH(int, expectedAttempts);
    LoopbackServer server(listening);
    QVERIFY(server.isListening());
    Link l;
    l.aim(server);
    const QByteArray request = order ? "<O>,1234,JSMITH,,,,<X>  End of Order" : "<I>,1,X,PH3600";
    QVERIFY(l.link.SendSockData(kindOf(request), QString::fromLatin1(request)));
    QTRY_COMPARE(server.requests.size(), 1);
    QCOMPARE(server.requests.first().portOffset, expectedOffset);
    QCOMPARE(server.requests.first().bytes, request);
    QCOMPARE(l.lit, QList<int>{expectedOffset});
    QCOMPARE(l.link.attempts(), expectedAttempts);
    QVERIFY(l.failures.isEmpty());
    // From the second attempt on, the status line says where the link is knocking.
    if (expectedAttempts > 1) {
        const int secondPort = server.basePort() + (order ? 0 : 1);
        QCOMPARE(l.progress.first(),
                 u"Connecting to 127.0.0.1 port %1 (attempt 2 of 100) ... "
                 "Esc stops"_s.arg(secondPort));
        QVERIFY(l.progress.last().startsWith(u"Connected to 127.0.0.1 port"_s));
    } else {
        QVERIFY(l.progress.isEmpty());
    }
}

void TestExchange::noServerGivesOneMessageAfterHundredAttempts()
{
    LoopbackServer probe(QList<int>{}); // four ports, all refusing
    Link l;
    l.aim(probe);
    QVERIFY(l.link.SendSockData(ServerLink::Kind::Inquiry, u"<I>,1,X,Y"_s));
    QVERIFY(l.link.isBusy(ServerLink::Kind::Inquiry));
    QTRY_COMPARE_WITH_TIMEOUT(l.failures.size(), 1, 60000);
    QCOMPARE(l.failures.first(), u"ERROR: Unable to establish socket connection to server"_s);
    QCOMPARE(l.severities.first(), ServerLink::Severity::Critical);
    QCOMPARE(l.link.attempts(), 100);
    QCOMPARE(l.ended, 1);
    QVERIFY(!l.link.isBusy(ServerLink::Kind::Inquiry));
    QVERIFY(l.clock.now >= 36002.0); // spaced by pauses (none at an even whole second)
    QCOMPARE(l.clock.pendingAlarms(), 0);
}

void TestExchange::attemptBudget_data()
{
    // The attempt ends where the fifth state reading would fall: the first at once, the
    // second at the next whole second (halves to even), then one each second.
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("attemptEnds");
    QTest::addColumn<double>("nextAttempt"); // after the pause up to the next whole second
    QTest::newRow(".3 past: 3.7 s") << 36000.3 << 36004.0 << 36004.0;
    QTest::newRow(".7 past: 3.3 s") << 36000.7 << 36004.0 << 36004.0;
    QTest::newRow("even whole second: 3 s, odd end pauses 1 s") << 36000.0 << 36003.0 << 36004.0;
    QTest::newRow("odd whole second: 4 s") << 36001.0 << 36005.0 << 36006.0;
}

void TestExchange::attemptBudget()
{
    QFETCH(double, start);
    QFETCH(double, attemptEnds);
    QFETCH(double, nextAttempt);
    LoopbackServer server(QList<int>{0, 1});
    server.holdHandshakes(0, -1); // +0 never completes a handshake
    Link l;
    l.clock.autoAdvance = false;
    l.clock.now = start;
    l.aim(server);
    QVERIFY(l.link.SendSockData(ServerLink::Kind::Inquiry, u"<I>,1,X,Y"_s));
    QTest::qWait(50); // the SYN is dropped: the attempt keeps connecting
    QCOMPARE(l.link.attempts(), 1);
    QVERIFY(l.clock.advanceToNextAlarm()); // the end of the first attempt
    QCOMPARE(l.clock.now, attemptEnds);
    QVERIFY(l.link.isBusy(ServerLink::Kind::Inquiry));
    if (nextAttempt > attemptEnds) {
        QCOMPARE(l.link.attempts(), 1);
        QVERIFY(l.clock.advanceToNextAlarm()); // the pause, then the second attempt, on +1
    }                                          // else an even whole second: no pause at all
    QCOMPARE(l.clock.now, nextAttempt);
    QCOMPARE(l.link.attempts(), 2);
    QTRY_COMPARE(server.requests.size(), 1);
    QCOMPARE(server.requests.first().portOffset, 1);
}

void TestExchange::heldHandshakeConnectsOnTheFirstPort_data()
{
    QTest::addColumn<bool>("order");
    QTest::addColumn<int>("releaseAfterMs");
    QTest::newRow("inquiry, SYN dropped once") << false << 300;
    QTest::newRow("order, SYN dropped once") << true << 300;
    QTest::newRow("inquiry, SYN dropped twice") << false << 1500;
}

void TestExchange::heldHandshakeConnectsOnTheFirstPort()
{
    QFETCH(bool, order);
    QFETCH(int, releaseAfterMs);
    LoopbackServer server;
    const int first = order ? 3 : 0;
    server.holdHandshakes(first, releaseAfterMs);
    Link l;
    l.clock.autoAdvance = false; // the handshake takes real seconds, all within the budget
    l.aim(server);
    const QByteArray request = order ? "<O>,1,X,,,,<X>  End of Order" : "<I>,1,X,Y";
    QVERIFY(l.link.SendSockData(kindOf(request), QString::fromLatin1(request)));
    QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 1, 10000);
    QCOMPARE(server.requests.first().portOffset, first);
    QCOMPARE(server.requests.first().bytes, request);
    QCOMPARE(l.link.attempts(), 1);
    QCOMPARE(l.lit, QList<int>{first});
}

void TestExchange::nextSecond_data()
{
    QTest::addColumn<double>("clock");
    QTest::addColumn<double>("wait");
    QTest::newRow("even whole second: none") << 100.0 << 0.0;
    QTest::newRow("odd whole second: a full second") << 101.0 << 1.0;
    QTest::newRow(".2 waits .8") << 100.2 << 0.8;
    QTest::newRow(".5 waits .5") << 100.5 << 0.5;
    QTest::newRow(".7 waits .3") << 100.7 << 0.3;
}

void TestExchange::nextSecond()
{
    QFETCH(double, clock);
    QFETCH(double, wait);
    QVERIFY(qAbs(ServerLink::nextSecond(clock) - clock - wait) < 1e-9);
}

void TestExchange::portOutOfRangeIsAStageFailure_data()
{
    QTest::addColumn<int>("base");
    QTest::newRow("negative base") << -1;
    QTest::newRow("lowest base") << -32768;
}

void TestExchange::portOutOfRangeIsAStageFailure()
{
    QFETCH(int, base);
    Link l;
    l.link.setServer(u"127.0.0.1"_s, qint16(base));
    QVERIFY(l.link.SendSockData(ServerLink::Kind::Inquiry, u"<I>,1,X,Y"_s));
    QCOMPARE(l.failures, QStringList{u"*Err - SendSockData: Find Socket"_s});
    QCOMPARE(l.severities.first(), ServerLink::Severity::Warning);
    QCOMPARE(l.ended, 0); // the inquiry button is left to the timer
    QVERIFY(!l.link.isBusy(ServerLink::Kind::Inquiry));
    QCOMPARE(l.socket()->state(), QAbstractSocket::UnconnectedState);
}

void TestExchange::replyEnds_data()
{
    QTest::addColumn<QList<int>>("pieces");
    QTest::addColumn<bool>("serverCloses");
    QTest::newRow("whole, then quiet") << QList<int>{} << false;
    QTest::newRow("two pieces, then quiet") << QList<int>{4} << false;
    QTest::newRow("three pieces, then the server closes") << QList<int>{1, 9} << true;
}

void TestExchange::replyEnds()
{
    QFETCH(QList<int>, pieces);
    QFETCH(bool, serverCloses);
    const QByteArray whole = "<E>,Account not on file";
    LoopbackServer server;
    server.reply = [&](const QByteArray&) { return whole; };
    server.pieces = pieces;
    server.closeAfterReply = serverCloses;
    Link l;
    l.clock.autoAdvance = false;
    l.aim(server);
    QVERIFY(l.link.SendSockData(ServerLink::Kind::Inquiry, u"<I>,1,X,Y"_s));
    QTRY_COMPARE(l.link.reply(), QString::fromLatin1(whole));
    if (serverCloses) {
        QTRY_VERIFY(!l.replies.isEmpty() && l.replies.last().complete);
    } else {
        // A pause of any length short of the close deadline does not end it.
        l.clock.advance(0.79);
        QTest::qWait(20);
        QVERIFY(l.replies.isEmpty() || !l.replies.last().complete); // it could still be cut
        l.clock.advance(1.0);
    }
    // Each hand-on carries all that came so far; exactly one says the reply is whole.
    QVERIFY(!l.replies.isEmpty());
    int completes = 0;
    for (qsizetype i = 0; i < l.replies.size(); ++i) {
        QVERIFY(QString::fromLatin1(whole).startsWith(l.replies.at(i).text));
        QCOMPARE(l.replies.at(i).id, l.replies.first().id);
        completes += l.replies.at(i).complete ? 1 : 0;
    }
    QCOMPARE(completes, 1);
    QCOMPARE(l.replies.last().text, QString::fromLatin1(whole));
    QVERIFY(l.replies.last().complete);
}

void TestExchange::arrivalSetsCloseDeadline_data()
{
    QTest::addColumn<double>("clock");
    QTest::addColumn<int>("deadline");
    QTest::newRow("200.1 closes after 201") << 200.1 << 201;
    QTest::newRow("200.3 closes after 202") << 200.3 << 202;
    QTest::newRow("200.2 is halfway: even 202") << 200.2 << 202;
    QTest::newRow("past midnight keeps counting") << 86399.9 << 86401;
}

void TestExchange::arrivalSetsCloseDeadline()
{
    QFETCH(double, clock);
    QFETCH(int, deadline);
    LoopbackServer server;
    server.reply = [](const QByteArray&) { return QByteArray("<P>,A"); };
    Link l;
    l.clock.autoAdvance = false;
    l.clock.now = clock;
    l.aim(server);
    QVERIFY(l.link.SendSockData(ServerLink::Kind::Inquiry, u"<I>,1,X,Y"_s));
    QTRY_COMPARE(l.link.reply(), u"<P>,A"_s);
    QCOMPARE(l.link.SocketTimer(), deadline);
    l.clock.now = deadline; // not past it yet
    l.link.closeIfDue();
    QCOMPARE(l.socket()->state(), QAbstractSocket::ConnectedState);
    l.clock.now = deadline + 0.01;
    l.link.closeIfDue();
    QCOMPARE(l.socket()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(l.link.SocketTimer(), 0);
    QVERIFY(l.replies.last().complete); // the close ended the reply: it was handed on whole
}

void TestExchange::arrivalsDuringABoxAreHandledAfterIt()
{
    LoopbackServer server;
    server.reply = [](const QByteArray&) { return QByteArray("<P>,FIRST<P>,SECOND"); };
    server.pieces = {9};
    Link l;
    l.clock.autoAdvance = false;
    l.aim(server);
    // The first hand-on opens a "box": an event loop that runs until the second piece is in,
    // while the periodic timer finds the close deadline passed.
    bool boxShown = false;
    QObject::connect(&l.link, &ServerLink::replyArrived, &l.link, [&] {
        if (boxShown)
            return;
        boxShown = true;
        QEventLoop box;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &box, [&] {
            if (l.socket()->bytesAvailable() > 0) {
                l.clock.now = l.link.SocketTimer() + 1.0;
                l.link.closeIfDue();
                box.quit();
            }
        });
        poll.start(5);
        QTimer::singleShot(5000, &box, &QEventLoop::quit);
        box.exec();
    });
    QVERIFY(l.link.SendSockData(ServerLink::Kind::Inquiry, u"<I>,1,X,Y"_s));
    QTRY_VERIFY(boxShown);
    QTRY_COMPARE(l.replies.size(), 2);
    QCOMPARE(l.replies.at(0).text, u"<P>,FIRST"_s);
    QCOMPARE(l.replies.at(1).text, u"<P>,FIRST<P>,SECOND"_s);
    QCOMPARE(l.socket()->state(), QAbstractSocket::ConnectedState); // not closed under the box
    l.clock.now = l.link.SocketTimer() + 0.5;
    l.link.closeIfDue(); // now it may
    QCOMPARE(l.socket()->state(), QAbstractSocket::UnconnectedState);
}

void TestExchange::queuedRequestTakesItsTurnAndItsOwnReply()
{
    LoopbackServer server;
    server.reply = [](const QByteArray& request) {
        return request.startsWith("<V>") ? QByteArray("<V>") : QByteArray("<P>,PAD");
    };
    server.closeAfterReply = true;
    Link l;
    l.aim(server);
    QList<std::pair<QString, ServerLink::ReplyState>> pad;
    const auto handler = [&](quint64, QString text, ServerLink::ReplyState state) {
        pad << std::pair{text, state};
    };
    QList<quint64> left;
    QObject::connect(&l.link, &ServerLink::leftQueue, &l.link,
                     [&](quint64 id, ServerLink::Kind) { left << id; });
    QVERIFY(l.link.queue(ServerLink::Kind::Inquiry, u"<I>,1,X,PAD"_s, handler));
    // The window's login test waits while the other request connects, then has its turn.
    const quint64 test = l.link.SendSockData(ServerLink::Kind::LoginTest, u"<V>,1,X,"_s);
    QTRY_COMPARE(server.requests.size(), 2);
    QCOMPARE(server.requests.first().bytes, QByteArray("<I>,1,X,PAD"));
    QCOMPARE(left, QList<quint64>{test});
    QTRY_VERIFY(!pad.isEmpty() && pad.last().second == ServerLink::ReplyState::Ended);
    QCOMPARE(pad.last().first, u"<P>,PAD"_s);
    QTRY_VERIFY(!l.replies.isEmpty() && l.replies.last().complete);
    for (const Link::Reply& reply : std::as_const(l.replies))
        QCOMPARE(reply.id, test); // the test's own reply goes to the window, the other's not
    // No server address: the handler is told at once.
    l.link.setServer(QString(), 0);
    l.link.queue(ServerLink::Kind::Inquiry, u"<I>,1,X,Y"_s, handler);
    QCOMPARE(pad.last().second, ServerLink::ReplyState::Failed);
}

void TestExchange::orderConfirmationIsNeverLost_data()
{
    QTest::addColumn<QByteArray>("confirmation"); // empty: the server stays silent
    QTest::addColumn<bool>("serverCloses");
    QTest::addColumn<double>("after"); // seconds after the order was written
    QTest::newRow("confirmation") << QByteArray("<O>,4711") << false << 2.0;
    QTest::newRow("confirmation after 5 minutes") << QByteArray("<O>,4711") << false << 300.0;
    QTest::newRow("server closes without one") << QByteArray() << true << 2.0;
    QTest::newRow("server silent for 10 minutes") << QByteArray() << false << 600.0;
}

void TestExchange::orderConfirmationIsNeverLost()
{
    QFETCH(QByteArray, confirmation);
    QFETCH(bool, serverCloses);
    QFETCH(double, after);
    LoopbackServer server;
    server.reply = [&](const QByteArray& request) -> QByteArray {
        return request.startsWith("<I>") ? "<P>,ROW" : "";
    };
    Link l;
    l.clock.autoAdvance = false;
    l.aim(server);
    const quint64 order = l.link.SendSockData(ServerLink::Kind::Order, u"<O>,1,X,,,,<X>  End"_s);
    QVERIFY(order);
    QTRY_COMPARE(server.requests.size(), 1);
    QTcpSocket* orderSide = server.clients().first();
    // A second order waits until the first is overdue; an inquiry goes at once, on a connection
    // of its own, and the order's connection is held beside it.
    QVERIFY(l.link.isBusy(ServerLink::Kind::Order));
    QVERIFY(!l.link.SendSockData(ServerLink::Kind::Order, u"<O>,again"_s));
    QVERIFY(l.link.SendSockData(ServerLink::Kind::Inquiry, u"<I>,1,X,Y"_s));
    QTRY_COMPARE(server.requests.size(), 2);
    QCOMPARE(server.connections, 2);
    QTRY_VERIFY(!l.replies.isEmpty());
    QCOMPARE(l.replies.first().text, u"<P>,ROW"_s);
    QVERIFY(l.replies.first().id != order);
    QCOMPARE(l.link.ordersAwaitingConfirmation().size(), size_t(1));
    QCOMPARE(l.link.findChildren<QTcpSocket*>(u"Winsock"_s).size(), 1);

    l.clock.advance(after - 0.01);
    QTest::qWait(20);
    QCOMPARE(orderSide->state(), QAbstractSocket::ConnectedState); // not dropped before its time
    QCOMPARE(l.link.isBusy(ServerLink::Kind::Order), after < ServerLink::OrderOverdueSeconds);
    if (!confirmation.isEmpty()) {
        orderSide->write(confirmation);
        orderSide->flush();
        QTRY_VERIFY(l.replies.last().id == order);
        l.clock.advance(2.0); // the close deadline
        QCOMPARE(l.replies.last().text, QString::fromLatin1(confirmation));
        QVERIFY(l.replies.last().complete);
    } else if (serverCloses) {
        orderSide->disconnectFromHost();
    } else {
        l.clock.advance(0.02);
    }
    QTRY_VERIFY(l.link.ordersAwaitingConfirmation().empty());
    QVERIFY(!l.link.isBusy(ServerLink::Kind::Order));
    QVERIFY(l.failures.isEmpty());
}

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_serverlink.moc"
