// Server link: the request/reply exchange on the four rotating ports, without blocking the window.
#include "link/serverlink.h"

#include "core/files.h"
#include "core/numbers.h"
#include "core/text.h"
#include "shell/seams.h"

#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;

ServerLink::ServerLink(Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_socket(new QTcpSocket(this))
{
    setObjectName(u"ServerLink"_s);
    m_socket->setObjectName(u"Winsock"_s);
    connect(m_socket, &QTcpSocket::connected, this, &ServerLink::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &ServerLink::Winsock_DataArrival);
    connect(m_socket, &QTcpSocket::disconnected, this, &ServerLink::serverClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (m_phase == Phase::Connecting)
            attemptFailed(error == QAbstractSocket::HostNotFoundError);
        else if (m_phase == Phase::Open && m_socket->state() == QAbstractSocket::UnconnectedState)
            serverClosed(); // a reset rather than an orderly close
    });
}

ServerLink::~ServerLink()
{
    m_socket->disconnect(this);
    dropConnection(); // no alarm may call into the link once it is gone
}

void ServerLink::setServer(const QString& host, qint16 basePort)
{
    m_host = host;
    m_base = basePort;
}

void ServerLink::setTraceRecorder(std::function<bool(const QString&)> recorder)
{
    m_trace = std::move(recorder);
}

double ServerLink::nextSecond(double clock)
{
    return numbers::roundHalfEven(clock + 0.5);
}

bool ServerLink::isBusy(Kind kind) const
{
    return attempting() || m_waiting.has_value() || (kind == Kind::Order && m_awaitingOrder);
}

bool ServerLink::SendSockData(Kind kind, const QString& request)
{
    if (isBusy(kind))
        return false;
    if (m_awaitingOrder) {
        // The order's connection stays until its confirmation has been handled.
        m_waiting = Waiting{kind, request, m_host, m_base};
        emit progress(u"Waiting for the confirmation of the order sent; your request follows."_s);
        return true;
    }
    start(kind, request);
    return true;
}

void ServerLink::start(Kind kind, const QString& request)
{
    dropConnection();
    // The deadline belonged to the connection just closed; it must not close the new one.
    m_socketTimer = 0;
    m_kind = kind;
    m_request = request;
    m_attemptHost = text::trimBlanks(m_host);
    m_attemptBase = m_base;
    m_told = false;
    m_attempts = 0;
    if (m_attemptHost.isEmpty()) {
        emit failed(u"No server address is set. Enter the Connection IP Address or Dynamic URL on "
                    "the OPTIONS tab and press SAVE."_s,
                    QMessageBox::Warning);
        emit attemptsEnded();
        return;
    }
    m_offset = kind == Kind::Order ? 2 : 3; // advanced before its first use
    nextAttempt();
}

void ServerLink::nextAttempt()
{
    m_offset = static_cast<qint16>(m_offset + 1);
    if (m_offset > MaxSocketOffset())
        m_offset = 0;
    ++m_attempts;
    const int port = m_attemptBase + m_offset;
    if (port > 32767 || port < 0) {
        stageFailed(u"SendSockData: Find Socket"_s); // the 16-bit port sum overflows
        return;
    }
    if (m_attempts > 1) {
        m_told = true;
        emit progress(
            u"Connecting to %1 port %2 (attempt %3 of %4) ... Esc stops"_s.arg(m_attemptHost)
                .arg(port)
                .arg(m_attempts)
                .arg(MaxAttempts));
    }
    // The attempt lasts as long as five state readings one WaitNextSecond apart would: the
    // first at once, the second at the next second, then one a second.
    const double now = m_clock.secondsSinceMidnight();
    const double deadline = nextSecond(now) + 3.0;
    m_phase = Phase::Connecting;
    const quint64 generation = ++m_generation;
    m_attemptAlarm = m_clock.startAlarm(deadline - now, [this, generation] {
        m_attemptAlarm = 0;
        if (generation == m_generation && m_phase == Phase::Connecting)
            attemptFailed(false);
    });
    m_socket->connectToHost(m_attemptHost, static_cast<quint16>(port));
}

