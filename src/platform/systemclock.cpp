// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemclock.h"

#include <QDate>
#include <QTime>

namespace platform {

float SystemClock::secondsSinceMidnight() const
{
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

QDate SystemClock::today() const
{
    return QDate::currentDate();
}

} // namespace platform
