// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sound/expected.h"

#include <cstdint>
#include <string>
#include <vector>

namespace soundgen {

// A mono sound in memory, samples in -1..1.
struct MonoSound
{
    int sampleRate = 0;
    std::vector<float> samples;
};

// Reads any format libsndfile knows, mixing channels down to one; or says why it cannot.
audio::Expected<MonoSound> readMono(const std::string &path);

// Writes a 16-bit PCM mono WAV. Throws std::runtime_error.
void writePcm16(const std::string &path, int sampleRate, const std::vector<std::int16_t> &samples);

// Rounds to 16 bits; anything beyond full scale is held at it rather than wrapped.
std::vector<std::int16_t> toPcm16(const std::vector<float> &samples);

} // namespace soundgen
