// An inquiry round trip on loopback, from Enter in the part field to the answer rows shown,
// against a bare QTcpSocket request and reply to the same server. The server runs in its own
// thread and answers as soon as a whole request has arrived. It also times, for every
// connection, how long the client takes from the server's accepting it to the request's first
// byte: on loopback, and with the handshake held up as on a distant link (the SYN dropped once).
// The server keeps every connection open after replying, so it also times how soon the window
// acts once a whole reply is in: the rows, the not-found box, the login test's PASSED, and the
// order number's box once the close deadline has passed.
#include "benchsupport.h"
#include "gui/listcontrol.h"
#include "gui/mainform.h"
#include "logic/link/serverlink.h"
#include "support/controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Answer = "<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,<S>,XYZ,PF1234A,OIL "
                          "FILTER,0,9.49,,,5.69,0,0,<A>,QRS,B7721,OIL FILTER HD,3,24.10,,,14.46,"
                          "15,1.5,SHIPS FROM MAIN DC<V>,23.07.13";

double nowMs()
{
    using namespace std::chrono;
    return double(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count()) / 1e6;
}

// The reply to a whole request; empty while the request is not whole yet.
QByteArray replyTo(const QByteArray& request)
{
    if (request.endsWith("PF1234"))
        return Answer;
    if (request.endsWith("NOPART"))
        return "<NF>,NOPART";
    if (request.startsWith("<V>") && request.endsWith(","))
        return "<V>";
    if (request.endsWith("End of Order"))
        return "<O>,4711";
    return {};
}

// Answers every connection once its request is in, and keeps the connection open.
class AnswerServer : public QTcpServer
{
public:
    QList<double> acceptToFirstByte;    // ms, one per connection that sent something
    QTcpSocket* filler = nullptr;       // fills the accept queue while the handshake is held
    std::atomic<double> lastReplyMs{0}; // when the last reply was handed to the network

    AnswerServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                if (filler && socket->peerPort() == filler->localPort()) {
                    socket->deleteLater();
                    continue;
                }
                const double accepted = nowMs();
                auto first = std::make_shared<bool>(true);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, accepted, first] {
                    if (*first) {
                        *first = false;
                        acceptToFirstByte << nowMs() - accepted;
                    }
                    const QByteArray reply = replyTo(socket->peek(65536));
                    if (!reply.isEmpty()) {
                        socket->readAll();
                        socket->write(reply);
                        socket->flush();
                        lastReplyMs = nowMs();
                    }
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    // The next client's SYN is dropped (a full accept queue); the queue frees after holdMs, and
    // the client's retransmitted SYN about a second later gets in.
    void holdNextHandshake(int holdMs)
    {
        const quint16 port = serverPort();
        close();
        setListenBacklogSize(0);
        listen(QHostAddress::LocalHost, port);
        pauseAccepting();
        delete filler;
        filler = new QTcpSocket(this); // made here, in the server's thread
        filler->connectToHost(QHostAddress::LocalHost, port);
        filler->waitForConnected(2000);
        QTimer::singleShot(holdMs, this, [this] { resumeAccepting(); });
    }
};

// Answers boxes as the tests' prompter does, and notes when each came up.
class TimedPrompter final : public Prompter
{
public:
    explicit TimedPrompter(const Clock& clock)
        : m_clock(clock)
    { }
    QStringList texts;
    QList<double> shownMs;    // steady clock
    QList<double> shownClock; // the window's clock, seconds
    QMessageBox::StandardButton ask(QWidget*, QMessageBox::Icon, const QString&,
                                    const QString& text, QMessageBox::StandardButtons) override
    {
        texts << text;
        shownMs << nowMs();
        shownClock << m_clock.secondsSinceMidnight();
        return QMessageBox::Yes;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }

private:
    const Clock& m_clock;
};

