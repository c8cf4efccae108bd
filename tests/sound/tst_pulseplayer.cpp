// SPDX-License-Identifier: GPL-3.0-or-later
#include "morsecode.h"
#include "pulsetestserver.h"
#include "sound/morsetiming.h"
#include "sound/pulseplayer.h"
#include "tonerenderer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTest>
#include <cmath>
#include <csignal>
#include <numbers>
#include <sndfile.h>

using sound::PulsePlayer;

namespace {

constexpr int Rate = PulseTestServer::Rate;
constexpr int Ms = Rate / 1000;
// Far above the millisecond or two that play() may take, so a slow machine cannot fail it.
constexpr qint64 CallBoundNs = 50'000'000;
// When a sound starts in an idle stream, the sink rewinds and mixes it again from the present
// moment; the monitor has already sent what it first mixed there and leaves out what it mixed
// again. So the first block of the sink may be missing from the recording, though not from the
// sink's output: about 1 ms here from a stream that has just played out, up to one of the
// recorder's 10 ms blocks from a stream that was asleep.
constexpr qsizetype MonitorBlind = 12 * Ms;

// Below this a sample is silence to a listener.
constexpr float Quiet = 1.0f / 1024.0f;

// A tone whose level slides from one value to another: no stretch of it repeats, so a piece of
// it is found in a recording at one place only.
std::vector<float> tone(double hz, int ms, int rate, double from, double to, double phase = 0.0)
{
    const int frames = ms * rate / 1000;
    std::vector<float> samples(size_t(frames), 0.0f);
    for (int i = 0; i < frames; ++i) {
        const double level = from + (to - from) * i / frames;
        samples[size_t(i)] = float(level * std::sin(2.0 * std::numbers::pi * hz * i / rate + phase));
    }
    return samples;
}

// The file as any libsndfile reader sees it, so comparisons allow for the 16-bit rounding.
std::vector<float> readMono(const QString &path)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<float> samples(size_t(info.frames));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

// The Morse sound of a character as the program's sounds are made.
std::vector<float> morseSound(const QString &character)
{
    const std::vector<std::int16_t> pcm =
        soundgen::renderTone(soundgen::keyText(character.toStdString()), soundgen::ToneSettings{});
    std::vector<float> samples(pcm.size());
    for (size_t i = 0; i < pcm.size(); ++i)
        samples[i] = float(pcm[i]) / 32768.0f;
    return samples;
}

// The largest jump between neighbouring samples from `from` on, counting the silence after them.
float largestStep(const std::vector<float> &samples, qsizetype from = 0)
{
    float step = from == 0 && !samples.empty() ? std::abs(samples.front()) : 0.0f;
    for (size_t i = size_t(std::max<qsizetype>(from, 1)); i < samples.size(); ++i)
        step = std::max(step, std::abs(samples[i] - samples[i - 1]));
    return samples.empty() ? step : std::max(step, std::abs(samples.back()));
}

// Characters read from the lengths alone, as a listener reads them: a tone under two units is a
// dit, and a silence of two units or more ends a character.
QStringList readMorse(const std::vector<float> &samples)
{
    const auto units = [](qsizetype frames) { return double(frames) / Ms / morse::UnitMs; };
    QStringList characters;
    qsizetype start = -1;
    qsizetype last = -1;
    const auto endTone = [&] {
        if (start < 0)
            return;
        if (characters.isEmpty())
            characters << QString();
        characters.last() += units(last - start + 1) < 2.0 ? QLatin1Char('.') : QLatin1Char('-');
    };
    for (qsizetype i = 0; i < qsizetype(samples.size()); ++i) {
        if (std::abs(samples[size_t(i)]) <= 0.01f)
            continue;
        // The sine crosses zero inside a tone; only a longer silence is a gap.
        if (start < 0 || i - last > Ms) {
            endTone();
            if (start >= 0 && units(i - last - 1) >= 2.0)
                characters << QString();
            start = i;
        }
        last = i;
    }
    endTone();
    return characters;
}

struct Span
{
    qsizetype first = -1;
    qsizetype last = -1;
    qsizetype length() const { return first < 0 ? 0 : last - first + 1; }
};

Span loudSpan(const std::vector<float> &samples, float threshold)
{
    Span span;
    for (qsizetype i = 0; i < qsizetype(samples.size()); ++i) {
        if (std::abs(samples[size_t(i)]) > threshold) {
            if (span.first < 0)
                span.first = i;
            span.last = i;
        }
    }
    return span;
}

// Where `part` occurs sample for sample in `samples`, from `skip` frames into it; -1 if nowhere.
qsizetype locate(const std::vector<float> &samples, const std::vector<float> &part, qsizetype skip)
{
    const auto length = qsizetype(part.size());
    for (qsizetype at = 0; at + length <= qsizetype(samples.size()); ++at) {
        bool same = true;
        for (qsizetype k = skip; k < length && same; ++k)
            same = std::abs(samples[size_t(at + k)] - part[size_t(k)]) < 1e-6f;
        if (same)
            return at;
    }
    return -1;
}

QMutex warningsMutex;
QStringList warnings;
QtMessageHandler testlibHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg) {
        const QMutexLocker lock(&warningsMutex);
        warnings << message;
    }
    testlibHandler(type, context, message);
}

