// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expected.h"

#include <cstdint>
#include <string>
#include <vector>

// Reading sound files as one channel at one rate: the one path that both the program's player and
// the sound tools take. Plain C++, no Qt, so that the tools need nothing more.
namespace audio {

// What a file's header may declare before anything is allocated for its sound.
struct Limits
{
    int minRate = 8000;
    int maxRate = 192000;
    double maxSeconds = 60.0;
};

template <class Sample> struct Mono
{
    int rate = 0;
    std::vector<Sample> samples;
};

// Reads a regular file in any format libsndfile knows, averages its channels into one and, unless
// rate is 0, brings it to that rate. A file that is not a regular file (a FIFO, a folder), a format
// that cannot be read, and a header outside the limits are refused with the reason before anything
// is allocated for the sound. A FIFO is refused without waiting for a writer.
Expected<Mono<std::int16_t>> readMono16(const std::string &path, int rate, const Limits &limits);
Expected<Mono<float>> readMonoFloat(const std::string &path, int rate, const Limits &limits);

// Band-limited resampling (libsoxr, high quality): no images going up, no aliases going down.
Expected<std::vector<float>> resample(const std::vector<float> &samples, int fromRate, int toRate);

} // namespace audio