void ServerLink::attemptFailed(bool hostUnknown)
{
    dropConnection();
    if (hostUnknown) {
        // Retrying a name that does not resolve cannot succeed; say so at once.
        emit failed(u"The server address \""_s + m_attemptHost
                        + u"\" could not be found. Check the Connection IP Address or Dynamic "
                          "URL on the OPTIONS tab."_s,
                    QMessageBox::Warning);
        emit attemptsEnded();
        return;
    }
    if (m_attempts >= MaxAttempts) {
        if (m_told)
            emit progress(QString());
        emit failed(u"ERROR: Unable to establish socket connection to server"_s,
                    QMessageBox::Critical);
        emit attemptsEnded();
        return;
    }
    // The pause after a failed attempt: up to the next whole second, as WaitNextSecond waits.
    m_phase = Phase::Pausing;
    const double now = m_clock.secondsSinceMidnight();
    const quint64 generation = m_generation;
    m_pauseAlarm = m_clock.startAlarm(nextSecond(now) - now, [this, generation] {
        m_pauseAlarm = 0;
        if (generation == m_generation && m_phase == Phase::Pausing)
            nextAttempt();
    });
}

void ServerLink::connected()
{
    if (m_phase != Phase::Connecting)
        return;
    cancelAlarm(m_attemptAlarm);
    m_phase = Phase::Open;
    emit lampChanged(m_offset, true);
    if (m_told)
        emit progress(u"Connected to %1 port %2, waiting for the answer ..."_s.arg(m_attemptHost)
                          .arg(m_attemptBase + m_offset));
    resetReply();
    const QByteArray bytes = files::toAnsi(m_request);
    if (m_socket->write(bytes) != bytes.size()) {
        stageFailed(u"SendSockData: Send Data"_s);
        return;
    }
    m_socket->flush(); // hand the request to the network now, not at the next event
    emit requestWritten(m_kind);
    if (m_kind == Kind::Order) {
        m_awaitingOrder = true;
        const quint64 generation = m_generation;
        m_orderAlarm = m_clock.startAlarm(OrderReplySeconds, [this, generation] {
            m_orderAlarm = 0;
            if (generation != m_generation || !m_reply.isEmpty())
                return;       // a reply came: it settles the order when it has been handled
            dropConnection(); // no confirmation: the cart stays for the user to decide
            orderSettled();
        });
    }
    if (m_trace && !m_trace(m_request))
        stageFailed(u"SendSockData: Send Data"_s); // the request is out; only the log failed
}

void ServerLink::stageFailed(const QString& stage)
{
    cancelAlarm(m_attemptAlarm);
    cancelAlarm(m_pauseAlarm);
    if (m_phase != Phase::Open)
        m_phase = Phase::Idle; // the socket is left as it is
    emit failed(u"*Err - "_s + stage, QMessageBox::Warning);
}

void ServerLink::serverClosed()
{
    if (m_phase != Phase::Open)
        return;
    takeAvailable();
    if (!m_reply.isEmpty())
        m_replyComplete = true;
    const quint64 generation = m_generation;
    deliver();
    if (generation == m_generation && m_awaitingOrder && !m_delivering)
        orderSettled(); // closed without a confirmation
}

bool ServerLink::cancel()
{
    bool stopped = false;
    if (m_waiting) {
        m_waiting.reset();
        stopped = true;
    }
    if (attempting()) {
        dropConnection();
        stopped = true;
    }
    if (stopped) {
        emit progress(u"Stopped: the request was not sent to the server."_s);
        emit attemptsEnded();
    }
    return stopped;
}

void ServerLink::abandon(Kind kind)
{
    if (m_waiting && m_waiting->kind == kind)
        m_waiting.reset();
    if (m_kind == kind && m_phase != Phase::Idle) {
        dropConnection();
        if (m_told)
            emit progress(QString());
    }
}

