// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/cutplan.h"

#include <QTest>
#include <cmath>
#include <limits>
#include <numbers>

using sound::CutPlan;
using sound::Feed;
using sound::Samples;

namespace {

constexpr int64_t Gap = CutPlan::GapFrames;
// Where the old feed's first frame sits on the stream: anywhere, as long as it is not 0.
constexpr int64_t FeedAt = 5000;
// How long the server's answer took.
constexpr int64_t SinceAsked = 50;

constexpr int64_t frames(double ms)
{
    return int64_t(ms * CutPlan::Rate / 1000.0);
}

// A dah, the pause inside a character, another dah and the silence a character ends with. At
// 441 Hz with this phase no sample of a mark falls near zero, so every frame of a mark is heard
// and every frame of a pause is silence.
const std::shared_ptr<const Samples> &markPauseMark()
{
    static const auto sound = [] {
        auto samples = std::make_shared<Samples>();
        for (const auto &[ms, loud] : {std::pair{180, true}, {60, false}, {180, true}, {60, false}}) {
            for (int64_t i = 0; i < frames(ms); ++i) {
                const double wave = std::sin(2.0 * std::numbers::pi * 441.0 * double(i) / CutPlan::Rate +
                                             std::numbers::pi / 100.0);
                samples->push_back(loud ? std::int16_t(std::lround(16384.0 * wave)) : std::int16_t(0));
            }
        }
        return std::shared_ptr<const Samples>(std::move(samples));
    }();
    return sound;
}

constexpr int64_t FirstMarkEnd = frames(180);
constexpr int64_t SecondMarkStart = frames(240);
constexpr int64_t SoundEnd = frames(480);

// A feed that plays a sound from its first frame, after a long silence.
Feed playing(const std::shared_ptr<const Samples> &sound, int64_t sent)
{
    Feed feed;
    feed.sound = sound;
    feed.silenceBefore = Gap;
    feed.sent = std::min(sent, feed.total());
    return feed;
}

// What the listener hears on the stream: each feed from the frame where it landed until the next
// one takes over.
class Heard
{
public:
    using Part = std::pair<const Feed *, int64_t>;

    Heard(std::vector<Part> parts, int64_t end) : m_parts(std::move(parts)), m_lastLoud(size_t(end))
    {
        int64_t last = std::numeric_limits<int64_t>::min() / 2;
        for (int64_t i = 0; i < end; ++i) {
            if (std::abs(at(i)) > Feed::Quiet)
                last = i;
            m_lastLoud[size_t(i)] = last;
        }
    }

    float at(int64_t frame) const
    {
        for (auto part = m_parts.rbegin(); part != m_parts.rend(); ++part) {
            if (frame >= part->second)
                return part->first->at(frame - part->second);
        }
        return 0.0f;
    }

    // The silence heard before the new sound of a feed that took over at `landsAt`, when the
    // server had been sent what plays before `sentEnd` and no more.
    int64_t silenceBefore(const Feed &next, int64_t landsAt, int64_t sentEnd) const
    {
        int64_t last = m_lastLoud[size_t(std::min(landsAt, sentEnd) - 1)];
        for (int64_t i = int64_t(next.lead.size()) - 1; i >= 0; --i) {
            if (std::abs(next.lead[size_t(i)]) > Feed::Quiet) {
                last = landsAt + i;
                break;
            }
        }
        return landsAt + next.soundStart() - last - 1;
    }

private:
    std::vector<Part> m_parts;
    std::vector<int64_t> m_lastLoud;
};

// Where the server stands when a cut comes, each as the player meets it.
enum class Stream
{
    Queued,     // PulseAudio with plenty queued after the read index
    LessQueued, // PulseAudio with less than the cut margin left queued
    Dry,        // PulseAudio, played dry a while ago
    NoAnswer,   // only the clock tells: the server did not answer, or the sound seemed over
    QueueEnd,   // PipeWire: the cut goes where the queue ends
};

struct Cut
{
    CutPlan plan;
    // The frame of the stream where its first write lands.
    int64_t landsAt;
    // One past the last frame of the old feed that the server was sent.
    int64_t oldEnd;
};

// A cut of `old`, which landed on the stream at FeedAt, at frame `at` of it. `clockAhead`: how far
// the player's clock runs ahead of the stream after a stall that the server waited out.
Cut cutAt(Stream stream, Feed old, int64_t at, int64_t clockAhead, std::shared_ptr<const Samples> sound)
{
    const bool asked = stream == Stream::Queued || stream == Stream::LessQueued || stream == Stream::Dry;
    // Queued as the player keeps it (after waking, further ahead than usual), or up to the cut.
    const int64_t sent = stream == Stream::Queued ? at + 2 * CutPlan::AheadFrames : at;
    old.sent = std::min(old.total(), sent);
    // Where the server reads when asked: a dry stream waits at the end of what it was sent.
    const int64_t margin = stream == Stream::LessQueued ? CutPlan::CutMargin / 2 : CutPlan::CutMargin;
    const int64_t drained = stream == Stream::Dry ? frames(20) : 0;
    CutPlan::Server server;
    server.write = FeedAt + old.sent;
    server.read =
        stream == Stream::Dry ? server.write : std::min(server.write, FeedAt + at - margin - SinceAsked);
    server.sinceAsked = SinceAsked;
    server.drained = drained;
    server.sentAtRequest = old.sent;
    // How long the old feed has played by the clock: up to the server's read index and then the
    // silence since a dry stream's end; on PipeWire, all but what is queued; else up to the cut.
    const int64_t playedFor = asked ? std::min(at, old.sent) - (stream == Stream::Dry ? 0 : margin) + drained
                              : stream == Stream::QueueEnd ? at - CutPlan::AheadFrames
                                                           : at;
    CutPlan plan(&old, playedFor + clockAhead, asked ? std::optional(server) : std::nullopt,
                 stream == Stream::QueueEnd, std::move(sound));
    const CutPlan::Write &write = plan.firstWrite();
    // Where the server reads when the write arrives: a dry stream still waits for data.
    const int64_t readsAt = stream == Stream::NoAnswer ? FeedAt + at : FeedAt + old.sent + drained;
    const int64_t landsAt = write.seek == CutPlan::Seek::Absolute   ? write.at
                            : write.seek == CutPlan::Seek::Relative ? FeedAt + old.sent
                                                                    : readsAt;
    return {std::move(plan), landsAt, FeedAt + old.sent};
}

} // namespace

