// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services.h"

namespace platform {

// The time of day on the system's clock.
class SystemClock final : public Clock
{
public:
    float secondsSinceMidnight() const override;
    QDate today() const override;
};

} // namespace platform
