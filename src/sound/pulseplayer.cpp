// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulseplayer.h"

#include "cutplan.h"
#include "feed.h"
#include "platform/logging.h"
#include "soundcache.h"
#include "soundloader.h"

#include <QByteArray>
#include <QDebug>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace sound {

namespace {

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int Rate = CutPlan::Rate;
constexpr pa_sample_spec Format{PA_SAMPLE_FLOAT32NE, Rate, 1};
constexpr int64_t FrameBytes = sizeof(float);
constexpr int64_t AheadFrames = CutPlan::AheadFrames;
constexpr auto TopUpEvery = 20ms;

// Reconnecting costs the server a client; one try a second is plenty after a failure.
constexpr auto RetryInterval = 1s;
// A server that leaves a connection or a request unanswered this long counts as gone.
constexpr auto AnswerTimeout = 3s;
// A sound asked for while the connection was being made still plays if it is ready by then:
// a little late is better than a silent round.
constexpr auto FreshFor = 1s;
// Well over the sink latency the stream asks for: until this long after its end, a sound may
// still be heard.
constexpr auto HeardFor = 100ms;
// After this long with nothing to play the stream is corked, so the server and the device may
// sleep; the next sound uncorks it in the same breath as it is written.
constexpr auto SleepAfter = 1s;

// Awake, a few milliseconds of sink latency, so that a sound starts at once and a cut is heard
// soon. A one-frame prebuf makes a stream that has played out wait in underrun: the first data
// written ends it and the server rewinds its mix to play that data at once. Asleep, seconds: the
// server counts a stream's latency even while it is corked, and a short one keeps the sink
// waking hundreds of times a second.
constexpr int AwakeTargetMs = 8;
constexpr int AwakeRequestMs = 2;
// PipeWire runs the whole graph in cycles no longer than the shortest latency a stream asks for,
// and a cycle that a busy machine misses is a hole of that cycle's length in the sound: 8 ms there
// means cycles of 256 frames at 48 kHz, 188 a second, and holes of 5 ms. A cut is written where
// PipeWire's queue ends anyway, so this target, which leaves the graph its usual 1024-frame
// cycle, costs only the first sound after a pause that one longer cycle, about 15 ms.
constexpr int PipeWireAwakeTargetMs = 60;
// Asleep, the sink may mix as far ahead as it likes: a null sink then wakes as seldom as with no
// client at all (every 2 s), and costs the server no more.
constexpr int AsleepTargetMs = 5000;
constexpr int AsleepRequestMs = 500;
// PulseAudio gives the sink half of what is left of the target after two requests.
constexpr int64_t AsleepSinkFrames = int64_t(AsleepTargetMs - 2 * AsleepRequestMs) / 2 * Rate / 1000;

pa_buffer_attr bufferAttr(bool awake, bool pipeWire = false)
{
    const int targetMs = !awake ? AsleepTargetMs : pipeWire ? PipeWireAwakeTargetMs : AwakeTargetMs;
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(targetMs * PA_USEC_PER_MSEC, &Format));
    attr.prebuf = FrameBytes;
    attr.minreq =
        uint32_t(pa_usec_to_bytes((awake ? AwakeRequestMs : AsleepRequestMs) * PA_USEC_PER_MSEC, &Format));
    attr.fragsize = uint32_t(-1);
    return attr;
}

int64_t framesIn(SteadyClock::duration duration)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(duration).count() * Rate / 1'000'000;
}

SteadyClock::duration durationOf(int64_t frames)
{
    return std::chrono::microseconds(frames * 1'000'000 / Rate);
}

// The latest outcome of play() for the sound thread: only the newest ticket counts. Shared with the
// loader's threads, which may outlive the player.
struct Inbox
{
    std::mutex mutex;
    std::optional<SoundLoader::Result> result;
    int wakeFd = -1;

    Inbox() : wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Inbox()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
    Inbox(const Inbox &) = delete;
    Inbox &operator=(const Inbox &) = delete;

    void post(SoundLoader::Result &&posted)
    {
        {
            const std::lock_guard lock(mutex);
            if (result && result->ticket > posted.ticket)
                return;
            result = std::move(posted);
        }
        poke();
    }
    // Non-blocking: a counter that is already set just stays set.
    void poke() const
    {
        const quint64 one = 1;
        [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
    }
};

} // namespace

