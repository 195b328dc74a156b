// The real window against servers that misbehave or are out of reach: a close without a reply, a
// reset in the middle of a reply, a reply trickling in byte by byte, no reply at all, a flood of
// garbage, a long stream of random replies, ports that refuse while the user carries on, and no
// server address. Every case must end without a crash, tell the user what to do where something
// is needed of them, and leave the cart and the settings files as they were.
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"

#include "gui/listcontrol.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

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
    void windowWaitsWithoutBlocking_data();
    void windowWaitsWithoutBlocking();
    void emptyHostEnablesTheButtonAtOnce();
    void lampTestLightsWhileHeld();

private:
    void ask(const QString& part = u"PF1234"_s);
    // The server's end of the latest connection, and bytes written to it at once.
    [[nodiscard]] QTcpSocket* client() const { return m_server->clients().constLast(); }
    void send(const QByteArray& bytes) const
    {
        client()->write(bytes);
        client()->flush();
    }
    [[nodiscard]] QTcpSocket* winsock() const { return control<QTcpSocket>(*m_form, "Winsock"); }

    std::unique_ptr<FormFixture> m_fx;
    std::unique_ptr<LoopbackServer> m_server; // answers nothing unless a test says what
    MainForm* m_form = nullptr;
    QByteArray m_login;
    QByteArray m_options;
    QByteArray m_cart;
    bool m_cartMayEmpty = false; // a random "<O>" confirmation empties the cart by design
};

void TestServerFaults::init()
{
    m_server = std::make_unique<LoopbackServer>();
    QVERIFY(m_server->isListening());
    m_fx = std::make_unique<FormFixture>();
    m_fx->write(u"MyOrder.dat"_s, CartLine1 + "\r\n" + CartLine2 + "\r\n");
    m_form = &m_fx->start();
    m_fx->prompter.answers.enqueue(QMessageBox::Yes); // keep the saved cart
    m_fx->pointAt(m_server->basePort());              // loads the settings and the cart
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 2);
    QCOMPARE(control<QLineEdit>(*m_form, "txtHostAddress")->text(), u"127.0.0.1"_s);
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
    const qsizetype asked = m_server->requests.size();
    control<QLineEdit>(*m_form, "Parttxt")->setText(part);
    QTest::mouseClick(control<QPushButton>(*m_form, "InquiryCmd"), Qt::LeftButton);
    QTRY_COMPARE(m_server->requests.size(), asked + 1);
    QVERIFY(!control<QPushButton>(*m_form, "InquiryCmd")
                 ->isEnabled()); // waits for a reply or the next tick
}

void TestServerFaults::closeWithoutReply()
{
    ask();
    client()->disconnectFromHost();
    QTRY_COMPARE(winsock()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(),
             0); // nothing shown as an answer
    QVERIFY(m_fx->prompter.boxes.isEmpty());
    m_fx->tick();
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled()); // the user can ask again
}

void TestServerFaults::resetMidReply()
{
    ask();
    // The first record whole, the second cut off in the middle of its fields.
    send(OneAnswer.left(OneAnswer.indexOf("<S>") + 20));
    QTRY_VERIFY(control<ListControl>(*m_form, "AnswerList")->rowCount() > 0);
    LoopbackServer::reset(client());
    QTRY_COMPARE(winsock()->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(control<ListControl>(*m_form, "AnswerList")->rowText(0).contains(u"PF1234"_s));
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    QVERIFY(m_fx->prompter.boxes.isEmpty());
    // A new inquiry after the reset works as usual.
    ask(u"PF1234A"_s);
    send(OneAnswer);
    QTRY_COMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 2);
}

void TestServerFaults::replyOneByteAtATime()
{
    ask();
    auto* lamp = control<QLabel>(*m_form, "LedLight", 0);
    QVERIFY(!lamp->isHidden()); // lit for the connection on +0
    client()->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QSignalSpy arrivals(winsock(), &QTcpSocket::readyRead);
    const QByteArray reply = OneAnswer + "<V>,23.08.01";
    for (qsizetype i = 0; i < reply.size(); ++i) {
        send(reply.mid(i, 1));
        // Each byte is an arrival of its own, read before the next is sent.
        QTRY_COMPARE(arrivals.size(), i + 1);
    }
    m_fx->clock.advance(2.0); // past the close deadline
    // The same as the reply sent whole: both rows, and the newer version noted.
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 2);
    QVERIFY(control<ListControl>(*m_form, "AnswerList")->rowText(1).contains(u"PF1234A"_s));
    QCOMPARE(control<QLabel>(*m_form, "NewVerLbl")->text(), u"NEW UPDATE AVAILABLE!"_s);
    QVERIFY(m_fx->prompter.boxes.isEmpty());
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    // The close deadline closed the connection and put the lamp out, without waiting for a tick.
    QVERIFY(lamp->isHidden());
    QCOMPARE(winsock()->state(), QAbstractSocket::UnconnectedState);
}

