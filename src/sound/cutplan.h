// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "feed.h"
#include "morsetiming.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace sound {

// How a new sound takes over the stream from the feed playing: what the new feed holds and where
// its first write goes. The sound that may still be heard fades out, silence follows until a
// character gap has passed since the last sound heard, then the new sound starts. Counts are in
// frames of the stream.
class CutPlan
{
public:
    static constexpr int Rate = 44100;
    // The sound cut off fades out over this many frames (5 ms) instead of stopping dead.
    static constexpr int64_t FadeFrames = Rate / 200;
    // The new sound waits until the listener has heard this much silence since the last sound:
    // any less and the old fragment and the new character are heard as one.
    static constexpr auto GapFrames = int64_t(morse::CharacterGapMs * Rate / 1000.0);
    // A cut leaves this much after the server's read position untouched, besides what the server
    // has read since it answered: the sink takes its data in blocks of a few milliseconds, and on
    // a busy machine the cut may take a few more to reach it. Unheard, as the fade is 5 ms after
    // all.
    static constexpr int64_t CutMargin = 8 * Rate / 1000;
    // Sent ahead of the server: enough to ride out a busy machine, little enough that a cut (or a
    // failed play, which writes silence) rewrites little.
    static constexpr int64_t AheadFrames = Rate / 10;

    // What the server said of the stream when asked where it stands.
    struct Server
    {
        // The next frame it reads, and one past the last frame written, as it answered.
        int64_t read = 0;
        int64_t write = 0;
        // Time between the request and now: the server has read on meanwhile, at most this much.
        int64_t sinceAsked = 0;
        // Silence the listener has heard since the stream ran dry, if it has.
        int64_t drained = 0;
        // Frames of the playing feed sent when the request went out: the write index counts
        // those and no more.
        int64_t sentAtRequest = 0;
    };

    enum class Seek
    {
        OnRead,   // where the server reads next
        Relative, // after the last frame written
        Absolute, // at a frame of the stream
    };
    struct Write
    {
        Seek seek = Seek::OnRead;
        int64_t at = 0;
        int64_t frames = 0;
    };

    // old: the feed playing, or nullptr; playedFor: how long since its first frame was heard, as
    // the clock tells. server: where the stream stands, when the server was asked; appendCuts:
    // the old feed may still be heard and the server plays all it was sent (PipeWire), so the
    // cut goes where the queue ends. sound: the new sound, or nullptr for a play that failed.
    CutPlan(const Feed *old, int64_t playedFor, const std::optional<Server> &server, bool appendCuts,
            std::shared_ptr<const Samples> sound);

    // False when there is nothing to write: a failed play after the old sound is over.
    bool writes() const { return m_writes; }
    const Feed &feed() const { return m_feed; }
    Feed takeFeed() { return std::move(m_feed); }
    // Frames from now until the new feed's first frame is heard, near enough.
    int64_t startsIn() const { return m_startsIn; }
    const Write &firstWrite() const { return m_write; }

private:
    void fadeFrom(const Feed &old, int64_t offset);

    Feed m_feed;
    // The silence heard at the end of the lead, by which the gap owed is less.
    int64_t m_quiet = GapFrames;
    bool m_writes = true;
    int64_t m_startsIn = 0;
    Write m_write;
};

} // namespace sound
