// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace Module1 {

// File name of the start-up sound.
extern QString StartSound;

// The program's entry: shows the splash window, starts the start-up sound and returns.
void Main();

} // namespace Module1
