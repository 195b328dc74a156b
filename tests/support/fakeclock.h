#pragma once
// A clock that jumps instead of waiting: every pause and alarm of the code under test is instant.

#include "logic/clock/clock.h"

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

class FakeClock final : public Clock
{
public:
    double now = 36000.0; // 10:00 in the morning
    QList<int> pauses;    // every pause asked for, in milliseconds
    // On: an alarm fires by itself after a compressed real delay (realMsPerSecond for each of
    // its seconds), the clock jumping to its due time, so waits of seconds take milliseconds.
    // Off: time stands still until the test moves it with advance().
    bool autoAdvance = true;
    int realMsPerSecond = 100;

    double secondsSinceMidnight() const override { return now; }
    void pause(int milliseconds) override
    {
        pauses << milliseconds;
        if (milliseconds > 0)
            now += milliseconds / 1000.0;
    }
    int startAlarm(double seconds, std::function<void()> action) override
    {
        const int id = ++m_lastAlarm;
        const double due = now + std::max(0.0, seconds);
        m_alarms.push_back(Alarm{id, due, std::move(action)});
        if (autoAdvance)
            QTimer::singleShot(int(std::max(0.0, seconds) * realMsPerSecond), &m_context,
                               [this, id] {
                                   if (!autoAdvance)
                                       return;
                                   const auto it = find(id);
                                   if (it != m_alarms.end())
                                       advanceTo(it->due);
                               });
        return id;
    }
    void cancelAlarm(int id) override
    {
        const auto it = find(id);
        if (it != m_alarms.end())
            m_alarms.erase(it);
    }
    // Moves the clock on and fires every alarm that falls due, earliest first.
    void advance(double seconds) { advanceTo(now + seconds); }
    void advanceTo(double time)
    {
        now = std::max(now, time);
        forever {
            auto next = std::min_element(
                m_alarms.begin(), m_alarms.end(), [](const Alarm& a, const Alarm& b) {
                    return a.due < b.due || (a.due == b.due && a.id < b.id);
                });
            if (next == m_alarms.end() || next->due > now)
                return;
            const std::function<void()> action = std::move(next->action);
            m_alarms.erase(next);
            action();
        }
    }
    // Jumps to the earliest pending alarm and fires it; false when none is pending.
    bool advanceToNextAlarm()
    {
        if (m_alarms.empty())
            return false;
        double due = m_alarms.front().due;
        for (const Alarm& alarm : m_alarms)
            due = std::min(due, alarm.due);
        advanceTo(due);
        return true;
    }
    [[nodiscard]] int pendingAlarms() const { return int(m_alarms.size()); }

private:
    struct Alarm
    {
        int id;
        double due;
        std::function<void()> action;
    };
    std::vector<Alarm>::iterator find(int id)
    {
        return std::find_if(m_alarms.begin(), m_alarms.end(),
                            [id](const Alarm& alarm) { return alarm.id == id; });
    }
    int m_lastAlarm = 0;
    std::vector<Alarm> m_alarms;
    QObject m_context; // the real timers of autoAdvance end with the clock
};
