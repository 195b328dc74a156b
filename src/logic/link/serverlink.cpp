// Server link: the request/reply exchange on the four rotating ports, without blocking the window.
//
// One connection per request. Its states:
//
//   Queued     -> Connecting   its turn: no other request is connecting
//   Connecting -> Open         connected, the request written
//   Connecting -> Pausing      the attempt failed, attempts are left (a pause to the next second)
//   Pausing    -> Connecting   the pause is over: the next port
//   Connecting, Pausing -> (gone)  given up, unknown host, stopped, port overflow: Failed
//   Open       -> Ended        the server closed or reset, the close deadline passed, or an
//                              order's hold time passed
//   Ended      -> (gone)       the reply has been handed on whole
//   any        -> (gone)       cancelled, superseded by the window's next request, program end
//
// Only one connection is Connecting or Pausing at a time; any number can be Open (the window's
// current request beside orders held for their confirmation, or other clients' requests).
#include "logic/link/serverlink.h"

#include "core/answer.h"
#include "core/files.h"
#include "core/numbers.h"
#include "core/text.h"
#include "logic/clock/clock.h"

#include <QTcpSocket>

#include <algorithm>

#ifdef __linux__
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {
// A whole second strictly past the close deadline: the alarm fires just after it.
constexpr double PastDeadline = 0.001;
// A second descriptor of the connected socket, kept to read the kernel's state of the connection
// after the socket has closed its own (-1 where that is not available).
int watchDescriptor(const QTcpSocket& socket)
{
#ifdef __linux__
    const qintptr descriptor = socket.socketDescriptor();
    return descriptor >= 0 ? ::fcntl(int(descriptor), F_DUPFD_CLOEXEC, 0) : -1;
#else
    Q_UNUSED(socket)
    return -1;
#endif
}

// True when the server reset the connection rather than closing it in order: the socket reports
// both alike, the kernel's state of the connection tells them apart.
bool wasReset(int watch)
{
#ifdef __linux__
    tcp_info info{};
    socklen_t size = sizeof info;
    if (watch >= 0 && ::getsockopt(watch, IPPROTO_TCP, TCP_INFO, &info, &size) == 0)
        return info.tcpi_state == TCP_CLOSE;
#else
    Q_UNUSED(watch)
#endif
    return false;
}

void closeWatch(int& watch)
{
#ifdef __linux__
    if (watch >= 0)
        ::close(watch);
#endif
    watch = -1;
}

} // namespace

