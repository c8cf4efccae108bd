// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace Module1 {

// The score a finished game must beat to enter the top five: set from the table's fifth entry,
// raised by a qualifying game, and read as the score to record. 0 until first set.
extern double ScoreToBeat;

} // namespace Module1
