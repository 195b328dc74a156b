// The real window against servers that misbehave: a close without a reply, a reset in the middle
// of a reply, a reply trickling in byte by byte, no reply at all, a flood of garbage, and a long
// stream of random replies. Every case must end without a crash, tell the user what to do where
// something is needed of them, and leave the cart and the settings files as they were.
#include "logic/link/serverlink.h"
#include "support/controls.h"
#include "support/formfixture.h"

#include "gui/listcontrol.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace {

// A server on one port of 127.0.0.1 below 32764 (the client's port box is a signed 16-bit number
// and the client tries base + 0 first). What it does with a connection is up to the test.
class FaultyServer : public QObject
{
public:
    QTcpServer server;
    QPointer<QTcpSocket> client;

    FaultyServer()
    {
        QRandomGenerator ports(4711);
        for (int tries = 0; tries < 200 && !server.isListening(); ++tries)
            server.listen(QHostAddress::LocalHost, quint16(20000 + ports.bounded(12000)));
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                socket->setParent(this);
                socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                client = socket;
            }
        });
    }
    [[nodiscard]] quint16 port() const { return server.serverPort(); }

    // The request has arrived in full (the client sends it at once after connecting).
    [[nodiscard]] bool hasRequest() const { return client && client->bytesAvailable() > 0; }

    void send(const QByteArray& bytes)
    {
        client->write(bytes);
        client->flush();
    }

    // Drops the connection with a reset (RST) instead of an orderly close.
    void reset()
    {
        const linger hard{1, 0};
        ::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        client->abort();
    }
};

const QByteArray CartLine1 = "   2 XYZ PF1234       OIL FILTER           5.37              10.74";
const QByteArray CartLine2 = "   1 XYZ PF1234A      OIL FILTER           5.69               5.69";

const QByteArray OneAnswer = "<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"
                             "<S>,XYZ,PF1234A,OIL FILTER,0,9.49,,,5.69,0,0,";

} // namespace

class TestServerFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void closeWithoutReply();
    void resetMidReply();
    void replyOneByteAtATime();
    void loginTestWithoutReplyFailsAtDeadline();
    void tenMegabytesOfGarbage();
    void longStreamOfRandomReplies();

private:
    void ask(const QString& part = u"PF1234"_s);
    [[nodiscard]] QTcpSocket* socket() const
    {
        return m_form->findChild<QTcpSocket*>(u"Winsock"_s);
    }

    std::unique_ptr<FormFixture> m_fx;
    std::unique_ptr<FaultyServer> m_server;
    MainForm* m_form = nullptr;
    QByteArray m_login;
    QByteArray m_options;
    QByteArray m_cart;
    bool m_cartMayEmpty = false; // a random "<O>" confirmation empties the cart by design
};

void TestServerFaults::init()
{
    m_server = std::make_unique<FaultyServer>();
    QVERIFY(m_server->server.isListening());
    QVERIFY(m_server->port() < 32764);
    m_fx = std::make_unique<FormFixture>();
    m_fx->writeSettings(m_server->port());
    m_fx->write(u"MyOrder.dat"_s, CartLine1 + "\r\n" + CartLine2 + "\r\n");
    m_form = &m_fx->start();
    m_fx->prompter.answers.enqueue(QMessageBox::Yes); // keep the saved cart
    subsystem<Ticker>(*m_form).MiscTimer_Timer();     // loads the settings and the cart
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 2);
    QCOMPARE(subsystem<Settings>(*m_form).hostIP(), u"127.0.0.1"_s);
    m_fx->prompter.clear();
    m_login = m_fx->read(u"Login.Inf"_s);
    m_options = m_fx->read(u"Options.Inf"_s);
    m_cart = m_fx->read(u"MyOrder.dat"_s);
    m_cartMayEmpty = false;
}

void TestServerFaults::cleanup()
{
    QCOMPARE(m_fx->prompter.unanswered, 0);
    // Nothing lost: the settings files as they were, and the cart in the window and on disk.
    QCOMPARE(m_fx->read(u"Login.Inf"_s), m_login);
    QCOMPARE(m_fx->read(u"Options.Inf"_s), m_options);
    if (!m_cartMayEmpty) {
        QCOMPARE(m_fx->read(u"MyOrder.dat"_s), m_cart);
        QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 2);
    }
    m_fx.reset();
    m_server.reset();
}