ServerLink::ServerLink(Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_winsock(new QTcpSocket(this))
{
    setObjectName(u"ServerLink"_s);
    m_winsock->setObjectName(u"Winsock"_s);
}

ServerLink::~ServerLink()
{
    // The program ends: every connection is dropped, no alarm may call into the link.
    while (!m_connections.empty())
        remove(m_connections.back()->id);
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

ServerLink::Connection* ServerLink::find(quint64 id) const
{
    if (id == 0)
        return nullptr;
    for (const auto& c : m_connections)
        if (c->id == id)
            return c.get();
    return nullptr;
}

quint64 ServerLink::currentRequest() const
{
    return m_current;
}

qint32 ServerLink::SocketTimer() const
{
    const Connection* c = current();
    return c ? c->socketTimer : 0;
}

bool ServerLink::awaitingConfirmation(const Connection& c) const
{
    return c.kind == Kind::Order && c.state == State::Open;
}

std::vector<ServerLink::PendingOrder> ServerLink::ordersAwaitingConfirmation() const
{
    std::vector<PendingOrder> orders;
    for (const auto& c : m_connections)
        if (c->window && awaitingConfirmation(*c))
            orders.push_back({c->id, c->sentAt});
    return orders;
}

bool ServerLink::isBusy(Kind kind) const
{
    const double now = m_clock.secondsSinceMidnight();
    return std::any_of(m_connections.begin(), m_connections.end(), [&](const auto& c) {
        if (!c->window)
            return false;
        if (c->state == State::Queued || attempting(*c))
            return true;
        return kind == Kind::Order && awaitingConfirmation(*c)
            && now - c->sentAt < OrderOverdueSeconds;
    });
}

quint64 ServerLink::SendSockData(Kind kind, const QString& request)
{
    if (isBusy(kind))
        return 0;
    const quint64 id = add(
        kind, request,
        [this](quint64 of, QString text, ReplyState state) {
            if (state == ReplyState::Failed || (state == ReplyState::Ended && text.isEmpty()))
                return; // told through failed() and attemptsEnded(); or nothing came
            emit replyArrived(of, std::move(text), state == ReplyState::Ended);
        },
        true);
    startNext();
    if (Connection* c = find(id); c && c->state == State::Queued)
        c->waited = true;
    return id;
}

quint64 ServerLink::queue(Kind kind, const QString& request, ReplyHandler handler)
{
    const quint64 id = add(kind, request, std::move(handler), false);
    startNext();
    if (Connection* c = find(id); c && c->state == State::Queued)
        c->waited = true;
    return id;
}

quint64 ServerLink::add(Kind kind, const QString& request, ReplyHandler handler, bool window)
{
    auto c = std::make_unique<Connection>();
    c->id = ++m_lastId;
    c->kind = kind;
    c->request = request;
    c->handler = std::move(handler);
    c->window = window;
    c->host = text::trimBlanks(m_host);
    c->base = m_base;
    m_connections.push_back(std::move(c));
    return m_lastId;
}

void ServerLink::startNext()
{
    Connection* next = nullptr;
    for (const auto& c : m_connections) {
        if (attempting(*c))
            return; // one request connects at a time
        if (!next && c->state == State::Queued)
            next = c.get();
    }
    if (!next)
        return;
    const quint64 id = next->id;
    const bool told = next->waited && next->window;
    start(*next);
    if (told && find(id))
        emit leftQueue(id, find(id)->kind);
}

void ServerLink::start(Connection& c)
{
    if (c.window) {
        // The window's previous connection is closed, as every request of the window always
        // did; an order that still awaits its confirmation keeps its connection instead.
        if (Connection* previous = current()) {
            if (awaitingConfirmation(*previous)) {
                previous->socket->setObjectName(u"HeldOrder"_s);
                m_winsock = nullptr;
                m_current = 0;
            } else {
                remove(previous->id);
            }
        }
        m_current = c.id;
        m_attempts = 0;
        m_reply.clear();
    }
    takeSocket(c);
    if (c.host.isEmpty()) {
        fail(c.id,
             u"No server address is set. Enter the Connection IP Address or Dynamic URL on the "
             "OPTIONS tab and press SAVE."_s,
             Severity::Warning, true);
        return;
    }
    c.offset = c.kind == Kind::Order ? 2 : 3; // advanced before its first use
    nextAttempt(c);
}

void ServerLink::takeSocket(Connection& c)
{
    if (c.window) {
        if (!m_winsock) {
            m_winsock = new QTcpSocket(this);
            m_winsock->setObjectName(u"Winsock"_s);
        }
        c.socket = m_winsock;
    } else {
        c.socket = new QTcpSocket(this);
        c.socket->setObjectName(u"RequestSocket"_s);
    }
    QTcpSocket* socket = c.socket;
    socket->disconnect(this);
    const quint64 id = c.id;
    connect(socket, &QTcpSocket::connected, this, [this, id] { connected(id); });
    connect(socket, &QTcpSocket::readyRead, this, [this, id] { Winsock_DataArrival(id); });
    connect(socket, &QTcpSocket::disconnected, this, [this, id] {
        if (Connection* open = find(id); open && open->state == State::Open)
            end(id, End::ServerClosed);
    });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, id, socket](QAbstractSocket::SocketError error) {
                Connection* open = find(id);
                if (!open)
                    return;
                if (open->state == State::Connecting)
                    attemptFailed(id, error == QAbstractSocket::HostNotFoundError);
                else if (open->state == State::Open
                         && (socket->state() == QAbstractSocket::UnconnectedState
                             || wasReset(open->watch)))
                    end(id, End::Reset); // a reset rather than an orderly close
            });
}

void ServerLink::nextAttempt(Connection& c)
{
    c.offset = static_cast<qint16>(c.offset + 1);
    if (c.offset > MaxSocketOffset())
        c.offset = 0;
    ++c.attempts;
    if (c.id == m_current)
        m_attempts = c.attempts;
    const int port = c.base + c.offset;
    if (port > 32767 || port < 0) {
        stageFailed(c.id, u"SendSockData: Find Socket"_s); // the 16-bit port sum overflows
        return;
    }
    if (c.attempts > 1 && c.window) {
        c.told = true;
        emit progress(u"Connecting to %1 port %2 (attempt %3 of %4) ... Esc stops"_s.arg(c.host)
                          .arg(port)
                          .arg(c.attempts)
                          .arg(MaxAttempts));
    }
    // The attempt lasts as long as five state readings one WaitNextSecond apart would: the
    // first at once, the second at the next second, then one a second.
    const double now = m_clock.secondsSinceMidnight();
    const double deadline = nextSecond(now) + 3.0;
    c.state = State::Connecting;
    const quint64 id = c.id;
    c.attemptAlarm = m_clock.startAlarm(deadline - now, [this, id] {
        Connection* attempt = find(id);
        if (!attempt)
            return;
        attempt->attemptAlarm = 0;
        if (attempt->state == State::Connecting)
            attemptFailed(id, false);
    });
    c.socket->connectToHost(c.host, static_cast<quint16>(port));
}

