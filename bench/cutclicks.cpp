// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks in quick cuts: plays 150 Morse characters through the real player, each cutting off the
// one before while it is still heard, records the sink's monitor and sorts what a listener would
// hear as a click:
//   hole  - a short run of exact zeros that breaks into sound: the stream ran dry (an underrun);
//   stop  - sound that stops dead into a long silence;
//   start - sound that starts mid-wave out of a long silence;
//   jump  - a step well above the sounds' own between two samples that are not silence.
// Each is placed against the pauses around it (a cut's fade runs into one, the new sound comes
// out of one) and against the play() call before it. Measures, never fails on a figure.
//
// With no argument it uses a private PulseAudio server. With a server address it uses that
// server, which must have a null sink named zumbarel_test, for instance a private PipeWire:
// pipewire, wireplumber (on a private D-Bus session) and pipewire-pulse under a private
// XDG_RUNTIME_DIR, then
//   pactl load-module module-null-sink sink_name=zumbarel_test format=float32le rate=44100
//         channels=1 channel_map=mono; pactl set-default-sink zumbarel_test
// CUTCLICKS_APART=1 plays the same sounds with no cut, each heard to its end and then 300 ms of
// silence: the server's own clicks, to compare per second of sound. CUTCLICKS_SHOW=1 lists every
// finding. CUTCLICKS_RAW=path keeps the recording (raw mono float, and the play calls' frames in
// path.calls); CUTCLICKS_READ=path sorts a kept recording again instead of playing.
#include "morsecode.h"
#include "pulsetestserver.h"
#include "sound/pulseplayer.h"
#include "tonerenderer.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sndfile.h>
#include <vector>