// Runs the event loop until done() holds or ten seconds have passed.
template <typename Done> bool waitFor(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QThread serverThread;
    auto* server = new AnswerServer;
    server->moveToThread(&serverThread);
    serverThread.start();
    quint16 port = 0;
    QMetaObject::invokeMethod(
        server,
        [server, &port] {
            // The window holds its base port as a signed 16-bit number: stay below 32764.
            for (quint16 candidate = 31000; candidate < 32760 && !server->isListening();
                 ++candidate)
                server->listen(QHostAddress::LocalHost, candidate);
            port = server->serverPort();
        },
        Qt::BlockingQueuedConnection);

    QTemporaryDir folder;
    SystemClock clock;
    TimedPrompter prompter(clock);
    RecordingSounds sounds;
    Seams seams{&clock, &prompter, &sounds, folder.path()};
    if (!writeSettings(folder.path(), port, u"JSMITH"))
        return 1;
    MainForm form(seams, folder.path(), QString());
    if (!showStill(form))
        return 1;
    tick(form); // the first tick reads the server's address and port
    // Found once here, so that no search of the window runs inside a timed interval.
    auto* const partField = control<QLineEdit>(form, "Parttxt");
    auto* const answers = control<ListControl>(form, "AnswerList");

    // The plain list for the second reference, as large as the answer list and in its font.
    QListWidget plain;
    plain.setFont(answers->font());
    plain.resize(answers->size());
    plain.show();
    if (!QTest::qWaitForWindowExposed(&plain))
        return 1;
    form.activateWindow();
    QStringList rows;
    for (int i = 0; i < 4; ++i)
        rows << QString(73, QLatin1Char('X'));

    const int rounds = 200;

    // The bare exchange of the references: asks on socket and reads until the whole answer is in.
    const auto askBare = [port](QTcpSocket& socket) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(2000);
        socket.write("<I>,1234,JSMITH,PF1234");
        socket.flush();
        QByteArray reply;
        while (reply.size() < Answer.size() && socket.waitForReadyRead(2000))
            reply += socket.readAll();
    };
    QList<double> window, bare, sent, shownBare;
    for (int i = 0; i < rounds + 10; ++i) {
        // The window: Enter in the part field to the rows shown.
        partField->setFocus();
        partField->setText(u"PF1234"_s);
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(partField, Qt::Key_Return);
        const double sentMs = double(timer.nsecsElapsed()) / 1e6; // the window is free again
        while (answers->rowCount() < 4)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); // sleeps, not spins
        const double windowMs = double(timer.nsecsElapsed()) / 1e6;

        // The reference: a bare socket asks and reads the same answer.
        timer.restart();
        QTcpSocket socket;
        askBare(socket);
        const double bareMs = double(timer.nsecsElapsed()) / 1e6;
        socket.close();

        // The second reference: the same bare exchange, then the four rows put into a plain
        // list of the same size and font and painted, as the window must show them.
        timer.restart();
        QTcpSocket shown;
        askBare(shown);
        plain.clear();
        for (const QString& row : rows)
            plain.addItem(row);
        plain.setCurrentRow(0);
        plain.repaint();
        const double plainMs = double(timer.nsecsElapsed()) / 1e6;
        shown.close();
        if (i >= 10) { // the first rounds warm up both
            window << windowMs;
            sent << sentMs;
            shownBare << plainMs;
            bare << bareMs;
        }
    }
    // Accept to the request's first byte: the loopback rounds above, then rounds with the
    // handshake held up (each takes about a second: the client's SYN is sent again).
    QList<double> acceptLoopback;
    QMetaObject::invokeMethod(
        server, [server, &acceptLoopback] { acceptLoopback = server->acceptToFirstByte; },
        Qt::BlockingQueuedConnection);
    const int heldRounds = 5;
    QList<double> acceptHeld;
    QList<double> heldWindow;
    for (int i = 0; i < heldRounds; ++i) {
        QMetaObject::invokeMethod(
            server,
            [server] {
                server->acceptToFirstByte.clear();
                server->holdNextHandshake(200);
            },
            Qt::BlockingQueuedConnection);
        answers->clear();
        partField->setFocus();
        partField->setText(u"PF1234"_s);
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(partField, Qt::Key_Return);
        while (answers->rowCount() < 4 && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); // sleeps, not spins
        heldWindow << double(timer.nsecsElapsed()) / 1e6;
        QMetaObject::invokeMethod(
            server, [server, &acceptHeld] { acceptHeld << server->acceptToFirstByte; },
            Qt::BlockingQueuedConnection);
    }

    // A whole reply, the connection kept open: from its last byte to what the window shows.
    auto* const link = form.findChild<ServerLink*>();
    auto* const passed = control<QFrame>(form, "PassedPic");
    auto* const sendOrder = control<QPushButton>(form, "SendOrderCmd");
    auto* const orderButton = control<QPushButton>(form, "OrderCmd");
    auto* const loginTest = control<QPushButton>(form, "Testcmd");
    const int actRounds = 10;
    QList<double> toRows, toNotFound, toPassed, deadlineToOrderBox;
    for (int i = 0; i < actRounds; ++i) {
        partField->setFocus();
        partField->setText(u"PF1234"_s);
        QTest::keyClick(partField, Qt::Key_Return);
        if (!waitFor([&] { return answers->rowCount() >= 4; }))
            return 1;
        toRows << nowMs() - server->lastReplyMs;

        const qsizetype boxes = prompter.texts.size();
        partField->setFocus();
        partField->setText(u"NOPART"_s);
        QTest::keyClick(partField, Qt::Key_Return);
        if (!waitFor([&] { return prompter.texts.size() > boxes; }))
            return 1;
        toNotFound << prompter.shownMs.last() - server->lastReplyMs;

        passed->hide();
        loginTest->click(); // on the OPTIONS tab, out of sight: click() needs no sight of it
        if (!waitFor([&] { return !passed->isHidden(); }))
            return 1;
        toPassed << nowMs() - server->lastReplyMs;
    }
    for (int i = 0; i < 5; ++i) {
        answers->clear(); // only this inquiry's rows count
        partField->setText(u"PF1234"_s);
        QTest::keyClick(partField, Qt::Key_Return);
        // ORDER can be clicked once the answer has ended (at its close deadline): that brings the
        // order-entry panel back.
        if (!waitFor([&] { return answers->rowCount() >= 4 && orderButton->isEnabled(); }))
            return 1;
        answers->setSelectedIndex(0);
        orderButton->click();
        const qsizetype boxes = prompter.texts.size();
        // "Send This Order Now ?", and from the second order on "Send it again?", answered Yes.
        sendOrder->click();
        qint32 deadline = 0;
        // Until the order number's box: before it, the link is still busy with this order.
        if (!waitFor([&] {
                deadline = std::max(deadline, link->SocketTimer());
                return prompter.texts.size() > boxes
                    && prompter.texts.last().startsWith(u"Order Sent"_s);
            }))
            return 1;
        deadlineToOrderBox << (prompter.shownClock.last() - deadline) * 1000.0;
    }

    QTextStream(stdout) << "median of " << rounds << " round trips each" << Qt::endl;
    // Each round connected three times: the window, then the two bare references.
    QList<double> acceptWindow;
    QList<double> acceptBare;
    for (qsizetype i = 3 * 10; i + 1 < acceptLoopback.size(); i += 3) {
        acceptWindow << acceptLoopback.at(i);
        acceptBare << acceptLoopback.at(i + 1);
    }
    QTextStream(stdout) << "  accept to the request's first byte, loopback: "
                        << median(acceptWindow) << " ms (target < 5 ms; bare socket "
                        << median(acceptBare) << " ms)" << Qt::endl;
    QTextStream(stdout) << "  accept to the request's first byte, handshake held (" << heldRounds
                        << " rounds, " << acceptHeld.size() << " measured): " << median(acceptHeld)
                        << " ms (target < 5 ms); Enter to rows " << median(heldWindow) << " ms"
                        << Qt::endl;
    QTextStream(stdout) << "  of which Enter handled (the request handed to the link): "
                        << median(sent) << " ms" << Qt::endl;
    QTextStream(stdout) << "connection kept open, median of " << actRounds
                        << " (targets < 50 ms): last byte to rows shown " << median(toRows)
                        << " ms; to the not-found box " << median(toNotFound) << " ms; to PASSED "
                        << median(toPassed) << " ms; close deadline to the "
                        << "order number's box " << median(deadlineToOrderBox) << " ms (of 5)"
                        << Qt::endl;
    printRow(u"inquiry round trip (Enter to rows shown) vs bare socket"_s, median(window), u"ms"_s,
             median(bare), 2.0);
    printRow(u"inquiry round trip vs bare socket + rows painted in a plain list"_s, median(window),
             u"ms"_s, median(shownBare), 2.0);
    QMetaObject::invokeMethod(
        server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();
    return 0;
}
