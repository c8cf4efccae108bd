// SPDX-License-Identifier: GPL-3.0-or-later
#include "scoretobeat.h"

namespace Module1 {

double ScoreToBeat = 0;

} // namespace Module1
