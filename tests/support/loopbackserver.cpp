// The test supplier server on 127.0.0.1.
#include "support/loopbackserver.h"

#include <QCoreApplication>
#include <QTimer>

LoopbackServer::LoopbackServer(QList<int> listenOn, QObject* parent)
    : QObject(parent)
{
    // Probe for four consecutive free ports, then listen on the wanted offsets only.
    // The client holds the base port as a signed 16-bit number, so all four ports stay below
    // 32768; the start depends on the process so that parallel tests rarely collide.
    const int span = 12760; // bases 20000 to 32756
    const int first = int((QCoreApplication::applicationPid() * 28) % span) / 4 * 4;
    for (int tried = 0; tried < span; tried += 4) {
        const int base = 20000 + (first + tried) % span;
        std::vector<std::unique_ptr<QTcpServer>> probes;
        bool free = true;
        for (int offset = 0; offset < 4 && free; ++offset) {
            auto probe = std::make_unique<QTcpServer>();
            free = probe->listen(QHostAddress::LocalHost, quint16(base + offset));
            probes.push_back(std::move(probe));
        }
        if (!free)
            continue;
        probes.clear();
        bool ok = true;
        for (int offset : listenOn) {
            auto server = std::make_unique<QTcpServer>();
            ok = ok && server->listen(QHostAddress::LocalHost, quint16(base + offset));
            QTcpServer* raw = server.get();
            connect(raw, &QTcpServer::newConnection, this,
                    [this, raw, offset] { accept(raw, offset); });
            m_servers.push_back(std::move(server));
        }
        if (ok) {
            m_base = quint16(base);
            return;
        }
        m_servers.clear();
    }
}

LoopbackServer::~LoopbackServer() = default;

QList<QTcpSocket*> LoopbackServer::clients() const
{
    QList<QTcpSocket*> live;
    for (const auto& client : m_clients)
        if (client)
            live << client.data();
    return live;
}

void LoopbackServer::accept(QTcpServer* server, int offset)
{
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        ++connections;
        m_clients << socket;
        socket->setParent(this);
        auto* quiet = new QTimer(socket);
        quiet->setSingleShot(true);
        quiet->setInterval(40);
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