// The libpulse work happens on the mainloop's thread; the decoding on the loader's. The UI thread
// only looks a sound up in the cache or hands its path to the loader, and the outcome reaches the
// mainloop through the inbox, so play() never waits for the server, the mainloop's lock or a file.
class PulsePlayer::Impl
{
public:
    explicit Impl(const QString &server);
    ~Impl();
    Impl(const Impl &) = delete;
    Impl &operator=(const Impl &) = delete;

    void request(const QString &path);
    void prepare(const QStringList &paths);
    void watch(platform::SoundOutput::ServerWatcher changed);
    SteadyClock::time_point quietFrom() const;

private:
    static void onWake(pa_mainloop_api *, pa_io_event *, int, pa_io_event_flags_t, void *self);
    static void onContextState(pa_context *context, void *self);
    static void onServerInfo(pa_context *context, const pa_server_info *info, void *self);
    static void onStreamState(pa_stream *stream, void *self);
    static void onWritable(pa_stream *stream, size_t bytes, void *self);
    static void onTiming(pa_stream *stream, int success, void *self);
    static void onTick(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self);

    void serve();
    void accept(SoundLoader::Result &&result);
    void connect();
    void openStream();
    void startCut();
    void cutAt(const std::optional<CutPlan::Server> &server, bool appendCut = false);
    bool mayBeHeard() const;
    void feed();
    bool write(const float *data, int64_t frames, pa_seek_mode_t seek, int64_t at);
    bool wake();
    bool sendUpTo(int64_t frames);
    void schedule();
    void cancel(pa_operation *&operation);
    void lose(int error);
    void teardown();
    void tell(bool answers);

    // Shared with the UI thread and the loader.
    std::shared_ptr<Inbox> m_inbox = std::make_shared<Inbox>();
    std::shared_ptr<SoundCache> m_cache = std::make_shared<SoundCache>(Rate);
    // When the sound asked for last ends: estimated on the UI thread from a kept sound's length,
    // then set by the sound thread once the feed is composed. Nanoseconds of the steady clock.
    std::atomic<int64_t> m_quietEstimate{0};
    std::atomic<int64_t> m_quietComposed{0};
    // The UI thread's.
    quint64 m_tickets = 0;
    std::unique_ptr<SoundLoader> m_loader;

    // The mainloop's thread only, once it runs.
    QByteArray m_server;
    pa_threaded_mainloop *m_loop = nullptr;
    pa_io_event *m_wakeEvent = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    pa_time_event *m_tick = nullptr;
    pa_operation *m_timing = nullptr;
    bool m_ready = false;
    bool m_broken = false;
    bool m_corked = false;
    bool m_appendCuts = false;
    std::optional<SteadyClock::time_point> m_lastAttempt;
    std::optional<SteadyClock::time_point> m_cutSince;
    quint64 m_accepted = 0;
    std::optional<SoundLoader::Result> m_next;
    std::optional<Feed> m_feed;
    // When the feed's first frame is heard, near enough.
    SteadyClock::time_point m_feedStart{};
    // Frames of the feed sent when the timing request went out: the write index answered counts
    // those and no more.
    int64_t m_sentAtRequest = 0;
    platform::OncePerCause m_reported{platform::lcSound};

    // Shared with the UI thread: the watcher is called with the lock held, so that once it has
    // been replaced no call to the old one is still on its way.
    std::mutex m_watchMutex;
    platform::SoundOutput::ServerWatcher m_watcher;
    std::optional<bool> m_answers;
};

PulsePlayer::Impl::Impl(const QString &server) : m_server(server.toUtf8())
{
    m_loop = m_inbox->wakeFd >= 0 ? pa_threaded_mainloop_new() : nullptr;
    if (m_loop) {
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
        m_wakeEvent = api->io_new(api, m_inbox->wakeFd, PA_IO_EVENT_INPUT, &Impl::onWake, this);
        pa_threaded_mainloop_set_name(m_loop, "zumbarel-sound");
        if (pa_threaded_mainloop_start(m_loop) < 0) {
            api->io_free(m_wakeEvent);
            pa_threaded_mainloop_free(m_loop);
            m_loop = nullptr;
        }
    }
    if (!m_loop) {
        qCWarning(platform::lcSound, "cannot start the sound thread; sounds stay silent");
        return;
    }
    m_loader = std::make_unique<SoundLoader>(
        m_cache, [inbox = m_inbox](SoundLoader::Result &&result) { inbox->post(std::move(result)); });
    // The first connection is made on the sound thread too: finding the default server may take
    // a while.
    m_inbox->poke();
}

