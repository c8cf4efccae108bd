// Clicks in quick cuts: plays 150 Morse characters through the real player, each cutting off the
// one before while it is still heard, records the sink's monitor and counts the sample-to-sample
// steps larger than the sounds' own largest step (a click), and among them the hard stops (a step
// to exact silence). Measures, never fails on a figure.
//
// With no argument it uses a private PulseAudio server. With a server address it uses that
// server, which must have a null sink named zumbarel_test, for instance a private PipeWire:
// pipewire, wireplumber (on a private D-Bus session) and pipewire-pulse under a private
// XDG_RUNTIME_DIR, then
//   pactl load-module module-null-sink sink_name=zumbarel_test format=float32le rate=44100
//         channels=1 channel_map=mono; pactl set-default-sink zumbarel_test
// CUTCLICKS_APART=1 plays 15 sounds 1.5 s apart instead, with no cut: the server's own count.
#include "morsecode.h"
#include "pulsetestserver.h"
#include "runtime/pulseplayer.h"
#include "tonerenderer.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sndfile.h>
#include <vector>

namespace {

const int Cuts = qEnvironmentVariableIsSet("CUTCLICKS_APART") ? 15 : 150;
constexpr int Rate = PulseTestServer::Rate;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PulseTestServer server;
    QString address;
    if (argc > 1) {
        address = QString::fromLocal8Bit(argv[1]);
    } else if (server.start()) {
        address = server.address();
    } else {
        std::fprintf(stderr, "cannot start pulseaudio:\n%s\n", qPrintable(server.log()));
        return 1;
    }
    MonitorRecorder recorder(address);
    if (!recorder.start()) {
        std::fprintf(stderr, "cannot record zumbarel_test.monitor on %s\n", qPrintable(address));
        return 1;
    }

    QTemporaryDir dir;
    const QStringList characters{QStringLiteral("0"), QStringLiteral("E"), QStringLiteral("T"),
                                 QStringLiteral("Q"), QStringLiteral("K"), QStringLiteral("7")};
    QStringList files;
    float ownStep = 0.0f;
    for (const QString &character : characters) {
        const std::vector<std::int16_t> pcm =
            soundgen::renderTone(soundgen::keyText(character.toStdString()), soundgen::ToneSettings{});
        std::vector<float> samples(pcm.size());
        for (size_t i = 0; i < pcm.size(); ++i) {
            samples[i] = float(pcm[i]) / 32768.0f;
            if (i > 0)
                ownStep = std::max(ownStep, std::abs(samples[i] - samples[i - 1]));
        }
        files << dir.filePath(character + QStringLiteral(".wav"));
        if (!writeWav(files.last(), Rate, SF_FORMAT_PCM_16, {samples}))
            return 1;
    }

    runtime::PulsePlayer player(address);
    QThread::msleep(500);
    QRandomGenerator random(150);
    const qsizetype mark = recorder.frames();
    // A long first sound, so that every play after it cuts off one still heard.
    player.play(files.first());
    QThread::msleep(300);
    for (int i = 0; i < Cuts; ++i) {
        player.play(qEnvironmentVariableIsSet("CUTCLICKS_APART") ? files.first()
                                                                 : files.at(1 + i % (files.size() - 1)));
        QThread::msleep(qEnvironmentVariableIsSet("CUTCLICKS_APART") ? 1500 : 190 + random.bounded(140));
    }
    QThread::msleep(1500);

    const std::vector<float> heard = recorder.samples(mark, recorder.frames());
    size_t first = 0;
    while (first < heard.size() && heard[first] == 0.0f)
        ++first;
    int steps = 0;
    int stops = 0;
    float largest = 0.0f;
    for (size_t i = first + 1; i < heard.size(); ++i) {
        const float step = std::abs(heard[i] - heard[i - 1]);
        largest = std::max(largest, step);
        if (step > ownStep && qEnvironmentVariableIsSet("CUTCLICKS_SHOW")) {
            std::printf("step %.4f at %.4f s:", double(step), double(i) / Rate);
            for (size_t k = i - 4; k < i + 4 && k < heard.size(); ++k)
                std::printf(" %.4f", double(heard[k]));
            // Where the sound stops after it, if it does.
            size_t quiet = i;
            while (quiet < heard.size() && std::abs(heard[quiet]) > 1e-3f)
                ++quiet;
            std::printf("  quiet %.1f ms later\n", double(quiet - i) * 1000.0 / Rate);
        }
        steps += step > ownStep;
        stops += step > ownStep && heard[i] == 0.0f;
    }
    std::printf(
        "%d quick cuts on %s: %d steps larger than the sounds' own %.4f (largest %.4f), %d of them hard "
        "stops\n",
        Cuts, argc > 1 ? argv[1] : "a private PulseAudio server", steps, double(ownStep), double(largest),
        stops);
    return 0;
}