Q_DECLARE_METATYPE(Stream)

class TestCutPlan : public QObject
{
    Q_OBJECT
private slots:
    // Wherever a cut falls, in a tone, in the pause between two marks or in the silence after the
    // sound, the new sound starts once a character gap of silence has been heard since the last
    // sound heard, and no later. Whatever of the old sound the server may have played by then,
    // up to the cut, counts; a clock that ran ahead of the stream must not.
    void cut_anywhere_leavesExactlyACharacterGap_data()
    {
        QTest::addColumn<Stream>("stream");
        QTest::addColumn<int64_t>("clockAhead");
        QTest::addColumn<bool>("afterCutInPause");
        QTest::newRow("queued") << Stream::Queued << int64_t(0) << false;
        QTest::newRow("less than the margin queued") << Stream::LessQueued << int64_t(0) << false;
        QTest::newRow("less than the margin queued, clock ahead")
            << Stream::LessQueued << frames(40) << false;
        QTest::newRow("played dry") << Stream::Dry << int64_t(0) << false;
        QTest::newRow("played dry, clock ahead") << Stream::Dry << frames(40) << false;
        QTest::newRow("no answer") << Stream::NoAnswer << int64_t(0) << false;
        QTest::newRow("PipeWire") << Stream::QueueEnd << int64_t(0) << false;
        QTest::newRow("PipeWire, clock ahead") << Stream::QueueEnd << frames(40) << false;
        QTest::newRow("in the silence after a cut in a pause") << Stream::Queued << int64_t(0) << true;
    }

    void cut_anywhere_leavesExactlyACharacterGap()
    {
        QFETCH(Stream, stream);
        QFETCH(int64_t, clockAhead);
        QFETCH(bool, afterCutInPause);
        const Feed original = playing(markPauseMark(), SoundEnd);
        Feed old = original;
        int64_t oldAt = FeedAt;
        if (afterCutInPause) {
            Cut first =
                cutAt(Stream::Queued, original, (FirstMarkEnd + SecondMarkStart) / 2, 0, markPauseMark());
            old = first.plan.takeFeed();
            oldAt = first.landsAt;
        }
        const int64_t end = oldAt + old.total() + frames(50);
        const Heard heard({{&original, FeedAt}, {&old, oldAt}}, end);
        // Through the whole sound and a little past it, about every millisecond. The old
        // feed is placed at FeedAt for the cut; here it is where it landed.
        for (int64_t at = 1; at <= old.total() + frames(10); at += 41) {
            const Cut cut = cutAt(stream, old, at, clockAhead, markPauseMark());
            const Feed &next = cut.plan.feed();
            const int64_t silence =
                heard.silenceBefore(next, cut.landsAt - FeedAt + oldAt, cut.oldEnd - FeedAt + oldAt);
            const QByteArray where =
                QByteArray::number(double(at) * 1000.0 / CutPlan::Rate, 'f', 2) +
                " ms: " + QByteArray::number(double(silence) * 1000.0 / CutPlan::Rate, 'f', 2) + " ms";
            QVERIFY2(silence >= Gap, where.constData());
            QVERIFY2(next.silence == 0 || silence == Gap, where.constData());
        }
    }

