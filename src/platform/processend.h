// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services.h"

namespace platform {

// Leaves the event loop; the windows are already gone when this is called.
class ProcessEnd final : public ProgramEnd
{
public:
    void end() override;
};

} // namespace platform
