// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services.h"

#include <QObject>
#include <QTimer>

namespace platform {

// A window's timer: ticks every interval while enabled. Enabling it or changing its interval
// starts the count again. The engine that drives it is chosen when it is made.
class Timer : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Timer)
public:
    explicit Timer(int intervalMs, bool enabled, QObject *parent = nullptr);
    ~Timer() override;

    int interval() const { return m_interval; }
    void setInterval(int ms);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Called by the engine when the interval has run out.
    void fire();
    // The real engine's clockwork.
    QTimer &qtimer() { return m_qtimer; }

signals:
    void tick();

private:
    void restart();

    TimerEngine &m_engine;
    QTimer m_qtimer;
    int m_interval = 0;
    bool m_enabled = false;
};

class QtTimerEngine final : public TimerEngine
{
public:
    void start(Timer &timer) override;
    void stop(Timer &timer) override;
};

} // namespace platform
