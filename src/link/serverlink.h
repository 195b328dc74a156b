#pragma once
// The exchange with the supplier's server: four rotating ports, one request at a time, driven by
// the socket's signals and the clock's alarms. Nothing here blocks or spins the event loop.

#include <QMessageBox>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class Clock;
class QTcpSocket;

class ServerLink : public QObject
{
    Q_OBJECT

public:
    enum class Kind { Inquiry, LoginTest, Order }; // an order tries base + 3 first, the others + 0

    static constexpr int MaxAttempts = 100;
    // A reply is taken as whole once this long has passed without a further piece.
    static constexpr double QuietSeconds = 0.5;
    // An order's connection waits this long for its confirmation before it is dropped.
    static constexpr double OrderReplySeconds = 30.0;

    explicit ServerLink(Clock& clock, QObject* parent = nullptr);
    ~ServerLink() override;

    // The server for the next request: host name or dotted address, and the base port.
    void setServer(const QString& host, qint16 basePort);
    // Called with each request once it is on the wire; false when it could not be recorded.
    void setTraceRecorder(std::function<bool(const QString&)> recorder);

    // Starts connecting and returns at once. While an order waits for its confirmation an
    // inquiry or login test is held back and sent after it. False, and nothing is done, while
    // isBusy(kind).
    bool SendSockData(Kind kind, const QString& request);
    // A request is being connected or waits its turn; for an order also while the previous
    // order waits for its confirmation.
    [[nodiscard]] bool isBusy(Kind kind) const;
    // Stops the connection attempts and drops a waiting request. False when there was none.
    bool cancel();
    // Drops the connection and any waiting request of this kind (a login test past its deadline).
    void abandon(Kind kind);
    // The close rule of the periodic timer: once the clock is past SocketTimer, the reply is
    // finished and the connection closed, unless a reply is being handled or bytes are unread.
    void closeIfDue();

    void Winsock_DataArrival();
    void ClearSocketLights();

    // WaitNextSecond's target: the whole second nearest to clock + 0.5, halves to even.
    [[nodiscard]] static double nextSecond(double clock);

    [[nodiscard]] qint16 SocketBase() const { return m_base; }
    [[nodiscard]] qint32 SocketTimer() const { return m_socketTimer; }
    [[nodiscard]] qint16 MaxSocketOffset() const { return 3; }
    [[nodiscard]] int attempts() const { return m_attempts; }      // of the current request
    [[nodiscard]] const QString& reply() const { return m_reply; } // so far, on this connection

signals:
    // The reply so far: every piece of this connection joined. first: a new reply begins.
    // complete: the server closed, or it went quiet, or the connection is being closed. A reply
    // handed on as complete can still grow if the server sends more on the same connection.
    void replyArrived(const QString& reply, bool first, bool complete);
    void lampChanged(int offset, bool lit);
    void progress(const QString& message); // "" clears it
    void failed(const QString& message, QMessageBox::Icon icon);
    // The attempts ended without a connection (given up, unknown host, stopped, no address).
    void attemptsEnded();
    // The whole request has been written to the connection (an order: before its confirmation
    // can arrive).
    void requestWritten(ServerLink::Kind kind);

private:
    enum class Phase { Idle, Connecting, Pausing, Open };
    struct Waiting
    {
        Kind kind;
        QString request;
        QString host;
        qint16 base;
    };

    // Connecting, or pausing before the next attempt.
    [[nodiscard]] bool attempting() const
    {
        return m_phase == Phase::Connecting || m_phase == Phase::Pausing;
    }
    void start(Kind kind, const QString& request);
    void nextAttempt();
    void attemptFailed(bool hostUnknown);
    void connected();
    void serverClosed();
    void stageFailed(const QString& stage);
    // Ends the connection, or the attempt at one: its alarms, its socket and its reply.
    void dropConnection();
    void resetReply();
    void takeAvailable();
    void deliver();
    void orderSettled();
    void cancelAlarm(int& id);

    Clock& m_clock;
    QTcpSocket* m_socket;
    std::function<bool(const QString&)> m_trace;
    QString m_host;
    qint16 m_base = 0;
    qint32 m_socketTimer = 0;

    Phase m_phase = Phase::Idle;
    Kind m_kind = Kind::Inquiry;
    QString m_request;
    QString m_attemptHost;
    qint16 m_attemptBase = 0;
    qint16 m_offset = 0;
    int m_attempts = 0;
    bool m_told = false; // the progress line has been used for this request
    int m_attemptAlarm = 0;
    int m_pauseAlarm = 0;
    std::optional<Waiting> m_waiting;

    bool m_awaitingOrder = false;
    int m_orderAlarm = 0;

    // The reply of the open connection.
    quint64 m_generation = 0; // moves on with every connection, so stale work is dropped
    QString m_reply;
    qsizetype m_delivered = 0;
    bool m_replyComplete = false;
    bool m_completeDelivered = false;
    bool m_delivering = false;
    int m_quietAlarm = 0;
};
