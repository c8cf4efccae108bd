#pragma once

#include "services.h"

#include <cstdint>

namespace runtime {

// The program reseeds from the time of day before every draw, so seeds a fraction of a second
// apart must still give unrelated draws: the seed's bits go through a full-avalanche mix.
class SeededRandom final : public RandomSource
{
public:
    void reseed(float seed) override;
    double draw() override;

private:
    std::uint64_t m_state = 0x853c49e6748fea9bULL;
};

} // namespace runtime
