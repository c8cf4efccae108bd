// SPDX-License-Identifier: GPL-3.0-or-later
#include "sorttable.h"

#include <utility>

void SortTable(ScoreRows &Rows)
{
    for (int pass = 0; pass < 5; ++pass) {
        for (int j = 1; j <= 5; ++j) {
            if (Rows[j].pointsValue() <= Rows[j + 1].pointsValue())
                std::swap(Rows[j], Rows[j + 1]);
        }
    }
}
