// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <array>

// Fills the introduction window's table from the high-score file: names in top5(0..4), points in
// top5(5..9), in file order, and sets the score a game must beat from the fifth entry.
void ShowTopFive(const std::array<QLabel *, 10> &top5);
