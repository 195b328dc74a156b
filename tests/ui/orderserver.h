#pragma once
// A supplier server for the order tests on 127.0.0.1: four consecutive ports below 32768 (the
// client holds its base port as a 16-bit signed number), each request recorded with the port
// offset that took it and answered once it has gone quiet.

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class OrderServer : public QObject
{
public:
    struct Request
    {
        int portOffset;
        QByteArray bytes;
    };

    OrderServer()
    {
        // Start from a place of its own so that test programs running side by side rarely meet.
        const auto first = quint16(21000 + (QCoreApplication::applicationPid() * 4) % 11000);
        for (quint16 base = first; base + 3 < 32768 && !m_base; base = quint16(base + 4))
            tryBase(base);
        for (quint16 base = 21000; base < first && !m_base; base = quint16(base + 4))
            tryBase(base);
    }

    [[nodiscard]] bool isListening() const { return m_base != 0; }
    [[nodiscard]] quint16 basePort() const { return m_base; }

    std::function<QByteArray(const QByteArray& request)> reply;
    QList<Request> requests;

private:
    void tryBase(quint16 base)
    {
        std::array<std::unique_ptr<QTcpServer>, 4> servers;
        for (int offset = 0; offset < 4; ++offset) {
            servers[size_t(offset)] = std::make_unique<QTcpServer>();
            if (!servers[size_t(offset)]->listen(QHostAddress::LocalHost, quint16(base + offset)))
                return;
        }
        for (int offset = 0; offset < 4; ++offset) {
            QTcpServer* server = servers[size_t(offset)].get();
            connect(server, &QTcpServer::newConnection, this,
                    [this, server, offset] { accept(server, offset); });
        }
        m_servers = std::move(servers);
        m_base = base;
    }

    void accept(QTcpServer* server, int offset)
    {
        while (QTcpSocket* socket = server->nextPendingConnection()) {
            socket->setParent(this);
            auto* quiet = new QTimer(socket);
            quiet->setSingleShot(true);
            quiet->setInterval(40);
            connect(socket, &QTcpSocket::readyRead, quiet, [quiet] { quiet->start(); });
            connect(quiet, &QTimer::timeout, socket, [this, socket, offset] {
                const QByteArray request = socket->readAll();
                requests << Request{offset, request};
                const QByteArray answer = reply ? reply(request) : QByteArray();
                if (!answer.isEmpty())
                    socket->write(answer);
            });
        }
    }

    quint16 m_base = 0;
    std::array<std::unique_ptr<QTcpServer>, 4> m_servers;
};