void TestServerFaults::loginTestWithoutReplyFailsAtDeadline()
{
    m_fx->clock.now = 36000.0;
    control<QTabWidget>(*m_form, "SSTab1")->setCurrentIndex(2);
    QTest::mouseClick(control<QPushButton>(*m_form, "Testcmd"), Qt::LeftButton);
    QTRY_COMPARE(m_server->requests.size(), 1);
    // The test saved the settings again: they are the baseline from here on.
    m_login = m_fx->read(u"Login.Inf"_s);
    m_options = m_fx->read(u"Options.Inf"_s);
    QVERIFY(m_login.contains("JSMITH"));
    auto* error = control<QFrame>(*m_form, "ErrorPic");
    QVERIFY(error->isHidden());

    // The test began once SAVE's two notices had shown (36000.8): its deadline is five seconds on.
    m_fx->clock.now = 36006.0; // not yet past the deadline
    m_fx->tick();
    QVERIFY(error->isHidden());
    QCOMPARE(winsock()->state(), QAbstractSocket::ConnectedState);

    m_fx->clock.now = 36006.5;
    m_fx->tick();
    QVERIFY(!error->isHidden());
    QVERIFY(control<QFrame>(*m_form, "PassedPic")->isHidden());
    QCOMPARE(winsock()->state(), QAbstractSocket::UnconnectedState);
    // The deadline went with it: once SAVE has put the failure away, no later tick shows it again.
    QTest::mouseClick(control<QPushButton>(*m_form, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    m_fx->tick();
    QVERIFY(error->isHidden());
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
    send(garbage);
    client()->disconnectFromHost(); // after the last byte has gone out
    QTRY_VERIFY_WITH_TIMEOUT(winsock()->state() == QAbstractSocket::UnconnectedState, 60000);
    qInfo("10 MB of garbage handled in %lld ms", elapsed.elapsed());
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    // Whatever the garbage said, the window still answers the next inquiry.
    ask(u"PF1234A"_s);
    send(OneAnswer);
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
    m_fx->tick();
    m_fx->prompter.clear();
    // Each inquiry gets its reply whole at once, and the server closes after it.
    QByteArray reply;
    m_server->reply = [&reply](const QByteArray&) { return reply; };
    m_server->answerAfterMs = 0;
    m_server->closeAfterReply = true;
    auto* part = control<QLineEdit>(*m_form, "Parttxt");
    auto* inquiry = control<QPushButton>(*m_form, "InquiryCmd");
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
        QString text;
        switch (random.bounded(8u)) {
        case 0:
            text = u"<O>"_s + pick({u""_s, u","_s}) + number();
            break;
        case 1:
            text = u"<V>"_s + word(10);
            break;
        case 2:
            text = u"<E>"_s + pick({u""_s, u","_s}) + word(40);
            break;
        case 3:
            text = word(60); // no tag at all, or an empty reply
            break;
        default: {
            const int records = int(random.bounded(1u, 8u));
            for (int r = 0; r < records; ++r)
                text += random.bounded(6u) == 0
                    ? pick({u"<NF>"_s, u"<V>,"_s + word(9), u"<"_s, u"<<"_s, u"<X>,"_s + word(9)})
                    : displayRecord();
            break;
        }
        }
        if (text.isEmpty())
            continue; // a close without any reply is a case of its own
        reply = text.toLatin1();
        part->setText(u"PF1234"_s); // a confirmation clears the field
        QTest::mouseClick(inquiry, Qt::LeftButton);
        QSignalSpy ended(winsock(), &QTcpSocket::disconnected);
        QVERIFY(ended.wait());
        QVERIFY(inquiry->isEnabled());
    }
    QVERIFY(m_fx->prompter.boxes.size() > 100);
    for (const ShownBox& box : std::as_const(m_fx->prompter.boxes))
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    // An emptied cart after a confirmation is the whole cart: its file is empty too.
    if (control<ListControl>(*m_form, "OrderList")->rowCount() == 0)
        QVERIFY(m_fx->read(u"MyOrder.dat"_s).isEmpty());
}

void TestServerFaults::windowWaitsWithoutBlocking_data()
{
    QTest::addColumn<QString>("again"); // what the user does while the request is connecting
    QTest::addColumn<bool>("told");     // the status line asks to wait
    QTest::newRow("Enter in the part field") << u"Parttxt"_s << true;
    QTest::newRow("the inquiry button, disabled") << u"InquiryCmd"_s << false;
    QTest::newRow("Test LOGIN") << u"Testcmd"_s << true;
}

void TestServerFaults::windowWaitsWithoutBlocking()
{
    QFETCH(QString, again);
    QFETCH(bool, told);
    LoopbackServer refusing(QList<int>{}); // nobody answers
    m_fx->clock.autoAdvance = false;
    control<QLineEdit>(*m_form, "ServerSocketTxt")->setText(QString::number(refusing.basePort()));
    const QString connecting =
        u"Connecting to 127.0.0.1 port %1 (attempt %2 of 100) ... Esc stops"_s;
    auto* message = control<QLabel>(*m_form, "MessageLbl");
    auto* part = control<QLineEdit>(*m_form, "Parttxt");
    auto* inquiry = control<QPushButton>(*m_form, "InquiryCmd");
    moveFocus(part);
    QTest::keyClicks(part, u"PH3600"_s);
    QTest::keyClick(part, Qt::Key_Return); // returns at once: the attempts run from the loop
    QTRY_COMPARE(winsock()->state(), QAbstractSocket::UnconnectedState); // +0 refused
    QCOMPARE(m_fx->clock.pendingAlarms(), 1);                            // the pause before +1
    QVERIFY(m_fx->clock.advanceToNextAlarm());
    QTRY_COMPARE(winsock()->state(), QAbstractSocket::UnconnectedState); // +1 refused too
    QCOMPARE(message->text(), connecting.arg(refusing.basePort() + 1).arg(2));

    if (again == u"Parttxt")
        QTest::keyClick(part, Qt::Key_Return);
    else
        QTest::mouseClick(control<QPushButton>(*m_form, qPrintable(again)), Qt::LeftButton);
    if (told)
        QCOMPARE(message->text(),
                 u"Please wait: a request is on its way to the server (Esc stops it)."_s);
    QCOMPARE(m_fx->clock.pendingAlarms(), 1);
    QCOMPARE(m_fx->prompter.shown(), QStringList());
    QVERIFY(m_fx->clock.advanceToNextAlarm()); // the same request goes on with its third attempt
    QCOMPARE(message->text(), connecting.arg(refusing.basePort() + 2).arg(3));

    QTest::keyClick(part, Qt::Key_Escape);
    QCOMPARE(message->text(), u"Stopped: the request was not sent to the server."_s);
    QVERIFY(inquiry->isEnabled());
    QCOMPARE(m_fx->clock.pendingAlarms(), 0);
    QCOMPARE(m_fx->prompter.shown(), QStringList());
    QTest::mouseClick(inquiry, Qt::LeftButton); // nothing on its way: a new inquiry is taken
    QVERIFY(!inquiry->isEnabled());
}

void TestServerFaults::emptyHostEnablesTheButtonAtOnce()
{
    control<QLineEdit>(*m_form, "txtHostAddress")->clear();
    QTest::mouseClick(control<QPushButton>(*m_form, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    m_login = m_fx->read(u"Login.Inf"_s); // saved without an address: the baseline from here on
    auto* inquiry = control<QPushButton>(*m_form, "InquiryCmd");
    control<QLineEdit>(*m_form, "Parttxt")->setText(u"PH3600"_s);
    QTest::mouseClick(inquiry, Qt::LeftButton);
    QCOMPARE(m_fx->prompter.boxes.size(), 1);
    QVERIFY(m_fx->prompter.boxes.first().text.startsWith(u"No server address is set."_s));
    QVERIFY(inquiry->isEnabled());
    QCOMPARE(winsock()->state(), QAbstractSocket::UnconnectedState);
}

void TestServerFaults::lampTestLightsWhileHeld()
{
    auto* three = control<QLabel>(*m_form, "SocketNumLbl", 2);
    auto* lamp = control<QLabel>(*m_form, "LedLight", 2);
    QCOMPARE(three->text(), u"3"_s);
    QTest::mousePress(three, Qt::LeftButton);
    QVERIFY(lamp->isVisibleTo(m_form));
    QTest::mouseRelease(three, Qt::LeftButton);
    QVERIFY(!lamp->isVisibleTo(m_form));
}

QTEST_MAIN(TestServerFaults)
#include "tst_serverfaults.moc"
