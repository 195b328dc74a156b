// Part look-ups over sockets of their own: one connection per look-up, the inquiry ports tried in
// turn (base+0 to base+3) when a connection fails, up to four look-ups at once. A reply has ended
// when the server closes the connection, or when nothing new has come for 1.3 s.
#include "order/partlookups.h"

#include "core/files.h"
#include "shell/seams.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>

#include <deque>
#include <map>

using namespace Qt::StringLiterals;

namespace {

constexpr int MaxAtOnce = 4;
constexpr int PortCount = 4;
constexpr double ConnectSeconds = 10.0; // per port: a handshake that has not completed by then
constexpr double FirstByteSeconds = 20.0;
constexpr double QuietSeconds = 1.3; // after the last byte: the reply is whole

class SocketLookups final : public QObject, public PartLookups
{
public:
    SocketLookups(Clock& clock, std::function<std::optional<LookupServer>()> server)
        : m_clock(clock)
        , m_server(std::move(server))
    { }

    ~SocketLookups() override
    {
        for (auto& [id, lookup] : m_active)
            drop(*lookup);
    }

    quint64 lookUp(QString request, std::function<void(QString, bool)> onReply,
                   std::function<void(QString)> onFailed) override
    {
        const quint64 id = ++m_lastId;
        Lookup lookup;
        lookup.id = id;
        lookup.request = std::move(request);
        lookup.onReply = std::move(onReply);
        lookup.onFailed = std::move(onFailed);
        m_waiting.push_back(std::move(lookup));
        // Started from the event loop, so that no handler runs inside lookUp().
        QMetaObject::invokeMethod(
            this, [this] { startWaiting(); }, Qt::QueuedConnection);
        return id;
    }

    void cancel(quint64 id) override
    {
        std::erase_if(m_waiting, [id](const Lookup& lookup) { return lookup.id == id; });
        const auto it = m_active.find(id);
        if (it == m_active.end())
            return;
        drop(*it->second);
        m_active.erase(it);
        QMetaObject::invokeMethod(
            this, [this] { startWaiting(); }, Qt::QueuedConnection);
    }

private:
    struct Lookup
    {
        quint64 id = 0;
        QString request;
        std::function<void(QString, bool)> onReply;
        std::function<void(QString)> onFailed;
        LookupServer server;
        int offset = 0;
        QTcpSocket* socket = nullptr;
        bool connected = false;
        QByteArray bytes;
        int alarm = 0;
    };

    void startWaiting()
    {
        while (int(m_active.size()) < MaxAtOnce && !m_waiting.empty()) {
            auto lookup = std::make_unique<Lookup>(std::move(m_waiting.front()));
            m_waiting.pop_front();
            const auto server = m_server();
            if (!server) {
                const auto onFailed = lookup->onFailed;
                onFailed(u"the Connection Socket# on the OPTIONS tab is not a valid port "
                         "number"_s);
                continue;
            }
            lookup->server = *server;
            Lookup& started = *lookup;
            m_active.emplace(started.id, std::move(lookup));
            connectTo(started);
        }
    }

    void connectTo(Lookup& lookup)
    {
        const quint64 id = lookup.id;
        auto* socket = new QTcpSocket(this);
        lookup.socket = socket;
        lookup.connected = false;
        connect(socket, &QTcpSocket::connected, this, [this, id] { connected(id); });
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { arrived(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { ended(id); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, id](QAbstractSocket::SocketError) {
            const Lookup* failing = find(id);
            if (!failing)
                return;
            if (failing->connected)
                ended(id);
            else
                nextPort(id);
        });
        lookup.alarm = m_clock.startAlarm(ConnectSeconds, [this, id] { nextPort(id); });
        socket->connectToHost(lookup.server.host, quint16(lookup.server.basePort + lookup.offset));
    }

    void connected(quint64 id)
    {
        Lookup* lookup = find(id);
        if (!lookup)
            return;
        lookup->connected = true;
        m_clock.cancelAlarm(lookup->alarm);
        lookup->socket->write(files::toAnsi(lookup->request));
        lookup->alarm = m_clock.startAlarm(FirstByteSeconds, [this, id] {
            Lookup* waiting = find(id);
            if (waiting && waiting->bytes.isEmpty())
                fail(id, u"the server did not answer"_s);
            else
                ended(id);
        });
    }

    void arrived(quint64 id)
    {
        Lookup* lookup = find(id);
        if (!lookup)
            return;
        const QByteArray more = lookup->socket->readAll();
        if (more.isEmpty())
            return;
        lookup->bytes += more;
        m_clock.cancelAlarm(lookup->alarm);
        lookup->alarm = m_clock.startAlarm(QuietSeconds, [this, id] { ended(id); });
        const auto onReply = lookup->onReply; // the handler may cancel this look-up
        onReply(files::fromAnsi(lookup->bytes), false);
    }

    void nextPort(quint64 id)
    {
        Lookup* lookup = find(id);
        if (!lookup || lookup->connected)
            return;
        drop(*lookup);
        if (++lookup->offset >= PortCount) {
            fail(id,
                 u"no connection to "_s + lookup->server.host + u" on ports "_s
                     + QString::number(lookup->server.basePort) + u" to "_s
                     + QString::number(lookup->server.basePort + PortCount - 1));
            return;
        }
        connectTo(*lookup);
    }

    void ended(quint64 id)
    {
        Lookup* lookup = find(id);
        if (!lookup || !lookup->connected)
            return;
        if (lookup->socket->bytesAvailable() > 0)
            lookup->bytes += lookup->socket->readAll();
        const auto onReply = lookup->onReply;
        const QString reply = files::fromAnsi(lookup->bytes);
        finish(id);
        onReply(reply, true);
    }

    void fail(quint64 id, const QString& failure)
    {
        Lookup* lookup = find(id);
        if (!lookup)
            return;
        const auto onFailed = lookup->onFailed;
        finish(id);
        onFailed(failure);
    }

    void finish(quint64 id)
    {
        const auto it = m_active.find(id);
        drop(*it->second);
        m_active.erase(it);
        QMetaObject::invokeMethod(
            this, [this] { startWaiting(); }, Qt::QueuedConnection);
    }

    void drop(Lookup& lookup)
    {
        m_clock.cancelAlarm(lookup.alarm);
        lookup.alarm = 0;
        if (QTcpSocket* socket = std::exchange(lookup.socket, nullptr)) {
            disconnect(socket, nullptr, this, nullptr);
            socket->abort();
            socket->deleteLater();
        }
    }

    Lookup* find(quint64 id)
    {
        const auto it = m_active.find(id);
        return it == m_active.end() ? nullptr : it->second.get();
    }

    Clock& m_clock;
    std::function<std::optional<LookupServer>()> m_server;
    quint64 m_lastId = 0;
    std::deque<Lookup> m_waiting;
    std::map<quint64, std::unique_ptr<Lookup>> m_active;
};

} // namespace

std::unique_ptr<PartLookups> makeSocketLookups(Clock& clock,
                                               std::function<std::optional<LookupServer>()> server)
{
    return std::make_unique<SocketLookups>(clock, std::move(server));
}
