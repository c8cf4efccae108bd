// SPDX-License-Identifier: GPL-3.0-or-later
#include "feed.h"

#include <algorithm>
#include <cmath>

namespace sound {

float Feed::at(int64_t frame) const
{
    if (frame >= 0 && frame < int64_t(lead.size()))
        return lead[size_t(frame)];
    frame -= soundStart();
    if (frame < 0 || frame >= soundFrames())
        return 0.0f;
    return float((*sound)[size_t(frame)]) / 32768.0f;
}

int64_t Feed::quietBefore(int64_t frame, int64_t reach) const
{
    const int64_t end = std::min(frame, total());
    // Beyond the end the feed is silent too.
    int64_t quiet = frame - end;
    for (int64_t i = end - 1; i >= 0 && quiet < reach; --i, ++quiet) {
        if (std::abs(at(i)) > Quiet)
            return quiet;
    }
    return std::min(reach, quiet + silenceBefore);
}

} // namespace sound
