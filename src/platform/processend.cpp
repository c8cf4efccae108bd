// SPDX-License-Identifier: GPL-3.0-or-later
#include "processend.h"

#include <QCoreApplication>

namespace platform {

void ProcessEnd::end()
{
    QCoreApplication::exit(0);
}

} // namespace platform
