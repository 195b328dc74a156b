#pragma once
// A supplier server for the inquiry tests on 127.0.0.1, on a port the client can reach: the
// client holds its base port as a 16-bit signed number, so the port must lie below 32768.
// Listens on the base port only (where an inquiry goes first), records each request and answers
// it once the request has gone quiet, in pieces when asked.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

class InquiryServer : public QObject
{
public:
    InquiryServer()
    {
        for (quint16 port = 21000; port < 32760 && !m_server.isListening(); port += 7)
            m_server.listen(QHostAddress::LocalHost, port);
        connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
    }

    [[nodiscard]] bool isListening() const { return m_server.isListening(); }
    [[nodiscard]] quint16 basePort() const { return m_server.serverPort(); }

    std::function<QByteArray(const QByteArray& request)> reply;
    QList<int> pieces; // sizes of the first pieces; the rest goes last, each after a pause
    QList<QByteArray> requests;
    int connections = 0;

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++connections;
            socket->setParent(this);
            auto* quiet = new QTimer(socket);
            quiet->setSingleShot(true);
            quiet->setInterval(40);
            connect(socket, &QTcpSocket::readyRead, quiet, [quiet] { quiet->start(); });
            connect(quiet, &QTimer::timeout, socket, [this, socket] { answer(socket); });
        }
    }

    void answer(QTcpSocket* socket)
    {
        const QByteArray request = socket->readAll();
        requests << request;
        QByteArray rest = reply ? reply(request) : QByteArray();
        QList<QByteArray> parts;
        for (int size : std::as_const(pieces)) {
            parts << rest.left(size);
            rest = rest.mid(size);
        }
        parts << rest;
        int delay = 0;
        for (const QByteArray& part : std::as_const(parts)) {
            if (part.isEmpty())
                continue;
            QTimer::singleShot(delay, socket, [socket, part] {
                socket->write(part);
                socket->flush();
            });
            delay += 30;
        }
    }

    QTcpServer m_server;
};
