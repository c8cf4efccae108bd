// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulsetestserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <chrono>
#include <pulse/pulseaudio.h>
#include <sndfile.h>

namespace {

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

PulseTestServer::PulseTestServer()
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // libpulse clients of this process would otherwise leave a cookie and a runtime link in the
    // user's home.
    qputenv("PULSE_COOKIE", QFile::encodeName(m_dir.filePath(QStringLiteral("cookie"))));
    qputenv("PULSE_RUNTIME_PATH", QFile::encodeName(m_dir.filePath(QStringLiteral("client"))));
}

PulseTestServer::~PulseTestServer()
{
    stop();
}

QString PulseTestServer::address() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native"));
}

bool PulseTestServer::start()
{
    const QString socket = m_dir.filePath(QStringLiteral("native"));
    QDir(m_dir.path()).mkpath(QStringLiteral("xdg"));
    QFile::setPermissions(m_dir.filePath(QStringLiteral("xdg")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    // Everything the server would look up under the user's folders points into ours, and no bus
    // or display is offered: it must run the same in a bare container as on a desktop.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY", "PULSE_SERVER"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("xdg")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_dir.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("PULSE_STATE_PATH"), m_dir.filePath(QStringLiteral("state")));
    m_process.setProcessEnvironment(env);

    // As root the server only warns that it is not meant to run so; --system would be the wrong
    // fix, as it ignores -L and reads the machine's system.pa.
    m_process.start(
        QStringLiteral("pulseaudio"),
        {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--use-pid-file=no"),
         QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disable-shm=yes"),
         QStringLiteral("--realtime=no"), QStringLiteral("--high-priority=no"),
         QStringLiteral("--log-target=stderr"), QStringLiteral("--log-level=warning"), QStringLiteral("-L"),
         QStringLiteral("module-null-sink sink_name=zumbarel_test format=float32le rate=%1 channels=1 "
                        "channel_map=mono")
             .arg(Rate),
         QStringLiteral("-L"),
         QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(socket)});
    if (!m_process.waitForStarted(5000)) {
        m_log +=
            QStringLiteral("cannot run pulseaudio (Debian package pulseaudio): ") + m_process.errorString();
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!QFileInfo::exists(socket)) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running)
            return false;
        QThread::msleep(20);
    }
    return true;
}

void PulseTestServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    m_log += QString::fromLocal8Bit(m_process.readAll());
}

QString PulseTestServer::log()
{
    m_log += QString::fromLocal8Bit(m_process.readAll());
    return m_log;
}

MonitorRecorder::MonitorRecorder(const QString &server, int latencyMs)
    : m_server(server.toUtf8()), m_latencyMs(latencyMs)
{
}