void ServerLink::attemptFailed(quint64 id, bool hostUnknown)
{
    Connection* c = find(id);
    if (!c)
        return;
    cancelAlarm(c->attemptAlarm);
    c->socket->abort();
    if (hostUnknown) {
        // Retrying a name that does not resolve cannot succeed; say so at once.
        fail(id,
             u"The server address \""_s + c->host
                 + u"\" could not be found. Check the Connection IP Address or Dynamic URL on "
                   "the OPTIONS tab."_s,
             Severity::Warning, true);
        return;
    }
    if (c->attempts >= MaxAttempts) {
        if (c->told)
            emit progress(QString());
        fail(id, u"ERROR: Unable to establish socket connection to server"_s, Severity::Critical,
             true);
        return;
    }
    // The pause after a failed attempt: up to the next whole second, as WaitNextSecond waits.
    c->state = State::Pausing;
    const double now = m_clock.secondsSinceMidnight();
    c->pauseAlarm = m_clock.startAlarm(nextSecond(now) - now, [this, id] {
        Connection* paused = find(id);
        if (!paused)
            return;
        paused->pauseAlarm = 0;
        if (paused->state == State::Pausing)
            nextAttempt(*paused);
    });
}

void ServerLink::fail(quint64 id, const QString& message, Severity severity, bool attemptsOver)
{
    Connection* c = find(id);
    if (!c)
        return;
    const bool window = c->window;
    const ReplyHandler handler = c->handler;
    remove(id);
    if (window) {
        emit failed(message, severity);
        if (attemptsOver)
            emit attemptsEnded();
    }
    if (handler)
        handler(id, message, ReplyState::Failed);
    startNext();
}

void ServerLink::stageFailed(quint64 id, const QString& stage)
{
    Connection* c = find(id);
    if (!c)
        return;
    const QString message = u"*Err - "_s + stage;
    if (c->state == State::Open) {
        // The request is out; only its trace failed. The reply is still awaited.
        if (c->window)
            emit failed(message, Severity::Warning);
        return;
    }
    fail(id, message, Severity::Warning, false); // the inquiry button is left to the timer
}

void ServerLink::connected(quint64 id)
{
    Connection* c = find(id);
    if (!c || c->state != State::Connecting)
        return;
    cancelAlarm(c->attemptAlarm);
    c->state = State::Open;
    c->watch = watchDescriptor(*c->socket);
    if (c->id == m_current) {
        emit lampChanged(c->offset, true);
        if (c->told)
            emit progress(u"Connected to %1 port %2, waiting for the answer ..."_s.arg(c->host).arg(
                c->base + c->offset));
    }
    const QByteArray bytes = files::toAnsi(c->request);
    if (c->socket->write(bytes) != bytes.size()) {
        c->state = State::Connecting; // the request is not out: no reply to wait for
        stageFailed(id, u"SendSockData: Send Data"_s);
        return;
    }
    c->socket->flush(); // hand the request to the network now, not at the next event
    c->sentAt = m_clock.secondsSinceMidnight();
    if (c->kind == Kind::Order) {
        // The connection stays for the confirmation, however long the server takes, up to here.
        c->holdAlarm = m_clock.startAlarm(OrderHoldSeconds, [this, id] {
            Connection* held = find(id);
            if (!held)
                return;
            held->holdAlarm = 0;
            if (held->state == State::Open && held->reply.isEmpty())
                end(id, End::HoldOver);
        });
    }
    const Kind kind = c->kind;
    const QString request = c->request;
    emit requestWritten(id, kind);
    startNext(); // the next request may connect now
    if (m_trace && !m_trace(request))
        stageFailed(id, u"SendSockData: Send Data"_s);
}

void ServerLink::Winsock_DataArrival(quint64 id)
{
    Connection* c = find(id);
    if (!c)
        return;
    takeAvailable(*c);
    deliver(id);
}

