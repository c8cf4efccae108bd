#include "scoretobeat.h"

namespace Module1 {

double ScoreToBeat = 0;

} // namespace Module1