void TestServerFaults::ask(const QString& part)
{
    control<QLineEdit>(*m_form, "Parttxt")->setText(part);
    m_form->InquiryCmd_Click();
    QTRY_VERIFY(m_server->hasRequest());
    QVERIFY(!control<QPushButton>(*m_form, "InquiryCmd")
                 ->isEnabled()); // waits for a reply or the next tick
}

void TestServerFaults::closeWithoutReply()
{
    ask();
    m_server->client->disconnectFromHost();
    QTRY_COMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(),
             0); // nothing shown as an answer
    QVERIFY(m_fx->prompter.boxes.isEmpty());
    subsystem<Ticker>(*m_form).MiscTimer_Timer();
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled()); // the user can ask again
}

void TestServerFaults::resetMidReply()
{
    ask();
    // The first record whole, the second cut off in the middle of its fields.
    m_server->send(OneAnswer.left(OneAnswer.indexOf("<S>") + 20));
    QTRY_VERIFY(control<ListControl>(*m_form, "AnswerList")->rowCount() > 0);
    m_server->reset();
    QTRY_COMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(control<ListControl>(*m_form, "AnswerList")->rowText(0).contains(u"PF1234"_s));
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    QVERIFY(m_fx->prompter.boxes.isEmpty());
    // A new inquiry after the reset works as usual.
    m_server->client = nullptr;
    ask(u"PF1234A"_s);
    m_server->send(OneAnswer);
    QTRY_COMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 2);
}

void TestServerFaults::replyOneByteAtATime()
{
    ask();
    const QByteArray reply = OneAnswer + "<V>,23.08.01";
    for (qsizetype i = 0; i < reply.size(); ++i) {
        m_server->send(reply.mid(i, 1));
        // Each byte is an arrival of its own; the reply is taken in as it grows.
        QTRY_COMPARE(subsystem<ServerLink>(*m_form).reply(),
                     QString::fromLatin1(reply.left(i + 1)));
    }
    m_fx->clock.advance(2.0); // past the close deadline
    // The same as the reply sent whole: both rows, and the newer version noted.
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 2);
    QVERIFY(control<ListControl>(*m_form, "AnswerList")->rowText(1).contains(u"PF1234A"_s));
    QCOMPARE(control<QLabel>(*m_form, "NewVerLbl")->text(), u"NEW UPDATE AVAILABLE!"_s);
    QVERIFY(m_fx->prompter.boxes.isEmpty());
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    // The close deadline closed the connection, without waiting for a tick.
    QCOMPARE(subsystem<ServerLink>(*m_form).SocketTimer(), 0);
    QCOMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
}

void TestServerFaults::loginTestWithoutReplyFailsAtDeadline()
{
    m_form->Testcmd_Click();
    QTRY_VERIFY(m_server->hasRequest());
    // The test saved the settings again: they are the baseline from here on.
    m_login = m_fx->read(u"Login.Inf"_s);
    m_options = m_fx->read(u"Options.Inf"_s);
    QVERIFY(m_login.contains("JSMITH"));
    QVERIFY(subsystem<Settings>(*m_form).loginTestTimer() > 0);
    QVERIFY(control<QFrame>(*m_form, "ErrorPic")->isHidden());

    m_fx->clock.now = subsystem<Settings>(*m_form).loginTestTimer(); // not yet past the deadline
    subsystem<Ticker>(*m_form).MiscTimer_Timer();
    QVERIFY(control<QFrame>(*m_form, "ErrorPic")->isHidden());
    QCOMPARE(socket()->state(), QAbstractSocket::ConnectedState);

    m_fx->clock.now = subsystem<Settings>(*m_form).loginTestTimer() + 0.5;
    subsystem<Ticker>(*m_form).MiscTimer_Timer();
    QVERIFY(!control<QFrame>(*m_form, "ErrorPic")->isHidden());
    QVERIFY(control<QFrame>(*m_form, "PassedPic")->isHidden());
    QCOMPARE(subsystem<Settings>(*m_form).loginTestTimer(), 0);
    QCOMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
}

