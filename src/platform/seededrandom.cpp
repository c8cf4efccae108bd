// SPDX-License-Identifier: GPL-3.0-or-later
#include "seededrandom.h"

#include <bit>

namespace platform {

void SeededRandom::reseed(float seed)
{
    m_generator.seed(std::bit_cast<quint32>(seed));
}

double SeededRandom::draw()
{
    return m_generator.generateDouble();
}

} // namespace platform