PulsePlayer::Impl::~Impl()
{
    // First, so that no decode is waited for with the mainloop stopped; it waits a moment at most.
    m_loader.reset();
    if (m_loop) {
        pa_threaded_mainloop_lock(m_loop);
        teardown();
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
        api->io_free(m_wakeEvent);
        pa_threaded_mainloop_unlock(m_loop);
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }
}

void PulsePlayer::Impl::request(const QString &path)
{
    if (!m_loop)
        return;
    SoundLoader::Result result{++m_tickets, SteadyClock::now(), path};
    if (path.isEmpty()) {
        m_inbox->post(std::move(result));
        return;
    }
    if (auto kept = m_cache->find(path)) {
        // At most a character gap and a fade before it starts.
        const int64_t frames = CutPlan::GapFrames + CutPlan::FadeFrames + int64_t(kept->size());
        m_quietEstimate =
            std::chrono::nanoseconds((result.asked + durationOf(frames)).time_since_epoch()).count();
        result.sound = std::move(kept);
        m_inbox->post(std::move(result));
    } else {
        m_loader->load(result.ticket, path, result.asked);
    }
}

void PulsePlayer::Impl::prepare(const QStringList &paths)
{
    if (m_loader)
        m_loader->prepare(paths);
}

void PulsePlayer::Impl::onWake(pa_mainloop_api *, pa_io_event *, int, pa_io_event_flags_t, void *self)
{
    static_cast<Impl *>(self)->serve();
}

void PulsePlayer::Impl::serve()
{
    quint64 count = 0;
    [[maybe_unused]] const auto got = ::read(m_inbox->wakeFd, &count, sizeof count);
    std::optional<SoundLoader::Result> result;
    {
        const std::lock_guard lock(m_inbox->mutex);
        result.swap(m_inbox->result);
    }
    if (result && result->ticket > m_accepted) {
        m_accepted = result->ticket;
        accept(std::move(*result));
    }

    const auto now = SteadyClock::now();
    const bool stalled = m_context && !m_broken &&
                         ((!m_ready && m_lastAttempt && now - *m_lastAttempt > AnswerTimeout) ||
                          (m_cutSince && now - *m_cutSince > AnswerTimeout));
    if (stalled)
        lose(PA_ERR_TIMEOUT);
    if ((!m_context || m_broken) && (!m_lastAttempt || now - *m_lastAttempt >= RetryInterval))
        connect();
    if (m_next && m_ready)
        startCut();
}

// A play that fails still cuts off the sound that is playing, as any new sound does, and then
// leaves silence.
void PulsePlayer::Impl::accept(SoundLoader::Result &&result)
{
    if (result.path.isEmpty()) {
        m_reported.warn(QStringLiteral("empty"), QStringLiteral("asked to play a file with no name; silent"));
    } else if (!result.sound) {
        m_reported.warn(QStringLiteral("file:") + result.path,
                        QStringLiteral("cannot play \"%1\": %2; silent")
                            .arg(result.path, QString::fromStdString(result.sound.error())));
    }
    m_next = std::move(result);
}

