#pragma once
// A supplier server for tests on 127.0.0.1: records every request it receives and answers
// with a scripted reply, optionally in several writes.

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

    QList<Request> requests;
    // Every request's bytes, in arrival order, as one text.
    [[nodiscard]] QByteArray received() const;
    int connections = 0; // connections accepted

private:
    void accept(QTcpServer* server, int offset);
    void answer(QTcpSocket* socket, int offset);

    quint16 m_base = 0;
    std::vector<std::unique_ptr<QTcpServer>> m_servers;
    std::vector<std::unique_ptr<QTcpSocket>> m_held; // bound, not listening: refuses connections
};
