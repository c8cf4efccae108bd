// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services.h"

#include <QRandomGenerator>

namespace platform {

// The program reseeds from the time of day before every draw, so seeds a fraction of a second
// apart must still give unrelated draws: Qt's generator, seeded with all the seed's bits, does.
class SeededRandom final : public RandomSource
{
public:
    void reseed(float seed) override;
    double draw() override;

private:
    QRandomGenerator m_generator;
};

} // namespace platform
