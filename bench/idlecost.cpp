// What the player costs the sound server while the game is silent, and what silence costs the
// player. Measures, never fails on a figure.
//
// 1. The server's CPU time (from /proc) over 10 s: with no client (the reference), then with the
//    real player open and silent after one sound, and the server's wake-ups in each (voluntary
//    context switches of all its threads).
// 2. After a silence of 1 s, 10 s and 60 s: the delay from play() to the first sound in the
//    server's mix (as bench_playlatency measures it) and whether the first dit arrived whole.
#include "measures.h"
#include "pulsetestserver.h"
#include "runtime/pulseplayer.h"

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
#include <unistd.h>
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

// CPU time and voluntary context switches of every thread of a process.
Usage usageOf(qint64 pid)
{
    Usage usage;
    const QString base = QStringLiteral("/proc/%1/task").arg(pid);
    const long ticks = sysconf(_SC_CLK_TCK);
    for (const QString &task : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(base + QLatin1Char('/') + task + QStringLiteral("/stat"));
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            // utime and stime are fields 14 and 15; the list starts at field 3.
            usage.cpuSeconds +=
                double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) / double(ticks);
        }
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
    const Usage alone = over(server.processId(), 10);
    Usage silent;
    {
        runtime::PulsePlayer player(server.address());
        player.play(file);
        QThread::sleep(3); // played, then past the player's short wait before it lets the stream sleep
        silent = over(server.processId(), 10);
    }
    std::printf("sound server over 10 s (CPU time; wake-ups)\n");
    std::printf("  no client          %.3f s  %lld\n", alone.cpuSeconds, qlonglong(alone.wakeups));
    std::printf("  player, silent     %.3f s  %lld\n", silent.cpuSeconds, qlonglong(silent.wakeups));
    std::printf("  ratio              %.2f (CPU), %.2f (wake-ups)\n",
                silent.cpuSeconds / std::max(alone.cpuSeconds, 0.01),
                double(silent.wakeups) / std::max<qint64>(alone.wakeups, 1));

    MonitorRecorder recorder(server.address());
    if (!recorder.start())
        return 1;
    runtime::PulsePlayer player(server.address());
    player.play(file);
    QThread::msleep(500);
    std::printf(
        "first dit after a silence: play() to first sound in the mix (as received), dit length heard\n");
    for (const int seconds : {1, 10, 60}) {
        QThread::sleep(seconds);
        const qsizetype mark = recorder.frames();
        const qint64 called = steadyNs();
        player.play(file);
        const qsizetype loud = waitForFirstLoud(recorder, mark, 2000);
        QThread::msleep(200);
        const std::vector<float> heard = recorder.samples(mark, recorder.frames());
        qsizetype first = -1;
        qsizetype last = -1;
        for (qsizetype i = 0; i < qsizetype(heard.size()); ++i) {
            if (std::abs(heard[size_t(i)]) > 1e-3f) {
                first = first < 0 ? i : first;
                last = i;
            }
        }
        std::printf("  after %2d s: %s%.3f ms, %.1f ms heard of %.1f ms\n", seconds, loud < 0 ? "LOST " : "",
                    loud < 0 ? 0.0 : double(recorder.arrivalNs(loud) - called) / 1e6,
                    first < 0 ? 0.0 : double(last - first + 1) * 1000.0 / Rate,
                    double(dit.size()) * 1000.0 / Rate);
    }
    return 0;
}