qsizetype warningsWith(const QString &text)
{
    const QMutexLocker lock(&warningsMutex);
    return warnings.filter(text).size();
}

} // namespace

// Plays through the real player into a private PulseAudio server and listens to its sink's monitor.
class TestPulsePlayer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.log()));
        QVERIFY(startRecorder());
        testlibHandler = qInstallMessageHandler(collectWarnings);

        // At 441 Hz with this phase no sample falls on zero, so the ends of this sound are exact to
        // find.
        const double offZero = std::numbers::pi / 100;
        QVERIFY(
            writeWav(path("short.wav"), Rate, SF_FORMAT_PCM_16, {tone(441, 300, Rate, 0.3, 0.5, offZero)}));
        m_player = std::make_unique<PulsePlayer>(m_server.address());
    }

    void cleanupTestCase()
    {
        m_player.reset();
        m_recorder.reset();
        qInstallMessageHandler(testlibHandler);
        m_server.stop();
    }

    void cleanup()
    {
        qInfo("slowest play() call: %.3f ms", double(m_slowestNs) / 1e6);
        m_slowestNs = 0;
    }

    void play_fromSilence_arrivesWholeSampleForSample() { checkArrivesWhole(); }

    // A sound cut off while heard fades out, a character gap of silence follows, and then the new
    // sound plays whole from its first sample, once. A listener (the decoder here) hears the
    // fragment and the new character as two characters. Where in the sound a cut may fall, and the
    // fade's shape, are CutPlan's test.
    void play_cutWhileHeard_fadeGapThenNewCharacter()
    {
        const QString old = QStringLiteral("Q");
        const int cutMs = 300; // in its second dah
        const QString next = QStringLiteral("E");
        const std::vector<float> sound = fileSound(next);
        const qsizetype mark = m_recorder->frames() - MonitorBlind;
        timedPlay(morseFile(old));
        QTest::qWait(cutMs);
        timedPlay(morseFile(next));
        const qsizetype length = (cutMs + 400) * Ms + qsizetype(sound.size());
        QVERIFY(m_recorder->waitFrames(mark + length, 5000));
        const std::vector<float> heard = m_recorder->samples(mark, mark + length);

        const qsizetype at = locate(heard, sound, 0);
        QVERIFY(at >= 0);
        QCOMPARE(locate(std::vector<float>(heard.begin() + at + 1, heard.end()), sound, 0), -1);
        const Span inSound = loudSpan(sound, Quiet);
        QCOMPARE(loudSpan(heard, Quiet).last, at + inSound.last);
        const qsizetype fragmentEnd =
            loudSpan(std::vector<float>(heard.begin(), heard.begin() + at), Quiet).last;
        QVERIFY(fragmentEnd >= 0);
        const qsizetype gap = at + inSound.first - fragmentEnd - 1;
        qInfo("silence between the fragment and the new sound: %.1f ms", double(gap) / Ms);
        QVERIFY2(gap >= 175 * Ms && gap <= 200 * Ms, qPrintable(QString::number(double(gap) / Ms)));
        checkFadesOut(heard, fragmentEnd);
        QVERIFY(largestStep(heard, loudSpan(heard, 0.0f).first + 1) <=
                std::max(largestStep(fileSound(old)), largestStep(sound)));

        const QStringList characters = readMorse(heard);
        QVERIFY2(characters.size() >= 2, qPrintable(characters.join(QLatin1Char(' '))));
        QCOMPARE(characters.last(), QString::fromLatin1(soundgen::morsePattern(next.at(0).toLatin1())));
    }

    // A play that fails still cuts off the sound playing, with the same fade, and leaves silence.
    void play_failedWhileHeard_cutsWithFadeThenSilence()
    {
        const qsizetype mark = m_recorder->frames() - MonitorBlind;
        timedPlay(morseFile(QStringLiteral("0")));
        QTest::qWait(300);
        // Not the file of the warning test below, which counts its own warning.
        timedPlay(path("absent.wav"));
        QVERIFY(m_recorder->waitFrames(mark + 1500 * Ms, 5000));
        const std::vector<float> heard = m_recorder->samples(mark, mark + 1500 * Ms);
        const Span span = loudSpan(heard, Quiet);
        // Five dahs would sound for over a second; the cut comes about 300 ms in.
        QVERIFY2(span.length() > 250 * Ms && span.length() < 450 * Ms,
                 qPrintable(QString::number(double(span.length()) / Ms)));
        checkFadesOut(heard, span.last);
        QVERIFY(largestStep(heard, loudSpan(heard, 0.0f).first + 1) <=
                largestStep(fileSound(QStringLiteral("0"))));
    }

    // After a while with nothing to play the stream is corked, so the server may sleep; the
    // first dit after it still arrives whole.
    void play_afterSilence_streamCorkedAndFirstDitWhole()
    {
        timedPlay(morseFile(QStringLiteral("E")));
        QTest::qWait(1600);
        QCOMPARE(corkedStreams(), QStringList{QStringLiteral("yes")});
        const std::vector<float> heard = playAndRecord(morseFile(QStringLiteral("E")), 400);
        const std::vector<float> dit = fileSound(QStringLiteral("E"));
        const qsizetype at = locate(heard, dit, MonitorBlind);
        QVERIFY(at >= 0);
        QCOMPARE(corkedStreams(), QStringList{QStringLiteral("no")});
    }

    // A file that cannot be played, or no name at all, is silent and warned of once, with the
    // file and why; the reasons themselves are the cache's test.
    void play_badFile_silentQuickWarnedOnce_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("warning");
        QTest::newRow("missing") << path("missing.wav")
                                 << QStringLiteral("cannot play \"%1\": ").arg(path("missing.wav"));
        QTest::newRow("empty name") << QString()
                                    << QStringLiteral("asked to play a file with no name; silent");
    }

    void play_badFile_silentQuickWarnedOnce()
    {
        QFETCH(QString, file);
        QFETCH(QString, warning);
        const qsizetype mark = m_recorder->frames();
        // Apart, so that the player takes each call rather than only the latest.
        for (int i = 0; i < 3; ++i) {
            timedPlay(file);
            QTest::qWait(100);
        }
        QVERIFY(m_recorder->waitFrames(mark + 400 * Ms, 5000));
        QCOMPARE(loudSpan(m_recorder->samples(mark, mark + 400 * Ms), 0.0f).length(), 0);
        QTRY_COMPARE(warningsWith(warning), 1);
    }

    // A stopped server must not hold the UI thread: play(), construction and destruction return
    // at once; the player answers again when the server does.
    void play_serverStopped_quickThenBackWhenServerIs()
    {
        m_recorder.reset();
        const qsizetype lostBefore = warningsWith(QStringLiteral("lost the sound server"));
        m_server.stop();
        QTRY_COMPARE(warningsWith(QStringLiteral("lost the sound server")), lostBefore + 1);

        // Enough calls, 300 ms apart, for the player to have tried again.
        for (int i = 0; i < 6; ++i) {
            timedPlay(path("short.wav"));
            QTest::qWait(300);
        }
        QCOMPARE(warningsWith(QStringLiteral("lost the sound server")), lostBefore + 1);
        QCOMPARE(warningsWith(QStringLiteral("no sound server")), 0);

        QElapsedTimer timer;
        timer.start();
        {
            PulsePlayer another(m_server.address());
            another.play(path("short.wav"));
        }
        qInfo("a player made, played and destroyed with no server in %.3f ms",
              double(timer.nsecsElapsed()) / 1e6);
        QVERIFY(timer.nsecsElapsed() < CallBoundNs);

        QVERIFY2(m_server.start(), qPrintable(m_server.log()));
        QVERIFY(startRecorder());
        const qsizetype mark = m_recorder->frames();
        QTRY_VERIFY_WITH_TIMEOUT(playedSomething(mark), 10000);
        QTest::qWait(500);
        checkArrivesWhole();
    }

    // A server that stops answering without closing its socket must not hold the UI thread either.
    void play_serverHung_callsAndExitDoNotWait()
    {
        // A pid of 0 would stop this very process group.
        const auto server = pid_t(m_server.processId());
        QVERIFY(server > 0);
        QVERIFY(::kill(server, SIGSTOP) == 0);
        QElapsedTimer timer;
        timer.start();
        {
            PulsePlayer another(m_server.address());
            for (int i = 0; i < 3; ++i)
                another.play(path("short.wav"));
            timedPlay(path("short.wav"));
        }
        const qint64 elapsed = timer.nsecsElapsed();
        QVERIFY(::kill(server, SIGCONT) == 0);
        qInfo("a player made, played and destroyed with a hung server in %.3f ms", double(elapsed) / 1e6);
        QVERIFY(elapsed < CallBoundNs);
    }

