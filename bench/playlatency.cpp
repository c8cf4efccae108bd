// How long after play() a sound is in the sound server's mix, over 50 plays through the real
// player into a private PulseAudio server with a null sink. Prints the median and the 95th
// percentile; it measures and never fails on a figure.
//
// Method: a record stream on the sink's monitor timestamps (steady clock) every chunk as it
// reaches us. The server sends each block to the monitor as soon as the sink has mixed it, so the
// chunk that holds the first loud sample after a play() left the mixer at its arrival time less
// the trip from the server to us. That trip comes from the record stream's timing info, which
// libpulse measures as half the round trip of a timing request; single readings jump about, so
// the median of one reading per play is subtracted from every delay. What remains over-counts by
// the server's hand-over from its mixing thread to its socket thread, tens of microseconds. Each
// sound starts from silence, the case the game meets after every pause.
#include "measures.h"
#include "pulsetestserver.h"
#include "runtime/pulseplayer.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sndfile.h>
#include <vector>

namespace {

constexpr int Plays = 50;
constexpr int FreshFiles = 20;
constexpr int Rate = PulseTestServer::Rate;

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    PulseTestServer server;
    if (!startOrSay(server))
        return 1;
    MonitorRecorder recorder(server.address());
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
    if (!writeWav(file, Rate, SF_FORMAT_PCM_16, {beep})) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }

    runtime::PulsePlayer player(server.address());
    // The first play connects and decodes; it is not what the game waits for afterwards.
    player.play(file);
    QThread::msleep(500);

    // From the call to the chunk holding the first loud sample, as it reached us; -1 if never.
    const auto measure = [&](const QString &path, double *tripMs) {
        const qsizetype mark = recorder.frames();
        const qint64 called = steadyNs();
        player.play(path);
        const qsizetype loud = waitForFirstLoud(recorder, mark, 1000);
        *tripMs = double(recorder.transportUs()) / 1e3;
        // A pause, as between two rounds of the game, so that each beep starts from silence.
        QThread::msleep(300);
        return loud < 0 ? -1.0 : double(recorder.arrivalNs(loud) - called) / 1e6;
    };

    std::vector<double> rawMs;
    std::vector<double> tripMs;
    for (int n = 0; n < Plays; ++n) {
        double trip = 0.0;
        const double delay = measure(file, &trip);
        if (delay < 0) {
            std::fprintf(stderr, "play %d never reached the mix\n", n + 1);
            return 1;
        }
        rawMs.push_back(delay);
        tripMs.push_back(trip);
    }

    const double trip = percentile(tripMs, 0.5);
    std::printf("play() to first sound in the mix, %d plays from silence\n", Plays);
    std::printf("  median %.3f ms\n", percentile(rawMs, 0.5) - trip);
    std::printf("  p95    %.3f ms\n", percentile(rawMs, 0.95) - trip);
    std::printf("  (as received: median %.3f ms, p95 %.3f ms, max %.3f ms; trip from the server %.3f ms)\n",
                percentile(rawMs, 0.5), percentile(rawMs, 0.95), percentile(rawMs, 1.0), trip);

    // The first play of files got ready ahead, as the program gets its catalogue ready at
    // start-up, against the second play of the same files.
    QStringList files;
    for (int n = 0; n < FreshFiles; ++n) {
        files << server.filePath(QStringLiteral("fresh%1.wav").arg(n));
        if (!writeWav(files.last(), Rate, SF_FORMAT_PCM_16, {beep}))
            return 1;
    }
    player.prepare(files);
    QThread::msleep(1000);
    std::vector<double> firstMs;
    std::vector<double> secondMs;
    for (std::vector<double> *plays : {&firstMs, &secondMs}) {
        for (const QString &path : files) {
            double ignored = 0.0;
            const double delay = measure(path, &ignored);
            if (delay < 0) {
                std::fprintf(stderr, "%s never reached the mix\n", qPrintable(path));
                return 1;
            }
            plays->push_back(delay - trip);
        }
    }
    std::printf("%d files got ready ahead: first play median %.3f ms, p95 %.3f ms; "
                "second play median %.3f ms, p95 %.3f ms\n",
                FreshFiles, percentile(firstMs, 0.5), percentile(firstMs, 0.95), percentile(secondMs, 0.5),
                percentile(secondMs, 0.95));
    return 0;
}
