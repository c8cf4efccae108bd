// SPDX-License-Identifier: GPL-3.0-or-later
// How long after play() a sound is in the sound server's mix, through the real player into a
// private PulseAudio server with a null sink: with the stream awake, after silences long enough for
// it to sleep (1.5 s and 10 s), on the first play of a run, and on files got ready ahead. The kinds
// take turns in one run. Prints median, 95th percentile, max and count; it measures and never
// fails on a figure.
//
// Method: a record stream on the sink's monitor timestamps (steady clock) every chunk as it
// reaches us. The server sends each block to the monitor as soon as the sink has mixed it, so the
// chunk that holds the first loud sample after a play() left the mixer at its arrival time less
// the trip from the server to us. That trip comes from the record stream's timing info, which
// libpulse measures as half the round trip of a timing request; single readings jump about, so
// the median of one reading per play is subtracted from every delay. What remains over-counts by
// the server's hand-over from its mixing thread to its socket thread, tens of microseconds.
//
// The recorder asks for 10 ms of latency, as in the tests, which also keeps the sink from mixing
// further ahead than that while the player sleeps. --monitor-latency 0 asks for none, so the sink
// mixes as far ahead as the sleeping player lets it, as on a desktop with no other sound; but then
// the monitor may not show a sound that the sink took back a long stretch to play at once (it
// has sent that stretch already), and such plays are counted as unseen, not measured.
// --long N: plays after 10 s of silence (default 5). --runs N: first plays of a run (default 10).
#include "measures.h"
#include "pulsetestserver.h"
#include "sound/pulseplayer.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <sndfile.h>
#include <string>
#include <vector>

namespace {

constexpr int Rate = PulseTestServer::Rate;
constexpr int Rounds = 20;
constexpr int AwakePerRound = 3;
constexpr int FreshFiles = 20;
// Past the player's one second of silence before it lets the stream sleep.
constexpr int ShortSleepMs = 1500;
constexpr int LongSleepMs = 10000;
// Between two plays that find the stream awake, as between two rounds of the game.
constexpr int PauseMs = 300;

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int option(const QStringList &arguments, const QString &name, int fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

class Bench
{
public:
    explicit Bench(MonitorRecorder &recorder) : m_recorder(recorder) {}

    // Plays, waits for the sound, then pauses.
    void measure(sound::PulsePlayer &player, const QString &path, const char *kind, int thenMs)
    {
        const qsizetype mark = m_recorder.frames();
        const qint64 called = steadyNs();
        player.play(path);
        // A sink that mixes far ahead may hold the monitor's data back as long.
        const qsizetype loud = waitForFirstLoud(m_recorder, mark, 2500);
        m_tripsUs.push_back(double(m_recorder.transportUs()));
        Kind &plays = m_kinds[kind];
        if (loud < 0)
            ++plays.unseen;
        else
            plays.rawMs.push_back(double(m_recorder.arrivalNs(loud) - called) / 1e6);
        QThread::msleep(ulong(thenMs));
    }

    void report(const std::vector<const char *> &kinds) const
    {
        const double tripMs = percentile(m_tripsUs, 0.5) / 1e3;
        std::printf("play() to first sound in the mix, ms\n");
        std::printf("  %-26s %8s %8s %8s %5s\n", "", "median", "p95", "max", "n");
        for (const char *kind : kinds) {
            const auto found = m_kinds.find(kind);
            if (found == m_kinds.end())
                continue;
            const Kind &plays = found->second;
            std::printf("  %-26s", kind);
            if (!plays.rawMs.empty()) {
                std::printf(" %8.3f %8.3f %8.3f %5zu", percentile(plays.rawMs, 0.5) - tripMs,
                            percentile(plays.rawMs, 0.95) - tripMs, percentile(plays.rawMs, 1.0) - tripMs,
                            plays.rawMs.size());
            }
            if (plays.unseen > 0)
                std::printf("  (%d unseen)", plays.unseen);
            std::printf("\n");
        }
        std::printf("  (trip from the server %.3f ms, subtracted)\n", tripMs);
    }

private:
    struct Kind
    {
        std::vector<double> rawMs;
        int unseen = 0;
    };
    MonitorRecorder &m_recorder;
    std::vector<double> m_tripsUs;
    std::map<std::string, Kind> m_kinds;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int monitorLatencyMs = option(arguments, QStringLiteral("--monitor-latency"), 10);
    const int longPlays = option(arguments, QStringLiteral("--long"), 5);
    const int runs = option(arguments, QStringLiteral("--runs"), 10);

    PulseTestServer server;
    if (!startOrSay(server))
        return 1;
    MonitorRecorder recorder(server.address(), monitorLatencyMs);
    if (!recorder.start()) {
        std::fprintf(stderr, "cannot record the test sink's monitor\n");
        return 1;
    }

    // A 50 ms beep at full level from its first sample, so that the first loud sample in the mix
    // is the sound's first.
    std::vector<float> beep(size_t(Rate / 20));
    for (size_t i = 0; i < beep.size(); ++i)
        beep[i] = float(0.5 * std::cos(2.0 * std::numbers::pi * 1000.0 * double(i) / Rate));
    const QString file = server.filePath(QStringLiteral("beep.wav"));
    QStringList files;
    for (int n = 0; n < FreshFiles; ++n)
        files << server.filePath(QStringLiteral("fresh%1.wav").arg(n));
    for (const QString &path : files + QStringList{file}) {
        if (!writeWav(path, Rate, SF_FORMAT_PCM_16, {beep})) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    Bench bench(recorder);

    // The first play of a run, as the program's first sound: the player connects and gets the
    // file ready ahead, and its stream starts asleep.
    for (int n = 0; n < runs; ++n) {
        sound::PulsePlayer fresh(server.address());
        fresh.prepare({file});
        QThread::msleep(ShortSleepMs);
        bench.measure(fresh, file, "first play of a run", PauseMs);
    }

    // Plays after a silence and plays with the stream awake, in turns.
    sound::PulsePlayer player(server.address());
    player.prepare({file});
    QThread::msleep(ShortSleepMs);
    for (int round = 0; round < Rounds; ++round) {
        bench.measure(player, file, "after 1.5 s", PauseMs);
        for (int n = 0; n < AwakePerRound; ++n)
            bench.measure(player, file, "awake (300 ms apart)",
                          n + 1 < AwakePerRound ? PauseMs : ShortSleepMs);
    }
    for (int n = 0; n < longPlays; ++n) {
        QThread::msleep(LongSleepMs - ShortSleepMs);
        bench.measure(player, file, "after 10 s", ShortSleepMs);
    }

    // The first play of files got ready ahead, as the program gets its catalogue ready at
    // start-up, against the second play of the same files; the stream awake for both.
    player.prepare(files);
    player.play(file);
    QThread::msleep(PauseMs);
    for (const char *kind : {"ready ahead, first play", "ready ahead, second play"}) {
        for (const QString &path : files)
            bench.measure(player, path, kind, PauseMs);
    }

    bench.report({"awake (300 ms apart)", "after 1.5 s", "after 10 s", "first play of a run",
                  "ready ahead, first play", "ready ahead, second play"});
    return 0;
}
