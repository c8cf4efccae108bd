// SPDX-License-Identifier: GPL-3.0-or-later
// What the player costs the sound server while the game is silent, and what silence costs the
// player. Measures, never fails on a figure.
//
// 1. The server's CPU time over 10 s (the scheduler's nanosecond count, all its threads): with no
//    client (the reference), then with the real player open and silent after one sound, in turns,
//    three times each, and the server's wake-ups in each (voluntary context switches).
// 2. After a silence of 1 s, 10 s and 60 s: the delay from play() to the first sound in the
//    server's mix (as bench_playlatency measures it) and whether the first dit arrived whole.
#include "measures.h"
#include "pulsetestserver.h"
#include "sound/pulseplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sndfile.h>
#include <vector>

namespace {

constexpr int Rate = PulseTestServer::Rate;

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Usage
{
    double cpuSeconds = 0.0;
    qint64 wakeups = 0;
};

// CPU time and voluntary context switches of every thread of a process. The CPU time is the
// scheduler's own count in nanoseconds: the tick-based one in stat reads 0 for a quiet server.
Usage usageOf(qint64 pid)
{
    Usage usage;
    const QString base = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(base + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            usage.cpuSeconds += double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
        QFile status(base + QLatin1Char('/') + task + QStringLiteral("/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("voluntary_ctxt_switches:"))
                    usage.wakeups += line.mid(24).trimmed().toLongLong();
            }
        }
    }
    return usage;
}

Usage over(qint64 pid, int seconds)
{
    const Usage before = usageOf(pid);
    QThread::sleep(seconds);
    const Usage after = usageOf(pid);
    return {after.cpuSeconds - before.cpuSeconds, after.wakeups - before.wakeups};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PulseTestServer server;
    if (!startOrSay(server))
        return 1;
    // A 60 ms dit at 650 Hz with 5 ms raised-cosine edges, as the program's sounds are made.
    std::vector<float> dit(size_t(Rate * 60 / 1000));
    const size_t edge = Rate / 200;
    for (size_t i = 0; i < dit.size(); ++i) {
        const size_t from = std::min(i, dit.size() - 1 - i);
        const double envelope =
            from < edge ? 0.5 - 0.5 * std::cos(std::numbers::pi * (double(from) + 0.5) / edge) : 1.0;
        dit[i] = float(0.7 * envelope * std::sin(2.0 * std::numbers::pi * 650.0 * double(i) / Rate));
    }
    const QString file = server.filePath(QStringLiteral("dit.wav"));
    if (!writeWav(file, Rate, SF_FORMAT_PCM_16, {dit}))
        return 1;

    QThread::sleep(2);
    std::vector<double> aloneMs;
    std::vector<double> silentMs;
    std::vector<double> aloneWakeups;
    std::vector<double> silentWakeups;
    for (int turn = 0; turn < 3; ++turn) {
        const Usage alone = over(server.processId(), 10);
        aloneMs.push_back(alone.cpuSeconds * 1e3);
        aloneWakeups.push_back(double(alone.wakeups));
        sound::PulsePlayer player(server.address());
        player.play(file);
        QThread::sleep(3); // played, then past the player's short wait before it lets the stream sleep
        const Usage silent = over(server.processId(), 10);
        silentMs.push_back(silent.cpuSeconds * 1e3);
        silentWakeups.push_back(double(silent.wakeups));
    }
    std::printf("sound server over 10 s, median of 3 in turns (CPU time; wake-ups)\n");
    std::printf("  no client          %7.3f ms  %4.0f\n", percentile(aloneMs, 0.5),
                percentile(aloneWakeups, 0.5));
    std::printf("  player, silent     %7.3f ms  %4.0f\n", percentile(silentMs, 0.5),
                percentile(silentWakeups, 0.5));
    std::printf("  ratio              %.2f (CPU), %.2f (wake-ups)\n",
                percentile(silentMs, 0.5) / std::max(percentile(aloneMs, 0.5), 1e-3),
                percentile(silentWakeups, 0.5) / std::max(percentile(aloneWakeups, 0.5), 1.0));

    MonitorRecorder recorder(server.address());
    if (!recorder.start())
        return 1;
    sound::PulsePlayer player(server.address());
    player.play(file);
    QThread::msleep(500);
    // When the sink takes back what it mixed ahead to play a sound at once, the monitor has sent
    // some of that stretch already and leaves out the start of the sound (up to one of the
    // recorder's 10 ms blocks): so the dit is found by its samples from 12 ms in.
    constexpr qsizetype Blind = 12 * Rate / 1000;
    std::printf("first dit after a silence: play() to first sound in the mix (as received); the dit found "
                "sample for sample from %.0f ms in, and how much of it the monitor showed\n",
                double(Blind) * 1000.0 / Rate);
    for (const int seconds : {1, 10, 60}) {
        QThread::sleep(seconds);
        const qsizetype mark = recorder.frames();
        const qint64 called = steadyNs();
        player.play(file);
        const qsizetype loud = waitForFirstLoud(recorder, mark, 2000);
        QThread::msleep(200);
        const std::vector<float> heard =
            recorder.samples(std::max<qsizetype>(0, mark - Blind), recorder.frames());
        const auto matches = [&](qsizetype at, qsizetype k) {
            return std::abs(heard[size_t(at + k)] - dit[size_t(k)]) < 1e-4f;
        };
        qsizetype at = -1;
        for (qsizetype a = 0; at < 0 && a + qsizetype(dit.size()) <= qsizetype(heard.size()); ++a) {
            bool same = true;
            for (qsizetype k = Blind; same && k < qsizetype(dit.size()); ++k)
                same = matches(a, k);
            at = same ? a : -1;
        }
        qsizetype shownFrom = Blind;
        while (at >= 0 && shownFrom > 0 && matches(at, shownFrom - 1))
            --shownFrom;
        std::printf("  after %2d s: %s%.3f ms; dit %s, %.1f of its %.1f ms shown\n", seconds,
                    loud < 0 ? "LOST " : "", loud < 0 ? 0.0 : double(recorder.arrivalNs(loud) - called) / 1e6,
                    at < 0 ? "NOT FOUND" : "found",
                    at < 0 ? 0.0 : double(qsizetype(dit.size()) - shownFrom) * 1000.0 / Rate,
                    double(dit.size()) * 1000.0 / Rate);
    }
    return 0;
}
