#include "cutplan.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sound {

namespace {

// The last frame before `end` that a listener hears, or -1 if none within `reach` frames.
int64_t lastLoudBefore(const Feed &feed, int64_t end, int64_t reach)
{
    for (int64_t i = std::min(end, feed.total()) - 1; i >= std::max<int64_t>(0, end - reach); --i) {
        if (std::abs(feed.at(i)) > Feed::Quiet)
            return i;
    }
    return -1;
}

} // namespace

// With the server's indices, the old sound is still queued from the read index on: it plays on
// unchanged up to a point a little past that index, and from there its own continuation fades
// out, sample for sample, so that it never stops dead. Silence follows until a character gap has
// passed since its last sound, and then the new sound. Without them, nothing of the old sound is
// left to hear, and only the rest of the gap is owed, as the clock tells.
CutPlan::CutPlan(const Feed *old, int64_t playedFor, const std::optional<Server> &server, bool appendCuts,
                 std::shared_ptr<const Samples> sound)
{
    m_feed.sound = std::move(sound);
    std::optional<int64_t> readIndex;
    std::optional<int64_t> writeIndex;
    int64_t sentAtRequest = 0;
    if (old && appendCuts) {
        // Stand-in indices that put the cut at the end of what was sent.
        readIndex = 0;
        writeIndex = old->sent + 1;
        sentAtRequest = old->sent;
    } else if (server) {
        readIndex = server->read + server->sinceAsked;
        writeIndex = server->write;
        sentAtRequest = server->sentAtRequest;
    }
    std::optional<int64_t> from;
    if (readIndex && writeIndex && old) {
        const int64_t feedAt = *writeIndex - sentAtRequest;
        const int64_t cut =
            appendCuts ? *writeIndex : std::max(std::min(*readIndex + CutMargin, *writeIndex), *readIndex);
        const int64_t offset = cut - feedAt;
        if (offset >= 0 && *readIndex < *writeIndex && (cut < *writeIndex || appendCuts)) {
            from = cut;
            const int64_t fade = std::min(FadeFrames, old->total() - offset);
            m_feed.lead.resize(size_t(fade));
            // A raised cosine starts and ends flat, so the fade adds no step of its own.
            for (int64_t i = 0; i < fade; ++i) {
                const double gain =
                    0.5 + 0.5 * std::cos(std::numbers::pi * double(i + 1) / double(FadeFrames + 1));
                m_feed.lead[size_t(i)] = float(old->at(offset + i) * gain);
            }
            // The fade's own quiet end counts as silence already heard.
            int64_t last = -1;
            for (int64_t i = fade - 1; i >= 0 && last < 0; --i) {
                if (std::abs(m_feed.lead[size_t(i)]) > Feed::Quiet)
                    last = i;
            }
            if (last < 0) {
                const int64_t before = lastLoudBefore(*old, offset, GapFrames);
                last = before < 0 ? -GapFrames - 1 : before - offset;
            }
            m_feed.silence = m_feed.sound ? std::max<int64_t>(0, last + 1 + GapFrames - fade) : 0;
            // Silence over what the old sound had sent beyond the new feed's end.
            m_feed.tail = std::max<int64_t>(0, *writeIndex - cut - m_feed.total());
        }
    }
    if (!from) {
        int64_t owed = 0;
        if (old) {
            const int64_t heard = std::min(old->sent, playedFor);
            const int64_t last = lastLoudBefore(*old, heard, GapFrames);
            const int64_t quiet = playedFor - (last + 1);
            owed = last < 0 || quiet >= GapFrames ? 0 : GapFrames - quiet;
        }
        m_feed.silence = m_feed.sound ? owed : 0;
    }
    if (!m_feed.sound && !from) {
        m_writes = false; // a failed play with nothing left to cut: silence is what there is already
        return;
    }
    if (from && appendCuts)
        m_startsIn = std::max<int64_t>(0, sentAtRequest - playedFor);
    else
        m_startsIn = from ? *from - *readIndex : 0;
    const int64_t cover = from ? *writeIndex - *from : 0;
    m_write.frames = std::min(m_feed.total(), std::max(AheadFrames, cover));
    m_write.seek = !from ? Seek::OnRead : appendCuts ? Seek::Relative : Seek::Absolute;
    m_write.at = from && !appendCuts ? *from : 0;
}

} // namespace sound