void PulsePlayer::Impl::connect()
{
    teardown();
    m_broken = false;
    m_lastAttempt = SteadyClock::now();
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Zumbarel");
    if (!m_context) {
        m_reported.warn(QStringLiteral("server"), QStringLiteral("cannot create a sound server client"));
        m_broken = true;
        return;
    }
    pa_context_set_state_callback(m_context, &Impl::onContextState, this);
    // No autospawn: the desktop starts its sound server, and a game should not start another.
    if (pa_context_connect(m_context, m_server.isEmpty() ? nullptr : m_server.constData(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lose(pa_context_errno(m_context));
}

void PulsePlayer::Impl::onContextState(pa_context *context, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    if (context != impl->m_context)
        return;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        // Answered before the stream is ready, so before any cut.
        if (pa_operation *info = pa_context_get_server_info(context, &Impl::onServerInfo, impl))
            pa_operation_unref(info);
        impl->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        impl->lose(pa_context_errno(context));
        break;
    default:
        break;
    }
}

// PipeWire's PulseAudio server does not take back data it has queued as PulseAudio does: data
// written over the queue can arrive after its reader has passed and leave a hole. There a cut
// fades the old sound out where the queue ends, at most AheadFrames after the call, and the
// stream asks for a longer latency when awake (PipeWireAwakeTargetMs).
void PulsePlayer::Impl::onServerInfo(pa_context *context, const pa_server_info *info, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    if (context == impl->m_context && info && info->server_name)
        impl->m_appendCuts = QByteArray(info->server_name).contains("PipeWire");
}

void PulsePlayer::Impl::openStream()
{
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "game");
    m_stream = pa_stream_new_with_proplist(m_context, "Morse", &Format, nullptr, properties);
    pa_proplist_free(properties);
    if (!m_stream) {
        lose(pa_context_errno(m_context));
        return;
    }
    pa_stream_set_state_callback(m_stream, &Impl::onStreamState, this);
    pa_stream_set_write_callback(m_stream, &Impl::onWritable, this);

    // The stream starts asleep: nothing plays yet, and the server need not wake for it.
    const pa_buffer_attr attr = bufferAttr(false);
    const auto flags =
        pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_UNMUTED | PA_STREAM_START_CORKED);
    m_corked = true;
    if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
        lose(pa_context_errno(m_context));
}

void PulsePlayer::Impl::onStreamState(pa_stream *stream, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    if (stream != impl->m_stream)
        return;
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        impl->m_ready = true;
        impl->tell(true);
        // A later outage is news again.
        impl->m_reported.forget(QStringLiteral("server"));
        if (impl->m_next && SteadyClock::now() - impl->m_next->asked <= FreshFor)
            impl->startCut();
        else
            impl->m_next.reset();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        impl->lose(pa_context_errno(impl->m_context));
        break;
    default:
        break;
    }
}

bool PulsePlayer::Impl::mayBeHeard() const
{
    return m_feed && SteadyClock::now() < m_feedStart + durationOf(m_feed->total()) + HeardFor;
}

// A new sound replaces the one playing. Where the old one may still be heard, only the server
// knows which of its samples is next, so ask, and write the cut from there when the answer comes.
// Nothing is written in between, so the write index answered is where the feed stands.
void PulsePlayer::Impl::startCut()
{
    if (m_cutSince)
        return; // the answer on its way serves the newest request
    if (!mayBeHeard()) {
        cutAt(std::nullopt);
        return;
    }
    if (m_appendCuts) {
        // Where the queue ends is known here, so the server need not be asked.
        cutAt(std::nullopt, true);
        return;
    }
    m_sentAtRequest = m_feed->sent;
    m_timing = pa_stream_update_timing_info(m_stream, &Impl::onTiming, this);
    if (!m_timing) {
        lose(pa_context_errno(m_context));
        return;
    }
    m_cutSince = SteadyClock::now();
}

void PulsePlayer::Impl::onTiming(pa_stream *stream, int success, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    if (stream != impl->m_stream || !impl->m_cutSince)
        return;
    pa_operation_unref(impl->m_timing);
    impl->m_timing = nullptr;
    const auto asked = *impl->m_cutSince;
    impl->m_cutSince.reset();
    const pa_timing_info *timing = success ? pa_stream_get_timing_info(stream) : nullptr;
    if (!timing || timing->read_index_corrupt || timing->write_index_corrupt) {
        impl->cutAt(std::nullopt);
        return;
    }
    CutPlan::Server server;
    server.read = timing->read_index / FrameBytes;
    server.write = timing->write_index / FrameBytes;
    server.sinceAsked = framesIn(SteadyClock::now() - asked);
    server.sentAtRequest = impl->m_sentAtRequest;
    // A stream that ran dry counts the silence the sink has mixed for it since; less what the sink
    // mixed ahead, which it takes back to play the next data at once.
    if (!timing->playing && timing->since_underrun > 0)
        server.drained =
            timing->since_underrun / FrameBytes - framesIn(std::chrono::microseconds(timing->sink_usec));
    impl->cutAt(server);
}