void TestServerFaults::tenMegabytesOfGarbage()
{
    ask();
    QRandomGenerator random(20240613);
    QByteArray garbage(10 * 1024 * 1024, Qt::Uninitialized);
    for (char& byte : garbage) {
        const quint32 pick = random.bounded(16u);
        byte = pick == 0 ? '<' : pick == 1 ? ',' : char(random.bounded(256u));
    }
    QElapsedTimer elapsed;
    elapsed.start();
    m_server->send(garbage);
    m_server->client->disconnectFromHost(); // after the last byte has gone out
    QTRY_VERIFY_WITH_TIMEOUT(socket()->state() == QAbstractSocket::UnconnectedState, 60000);
    qInfo("10 MB of garbage handled in %lld ms", elapsed.elapsed());
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    // Whatever the garbage said, the window still answers the next inquiry.
    m_server->client = nullptr;
    ask(u"PF1234A"_s);
    m_server->send(OneAnswer);
    QTRY_COMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 2);
    m_fx->prompter.clear(); // boxes for "<E>" or "NF>" that the garbage happened to hold
}

void TestServerFaults::longStreamOfRandomReplies()
{
    m_cartMayEmpty = true;
    // In trace mode the failed steps also show their boxes.
    m_fx->form.reset();
    m_form = &m_fx->start(u"T"_s);
    m_fx->prompter.answers.enqueue(QMessageBox::Yes); // keep the saved cart
    subsystem<Ticker>(*m_form).MiscTimer_Timer();
    m_fx->prompter.clear();
    QRandomGenerator random(8);
    const auto pick = [&random](const QStringList& choices) {
        return choices.at(qsizetype(random.bounded(quint32(choices.size()))));
    };
    const auto word = [&random](int maxLength) {
        QString text;
        const int length = int(random.bounded(quint32(maxLength + 1)));
        for (int i = 0; i < length; ++i)
            text += QChar(char16_t(random.bounded(32u, 256u)));
        return text;
    };
    const auto number = [&](void) {
        return pick({u""_s, u"0"_s, u"-1"_s, u"nif"_s, u"12.50"_s, u"1e300"_s, u"99999999999"_s,
                     u"&H7FFF"_s, u"  3 "_s, u"."_s, u"1,5"_s, word(6),
                     QString::number(random.bounded(100000) / 100.0)});
    };
    const auto displayRecord = [&] {
        QString record = u'<' + pick({u"P>"_s, u"NS>"_s, u"A>"_s, u"S>"_s, u" P> "_s});
        const int fields = int(random.bounded(14u));
        for (int i = 1; i <= fields; ++i)
            record += u',' + (i == 4 || i == 5 || (i >= 8 && i <= 10) ? number() : word(24));
        return record;
    };

    for (int n = 0; n < 2500; ++n) {
        QString reply;
        switch (random.bounded(8u)) {
        case 0:
            reply = u"<O>"_s + pick({u""_s, u","_s}) + number();
            break;
        case 1:
            reply = u"<V>"_s + word(10);
            break;
        case 2:
            reply = u"<E>"_s + pick({u""_s, u","_s}) + word(40);
            break;
        case 3:
            reply = word(60); // no tag at all, or an empty reply
            break;
        default: {
            const int records = int(random.bounded(1u, 8u));
            for (int r = 0; r < records; ++r)
                reply += random.bounded(6u) == 0
                    ? pick({u"<NF>"_s, u"<V>,"_s + word(9), u"<"_s, u"<<"_s, u"<X>,"_s + word(9)})
                    : displayRecord();
            break;
        }
        }
        subsystem<ReplyDispatcher>(*m_form).GetInquiry(reply);
        QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
        if (control<ListControl>(*m_form, "AnswerList")->rowCount() > 500)
            control<ListControl>(*m_form, "AnswerList")->clear(); // as the next inquiry would
    }
    QVERIFY(m_fx->prompter.boxes.size() > 100);
    for (const ShownBox& box : std::as_const(m_fx->prompter.boxes))
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    // An emptied cart after a confirmation is the whole cart: its file is empty too.
    if (control<ListControl>(*m_form, "OrderList")->rowCount() == 0)
        QVERIFY(m_fx->read(u"MyOrder.dat"_s).isEmpty());
}

QTEST_MAIN(TestServerFaults)
#include "tst_serverfaults.moc"
