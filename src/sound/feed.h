// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "soundcache.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace sound {

// What the stream plays from one play() on: the fade of the sound it cut off, silence, then the
// new sound, then, if needed, silence over what the old sound had sent further ahead.
struct Feed
{
    // A sample this quiet or quieter is silence to a listener.
    static constexpr float Quiet = 1.0f / 1024.0f;

    std::vector<float> lead;
    int64_t silence = 0;
    std::shared_ptr<const Samples> sound;
    int64_t tail = 0;
    // Silence heard right before the first frame: a feed that begins quiet may follow a sound
    // that stopped only just before it.
    int64_t silenceBefore = 0;
    // Frames of it written to the server so far.
    int64_t sent = 0;

    int64_t soundFrames() const { return sound ? int64_t(sound->size()) : 0; }
    // Where the new sound begins.
    int64_t soundStart() const { return int64_t(lead.size()) + silence; }
    int64_t total() const { return soundStart() + soundFrames() + tail; }
    float at(int64_t frame) const;
    // How much silence a listener has heard right before `frame`, counting no further back than
    // `reach`; reach itself when that much or more.
    int64_t quietBefore(int64_t frame, int64_t reach) const;
};

} // namespace sound
