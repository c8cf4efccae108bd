// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pcmfile.h"
#include "sound/monoaudio.h"

#include <vector>

namespace soundgen {

struct VoiceSettings
{
    int sampleRate = 44100;
    // Level of the speech while it sounds (gated RMS). The Morse tone sits at -6 dBFS RMS; speech
    // much louder than this would need heavy limiting, much quieter would be drowned by the tones.
    double loudnessDbfs = -14.0;
    // Peaks are limited to this, leaving headroom for the player's resampling.
    double ceilingDbfs = -1.0;
    // What is kept before the first and after the last sound above the silence threshold.
    double leadMs = 5.0;
    double tailMs = 150.0;
    // Anything this far below the loudest sample counts as silence when trimming.
    double silenceDb = -40.0;
};

// The player's own resampler, so that tools and program convert rates alike.
using audio::resample;

// Cuts silence at both ends down to the lead and tail, fading in and out across them.
// Throws std::runtime_error if there is no sound at all.
std::vector<float> trimSilence(const std::vector<float> &samples, int sampleRate,
                               const VoiceSettings &settings);

// Gated RMS level in dBFS: the mean power of the 20 ms blocks within 10 dB of the sound's
// average, so pauses between words do not lower it. -inf for silence.
double speechLevelDbfs(const std::vector<float> &samples, int sampleRate);

// Brings the speech to the target level, holding peaks under the ceiling with a look-ahead
// limiter whose gain changes smoothly (no clipping, no clicks).
std::vector<float> normaliseLoudness(const std::vector<float> &samples, int sampleRate,
                                     const VoiceSettings &settings);

// Resample, trim and normalise: speech as the program plays it. Throws std::runtime_error if any
// step fails.
MonoSound prepareVoice(const MonoSound &speech, const VoiceSettings &settings);

} // namespace soundgen
