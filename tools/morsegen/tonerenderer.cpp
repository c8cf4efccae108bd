// SPDX-License-Identifier: GPL-3.0-or-later
#include "tonerenderer.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace soundgen {

int ditSamples(const ToneSettings &settings)
{
    return int(std::lround(settings.sampleRate * 1.2 / settings.wpm));
}

std::vector<std::int16_t> renderTone(const std::vector<KeyMark> &marks, const ToneSettings &settings)
{
    if (settings.sampleRate < 8000 || settings.wpm <= 0.0 || settings.tailDits < 0)
        throw std::invalid_argument("sample rate, speed or tail out of range");
    if (settings.frequency <= 0.0 || settings.frequency >= settings.sampleRate / 2.0)
        throw std::invalid_argument("tone frequency out of range");
    if (settings.peakDbfs > 0.0)
        throw std::invalid_argument("peak above full scale would clip");

    const int dit = ditSamples(settings);
    const int edge = int(std::lround(settings.edgeMs * settings.sampleRate / 1000.0));
    // A dit must still reach full level between its rise and its fall.
    if (edge < 1 || 2 * edge > dit)
        throw std::invalid_argument("edge too long for this speed");

    // The rise, sampled at half-sample offsets so that the fall is its exact mirror.
    std::vector<double> rise(std::size_t(edge), 0.0);
    for (int n = 0; n < edge; ++n)
        rise[std::size_t(n)] = 0.5 * (1.0 - std::cos(std::numbers::pi * (n + 0.5) / edge));

    const double amplitude = 32767.0 * std::pow(10.0, settings.peakDbfs / 20.0);
    const double step = 2.0 * std::numbers::pi * settings.frequency / settings.sampleRate;

    std::vector<std::int16_t> samples;
    samples.reserve(std::size_t(totalDits(marks) + settings.tailDits) * std::size_t(dit));
    for (const KeyMark &mark : marks) {
        const int length = mark.dits * dit;
        if (!mark.keyDown) {
            samples.insert(samples.end(), std::size_t(length), 0);
            continue;
        }
        // Every element starts at the same phase, so all dits sound alike.
        for (int n = 0; n < length; ++n) {
            double envelope = 1.0;
            if (n < edge)
                envelope = rise[std::size_t(n)];
            else if (n >= length - edge)
                envelope = rise[std::size_t(length - 1 - n)];
            samples.push_back(std::int16_t(std::lround(amplitude * envelope * std::sin(step * n))));
        }
    }
    if (!marks.empty())
        samples.insert(samples.end(), std::size_t(settings.tailDits) * std::size_t(dit), 0);
    return samples;
}

} // namespace soundgen
