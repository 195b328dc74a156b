// The request/reply exchange against loopback servers: port rotation, lights, give-up message,
// pieces of a reply, deadlines and the one-second poll pause.
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void portOrder_data();
    void portOrder();
    void noServerGivesOneMessageAfterHundredAttempts();
    void badPortTextSendsNothing_data();
    void badPortTextSendsNothing();
    void emptyHostSendsNothing();
    void replyInTwoPiecesArrivesTwice();
    void arrivalSetsCloseDeadline_data();
    void arrivalSetsCloseDeadline();
    void waitNextSecond_data();
    void waitNextSecond();
    void lampTestLightsWhileHeld();
    void requestLeavesWithoutPollPause();

private:
    std::unique_ptr<FormFixture> m_fx;
    MainForm* m_form = nullptr;
};

void TestExchange::init()
{
    m_fx = std::make_unique<FormFixture>();
    m_form = &m_fx->start();
    m_fx->prompter.clear();
    m_fx->clock.now = 36000.3; // so that every WaitNextSecond pauses
}

void TestExchange::cleanup()
{
    QCOMPARE(m_fx->prompter.unanswered, 0);
    m_fx.reset();
}

void TestExchange::portOrder_data()
{
    QTest::addColumn<QList<int>>("listening");
    QTest::addColumn<bool>("orderMode");
    QTest::addColumn<int>("expectedOffset");
    QTest::addColumn<int>("expectedAttempts"); // pauses between failed attempts = attempts - 1
    QTest::newRow("all four open: inquiry lands on +0")
        << QList<int>{0, 1, 2, 3} << false << 0 << 1;
    QTest::newRow("all four open: order lands on +3") << QList<int>{0, 1, 2, 3} << true << 3 << 1;
    QTest::newRow("only +2: inquiry at its third attempt") << QList<int>{2} << false << 2 << 3;
    QTest::newRow("only +0: order wraps round to it") << QList<int>{0} << true << 0 << 2;
}

void TestExchange::portOrder()
{
    QFETCH(QList<int>, listening);
    QFETCH(bool, orderMode);
    QFETCH(int, expectedOffset);
    QFETCH(int, expectedAttempts);
    LoopbackServer server(listening);
    QVERIFY(server.isListening());
    m_fx->pointAt(server.basePort());
    QVERIFY(m_form->SendSockData(orderMode, u"<I>,1234,JSMITH,PH3600"_s));
    QTRY_COMPARE(server.requests.size(), 1);
    QCOMPARE(server.requests.first().portOffset, expectedOffset);
    QCOMPARE(server.requests.first().bytes, QByteArray("<I>,1234,JSMITH,PH3600"));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(control<QLabel>(*m_form, "LedLight", i)->isVisibleTo(m_form), i == expectedOffset);
    // Each failed attempt is followed by one WaitNextSecond pause.
    QCOMPARE(m_fx->clock.pauses.size(), expectedAttempts - 1);
    QVERIFY(m_fx->prompter.boxes.isEmpty());
}

void TestExchange::noServerGivesOneMessageAfterHundredAttempts()
{
    LoopbackServer probe(QList<int>{}); // four free ports, none listening
    m_fx->pointAt(probe.basePort());
    control<QPushButton>(*m_form, "InquiryCmd")->setEnabled(false);
    QVERIFY(m_form->SendSockData(false, u"<I>,1,X,Y"_s));
    QCOMPARE(m_fx->prompter.shown(),
             QStringList{u"ERROR: Unable to establish socket connection to server"_s});
    QCOMPARE(m_fx->prompter.boxes.first().icon, QMessageBox::Critical);
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    QVERIFY(!m_fx->clock.pauses.isEmpty()); // failed attempts are spaced by WaitNextSecond
}

void TestExchange::badPortTextSendsNothing_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("above the 16-bit range") << u"40000"_s;
    QTest::newRow("below the 16-bit range") << u"-40000"_s;
}

void TestExchange::badPortTextSendsNothing()
{
    QFETCH(QString, port);
    control<QLineEdit>(*m_form, "ServerSocketTxt")->setText(port);
    QVERIFY(!m_form->SendSockData(false, u"<I>,1,X,Y"_s));
    QCOMPARE(control<QTcpSocket>(*m_form, "Winsock")->state(), QAbstractSocket::UnconnectedState);
}

void TestExchange::emptyHostSendsNothing()
{
    m_fx->pointAt(3300, "JSMITH", "  ");
    QVERIFY(m_form->SendSockData(false, u"<I>,1,X,Y"_s));
    QCOMPARE(m_fx->prompter.boxes.size(), 1);
    QVERIFY(m_fx->prompter.boxes.first().text.contains(u"No server address"_s));
    QCOMPARE(control<QTcpSocket>(*m_form, "Winsock")->state(), QAbstractSocket::UnconnectedState);
}

void TestExchange::replyInTwoPiecesArrivesTwice()
{
    LoopbackServer server;
    server.reply = [](const QByteArray&) { return QByteArray("<E>,Account not on file"); };
    server.pieces = {4};
    server.pieceGapMs = 150;
    m_fx->pointAt(server.basePort());
    QSignalSpy arrivals(control<QTcpSocket>(*m_form, "Winsock"), &QTcpSocket::readyRead);
    QVERIFY(m_form->SendSockData(false, u"<V>,1,X,"_s));
    QTRY_COMPARE(arrivals.size(), 2);
    QCOMPARE(m_form->lastReply(), u"Account not on file"_s); // the second piece replaced it
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
    m_fx->clock.now = clock;
    m_form->Winsock_DataArrival(0);
    QCOMPARE(m_form->socketTimer(), deadline);
}

void TestExchange::waitNextSecond_data()
{
    QTest::addColumn<double>("clock");
    QTest::addColumn<int>("pausedMs");
    QTest::newRow("even whole second: none") << 100.0 << 0;
    QTest::newRow("odd whole second: a full second") << 101.0 << 1000;
    QTest::newRow(".2 waits .8") << 100.2 << 800;
    QTest::newRow(".5 waits .5") << 100.5 << 500;
    QTest::newRow(".7 waits .3") << 100.7 << 300;
}

void TestExchange::waitNextSecond()
{
    QFETCH(double, clock);
    QFETCH(int, pausedMs);
    m_fx->clock.now = clock;
    m_form->WaitNextSecond();
    int total = 0;
    for (int ms : m_fx->clock.pauses)
        total += ms;
    QVERIFY2(qAbs(total - pausedMs) <= 1, qPrintable(QString::number(total)));
}

void TestExchange::lampTestLightsWhileHeld()
{
    QLabel* three = m_form->findChild<QLabel*>(u"SocketNumLbl(2)"_s);
    QVERIFY(three);
    QCOMPARE(three->text(), u"3"_s);
    QTest::mousePress(three, Qt::LeftButton);
    QVERIFY(control<QLabel>(*m_form, "LedLight", 2)->isVisibleTo(m_form));
    QTest::mouseRelease(three, Qt::LeftButton);
    QVERIFY(!control<QLabel>(*m_form, "LedLight", 2)->isVisibleTo(m_form));
}

void TestExchange::requestLeavesWithoutPollPause()
{
    LoopbackServer server;
    m_fx->pointAt(server.basePort(), "JSMITH", "localhost");
    QVERIFY(m_form->SendSockData(false, u"<I>,1,X,Y"_s));
    QVERIFY(m_fx->clock.pauses.isEmpty()); // no one-second poll pause for a ready server
    QTRY_COMPARE(server.requests.size(), 1);
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