    // The old sound fades from the very sample where it is cut off, along a raised cosine that
    // starts and ends flat, so it neither steps at the cut nor stops dead.
    void fade_startsAtTheCutAndEndsFlat()
    {
        const int64_t at = 1025; // at a peak of the first mark
        const Feed old = playing(markPauseMark(), SoundEnd);
        const Cut cut = cutAt(Stream::Queued, old, at, 0, markPauseMark());
        const std::vector<float> &lead = cut.plan.feed().lead;
        QCOMPARE(cut.landsAt, FeedAt + at);
        QCOMPARE(int64_t(lead.size()), CutPlan::FadeFrames);
        QVERIFY(std::abs(lead.front() - old.at(at)) <= 1e-3f * std::abs(old.at(at)));
        float gain = 1.0f;
        for (size_t i = 0; i < lead.size(); ++i) {
            QVERIFY(lead[i] / old.at(at + int64_t(i)) <= gain + 1e-6f);
            gain = lead[i] / old.at(at + int64_t(i));
        }
        QVERIFY(std::abs(lead.back()) <= Feed::Quiet);
    }

    // The first write says where the new feed begins, and when that is heard; it covers all the
    // old feed had queued from there, with silence past the new sound, so none of the old is left
    // to play. A play that failed leaves only the fade of the sound it cuts off, and nothing at
    // all once that sound is over.
    void firstWrite_coversTheOldQueue_data()
    {
        QTest::addColumn<Stream>("stream");
        QTest::addColumn<int64_t>("soundFrames"); // -1: a failed play
        QTest::addColumn<int>("seek");            // -1: nothing written
        QTest::addColumn<int64_t>("at");
        QTest::addColumn<int64_t>("startsIn");
        const int absolute = int(CutPlan::Seek::Absolute);
        const int onRead = int(CutPlan::Seek::OnRead);
        const int64_t ahead = CutPlan::AheadFrames;
        QTest::newRow("queued: at the cut, the margin from now")
            << Stream::Queued << ahead << absolute << FeedAt + 2000 << CutPlan::CutMargin;
        QTest::newRow("queued, new sound shorter than the queue")
            << Stream::Queued << int64_t(10) << absolute << FeedAt + 2000 << CutPlan::CutMargin;
        QTest::newRow("queued, failed play")
            << Stream::Queued << int64_t(-1) << absolute << FeedAt + 2000 << CutPlan::CutMargin;
        QTest::newRow("less than the margin queued: where the queue ends")
            << Stream::LessQueued << ahead << absolute << FeedAt + 2000 << CutPlan::CutMargin / 2;
        QTest::newRow("played dry: where the server reads, now")
            << Stream::Dry << ahead << onRead << int64_t(0) << int64_t(0);
        QTest::newRow("no answer: where the server reads, now")
            << Stream::NoAnswer << ahead << onRead << int64_t(0) << int64_t(0);
        QTest::newRow("no answer, failed play")
            << Stream::NoAnswer << int64_t(-1) << -1 << int64_t(0) << int64_t(0);
        QTest::newRow("PipeWire: after the queue, once it has played")
            << Stream::QueueEnd << ahead << int(CutPlan::Seek::Relative) << int64_t(0) << ahead;
    }

    void firstWrite_coversTheOldQueue()
    {
        QFETCH(Stream, stream);
        QFETCH(int64_t, soundFrames);
        QFETCH(int, seek);
        QFETCH(int64_t, at);
        QFETCH(int64_t, startsIn);
        const auto sound =
            soundFrames < 0 ? nullptr : std::make_shared<const Samples>(size_t(soundFrames), 1000);
        const Cut cut = cutAt(stream, playing(markPauseMark(), SoundEnd), 2000, 0, sound);
        QCOMPARE(cut.plan.writes(), seek >= 0);
        if (seek < 0)
            return;
        const CutPlan::Write &write = cut.plan.firstWrite();
        QCOMPARE(int(write.seek), seek);
        QCOMPARE(write.at, at);
        QCOMPARE(cut.plan.startsIn(), startsIn);
        const Feed &next = cut.plan.feed();
        const int64_t queued = std::max<int64_t>(0, cut.oldEnd - cut.landsAt);
        QCOMPARE(next.total(), std::max(queued, next.soundStart() + next.soundFrames()));
        QCOMPARE(write.frames, std::min(next.total(), std::max(CutPlan::AheadFrames, queued)));
        if (!sound) {
            QCOMPARE(int64_t(next.lead.size()), CutPlan::FadeFrames);
            QCOMPARE(next.silence, int64_t(0));
        }
    }
};

QTEST_APPLESS_MAIN(TestCutPlan)
#include "tst_cutplan.moc"
