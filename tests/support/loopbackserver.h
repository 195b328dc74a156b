#pragma once
// A supplier server for tests on 127.0.0.1: records every request it receives and answers
// with a scripted reply, optionally in several writes. It can also behave like a server far
// away: a port that refuses, a handshake held up, a reply cut into pieces, or silence.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <memory>
#include <vector>

class LoopbackServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        int portOffset; // which of the four ports took it
        QByteArray bytes;
    };

    // Takes four consecutive free ports on 127.0.0.1 below 32768 and listens on the offsets
    // given in listenOn (all four by default); the others refuse connections.
    explicit LoopbackServer(QList<int> listenOn = {0, 1, 2, 3}, QObject* parent = nullptr);
    ~LoopbackServer() override;

    [[nodiscard]] quint16 basePort() const { return m_base; }
    [[nodiscard]] bool isListening() const { return m_base != 0; }

    // The reply for a request; the request is answered once it has gone quiet for a moment.
    // Empty reply: nothing is sent.
    std::function<QByteArray(const QByteArray& request)> reply;
    // The reply is written in these pieces (sizes); the rest goes in one last piece. A pause of
    // pieceGapMs lets each piece arrive on its own.
    QList<int> pieces;
    int pieceGapMs = 30;
    bool closeAfterReply = false;
    // How long a request must be quiet before it counts as whole and is answered.
    int answerAfterMs = 40;

    // Holds up the handshake of new connections to this offset: its accept queue is kept full,
    // so the kernel drops a client's SYN and the client sends it again about a second later.
    // After releaseAfterMs (never when negative) the queue is freed and the next SYN gets in.
    void holdHandshakes(int offset, int releaseAfterMs);

    QList<Request> requests;
    // Every request's bytes, in arrival order, as one text.
    [[nodiscard]] QByteArray received() const;
    int connections = 0; // connections accepted
    [[nodiscard]] QList<QTcpSocket*> clients() const;
    // Drops a connection with a reset (RST) instead of an orderly close.
    static void reset(QTcpSocket* client);

private:
    void accept(QTcpServer* server, int offset);
    QTcpServer* serverAt(int offset) const;
    void answer(QTcpSocket* socket, int offset);

    quint16 m_base = 0;
    std::vector<std::unique_ptr<QTcpServer>> m_servers;
    QList<int> m_serverOffsets;                      // the offset of each of m_servers
    std::vector<std::unique_ptr<QTcpSocket>> m_held; // bound, not listening: refuses connections
    QList<QPointer<QTcpSocket>> m_clients;
    std::vector<std::unique_ptr<QTcpSocket>> m_fillers; // the connections that fill a queue
    QList<quint16> m_fillerPorts;
};
