// The test supplier server on 127.0.0.1.
#include "support/loopbackserver.h"

#include <QCoreApplication>
#include <QTimer>

#include <sys/socket.h>

LoopbackServer::LoopbackServer(QList<int> listenOn, QObject* parent)
    : QObject(parent)
{
    // Four consecutive ports, all held by this server: the wanted offsets listen, the others are
    // only bound (a connection there is refused) so that no other test process can take them
    // while this test's client knocks. The client holds the base port as a signed 16-bit number,
    // so all four stay below 32768; the start is spread by the process id so that test programs
    // running side by side start far apart.
    const int span = 12760; // bases 20000 to 32756
    const auto pid = quint64(QCoreApplication::applicationPid());
    const int first = int((pid * 2654435761u) % quint64(span)) / 4 * 4;
    for (int tried = 0; tried < span; tried += 4) {
        const int base = 20000 + (first + tried) % span;
        bool ok = true;
        for (int offset = 0; offset < 4 && ok; ++offset) {
            const auto port = quint16(base + offset);
            if (listenOn.contains(offset)) {
                auto server = std::make_unique<QTcpServer>();
                ok = server->listen(QHostAddress::LocalHost, port);
                QTcpServer* raw = server.get();
                connect(raw, &QTcpServer::newConnection, this,
                        [this, raw, offset] { accept(raw, offset); });
                m_servers.push_back(std::move(server));
                m_serverOffsets << offset;
            } else {
                auto holder = std::make_unique<QTcpSocket>();
                ok = holder->bind(QHostAddress::LocalHost, port, QAbstractSocket::DontShareAddress);
                m_held.push_back(std::move(holder));
            }
        }
        if (ok) {
            m_base = quint16(base);
            return;
        }
        m_servers.clear();
        m_serverOffsets.clear();
        m_held.clear();
    }
}

LoopbackServer::~LoopbackServer() = default;

QByteArray LoopbackServer::received() const
{
    QByteArray all;
    for (const Request& request : requests)
        all += request.bytes;
    return all;
}

QList<QTcpSocket*> LoopbackServer::clients() const
{
    QList<QTcpSocket*> live;
    for (const auto& client : m_clients)
        if (client)
            live << client.data();
    return live;
}

void LoopbackServer::reset(QTcpSocket* client)
{
    const linger hard{1, 0};
    ::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    client->abort();
}

QTcpServer* LoopbackServer::serverAt(int offset) const
{
    const qsizetype index = m_serverOffsets.indexOf(offset);
    return index < 0 ? nullptr : m_servers[size_t(index)].get();
}

void LoopbackServer::holdHandshakes(int offset, int releaseAfterMs)
{
    QTcpServer* server = serverAt(offset);
    if (!server)
        return;
    // Listen again with the smallest queue, take nothing from it, and put one connection in.
    server->close();
    server->setListenBacklogSize(0);
    server->listen(QHostAddress::LocalHost, quint16(m_base + offset));
    server->pauseAccepting();
    auto filler = std::make_unique<QTcpSocket>();
    filler->connectToHost(QHostAddress::LocalHost, quint16(m_base + offset));
    filler->waitForConnected(2000); // the kernel completes it into the queue
    m_fillerPorts << filler->localPort();
    m_fillers.push_back(std::move(filler));
    if (releaseAfterMs >= 0)
        QTimer::singleShot(releaseAfterMs, this, [server] { server->resumeAccepting(); });
}

void LoopbackServer::accept(QTcpServer* server, int offset)
{
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        if (m_fillerPorts.contains(socket->peerPort())) {
            socket->deleteLater(); // only there to fill the queue
            continue;
        }
        ++connections;
        m_clients << socket;
        socket->setParent(this);
        auto* quiet = new QTimer(socket);
        quiet->setSingleShot(true);
        quiet->setInterval(answerAfterMs);
        connect(socket, &QTcpSocket::readyRead, socket, [quiet] { quiet->start(); });
        connect(quiet, &QTimer::timeout, socket,
                [this, socket, offset] { answer(socket, offset); });
    }
}

void LoopbackServer::answer(QTcpSocket* socket, int offset)
{
    const QByteArray request = socket->readAll();
    requests << Request{offset, request};
    const QByteArray text = reply ? reply(request) : QByteArray();
    if (text.isEmpty())
        return;
    QList<QByteArray> chunks;
    qsizetype at = 0;
    for (int size : pieces) {
        if (at >= text.size())
            break;
        chunks << text.mid(at, size);
        at += size;
    }
    if (at < text.size())
        chunks << text.mid(at);
    QPointer<QTcpSocket> guarded(socket);
    for (int i = 0; i < chunks.size(); ++i) {
        const QByteArray chunk = chunks.at(i);
        const bool last = i == chunks.size() - 1;
        QTimer::singleShot(i * pieceGapMs, this, [this, guarded, chunk, last] {
            if (!guarded)
                return;
            guarded->write(chunk);
            guarded->flush();
            if (last && closeAfterReply)
                guarded->disconnectFromHost();
        });
    }
}
