#include "demoserver.h"

#include "requesthandler.h"
#include "requests.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace demo {

// Accepted sockets are handled on their descriptor rather than through QTcpSocket, because a
// QTcpSocket closes itself when the peer shuts its sending side down, and the server must
// still answer then.
class Listener : public QTcpServer
{
public:
    explicit Listener(DemoServer* server)
        : QTcpServer(server)
        , m_server(server)
    { }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        m_server->accept(descriptor, serverPort());
    }

private:
    DemoServer* m_server;
};

// One connection: receive until the request is whole, answer once, then linger (or, kept open,
// wait for the client to close). The linger
// matters: closing a socket that still has unread input makes the kernel reset the connection,
// which can destroy the reply before the client has read it. So the server shuts its sending
// side down after the reply, reads and drops whatever else arrives, and closes when the client
// closes or the linger time is over.
class Connection : public QObject
{
    Q_OBJECT

public:
    Connection(int descriptor, quint16 localPort, DemoServer* server)
        : QObject(server)
        , m_server(server)
        , m_fd(descriptor)
        , m_localPort(localPort)
        , m_readable(descriptor, QSocketNotifier::Read)
        , m_writable(descriptor, QSocketNotifier::Write)
    {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        if (::getpeername(m_fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
            if (peer.ss_family == AF_INET)
                m_peerPort = ntohs(reinterpret_cast<sockaddr_in*>(&peer)->sin_port);
            else if (peer.ss_family == AF_INET6)
                m_peerPort = ntohs(reinterpret_cast<sockaddr_in6*>(&peer)->sin6_port);
        }
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);

        const ServerOptions& options = server->options();
        m_writable.setEnabled(false);
        connect(&m_readable, &QSocketNotifier::activated, this, &Connection::onReadable);
        connect(&m_writable, &QSocketNotifier::activated, this, &Connection::sendPending);
        m_quiet.setSingleShot(true);
        connect(&m_quiet, &QTimer::timeout, this, &Connection::answer);
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, &Connection::onDeadline);
        m_deadline.start(options.idleMs);
        m_linger.setSingleShot(true);
        connect(&m_linger, &QTimer::timeout, this, &Connection::closeNow);
    }

    ~Connection() override { closeDescriptor(); }

    void closeNow()
    {
        closeDescriptor();
        m_state = State::Closed;
        deleteLater();
    }

private:
    enum class State { Receiving, Replying, Lingering, Closed };

    void onReadable()
    {
        const qsizetype limit = m_server->options().maxRequest;
        char chunk[16 * 1024];
        for (;;) {
            const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (got > 0) {
                if (m_state != State::Receiving)
                    continue; // after the request: read and dropped
                m_request.append(chunk, got);
                if (m_request.size() > limit) {
                    m_request.clear();
                    m_quiet.stop();
                    m_deadline.stop();
                    log(u"?"_s, u"error: request over %1 bytes"_s.arg(limit));
                    reply(QByteArrayLiteral("<E>,Request too large"));
                    return;
                }
                continue;
            }
            if (got == 0) {
                m_peerClosed = true;
                m_readable.setEnabled(false); // EOF stays readable; stop the notifier firing
                break;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            closeNow(); // reset by the peer or similar: nobody to answer
            return;
        }

        switch (m_state) {
        case State::Receiving:
            if (m_peerClosed || isWholeRequest(m_request))
                answer();
            else if (!m_request.isEmpty())
                m_quiet.start(requestKind(m_request) == RequestKind::Inquiry
                                  ? m_server->options().inquiryQuietMs
                                  : m_server->options().quietMs);
            break;
        case State::Lingering:
            if (m_peerClosed)
                closeNow();
            break;
        case State::Replying:
        case State::Closed:
            break;
        }
    }

    void answer()
    {
        m_quiet.stop();
        m_deadline.stop();
        if (m_request.isEmpty()) {
            log(u"-"_s, u"closed without a request"_s);
            closeNow();
            return;
        }
        const Reply answered = m_server->handler().handle(m_request);
        m_request.clear();
        log(answered.kind, answered.outcome);
        reply(answered.bytes);
    }

    // The client handles every arrival of bytes as a reply of its own, so the whole reply goes
    // out in one send where the socket takes it.
    void reply(const QByteArray& bytes)
    {
        m_state = State::Replying;
        m_pending = bytes;
        m_sent = 0;
        // A client that never reads must not hold the connection for ever.
        m_deadline.start(m_server->options().idleMs);
        sendPending();
    }

    void sendPending()
    {
        while (m_sent < m_pending.size()) {
            const ssize_t put =
                ::send(m_fd, m_pending.constData() + m_sent,
                       static_cast<size_t>(m_pending.size() - m_sent), MSG_NOSIGNAL);
            if (put > 0) {
                m_sent += put;
            } else if (put < 0 && errno == EINTR) {
                continue;
            } else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                m_writable.setEnabled(true);
                return;
            } else {
                closeNow();
                return;
            }
        }
        m_writable.setEnabled(false);
        m_deadline.stop();
        const ServerOptions& options = m_server->options();
        if (!options.keepOpen)
            ::shutdown(m_fd, SHUT_WR);
        if (m_peerClosed) {
            closeNow();
            return;
        }
        m_state = State::Lingering;
        m_linger.start(options.keepOpen ? options.idleMs : options.lingerMs);
    }

    void onDeadline()
    {
        if (m_state == State::Receiving)
            log(u"-"_s, u"idle, closed after %1 ms"_s.arg(m_server->options().idleMs));
        closeNow();
    }

    void log(const QString& kind, const QString& outcome)
    {
        emit m_server->logged(u"%1 port %2 peer %3 %4 %5"_s.arg(
            QDateTime::currentDateTime().toString(u"yyyy-MM-dd hh:mm:ss.zzz"_s),
            QString::number(m_localPort), QString::number(m_peerPort), kind, outcome));
    }

    void closeDescriptor()
    {
        m_readable.setEnabled(false);
        m_writable.setEnabled(false);
        m_quiet.stop();
        m_deadline.stop();
        m_linger.stop();
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

    DemoServer* m_server;
    int m_fd;
    quint16 m_localPort;
    quint16 m_peerPort = 0;
    QSocketNotifier m_readable;
    QSocketNotifier m_writable;
    QTimer m_quiet;
    QTimer m_deadline;
    QTimer m_linger;
    QByteArray m_request;
    QByteArray m_pending;
    qsizetype m_sent = 0;
    bool m_peerClosed = false;
    State m_state = State::Receiving;
};

} // namespace demo