namespace {

constexpr int Plays = 150;
constexpr int Rate = PulseTestServer::Rate;
// A server that resamples (PipeWire's graph runs at 48 kHz) rounds the sounds' own steps up by a
// hair; a click is a step well above them.
constexpr float StepMargin = 1.5f;
// Within 2 ms of a run of exact zeros, a sample this loud means the sound broke off there: an
// element's own rise or fall, or a fade, stays below 0.44 of its peak that close to silence.
// 2 ms also spans what a resampler smears around the break.
constexpr float Loud = 0.35f;
constexpr qsizetype Near = Rate / 500;
// Zeros longer than this are the silence between sounds, not a hole in one.
constexpr qsizetype LongSilence = Rate / 10;

struct Finding
{
    const char *kind;
    qsizetype at;
    qsizetype length;
};

float loudest(const std::vector<float> &heard, qsizetype from, qsizetype to)
{
    float most = 0.0f;
    for (qsizetype i = std::max<qsizetype>(0, from); i < to && i < qsizetype(heard.size()); ++i)
        most = std::max(most, std::abs(heard[size_t(i)]));
    return most;
}

std::vector<Finding> findClicks(const std::vector<float> &heard, float ownStep)
{
    std::vector<Finding> found;
    const auto size = qsizetype(heard.size());
    qsizetype i = 0;
    while (i < size && heard[size_t(i)] == 0.0f)
        ++i; // the silence before the first sound
    std::vector<qsizetype> steps;
    for (; i < size; ++i) {
        if (heard[size_t(i)] != 0.0f) {
            if (heard[size_t(i - 1)] != 0.0f &&
                std::abs(heard[size_t(i)] - heard[size_t(i - 1)]) > ownStep * StepMargin)
                steps.push_back(i);
            continue;
        }
        qsizetype end = i;
        while (end < size && heard[size_t(end)] == 0.0f)
            ++end;
        const qsizetype length = end - i;
        // A lone zero is a sine passing through it.
        if (length >= 4) {
            const bool loudBefore = loudest(heard, i - Near, i) > Loud;
            const bool loudAfter = end < size && loudest(heard, end, end + Near) > Loud;
            if (length < LongSilence) {
                // A break that falls on an element's own rise or fall has one loud side only.
                if (loudBefore || loudAfter)
                    found.push_back({"hole", i, length});
            } else {
                if (loudBefore)
                    found.push_back({"stop", i, length});
                if (loudAfter)
                    found.push_back({"start", end, length});
            }
        }
        i = end - 1;
    }
    // A step next to a break already found is that break's edge.
    for (const qsizetype step : steps) {
        const bool edge = std::any_of(found.begin(), found.end(), [step](const Finding &finding) {
            return step > finding.at - Near && step < finding.at + finding.length + Near;
        });
        if (!edge)
            found.push_back({"jump", step, 0});
    }
    std::sort(found.begin(), found.end(), [](const Finding &a, const Finding &b) { return a.at < b.at; });
    return found;
}

struct Recording
{
    std::vector<float> heard;
    // Where in it each play() was called, near enough: the monitor's frame count at the call.
    std::vector<qsizetype> calls;
};

// Plays the first sound, then Plays more, each cutting off the one before, or, apart, each
// after the one before has ended.
bool record(const QString &address, bool apart, const QStringList &files, const std::vector<int> &lengthsMs,
            Recording &recording)
{
    // A recorder asking for less would set PipeWire's cycle itself, shorter than the player's own.
    MonitorRecorder recorder(address, 25);
    if (!recorder.start()) {
        std::fprintf(stderr, "cannot record zumbarel_test.monitor on %s\n", qPrintable(address));
        return false;
    }
    sound::PulsePlayer player(address);
    QThread::msleep(500);
    QRandomGenerator random(150);
    const qsizetype mark = recorder.frames();
    recording.calls.push_back(0);
    player.play(files.first());
    QThread::msleep(apart ? 2000 : 300);
    for (int i = 0; i < Plays; ++i) {
        const int which = 1 + i % int(files.size() - 1);
        recording.calls.push_back(recorder.frames() - mark);
        player.play(files.at(which));
        const int wait = 190 + int(random.bounded(140));
        QThread::msleep(apart ? std::max(wait, lengthsMs[size_t(which)] + 300) : wait);
    }
    QThread::msleep(1500);
    recording.heard = recorder.samples(mark, recorder.frames());
    return true;
}

bool keep(const QByteArray &path, const Recording &recording)
{
    FILE *raw = std::fopen(path.constData(), "wb");
    FILE *calls = std::fopen((path + ".calls").constData(), "w");
    bool kept = raw && calls &&
                std::fwrite(recording.heard.data(), sizeof(float), recording.heard.size(), raw) ==
                    recording.heard.size();
    for (const qsizetype call : recording.calls)
        kept = kept && calls && std::fprintf(calls, "%lld\n", static_cast<long long>(call)) > 0;
    for (FILE *file : {raw, calls})
        kept = file && std::fclose(file) == 0 && kept;
    return kept;
}

bool readBack(const QByteArray &path, Recording &recording)
{
    FILE *raw = std::fopen(path.constData(), "rb");
    FILE *calls = std::fopen((path + ".calls").constData(), "r");
    float sample = 0.0f;
    while (raw && std::fread(&sample, sizeof sample, 1, raw) == 1)
        recording.heard.push_back(sample);
    long long call = 0;
    while (calls && std::fscanf(calls, "%lld", &call) == 1)
        recording.calls.push_back(qsizetype(call));
    for (FILE *file : {raw, calls}) {
        if (file)
            std::fclose(file);
    }
    return !recording.heard.empty();
}

void report(const Recording &recording, float ownStep, const char *what, const QString &where)
{
    const bool show = qEnvironmentVariableIsSet("CUTCLICKS_SHOW");
    const std::vector<float> &heard = recording.heard;
    const std::vector<qsizetype> &calls = recording.calls;
    qsizetype audible = 0;
    for (float sample : heard)
        audible += std::abs(sample) > 1.0f / 1024;
    const std::vector<Finding> found = findClicks(heard, ownStep);

    // The pauses between sounds: a fade, or a sound's own end, runs into one; a sound starts out
    // of one. A click caused by a cut sits at one of their edges.
    std::vector<std::pair<qsizetype, qsizetype>> pauses;
    for (qsizetype i = 0; i < qsizetype(heard.size());) {
        qsizetype end = i;
        while (end < qsizetype(heard.size()) && std::abs(heard[size_t(end)]) <= 1.0f / 1024)
            ++end;
        if (end - i >= LongSilence)
            pauses.emplace_back(i, end);
        i = end + 1;
    }
    constexpr qsizetype EdgeFrames = Rate / 100;
    std::map<std::string, int> counts;
    std::map<int, int> sinceCall;
    std::vector<qsizetype> holeLengths;
    int atEnds = 0;
    int atStarts = 0;
    for (const Finding &finding : found) {
        ++counts[finding.kind];
        const auto call = std::upper_bound(calls.begin(), calls.end(), finding.at);
        const int ms = call == calls.begin() ? -1 : int((finding.at - *std::prev(call)) * 1000 / Rate);
        ++sinceCall[ms / 50 * 50];
        if (std::string(finding.kind) == "hole")
            holeLengths.push_back(finding.length);
        // The pause a break runs into or out of counts as its own: its edge is where the break is.
        const auto next = std::upper_bound(pauses.begin(), pauses.end(), finding.at,
                                           [](qsizetype at, const auto &pause) { return at < pause.second; });
        const auto after = std::upper_bound(pauses.begin(), pauses.end(), finding.at,
                                            [](qsizetype at, const auto &pause) { return at < pause.first; });
        const qsizetype beforeEnd =
            next == pauses.end() ? -1 : std::max<qsizetype>(0, next->first - finding.at);
        const qsizetype afterStart =
            after == pauses.begin() ? -1 : std::max<qsizetype>(0, finding.at - std::prev(after)->second);
        // Stops and starts are at a pause by what they are; holes and jumps are placed.
        const bool placed = finding.length < LongSilence;
        atEnds += placed && beforeEnd >= 0 && beforeEnd <= EdgeFrames;
        atStarts += placed && afterStart >= 0 && afterStart <= EdgeFrames;
        if (show && placed)
            std::printf("%-5s at %8.4f s, %4d ms after the play before it, %5.1f ms into the sound, %5.1f ms "
                        "before it ends, zeros %lld\n",
                        finding.kind, double(finding.at) / Rate, ms, double(afterStart) * 1000 / Rate,
                        double(beforeEnd) * 1000 / Rate, static_cast<long long>(finding.length));
        else if (show)
            std::printf("%-5s at %8.4f s, %4d ms after the play before it, zeros %lld\n", finding.kind,
                        double(finding.at) / Rate, ms, static_cast<long long>(finding.length));
    }
    std::sort(holeLengths.begin(), holeLengths.end());
    const double soundSeconds = double(audible) / Rate;
    std::printf("%s on %s, %.1f s of sound: %zu clicks (%.2f per 10 s of sound): %d holes (median %lld "
                "zeros), %d stops, %d starts, %d jumps\n",
                what, qPrintable(where), soundSeconds, found.size(),
                soundSeconds > 0 ? double(found.size()) * 10.0 / soundSeconds : 0.0, counts["hole"],
                static_cast<long long>(holeLengths.empty() ? 0 : holeLengths[holeLengths.size() / 2]),
                counts["stop"], counts["start"], counts["jump"]);
    std::printf("holes and jumps within 10 ms of a sound's end (a fade): %d, of a sound's start: %d\n",
                atEnds, atStarts);
    std::printf("ms after the play call (50 ms bins):");
    for (const auto &[bin, count] : sinceCall)
        std::printf(" %d:%d", bin, count);
    std::printf("\n");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool apart = qEnvironmentVariableIsSet("CUTCLICKS_APART");

    QTemporaryDir dir;
    const QStringList characters{QStringLiteral("0"), QStringLiteral("E"), QStringLiteral("T"),
                                 QStringLiteral("Q"), QStringLiteral("K"), QStringLiteral("7")};
    QStringList files;
    std::vector<int> lengthsMs;
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
        lengthsMs.push_back(int(pcm.size() * 1000 / Rate));
        if (!writeWav(files.last(), Rate, SF_FORMAT_PCM_16, {samples}))
            return 1;
    }

    Recording recording;
    QString where = QStringLiteral("a private PulseAudio server");
    if (qEnvironmentVariableIsSet("CUTCLICKS_READ")) {
        where = qEnvironmentVariable("CUTCLICKS_READ");
        if (!readBack(qgetenv("CUTCLICKS_READ"), recording)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(where));
            return 1;
        }
    } else {
        PulseTestServer server;
        if (argc > 1) {
            where = QString::fromLocal8Bit(argv[1]);
        } else if (!server.start()) {
            std::fprintf(stderr, "cannot start pulseaudio:\n%s\n", qPrintable(server.log()));
            return 1;
        }
        if (!record(argc > 1 ? where : server.address(), apart, files, lengthsMs, recording))
            return 1;
        if (qEnvironmentVariableIsSet("CUTCLICKS_RAW") && !keep(qgetenv("CUTCLICKS_RAW"), recording))
            std::fprintf(stderr, "cannot keep the recording\n");
    }

    report(recording, ownStep,
           qEnvironmentVariableIsSet("CUTCLICKS_READ") ? "recording"
           : apart                                     ? "plays apart"
                                                       : "quick cuts",
           where);
    return 0;
}
