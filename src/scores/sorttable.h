// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scorerecord.h"

#include <array>

// The name-entry window's table: rows 1 to 5 hold the file's records, row 6 the new entry; row 0
// is never used.
using ScoreRows = std::array<ScoreRecord, 7>;

// Orders rows 1 to 6 by score, highest first, by five full exchange passes that also exchange
// equal scores: ties come out in the order the stored tables have always had.
void SortTable(ScoreRows &Rows);
