// SPDX-License-Identifier: GPL-3.0-or-later
#include "timer.h"

#include "services.h"

namespace platform {

Timer::Timer(int intervalMs, bool enabled, QObject *parent)
    : QObject(parent), m_engine(*services().timers), m_interval(intervalMs), m_enabled(enabled)
{
    // The splash window's 25 seconds should not run a second short or long.
    m_qtimer.setTimerType(Qt::PreciseTimer);
    connect(&m_qtimer, &QTimer::timeout, this, &Timer::fire);
    restart();
}

Timer::~Timer()
{
    m_engine.stop(*this);
}

void Timer::setInterval(int ms)
{
    m_interval = ms;
    restart();
}

void Timer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    restart();
}

void Timer::fire()
{
    if (m_enabled)
        emit tick();
}

void Timer::restart()
{
    m_engine.stop(*this);
    // An interval of 0 keeps a timer silent, as on the platform the program was designed for.
    if (m_enabled && m_interval > 0)
        m_engine.start(*this);
}

void QtTimerEngine::start(Timer &timer)
{
    timer.qtimer().start(timer.interval());
}

void QtTimerEngine::stop(Timer &timer)
{
    timer.qtimer().stop();
}

} // namespace platform
