// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <mutex>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

// A private PulseAudio server with a single float mono 44.1 kHz null sink, so that what a player
// writes reaches the sink's monitor sample for sample. It lives in a temporary folder, reads no
// configuration of the machine and answers on its own socket only. The libpulse clients of this
// process keep their files in that folder too.
class PulseTestServer
{
public:
    static constexpr int Rate = 44100;

    PulseTestServer();
    ~PulseTestServer();
    PulseTestServer(const PulseTestServer &) = delete;
    PulseTestServer &operator=(const PulseTestServer &) = delete;

    // Starts the server and waits until its socket is there; false (see log()) if it is not.
    bool start();
    // Ends it as a server is ended when the session closes: its clients see the socket close.
    void stop();
    qint64 processId() const { return m_process.processId(); }
    // The address for libpulse.
    QString address() const;
    QString log();
    // A scratch folder that goes away with the server.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_log;
};

// Records the test server's monitor: every sample the sink mixed, with the moment each chunk
// reached us.
class MonitorRecorder
{
public:
    // latencyMs: the monitor's latency asked of the server, which also bounds the sink's; 0 asks
    // for none, so the sink keeps the latency its players ask for.
    explicit MonitorRecorder(const QString &server, int latencyMs = 10);
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder &) = delete;
    MonitorRecorder &operator=(const MonitorRecorder &) = delete;

    // Connects and starts recording; false if the server did not let us within a few seconds.
    bool start();
    qsizetype frames() const;
    // Waits until at least count frames are in; false after timeoutMs.
    bool waitFrames(qsizetype count, int timeoutMs) const;
    std::vector<float> samples(qsizetype from, qsizetype to) const;
    // When (steady clock, ns) the chunk holding the frame arrived; -1 if it has not.
    qint64 arrivalNs(qsizetype frame) const;
    // The server's estimate of how long a chunk takes from the server to us, in microseconds.
    qint64 transportUs();

private:
    static void onContextState(pa_context *context, void *self);
    static void onStreamState(pa_stream *stream, void *self);
    static void onReadable(pa_stream *stream, size_t bytes, void *self);
    bool waitUntil(bool (MonitorRecorder::*ready)() const, int timeoutMs);
    void disconnect();
    bool recording() const;

    QByteArray m_server;
    int m_latencyMs = 10;
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    bool m_failed = false;

    struct Chunk
    {
        qsizetype first = 0;
        qint64 arrivalNs = 0;
    };
    mutable std::mutex m_mutex;
    std::vector<float> m_samples;
    std::vector<Chunk> m_chunks;
};

// Writes a mono or stereo WAV file with libsndfile from per-channel sample functions.
bool writeWav(const QString &path, int rate, int format, const std::vector<std::vector<float>> &channels);
