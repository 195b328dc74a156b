// The periodic tick and its rhythm.
#include "logic/tick/ticker.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int FirstTickInterval = 1000;
constexpr int TickInterval = 9000;

} // namespace

Ticker::Ticker(QObject* parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    setObjectName(u"Ticker"_s);
    m_timer->setObjectName(u"MiscTimer"_s);
    m_timer->setInterval(FirstTickInterval);
    connect(m_timer, &QTimer::timeout, this, &Ticker::MiscTimer_Timer);
}

void Ticker::start()
{
    m_timer->start();
}

void Ticker::MiscTimer_Timer()
{
    const bool nested = m_inTick;
    m_inTick = true;
    if (!nested)
        emit setupDue(); // may show a box
    // The first tick moves to the nine-second rhythm even when SAVE or the login test read the
    // settings before it; otherwise the status line would be wiped every second for the whole
    // run. Only changed once: setting the interval restarts the timer.
    if (m_timer->interval() != TickInterval)
        m_timer->setInterval(TickInterval);
    emit housekeeping(nested);
    if (!nested)
        m_inTick = false;
}
