#include "pulseplayer.h"

#include "soundcache.h"

#include <QByteArray>
#include <QDebug>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace runtime {

namespace {

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int Rate = 44100;
constexpr pa_sample_spec Format{PA_SAMPLE_FLOAT32NE, Rate, 1};
constexpr size_t FrameBytes = sizeof(float);
// The sound cut off fades out over this many frames (5 ms) under the new one instead of clicking.
constexpr size_t FadeFrames = Rate / 200;
// Sent ahead of the server at most; the rest of a long sound follows as the server asks for it.
constexpr size_t AheadFrames = size_t(Rate) * 10;

// Reconnecting costs the server a client; one try a second is plenty after a failure.
constexpr auto RetryInterval = 1s;
// A server that leaves a connection or a request unanswered this long counts as gone.
constexpr auto AnswerTimeout = 3s;
// A sound asked for while the connection was being made still plays if it is ready by then:
// a little late is better than a silent round.
constexpr auto FreshFor = 1s;
// Well over the sink latency the stream asks for: until this long after its end, a sound may
// still be heard, and a new one fades it out.
constexpr auto HeardFor = 100ms;

} // namespace

// All the libpulse work happens on the mainloop's thread; the UI thread only leaves the latest
// request in a mailbox and pokes an eventfd that the mainloop polls, so play() never waits for
// the server nor for the mainloop's lock.
class PulsePlayer::Impl
{
public:
    explicit Impl(const QString &server);
    ~Impl();
    Impl(const Impl &) = delete;
    Impl &operator=(const Impl &) = delete;

    void request(const QString &path);

private:
    struct Request
    {
        QString path;
        SteadyClock::time_point time{};
    };
    struct Pending
    {
        std::shared_ptr<const Samples> samples;
        SteadyClock::time_point time{};
    };

    static void onWake(pa_mainloop_api *, pa_io_event *, int, pa_io_event_flags_t, void *self);
    static void onContextState(pa_context *context, void *self);
    static void onStreamState(pa_stream *stream, void *self);
    static void onWritable(pa_stream *stream, size_t bytes, void *self);
    static void onTiming(pa_stream *stream, int success, void *self);
    static void onStarted(pa_stream *stream, int success, void *self);

    void serve();
    void accept(const Request &request);
    void connect();
    void openStream();
    void startCut();
    void finishCut(std::optional<int64_t> at);
    bool mayBeHeard() const;
    void cancel(pa_operation *&operation);
    void feed();
    void lose(int error);
    void teardown();
    void warnOnce(const QString &cause, const QString &message);

    // Shared with the UI thread.
    std::mutex m_mailboxMutex;
    std::optional<Request> m_mailbox;
    int m_wakeFd = -1;

    // The mainloop's thread only, once it runs.
    QByteArray m_server;
    pa_threaded_mainloop *m_loop = nullptr;
    pa_io_event *m_wakeEvent = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    pa_operation *m_timing = nullptr;
    pa_operation *m_started = nullptr;
    bool m_ready = false;
    bool m_broken = false;
    std::optional<SteadyClock::time_point> m_lastAttempt;
    std::optional<SteadyClock::time_point> m_cutSince;
    SoundCache m_cache{Rate};
    std::optional<Pending> m_next;
    // What was last sent, when, where it starts in the stream (frames) if known, and how much of
    // it is sent.
    std::shared_ptr<const Samples> m_playing;
    SteadyClock::time_point m_playingSince{};
    std::optional<int64_t> m_playingAt;
    size_t m_sent = 0;
    QSet<QString> m_reported;
};

