#pragma once
// The listening side: four consecutive ports, one request and one reply per connection.

#include <QHostAddress>
#include <QList>
#include <QObject>

class QTcpServer;

namespace demo {

class RequestHandler;

struct ServerOptions
{
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 basePort = 3300; // 0: any four consecutive free ports
    int idleMs = 10'000;     // a connection without a whole request by then is closed
    int quietMs = 200;       // no bytes for this long completes a request as it stands
    int inquiryQuietMs = 150;
    int lingerMs = 1'000; // after the reply, how long the client may take to close first
    // After the reply the connection stays open (nothing marks the reply's end) until the
    // client closes it, or idleMs pass.
    bool keepOpen = false;
    qsizetype maxRequest = 64 * 1024;
};

class DemoServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int PortCount = 4;

    // The handler must outlive the server.
    DemoServer(RequestHandler& handler, ServerOptions options, QObject* parent = nullptr);
    ~DemoServer() override;

    // Listens on base+0 to base+3. Empty on success, else why not.
    [[nodiscard]] QString listen();
    // Stops listening and drops every open connection.
    void close();
    [[nodiscard]] quint16 basePort() const { return m_basePort; }
    [[nodiscard]] const ServerOptions& options() const { return m_options; }
    [[nodiscard]] RequestHandler& handler() const { return m_handler; }

signals:
    // One line per request: time, ports, request kind, outcome.
    void logged(const QString& line);

private:
    void accept(qintptr descriptor, quint16 localPort);

    RequestHandler& m_handler;
    ServerOptions m_options;
    QList<QTcpServer*> m_listeners;
    quint16 m_basePort = 0;

    friend class Listener;
    friend class Connection;
};

} // namespace demo