#include "demoserver.moc"

demo::DemoServer::DemoServer(RequestHandler& handler, ServerOptions options, QObject* parent)
    : QObject(parent)
    , m_handler(handler)
    , m_options(std::move(options))
{ }

demo::DemoServer::~DemoServer()
{
    close();
}

QString demo::DemoServer::listen()
{
    close();
    const auto listenAll = [this](quint16 base) {
        for (int offset = 0; offset < PortCount; ++offset) {
            auto* listener = new Listener(this);
            m_listeners << listener;
            if (!listener->listen(m_options.address, static_cast<quint16>(base + offset)))
                return listener->errorString();
        }
        return QString();
    };

    if (m_options.basePort != 0) {
        if (m_options.basePort > 65535 - (PortCount - 1))
            return u"base port %1 leaves no room for four ports"_s.arg(m_options.basePort);
        const QString error = listenAll(m_options.basePort);
        if (!error.isEmpty()) {
            close();
            return u"port %1 to %2: %3"_s.arg(m_options.basePort)
                .arg(m_options.basePort + PortCount - 1)
                .arg(error);
        }
        m_basePort = m_options.basePort;
        return {};
    }

    // Any free set of four consecutive ports. The client holds its base port as a signed 16-bit
    // number, so the set is looked for between 20000 and 32767, from a start that depends on the
    // process so that servers started side by side rarely meet.
    constexpr int Lowest = 20000;
    constexpr int Span = 32768 - PortCount - Lowest;
    const int first = int(QCoreApplication::applicationPid() * 52 % Span) / PortCount * PortCount;
    for (int tried = 0; tried < Span; tried += PortCount) {
        const auto base = static_cast<quint16>(Lowest + (first + tried) % Span);
        if (listenAll(base).isEmpty()) {
            m_basePort = base;
            return {};
        }
        close();
    }
    return u"no four consecutive free ports found below 32768"_s;
}

void demo::DemoServer::close()
{
    for (QTcpServer* listener : std::as_const(m_listeners)) {
        listener->close();
        delete listener;
    }
    m_listeners.clear();
    m_basePort = 0;
    for (Connection* connection : findChildren<Connection*>(Qt::FindDirectChildrenOnly))
        delete connection;
}

void demo::DemoServer::accept(qintptr descriptor, quint16 localPort)
{
    new Connection(static_cast<int>(descriptor), localPort, this);
}