void ServerLink::takeAvailable(Connection& c)
{
    if (c.state != State::Open || !c.socket->isOpen() || c.socket->bytesAvailable() <= 0)
        return;
    c.reply += files::fromAnsi(c.socket->readAll());
    if (c.id == m_current)
        m_reply = c.reply;
    const double now = m_clock.secondsSinceMidnight();
    c.socketTimer = numbers::toInt32(now + CloseAfterSeconds).value_or(0);
    cancelAlarm(c.closeAlarm);
    const quint64 id = c.id;
    c.closeAlarm = m_clock.startAlarm(c.socketTimer - now + PastDeadline, [this, id] {
        Connection* due = find(id);
        if (!due)
            return;
        due->closeAlarm = 0;
        // While its handler runs (a box is open) the end waits until the handler returns.
        if (!due->delivering)
            end(id, End::Deadline);
    });
}

void ServerLink::closeIfDue()
{
    const double now = m_clock.secondsSinceMidnight();
    std::vector<quint64> due;
    for (const auto& c : m_connections)
        if (c->state == State::Open && c->socketTimer > 0 && now > c->socketTimer && !c->delivering)
            due.push_back(c->id);
    for (const quint64 id : due)
        end(id, End::Deadline);
}

void ServerLink::end(quint64 id, End how)
{
    Connection* c = find(id);
    if (!c || c->state != State::Open)
        return;
    takeAvailable(*c);
    // A reset is no end marker: the field it cut may be missing characters, so it is not taken.
    if (how == End::Reset)
        c->reply = answer::withoutCutField(c->reply);
    if (c->id == m_current) {
        m_reply = c->reply;
        if (how == End::Deadline)
            ClearSocketLights(); // the close rule's own step
    }
    c->state = State::Ended;
    cancelAlarm(c->closeAlarm);
    cancelAlarm(c->holdAlarm);
    c->socketTimer = 0;
    closeWatch(c->watch);
    c->socket->abort();
    deliver(id);
}

void ServerLink::deliver(quint64 id)
{
    Connection* c = find(id);
    // A box the handler shows runs an event loop: what arrives meanwhile is read and collected,
    // and handed on here when the box has closed, never in parallel.
    if (!c || c->delivering)
        return;
    c->delivering = true;
    forever {
        c = find(id);
        if (!c)
            return;        // dropped by the handler (cancelled, superseded)
        takeAvailable(*c); // the socket does not signal again for bytes that came meanwhile
        if (c->state == State::Open && c->socketTimer > 0
            && m_clock.secondsSinceMidnight() > c->socketTimer) {
            // The deadline passed while the handler ran.
            c->delivering = false;
            end(id, End::Deadline);
            return;
        }
        const bool ended = c->state == State::Ended;
        const bool grown = c->reply.size() > std::max<qsizetype>(c->handedOn, 0);
        if (!ended && !grown)
            break;
        c->handedOn = c->reply.size();
        const ReplyHandler handler = c->handler;
        const QString text = c->reply;
        if (handler)
            handler(id, text, ended ? ReplyState::Ended : ReplyState::Growing);
        if (ended) {
            remove(id);
            return;
        }
    }
    c->delivering = false;
}

bool ServerLink::cancel(quint64 id)
{
    if (!find(id))
        return false;
    remove(id);
    startNext();
    return true;
}

bool ServerLink::cancel()
{
    std::vector<quint64> stopped;
    for (const auto& c : m_connections)
        if (c->window && (c->state == State::Queued || attempting(*c)))
            stopped.push_back(c->id);
    if (stopped.empty())
        return false;
    for (const quint64 id : stopped)
        remove(id);
    emit progress(u"Stopped: the request was not sent to the server."_s);
    emit attemptsEnded();
    startNext();
    return true;
}

void ServerLink::abandon(Kind kind)
{
    std::vector<quint64> dropped;
    bool told = false;
    for (const auto& c : m_connections)
        if (c->window && c->kind == kind) {
            dropped.push_back(c->id);
            told = told || (c->told && attempting(*c));
        }
    for (const quint64 id : dropped)
        remove(id);
    if (told)
        emit progress(QString());
    if (!dropped.empty())
        startNext();
}

void ServerLink::remove(quint64 id)
{
    const auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                 [id](const auto& c) { return c->id == id; });
    if (it == m_connections.end())
        return;
    std::unique_ptr<Connection> c = std::move(*it);
    m_connections.erase(it);
    for (int* alarm : {&c->attemptAlarm, &c->pauseAlarm, &c->closeAlarm, &c->holdAlarm})
        cancelAlarm(*alarm);
    if (id == m_current)
        m_current = 0;
    closeWatch(c->watch);
    if (QTcpSocket* socket = c->socket) {
        socket->disconnect(this);
        socket->abort();
        if (socket != m_winsock)
            socket->deleteLater(); // a held order's or another client's socket
    }
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
