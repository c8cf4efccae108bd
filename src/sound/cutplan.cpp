// SPDX-License-Identifier: GPL-3.0-or-later
#include "cutplan.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sound {

// What the listener has heard is counted in the stream's own frames wherever they are known: the
// clock runs on while a stream that ran dry or stalled waits, and silence it counts may not have
// been heard yet. Only when the server was not asked does the clock stand in.
CutPlan::CutPlan(const Feed *old, int64_t playedFor, const std::optional<Server> &server, bool appendCuts,
                 std::shared_ptr<const Samples> sound)
{
    m_feed.sound = std::move(sound);
    // What the old feed has queued from where the new one begins, which the new one writes over.
    int64_t cover = 0;
    bool carriesOn = false;
    if (!old) {
        m_quiet = GapFrames;
    } else if (appendCuts) {
        // All that was sent is heard; the old sound fades out from where it stops.
        carriesOn = true;
        fadeFrom(*old, old->sent);
        m_write = {Seek::Relative, 0, 0};
        m_startsIn = std::max<int64_t>(0, old->sent - playedFor);
    } else if (server && server->read >= server->write) {
        // The stream has run dry: all that was sent has been heard, then silence since. The
        // server's counts say how long, where the clock would count any stall as silence too.
        const int64_t sentEnd = server->sentAtRequest;
        m_quiet =
            std::min(GapFrames, old->quietBefore(sentEnd, GapFrames) + std::max<int64_t>(0, server->drained));
        m_feed.silenceBefore = m_quiet;
    } else if (server) {
        // The old sound plays on unchanged up to a point a little past the read index, and all of
        // it up to there may be heard; it fades out from there. Never before the old feed's first
        // frame, whose lead was written for what came before it, nor past what was sent: with
        // less than the margin queued, the queue plays out and the fade follows it.
        const int64_t feedAt = server->write - server->sentAtRequest;
        const int64_t readNow = server->read + server->sinceAsked;
        const int64_t cut = std::clamp(readNow + CutMargin, feedAt, server->write);
        carriesOn = true;
        fadeFrom(*old, cut - feedAt);
        cover = server->write - cut;
        m_write = {Seek::Absolute, cut, 0};
        m_startsIn = std::max<int64_t>(0, cut - readNow);
    } else {
        // Only the clock tells what has been heard: the sound played from its start without a
        // break, then silence.
        const int64_t heard = std::clamp<int64_t>(playedFor, 0, old->sent);
        m_quiet =
            std::min(GapFrames, old->quietBefore(heard, GapFrames) + (std::max(playedFor, heard) - heard));
        m_feed.silenceBefore = m_quiet;
    }
    if (!m_feed.sound && !carriesOn) {
        m_writes = false; // a failed play with nothing left to cut: silence is what there is already
        return;
    }
    m_feed.silence = m_feed.sound ? std::max<int64_t>(0, GapFrames - m_quiet) : 0;
    // Silence over what the old sound had sent beyond the new feed's end.
    m_feed.tail = std::max<int64_t>(0, cover - m_feed.total());
    // It covers all that the old feed had sent from the cut on, so none of that is left to play.
    m_write.frames = std::min(m_feed.total(), std::max(AheadFrames, cover));
}

// The old sound's own continuation fades out sample for sample, so that it never stops dead.
void CutPlan::fadeFrom(const Feed &old, int64_t offset)
{
    const int64_t fade = std::clamp<int64_t>(old.total() - offset, 0, FadeFrames);
    m_feed.lead.resize(size_t(fade));
    // A raised cosine starts and ends flat, so the fade adds no step of its own.
    for (int64_t i = 0; i < fade; ++i) {
        const double gain = 0.5 + 0.5 * std::cos(std::numbers::pi * double(i + 1) / double(FadeFrames + 1));
        m_feed.lead[size_t(i)] = float(old.at(offset + i) * gain);
    }
    m_feed.silenceBefore = old.quietBefore(offset, GapFrames);
    // The fade's own quiet end counts as silence already heard.
    m_quiet = m_feed.quietBefore(fade, GapFrames);
}

} // namespace sound