MonitorRecorder::~MonitorRecorder()
{
    if (!m_loop)
        return;
    pa_threaded_mainloop_lock(m_loop);
    disconnect();
    pa_threaded_mainloop_unlock(m_loop);
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

bool MonitorRecorder::start()
{
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop || pa_threaded_mainloop_start(m_loop) < 0)
        return false;
    // A server that has only just made its socket may turn the first client away.
    QDeadlineTimer deadline(10000);
    for (;;) {
        pa_threaded_mainloop_lock(m_loop);
        disconnect();
        m_failed = false;
        m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "zumbarel-monitor");
        pa_context_set_state_callback(m_context, &MonitorRecorder::onContextState, this);
        if (pa_context_connect(m_context, m_server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            m_failed = true;
        pa_threaded_mainloop_unlock(m_loop);
        // The sink mixed a long stretch ahead when it started; once that has come through, it
        // keeps to short blocks.
        if (waitUntil(&MonitorRecorder::recording, int(std::max<qint64>(deadline.remainingTime(), 0))))
            return waitFrames(1, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

void MonitorRecorder::disconnect()
{
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
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
}

bool MonitorRecorder::recording() const
{
    return m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY;
}

bool MonitorRecorder::waitUntil(bool (MonitorRecorder::*ready)() const, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        pa_threaded_mainloop_lock(m_loop);
        const bool done = (this->*ready)();
        const bool failed = m_failed;
        pa_threaded_mainloop_unlock(m_loop);
        if (done)
            return true;
        if (failed || deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
}

void MonitorRecorder::onContextState(pa_context *context, void *self)
{
    auto *recorder = static_cast<MonitorRecorder *>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, PulseTestServer::Rate, 1};
        recorder->m_stream = pa_stream_new(context, "monitor", &format, nullptr);
        pa_stream_set_state_callback(recorder->m_stream, &MonitorRecorder::onStreamState, recorder);
        pa_stream_set_read_callback(recorder->m_stream, &MonitorRecorder::onReadable, recorder);
        // Left alone, the null sink mixes hundreds of milliseconds at a time, which a player
        // joining later must wait out. Asking for a few milliseconds (10 unless told) keeps its blocks
        // short without going much below what the player itself asks for, so the player's own
        // settings are what is heard.
        // With no latency asked, the monitor follows the sink, and small fragments still come
        // as soon as the sink lets them go.
        const bool steer = recorder->m_latencyMs > 0;
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.fragsize =
            uint32_t(pa_usec_to_bytes((steer ? recorder->m_latencyMs : 1) * PA_USEC_PER_MSEC, &format));
        const auto flags =
            pa_stream_flags_t(PA_STREAM_AUTO_TIMING_UPDATE | (steer ? PA_STREAM_ADJUST_LATENCY : 0));
        if (pa_stream_connect_record(recorder->m_stream, "zumbarel_test.monitor", &attr, flags) < 0)
            recorder->m_failed = true;
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        recorder->m_failed = true;
        break;
    default:
        break;
    }
}

void MonitorRecorder::onStreamState(pa_stream *stream, void *self)
{
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        static_cast<MonitorRecorder *>(self)->m_failed = true;
}

void MonitorRecorder::onReadable(pa_stream *stream, size_t, void *self)
{
    auto *recorder = static_cast<MonitorRecorder *>(self);
    const qint64 now = steadyNs();
    const void *data = nullptr;
    size_t bytes = 0;
    while (pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        const std::lock_guard lock(recorder->m_mutex);
        recorder->m_chunks.push_back({qsizetype(recorder->m_samples.size()), now});
        const size_t count = bytes / sizeof(float);
        if (data) {
            const auto *first = static_cast<const float *>(data);
            recorder->m_samples.insert(recorder->m_samples.end(), first, first + count);
        } else {
            recorder->m_samples.resize(recorder->m_samples.size() + count, 0.0f); // a hole
        }
        pa_stream_drop(stream);
    }
}

qsizetype MonitorRecorder::frames() const
{
    const std::lock_guard lock(m_mutex);
    return qsizetype(m_samples.size());
}

bool MonitorRecorder::waitFrames(qsizetype count, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (frames() < count) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

std::vector<float> MonitorRecorder::samples(qsizetype from, qsizetype to) const
{
    const std::lock_guard lock(m_mutex);
    to = std::min(to, qsizetype(m_samples.size()));
    if (from >= to)
        return {};
    return std::vector<float>(m_samples.begin() + from, m_samples.begin() + to);
}

qint64 MonitorRecorder::arrivalNs(qsizetype frame) const
{
    const std::lock_guard lock(m_mutex);
    if (frame >= qsizetype(m_samples.size()))
        return -1;
    const auto after = std::upper_bound(m_chunks.begin(), m_chunks.end(), frame,
                                        [](qsizetype f, const Chunk &chunk) { return f < chunk.first; });
    return std::prev(after)->arrivalNs;
}

qint64 MonitorRecorder::transportUs()
{
    pa_threaded_mainloop_lock(m_loop);
    const pa_timing_info *timing = m_stream ? pa_stream_get_timing_info(m_stream) : nullptr;
    const qint64 transport = timing ? qint64(timing->transport_usec) : 0;
    pa_threaded_mainloop_unlock(m_loop);
    return transport;
}

bool writeWav(const QString &path, int rate, int format, const std::vector<std::vector<float>> &channels)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = int(channels.size());
    info.format = SF_FORMAT_WAV | format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const size_t frames = channels.front().size();
    std::vector<float> interleaved(frames * channels.size());
    for (size_t i = 0; i < frames; ++i)
        for (size_t c = 0; c < channels.size(); ++c)
            interleaved[i * channels.size() + c] = channels[c][i];
    const bool written = sf_writef_float(file, interleaved.data(), sf_count_t(frames)) == sf_count_t(frames);
    return sf_close(file) == 0 && written;
}
