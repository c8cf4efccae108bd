// SPDX-License-Identifier: GPL-3.0-or-later
#include "topfive.h"

#include "scoretobeat.h"
#include "toptenfile.h"

void ShowTopFive(const std::array<QLabel *, 10> &top5)
{
    const TopTenFile::Table TopRows = TopTenFile::read();
    for (std::size_t k = 0; k < TopRows.size(); ++k) {
        // Exactly as stored, trailing spaces included, in file order.
        top5[k]->setText(TopRows[k].Name);
        top5[k + 5]->setText(TopRows[k].Points);
    }
    Module1::ScoreToBeat = TopTenFile::fifthScore(TopRows);
}