private:
    QString path(const QString &name) const { return m_server.filePath(name); }

    // A Morse sound as the player reads it from its file.
    std::vector<float> fileSound(const QString &character) { return readMono(morseFile(character)); }

    QString morseFile(const QString &character)
    {
        const QString file = path(QStringLiteral("morse_%1.wav").arg(character));
        if (!QFile::exists(file))
            writeWav(file, Rate, SF_FORMAT_PCM_16, {morseSound(character)});
        return file;
    }

    // A cut sound ends in a fade: loud as it starts, falling to nothing over about 5 ms.
    static void checkFadesOut(const std::vector<float> &heard, qsizetype end)
    {
        const qsizetype block = 5 * Ms / 4;
        QVERIFY(end >= 4 * block);
        float peaks[4] = {};
        for (int b = 0; b < 4; ++b) {
            for (qsizetype i = end - (4 - b) * block + 1; i <= end - (3 - b) * block; ++i)
                peaks[b] = std::max(peaks[b], std::abs(heard[size_t(i)]));
        }
        const QString shown =
            QStringLiteral("%1 %2 %3 %4").arg(peaks[0]).arg(peaks[1]).arg(peaks[2]).arg(peaks[3]);
        QVERIFY2(peaks[0] > 0.25f && peaks[3] < peaks[0] / 3, qPrintable(shown));
        for (int b = 1; b < 4; ++b)
            QVERIFY2(peaks[b] <= peaks[b - 1] + 0.02f, qPrintable(shown));
    }

    // Whether each playback stream of the server is corked, as the server reports it.
    QStringList corkedStreams() const
    {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"), {QStringLiteral("--server=") + m_server.address(),
                                              QStringLiteral("list"), QStringLiteral("sink-inputs")});
        if (!pactl.waitForFinished(5000))
            return {QStringLiteral("pactl did not answer")};
        QStringList corked;
        for (const QString &line :
             QString::fromUtf8(pactl.readAllStandardOutput()).split(QLatin1Char('\n'))) {
            if (line.trimmed().startsWith(QStringLiteral("Corked:")))
                corked << line.section(QLatin1Char(':'), 1).trimmed();
        }
        return corked;
    }
    QString path(const char *name) const { return path(QString::fromLatin1(name)); }

    bool startRecorder()
    {
        m_recorder = std::make_unique<MonitorRecorder>(m_server.address());
        return m_recorder->start();
    }

    void timedPlay(const QString &file)
    {
        QElapsedTimer timer;
        timer.start();
        m_player->play(file);
        const qint64 elapsed = timer.nsecsElapsed();
        m_slowestNs = std::max(m_slowestNs, elapsed);
        QVERIFY(elapsed < CallBoundNs);
    }

    // Every sample of the file and nothing else, but for what the monitor cannot show.
    void checkArrivesWhole()
    {
        // Well after any sound before, so that this one starts at once.
        QTest::qWait(250);
        const std::vector<float> heard = playAndRecord(path("short.wav"), 700);
        const std::vector<float> sound = readMono(path("short.wav"));
        const qsizetype at = locate(heard, sound, MonitorBlind);
        QVERIFY(at >= 0);
        const Span span = loudSpan(heard, 0.0f);
        QVERIFY2(span.first >= at && span.first - at <= MonitorBlind,
                 qPrintable(QString::number(span.first - at)));
        QCOMPARE(span.last, at + qsizetype(sound.size()) - 1);
        for (qsizetype k = span.first - at; k < MonitorBlind; ++k)
            QCOMPARE(heard[size_t(at + k)], sound[size_t(k)]);
    }

    // What the sink mixed from just before the call: a rewind puts the start of a sound a little
    // before the moment of the call in the monitor's count.
    std::vector<float> playAndRecord(const QString &file, int ms)
    {
        const qsizetype mark = m_recorder->frames() - MonitorBlind;
        timedPlay(file);
        if (!m_recorder->waitFrames(mark + ms * Ms, 5000))
            return {};
        return m_recorder->samples(mark, mark + ms * Ms);
    }

    // Plays again every so often, as the game does, until something is heard.
    bool playedSomething(qsizetype mark)
    {
        if (loudSpan(m_recorder->samples(mark, m_recorder->frames()), 0.0f).length() > 0)
            return true;
        if (!m_retry.isValid() || m_retry.elapsed() > 300) {
            m_player->play(path("short.wav"));
            m_retry.start();
        }
        return false;
    }

    PulseTestServer m_server;
    std::unique_ptr<MonitorRecorder> m_recorder;
    std::unique_ptr<PulsePlayer> m_player;
    QElapsedTimer m_retry;
    qint64 m_slowestNs = 0;
};

QTEST_GUILESS_MAIN(TestPulsePlayer)
#include "tst_pulseplayer.moc"
