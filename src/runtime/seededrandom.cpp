#include "seededrandom.h"

#include <bit>

namespace runtime {

namespace {
// SplitMix64: every input bit flips about half of the output bits.
std::uint64_t splitMix64(std::uint64_t &state)
{
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}
} // namespace

void SeededRandom::reseed(float seed)
{
    std::uint64_t bits = std::bit_cast<std::uint32_t>(seed);
    m_state = splitMix64(bits);
}

double SeededRandom::draw()
{
    // The top 53 bits make a double in [0, 1) with every value equally likely.
    return static_cast<double>(splitMix64(m_state) >> 11) * 0x1.0p-53;
}

} // namespace runtime
