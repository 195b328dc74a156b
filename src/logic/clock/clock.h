#pragma once
// The clock every wait and deadline of the client runs on: seconds since the start of the day,
// alarms from the event loop, and the few still pauses the window keeps on purpose. main() passes
// the system's clock; tests pass a fake one on which every wait is instant.

#include <QElapsedTimer>

#include <functional>
#include <map>
#include <memory>

class QTimer;

class Clock
{
public:
    virtual ~Clock() = default;
    // Seconds since the start of the day the program started on, with fraction. Monotonic: it
    // keeps counting past midnight (86400 and more) instead of falling back to 0, so no deadline
    // or pause is ever missed.
    virtual double secondsSinceMidnight() const = 0;
    // A still pause that blocks the window without spinning a core; the fake one just jumps.
    virtual void pause(int milliseconds) = 0;
    // Runs action once from the event loop when the clock has moved on by seconds; nothing
    // blocks meanwhile. The id cancels it; cancelling a fired or unknown id does nothing.
    virtual int startAlarm(double seconds, std::function<void()> action) = 0;
    virtual void cancelAlarm(int id) = 0;
};

// The production clock.
class SystemClock final : public Clock
{
public:
    SystemClock();
    ~SystemClock() override;
    double secondsSinceMidnight() const override;
    void pause(int milliseconds) override;
    int startAlarm(double seconds, std::function<void()> action) override;
    void cancelAlarm(int id) override;

private:
    double m_startOfRun = 0; // seconds since midnight when the clock was made
    QElapsedTimer m_elapsed; // monotonic from then on
    int m_lastAlarm = 0;
    std::map<int, std::unique_ptr<QTimer>> m_alarms;
};
