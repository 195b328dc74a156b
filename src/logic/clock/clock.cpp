// The system's clock: monotonic from the start of the run, alarms on precise timers.
#include "logic/clock/clock.h"

#include <QThread>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <cmath>

SystemClock::SystemClock()
    : m_startOfRun(QTime::currentTime().msecsSinceStartOfDay() / 1000.0)
{
    m_elapsed.start();
}

SystemClock::~SystemClock() = default;

double SystemClock::secondsSinceMidnight() const
{
    return m_startOfRun + static_cast<double>(m_elapsed.nsecsElapsed()) / 1e9;
}

void SystemClock::pause(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

int SystemClock::startAlarm(double seconds, std::function<void()> action)
{
    const int id = ++m_lastAlarm;
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [this, id, action = std::move(action)] {
                         // The timer goes first: the action may start or cancel alarms.
                         const auto fired = m_alarms.find(id);
                         if (fired == m_alarms.end())
                             return;
                         fired->second.release()->deleteLater();
                         m_alarms.erase(fired);
                         action();
                     });
    timer->start(std::max(0, static_cast<int>(std::ceil(seconds * 1000.0))));
    m_alarms.emplace(id, std::move(timer));
    return id;
}

void SystemClock::cancelAlarm(int id)
{
    m_alarms.erase(id);
}