void ServerLink::closeIfDue()
{
    if (m_socketTimer <= 0 || m_clock.secondsSinceMidnight() <= m_socketTimer)
        return;
    if (m_delivering)
        return; // a box of the reply is open: the next tick closes
    takeAvailable();
    if (!m_reply.isEmpty() && !m_replyComplete)
        m_replyComplete = true; // closing ends the reply: hand it on whole first
    deliver();
    if (m_delivering || m_socketTimer <= 0 || m_clock.secondsSinceMidnight() <= m_socketTimer)
        return; // more arrived meanwhile and pushed the deadline out
    const bool order = m_awaitingOrder;
    dropConnection();
    ClearSocketLights();
    m_socketTimer = 0;
    if (order)
        orderSettled();
}

void ServerLink::Winsock_DataArrival()
{
    takeAvailable();
    deliver();
}

void ServerLink::takeAvailable()
{
    if (m_phase != Phase::Open || !m_socket->isOpen() || m_socket->bytesAvailable() <= 0)
        return;
    m_reply += files::fromAnsi(m_socket->readAll());
    m_replyComplete = m_completeDelivered = false;
    m_socketTimer = numbers::toInt32(m_clock.secondsSinceMidnight() + 1.3).value_or(0);
    cancelAlarm(m_quietAlarm);
    const quint64 generation = m_generation;
    m_quietAlarm = m_clock.startAlarm(QuietSeconds, [this, generation] {
        m_quietAlarm = 0;
        if (generation != m_generation)
            return;
        m_replyComplete = true;
        deliver();
    });
}

void ServerLink::deliver()
{
    // A box the dispatcher shows runs an event loop: what arrives meanwhile is read and
    // collected, and handed on here when the box has closed, never in parallel.
    if (m_delivering)
        return;
    m_delivering = true;
    const quint64 generation = m_generation;
    forever {
        takeAvailable(); // the socket does not signal again for bytes that came in meanwhile
        if (generation != m_generation)
            break;
        const bool grown = m_reply.size() > m_delivered;
        const bool completes = m_replyComplete && !m_completeDelivered;
        if (m_reply.isEmpty() || (!grown && !completes))
            break;
        const bool first = m_delivered == 0; // nothing of this reply handed on yet
        m_delivered = m_reply.size();
        m_completeDelivered = m_replyComplete;
        emit replyArrived(m_reply, first, m_completeDelivered);
    }
    m_delivering = false;
    if (generation == m_generation && m_awaitingOrder && m_completeDelivered)
        orderSettled(); // the confirmation has been handled
}

void ServerLink::orderSettled()
{
    m_awaitingOrder = false;
    cancelAlarm(m_orderAlarm);
    if (!m_waiting)
        return;
    // Started from the event loop: the caller may still be inside a socket signal.
    QTimer::singleShot(0, this, [this] {
        if (!m_waiting || m_awaitingOrder || attempting())
            return;
        const Waiting waiting = *m_waiting;
        m_waiting.reset();
        m_host = waiting.host;
        m_base = waiting.base;
        start(waiting.kind, waiting.request);
    });
}

void ServerLink::dropConnection()
{
    // The order's alarm runs only while its confirmation is awaited.
    for (int* alarm : {&m_attemptAlarm, &m_pauseAlarm, &m_orderAlarm, &m_quietAlarm})
        cancelAlarm(*alarm);
    m_awaitingOrder = false;
    m_phase = Phase::Idle;
    ++m_generation;
    m_socket->abort();
    resetReply();
}

void ServerLink::resetReply()
{
    m_reply.clear();
    m_delivered = 0;
    m_replyComplete = m_completeDelivered = false;
}

void ServerLink::ClearSocketLights()
{
    for (int i = 0; i <= MaxSocketOffset(); ++i)
        emit lampChanged(i, false);
}

void ServerLink::cancelAlarm(int& id)
{
    if (id != 0)
        m_clock.cancelAlarm(id);
    id = 0;
}
