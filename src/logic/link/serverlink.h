#pragma once
// The exchange with the supplier's server: four rotating ports, a queue of requests each with
// the handler its reply goes to, one connection per request, driven by the socket's signals and
// the clock's alarms. Nothing here blocks or spins the event loop.
//
// Where a reply ends (the one framing rule of the link):
//   - a reply is every byte its connection receives, joined, and goes only to the request that
//     connection carried;
//   - it has ended when the server closes or resets the connection, or when the close deadline
//     (round(clock + 1.3) after the last arrival) passes with nothing new; an order's connection
//     also ends when its hold time passes without a reply;
//   - until then the handler gets the text as it grows, and once more, whole, when it has ended.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Clock;
class QTcpSocket;

class ServerLink : public QObject
{
    Q_OBJECT

public:
    enum class Kind { Inquiry, LoginTest, Order }; // an order tries base + 3 first, the others + 0
    // How grave a failure is; the window picks the box's icon from it.
    enum class Severity { Warning, Critical };
    enum class ReplyState {
        Growing, // more of the reply is in; it may still grow
        Ended,   // the reply is whole (it may be empty: the server said nothing)
        Failed,  // no connection was made; the text says why
    };
    // Gets the reply text by value: it may start the next request from inside.
    using ReplyHandler = std::function<void(quint64 id, QString text, ServerLink::ReplyState)>;

    static constexpr int MaxAttempts = 100;
    // The close deadline is the whole second nearest to the last arrival + this.
    static constexpr double CloseAfterSeconds = 1.3;
    // An order's connection waits this long for its confirmation before it is dropped.
    static constexpr double OrderHoldSeconds = 600.0;
    // After this long without a confirmation the order counts as overdue: the user is told, and
    // may send it again.
    static constexpr double OrderOverdueSeconds = 30.0;

    explicit ServerLink(Clock& clock, QObject* parent = nullptr);
    ~ServerLink() override;

    // The server for the next request: host name or dotted address, and the base port.
    void setServer(const QString& host, qint16 basePort);
    // Called with each request once it is on the wire; false when it could not be recorded.
    void setTraceRecorder(std::function<bool(const QString&)> recorder);

    // ---- the window's requests ----------------------------------------------------------------
    // Queues the window's request and starts it when no other request is connecting. Its reply
    // goes out through replyArrived. Starting it closes the window's previous connection, unless
    // that connection carried an order still awaiting its confirmation: that one is held, beside
    // the new one, until its reply has ended. 0, and nothing is done, while isBusy(kind).
    quint64 SendSockData(Kind kind, const QString& request);
    // One of the window's requests is being connected or waits its turn; for an order also while
    // an order sent less than OrderOverdueSeconds ago awaits its confirmation.
    [[nodiscard]] bool isBusy(Kind kind) const;
    // Stops the window's requests that are being connected or wait their turn. False when there
    // was none.
    bool cancel();
    // Drops the window's requests of this kind, connected or not, without a further word (a
    // login test past its deadline).
    void abandon(Kind kind);
    // The request whose connection is the window's current one (0: none). Its socket is named
    // "Winsock" and it alone lights the lamps.
    [[nodiscard]] quint64 currentRequest() const;
    // The orders whose connection still waits for the confirmation, and the clock when each was
    // written to the server.
    struct PendingOrder
    {
        quint64 id;
        double sentAt;
    };
    [[nodiscard]] std::vector<PendingOrder> ordersAwaitingConfirmation() const;
    // The request is queued or its connection is open (its reply has not ended).
    [[nodiscard]] bool isPending(quint64 id) const { return find(id) != nullptr; }

    // ---- any client's requests ----------------------------------------------------------------
    // Queues a request with its own handler and returns its id (never 0). The request is started
    // when no other request is connecting; it closes no other connection. The handler gets the
    // reply as it grows (Growing), then once Ended; or once Failed when no connection could be
    // made (the text is the reason). Nothing is handed on after cancel(id).
    quint64 queue(Kind kind, const QString& request, ReplyHandler handler);
    // Drops the request, queued or connected, without calling its handler. False when unknown.
    bool cancel(quint64 id);