PulsePlayer::Impl::Impl(const QString &server) : m_server(server.toUtf8())
{
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_loop = m_wakeFd >= 0 ? pa_threaded_mainloop_new() : nullptr;
    if (m_loop) {
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
        m_wakeEvent = api->io_new(api, m_wakeFd, PA_IO_EVENT_INPUT, &Impl::onWake, this);
        pa_threaded_mainloop_set_name(m_loop, "zumbarel-sound");
        if (pa_threaded_mainloop_start(m_loop) < 0) {
            api->io_free(m_wakeEvent);
            pa_threaded_mainloop_free(m_loop);
            m_loop = nullptr;
        }
    }
    if (!m_loop) {
        qWarning("Sound: cannot start the sound thread; sounds stay silent");
        return;
    }
    // The first connection is made on the sound thread too: finding the default server may take
    // a while.
    const quint64 one = 1;
    [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
}

PulsePlayer::Impl::~Impl()
{
    if (m_loop) {
        pa_threaded_mainloop_lock(m_loop);
        teardown();
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
        api->io_free(m_wakeEvent);
        pa_threaded_mainloop_unlock(m_loop);
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void PulsePlayer::Impl::request(const QString &path)
{
    if (!m_loop)
        return;
    {
        const std::lock_guard lock(m_mailboxMutex);
        m_mailbox = Request{path, SteadyClock::now()};
    }
    // Non-blocking: a counter that is already set just stays set.
    const quint64 one = 1;
    [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
}

void PulsePlayer::Impl::onWake(pa_mainloop_api *, pa_io_event *, int, pa_io_event_flags_t, void *self)
{
    static_cast<Impl *>(self)->serve();
}

void PulsePlayer::Impl::serve()
{
    quint64 count = 0;
    [[maybe_unused]] const auto got = ::read(m_wakeFd, &count, sizeof count);
    std::optional<Request> request;
    {
        const std::lock_guard lock(m_mailboxMutex);
        request.swap(m_mailbox);
    }
    if (request)
        accept(*request);

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

void PulsePlayer::Impl::accept(const Request &request)
{
    if (request.path.isEmpty()) {
        warnOnce(QStringLiteral("empty"), QStringLiteral("Sound: asked to play a file with no name; silent"));
        return;
    }
    QString error;
    auto samples = m_cache.get(request.path, &error);
    if (!samples) {
        warnOnce(QStringLiteral("file:") + request.path,
                 QStringLiteral("Sound: cannot play \"%1\": %2; silent").arg(request.path, error));
        return;
    }
    m_next = Pending{std::move(samples), request.time};
}

void PulsePlayer::Impl::connect()
{
    teardown();
    m_broken = false;
    m_lastAttempt = SteadyClock::now();
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Zumbarel");
    if (!m_context) {
        warnOnce(QStringLiteral("server"), QStringLiteral("Sound: cannot create a sound server client"));
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

    // A few milliseconds of buffer keep the sink's own latency small, so a cut sound stops soon.
    // A one-frame prebuf makes an idle stream wait in underrun: the first data written ends it
    // and the server rewinds its mix to play that data at once.
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(8 * PA_USEC_PER_MSEC, &Format));
    attr.prebuf = FrameBytes;
    attr.minreq = uint32_t(pa_usec_to_bytes(2 * PA_USEC_PER_MSEC, &Format));
    attr.fragsize = uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_UNMUTED);
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
        // A later outage is news again.
        impl->m_reported.remove(QStringLiteral("server"));
        if (impl->m_next && SteadyClock::now() - impl->m_next->time <= FreshFor)
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

// A new sound starts where the server's queue is flushed to. If the old sound may still be heard,
// only the server knows that point exactly, so ask for it after the flush and compose the start
// of the new sound, with the old one fading out from that very point, when the answer comes.
// Nothing is written in between, so the index answered is where the next write lands.
void PulsePlayer::Impl::startCut()
{
    if (m_cutSince)
        return; // the answer on its way serves the newest request
    cancel(m_started);
    pa_operation *flush = pa_stream_flush(m_stream, nullptr, nullptr);
    if (!flush) {
        lose(pa_context_errno(m_context));
        return;
    }
    pa_operation_unref(flush);

    if (!mayBeHeard()) {
        // Nothing to fade: start at once, and learn afterwards where the sound began in case the
        // next one cuts it.
        finishCut(std::nullopt);
        m_started = pa_stream_update_timing_info(m_stream, &Impl::onStarted, this);
        return;
    }
    m_timing = pa_stream_update_timing_info(m_stream, &Impl::onTiming, this);
    if (!m_timing) {
        lose(pa_context_errno(m_context));
        return;
    }
    m_cutSince = SteadyClock::now();
}

bool PulsePlayer::Impl::mayBeHeard() const
{
    if (!m_playing)
        return false;
    const auto length = std::chrono::microseconds(pa_bytes_to_usec(m_playing->size() * FrameBytes, &Format));
    return SteadyClock::now() - m_playingSince < length + HeardFor;
}

void PulsePlayer::Impl::onTiming(pa_stream *stream, int success, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    if (stream != impl->m_stream || !impl->m_cutSince)
        return;
    pa_operation_unref(impl->m_timing);
    impl->m_timing = nullptr;
    impl->m_cutSince.reset();
    const pa_timing_info *timing = success ? pa_stream_get_timing_info(stream) : nullptr;
    std::optional<int64_t> at;
    if (timing && !timing->write_index_corrupt)
        at = timing->write_index / int64_t(FrameBytes);
    impl->finishCut(at);
}

// The write index answered counts everything written so far, the sound's frames sent included.
void PulsePlayer::Impl::onStarted(pa_stream *stream, int success, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    if (stream != impl->m_stream || !impl->m_started)
        return;
    pa_operation_unref(impl->m_started);
    impl->m_started = nullptr;
    const pa_timing_info *timing = success ? pa_stream_get_timing_info(stream) : nullptr;
    if (timing && !timing->write_index_corrupt)
        impl->m_playingAt = timing->write_index / int64_t(FrameBytes) - int64_t(impl->m_sent);
}

void PulsePlayer::Impl::finishCut(std::optional<int64_t> at)
{
    if (!m_next)
        return;
    std::shared_ptr<const Samples> sound = std::move(m_next->samples);
    m_next.reset();

    if (at && m_playingAt && m_playing) {
        const int64_t position = *at - *m_playingAt;
        if (position >= 0 && size_t(position) < m_playing->size()) {
            const Samples &old = *m_playing;
            const size_t fade = std::min(FadeFrames, old.size() - size_t(position));
            auto mixed = std::make_shared<Samples>(std::max(sound->size(), fade), 0.0f);
            std::copy(sound->begin(), sound->end(), mixed->begin());
            for (size_t i = 0; i < fade; ++i) {
                const float gain = float(FadeFrames - i) / float(FadeFrames);
                const float value = (*mixed)[i] + old[size_t(position) + i] * gain;
                (*mixed)[i] = std::clamp(value, -1.0f, 1.0f);
            }
            sound = std::move(mixed);
        }
    }
    m_playing = std::move(sound);
    m_playingSince = SteadyClock::now();
    m_playingAt = at;
    m_sent = 0;
    feed();
}

void PulsePlayer::Impl::onWritable(pa_stream *stream, size_t, void *self)
{
    auto *impl = static_cast<Impl *>(self);
    // During a cut the flushed queue asks for data, but the old sound must not be sent again.
    if (stream == impl->m_stream && impl->m_ready && !impl->m_cutSince)
        impl->feed();
}

void PulsePlayer::Impl::feed()
{
    if (!m_playing || m_sent >= m_playing->size())
        return;
    const size_t count = std::min(m_playing->size() - m_sent, AheadFrames);
    if (pa_stream_write(m_stream, m_playing->data() + m_sent, count * FrameBytes, nullptr, 0,
                        PA_SEEK_RELATIVE) < 0) {
        lose(pa_context_errno(m_context));
        return;
    }
    m_sent += count;
}

// Called from libpulse's callbacks, so it only marks the connection dead; the next play() clears
// it away and tries again.
void PulsePlayer::Impl::lose(int error)
{
    if (m_broken)
        return;
    warnOnce(QStringLiteral("server"),
             m_ready ? QStringLiteral("Sound: lost the sound server (%1); silent until it is back")
                           .arg(QString::fromUtf8(pa_strerror(error)))
                     : QStringLiteral("Sound: no sound server (%1); silent until one answers")
                           .arg(QString::fromUtf8(pa_strerror(error))));
    m_broken = true;
    m_ready = false;
    m_next.reset();
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
    cancel(m_started);
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
    m_cutSince.reset();
    m_playing.reset();
    m_playingAt.reset();
    m_sent = 0;
}

void PulsePlayer::Impl::warnOnce(const QString &cause, const QString &message)
{
    if (m_reported.contains(cause))
        return;
    m_reported.insert(cause);
    qWarning().noquote() << message;
}

PulsePlayer::PulsePlayer() : PulsePlayer(QString()) {}

PulsePlayer::PulsePlayer(const QString &server) : m_impl(std::make_unique<Impl>(server)) {}

PulsePlayer::~PulsePlayer() = default;

void PulsePlayer::play(const QString &path)
{
    m_impl->request(path);
}

} // namespace runtime
