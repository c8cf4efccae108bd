// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "morsecode.h"
#include "sound/morsetiming.h"

#include <cstdint>
#include <vector>

namespace soundgen {

struct ToneSettings
{
    int sampleRate = 44100;
    // Character speed by the PARIS standard: one dit lasts 1200 / wpm milliseconds.
    double wpm = morse::Wpm;
    double frequency = 650.0;
    double peakDbfs = -3.0;
    // Raised-cosine rise and fall of each element; short enough to keep the dits crisp, long
    // enough that the tone has no key clicks.
    double edgeMs = 5.0;
    // Silence after the last element, so no sound chain clips the final fall.
    int tailDits = 1;
};

// Length of one dit in whole samples; every element and gap is a whole number of these, so
// timing never drifts along a message.
int ditSamples(const ToneSettings &settings);

// Renders keying as a pure sine. Each element fills exactly its dits, rising from and falling
// back to silence inside them; gaps are exact digital silence. Throws std::invalid_argument
// on settings that cannot make a clean tone.
std::vector<std::int16_t> renderTone(const std::vector<KeyMark> &marks, const ToneSettings &settings);

} // namespace soundgen