    // The close rule of the periodic timer, kept as a backstop to the close deadline's alarm: a
    // connection whose deadline has passed is ended, unless its reply is being handled.
    void closeIfDue();
    void ClearSocketLights();

    // WaitNextSecond's target: the whole second nearest to clock + 0.5, halves to even.
    [[nodiscard]] static double nextSecond(double clock);

    // The close deadline of the window's current connection (0: none pending).
    [[nodiscard]] qint32 SocketTimer() const;
    [[nodiscard]] qint16 MaxSocketOffset() const { return 3; }
    // Of the window's latest request: its connection attempts, and its reply so far.
    [[nodiscard]] int attempts() const { return m_attempts; }
    [[nodiscard]] const QString& reply() const { return m_reply; }

signals:
    // The reply of one of the window's requests, all of it so far; ended: it is whole.
    void replyArrived(quint64 id, QString reply, bool ended);
    void lampChanged(int offset, bool lit);
    void progress(const QString& message); // "" clears it
    void failed(const QString& message, ServerLink::Severity severity);
    // The attempts of a window request ended without a connection (given up, unknown host,
    // stopped, no address).
    void attemptsEnded();
    // The whole request has been written to its connection (an order: before its confirmation
    // can arrive).
    void requestWritten(quint64 id, ServerLink::Kind kind);
    // A window request that had to wait behind another has now left the queue.
    void leftQueue(quint64 id, ServerLink::Kind kind);

private:
    // One request and its connection. State table at the top of serverlink.cpp.
    enum class State { Queued, Connecting, Pausing, Open, Ended };
    enum class End { ServerClosed, Reset, Deadline, HoldOver };
    struct Connection
    {
        quint64 id = 0;
        Kind kind = Kind::Inquiry;
        QString request;
        ReplyHandler handler;
        bool window = false; // made by SendSockData: part of the window's exchange
        bool waited = false; // queued behind another request
        State state = State::Queued;
        QString host;
        qint16 base = 0;
        qint16 offset = 0;
        int attempts = 0;
        bool told = false; // the progress line has been used for it
        QTcpSocket* socket = nullptr;
        int watch = -1; // tells a reset from a close (see watchDescriptor)
        double sentAt = 0;
        QString reply;
        qsizetype handedOn = -1; // characters handed to the handler; -1: nothing yet
        bool delivering = false; // its handler runs (and may show a box)
        qint32 socketTimer = 0;
        int attemptAlarm = 0;
        int pauseAlarm = 0;
        int closeAlarm = 0;
        int holdAlarm = 0;
    };

    [[nodiscard]] Connection* find(quint64 id) const;
    [[nodiscard]] Connection* current() const { return find(m_current); }
    [[nodiscard]] bool awaitingConfirmation(const Connection& c) const;
    [[nodiscard]] bool attempting(const Connection& c) const
    {
        return c.state == State::Connecting || c.state == State::Pausing;
    }
    quint64 add(Kind kind, const QString& request, ReplyHandler handler, bool window);
    void startNext();
    void start(Connection& c);
    void takeSocket(Connection& c);
    void nextAttempt(Connection& c);
    void attemptFailed(quint64 id, bool hostUnknown);
    void fail(quint64 id, const QString& message, Severity severity, bool attemptsOver);
    void connected(quint64 id);
    void stageFailed(quint64 id, const QString& stage);
    void Winsock_DataArrival(quint64 id);
    void takeAvailable(Connection& c);
    void end(quint64 id, End how);
    void deliver(quint64 id);
    // Forgets the connection: its alarms, and its socket (kept as the idle "Winsock" when it was
    // the window's current one).
    void remove(quint64 id);
    void cancelAlarm(int& id);

    Clock& m_clock;
    std::function<bool(const QString&)> m_trace;
    QString m_host;
    qint16 m_base = 0;
    std::vector<std::unique_ptr<Connection>> m_connections; // in the order they were queued
    quint64 m_lastId = 0;
    quint64 m_current = 0;
    QTcpSocket* m_winsock = nullptr; // the window's socket while not held by an order
    int m_attempts = 0;
    QString m_reply;
};