// Composes the new feed (see CutPlan) and writes its first frames where the plan says.
void PulsePlayer::Impl::cutAt(const std::optional<CutPlan::Server> &server, bool appendCut)
{
    if (!m_next)
        return;
    const auto now = SteadyClock::now();
    CutPlan plan(m_feed ? &*m_feed : nullptr, m_feed ? framesIn(now - m_feedStart) : 0, server, appendCut,
                 m_next->sound ? std::move(*m_next->sound) : nullptr);
    m_next.reset();
    if (!plan.writes())
        return;
    const CutPlan::Write first = plan.firstWrite();
    m_feed = plan.takeFeed();
    m_feedStart = now + durationOf(plan.startsIn());
    const auto soundEnd = m_feedStart + durationOf(m_feed->soundStart() + m_feed->soundFrames());
    m_quietComposed = std::chrono::nanoseconds(soundEnd.time_since_epoch()).count();

    std::vector<float> chunk(size_t(first.frames));
    for (size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = m_feed->at(int64_t(i));
    const pa_seek_mode_t seek = first.seek == CutPlan::Seek::OnRead     ? PA_SEEK_RELATIVE_ON_READ
                                : first.seek == CutPlan::Seek::Relative ? PA_SEEK_RELATIVE
                                                                        : PA_SEEK_ABSOLUTE;
    if (!write(chunk.data(), first.frames, seek, first.at * FrameBytes))
        return;
    m_feed->sent = first.frames;
    if (m_corked && !wake())
        return;
    schedule();
}

// After the sound's first frames are written, so that they are there when the stream wakes; the
// server takes these requests in order. PulseAudio takes back what a sink has mixed ahead only as
// far as the latency in force when it is asked, and its null sink, unlike a sound card's, does not
// take it back when the latency falls. So on PulseAudio the stream wakes while its latency is still
// the sleeping one, which takes back all the sink mixed ahead and starts the sound at once; the
// sink then mixes a sleeping latency ahead again, which the sound fills before the latency falls,
// or it would be heard only after that stretch. PipeWire takes nothing back: there the latency
// falls first, so that the stream starts on short cycles.
bool PulsePlayer::Impl::wake()
{
    const pa_buffer_attr awake = bufferAttr(true, m_appendCuts);
    pa_operation *first = nullptr;
    pa_operation *second = nullptr;
    if (m_appendCuts) {
        first = pa_stream_set_buffer_attr(m_stream, &awake, nullptr, nullptr);
        second = first ? pa_stream_cork(m_stream, 0, nullptr, nullptr) : nullptr;
    } else {
        first = pa_stream_cork(m_stream, 0, nullptr, nullptr);
        const bool sent = first && sendUpTo(AsleepSinkFrames + AheadFrames);
        second = sent ? pa_stream_set_buffer_attr(m_stream, &awake, nullptr, nullptr) : nullptr;
    }
    for (pa_operation *operation : {first, second}) {
        if (operation)
            pa_operation_unref(operation);
    }
    if (!second) {
        lose(pa_context_errno(m_context));
        return false;
    }
    m_corked = false;
    return true;
}

void PulsePlayer::Impl::onWritable(pa_stream *stream, size_t, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    // During a cut the old feed must stay as it is until the answer.
    if (stream == impl->m_stream && impl->m_ready && !impl->m_cutSince)
        impl->feed();
}

void PulsePlayer::Impl::onTick(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    if (!impl->m_ready)
        return;
    if (!impl->m_cutSince)
        impl->feed();
    impl->schedule();
}

// Keeps the server AheadFrames ahead of what is heard, as the clock tells, by the server's
// requests and the sound thread's own ticks.
void PulsePlayer::Impl::feed()
{
    if (m_feed)
        sendUpTo(framesIn(SteadyClock::now() - m_feedStart) + AheadFrames);
}

// Sends the feed on up to the given frame; false if the connection failed.
bool PulsePlayer::Impl::sendUpTo(int64_t frames)
{
    const int64_t count = std::min(m_feed->total(), frames) - m_feed->sent;
    if (count <= 0)
        return true;
    std::vector<float> chunk(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i)
        chunk[size_t(i)] = m_feed->at(m_feed->sent + i);
    if (!write(chunk.data(), count, PA_SEEK_RELATIVE, 0))
        return false;
    m_feed->sent += count;
    return true;
}

bool PulsePlayer::Impl::write(const float *data, int64_t frames, pa_seek_mode_t seek, int64_t at)
{
    if (frames == 0 && seek == PA_SEEK_RELATIVE)
        return true;
    if (pa_stream_write(m_stream, data, size_t(frames * FrameBytes), nullptr, at, seek) < 0) {
        lose(pa_context_errno(m_context));
        return false;
    }
    return true;
}

// Ticks while a feed has more to send; once it has played out, one more tick a while later corks
// the stream.
void PulsePlayer::Impl::schedule()
{
    if (!m_context || !m_stream || m_corked)
        return;
    pa_usec_t delay = std::chrono::duration_cast<std::chrono::microseconds>(TopUpEvery).count();
    if (m_feed && m_feed->sent >= m_feed->total()) {
        const auto end = m_feedStart + durationOf(m_feed->total());
        const auto sleep = end + SleepAfter;
        const auto now = SteadyClock::now();
        if (now < sleep) {
            delay =
                pa_usec_t(std::chrono::duration_cast<std::chrono::microseconds>(sleep - now).count()) + 1000;
        } else if (!m_cutSince && !m_next) {
            const pa_buffer_attr asleep = bufferAttr(false);
            for (pa_operation *operation : {pa_stream_cork(m_stream, 1, nullptr, nullptr),
                                            pa_stream_set_buffer_attr(m_stream, &asleep, nullptr, nullptr)}) {
                if (operation)
                    pa_operation_unref(operation);
            }
            m_corked = true;
            return;
        }
    }
    if (!m_tick)
        m_tick = pa_context_rttime_new(m_context, pa_rtclock_now() + delay, &Impl::onTick, this);
    else
        pa_context_rttime_restart(m_context, m_tick, pa_rtclock_now() + delay);
}

// Called from libpulse's callbacks, so it only marks the connection dead; the next play() clears
// it away and tries again.
void PulsePlayer::Impl::lose(int error)
{
    if (m_broken)
        return;
    m_reported.warn(QStringLiteral("server"),
                    m_ready ? QStringLiteral("lost the sound server (%1); silent until it is back")
                                  .arg(QString::fromUtf8(pa_strerror(error)))
                            : QStringLiteral("no sound server (%1); silent until one answers")
                                  .arg(QString::fromUtf8(pa_strerror(error))));
    m_broken = true;
    m_ready = false;
    m_next.reset();
    tell(false);
}

void PulsePlayer::Impl::watch(platform::SoundOutput::ServerWatcher changed)
{
    const std::lock_guard lock(m_watchMutex);
    m_watcher = std::move(changed);
    if (m_watcher && m_answers)
        m_watcher(*m_answers);
}

SteadyClock::time_point PulsePlayer::Impl::quietFrom() const
{
    return SteadyClock::time_point(
        std::chrono::nanoseconds(std::max(m_quietEstimate.load(), m_quietComposed.load())));
}

void PulsePlayer::Impl::tell(bool answers)
{
    const std::lock_guard lock(m_watchMutex);
    if (m_answers == answers)
        return;
    m_answers = answers;
    if (m_watcher)
        m_watcher(answers);
}

void PulsePlayer::Impl::cancel(pa_operation *&operation)
{
    if (!operation)
        return;
    pa_operation_cancel(operation);
    pa_operation_unref(operation);
    operation = nullptr;
}

void PulsePlayer::Impl::teardown()
{
    cancel(m_timing);
    if (m_tick) {
        pa_threaded_mainloop_get_api(m_loop)->time_free(m_tick);
        m_tick = nullptr;
    }
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_write_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_ready = false;
    m_corked = false;
    m_cutSince.reset();
    m_feed.reset();
}

PulsePlayer::PulsePlayer() : PulsePlayer(QString()) {}

PulsePlayer::PulsePlayer(const QString &server) : m_impl(std::make_unique<Impl>(server)) {}

PulsePlayer::~PulsePlayer() = default;

void PulsePlayer::play(const QString &path)
{
    m_impl->request(path);
}

void PulsePlayer::prepare(const QStringList &paths)
{
    m_impl->prepare(paths);
}

std::chrono::steady_clock::time_point PulsePlayer::quietFrom() const
{
    return m_impl->quietFrom();
}

void PulsePlayer::watchServer(ServerWatcher changed)
{
    m_impl->watch(std::move(changed));
}

} // namespace sound
