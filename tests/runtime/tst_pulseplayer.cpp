#include "pulsetestserver.h"
#include "runtime/pulseplayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QTest>
#include <cmath>
#include <csignal>
#include <numbers>
#include <sndfile.h>

using runtime::PulsePlayer;

namespace {

constexpr int Rate = PulseTestServer::Rate;
constexpr int Ms = Rate / 1000;
// Far above the millisecond or two that play() may take, so a slow machine cannot fail it.
constexpr qint64 CallBoundNs = 50'000'000;
// When a sound starts in an idle stream, the sink rewinds and mixes it again from the present
// moment; the monitor has already sent what it first mixed there and leaves out what it mixed
// again. So the first block of the sink (about 2 ms here) may be missing from the recording,
// though not from the sink's output.
constexpr qsizetype MonitorBlind = 3 * Ms;

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

        // At 441 Hz with this phase no sample falls on zero, so the ends of these sounds, and any
        // silence in them, are exact to find.
        const double offZero = std::numbers::pi / 100;
        QVERIFY(
            writeWav(path("short.wav"), Rate, SF_FORMAT_PCM_16, {tone(441, 300, Rate, 0.3, 0.5, offZero)}));
        QVERIFY(
            writeWav(path("long.wav"), Rate, SF_FORMAT_PCM_16, {tone(441, 2000, Rate, 0.3, 0.5, offZero)}));
        QVERIFY(writeWav(path("high.wav"), Rate, SF_FORMAT_PCM_16, {tone(882, 300, Rate, 0.5, 0.3)}));
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

    // Any rate, sample format and channel count comes out as the same tone at the stream's rate;
    // channels are averaged.
    void play_otherFormats_converted_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("format");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("right"); // < 0: mono
        QTest::newRow("22050 Hz stereo 16-bit") << 22050 << int(SF_FORMAT_PCM_16) << 0.6 << 0.2;
        QTest::newRow("11025 Hz mono 8-bit") << 11025 << int(SF_FORMAT_PCM_U8) << 0.4 << -1.0;
        QTest::newRow("48000 Hz mono float") << 48000 << int(SF_FORMAT_FLOAT) << 0.4 << -1.0;
    }

    void play_otherFormats_converted()
    {
        QFETCH(int, rate);
        QFETCH(int, format);
        QFETCH(double, left);
        QFETCH(double, right);
        const QString file = path(QStringLiteral("other%1.wav").arg(rate));
        std::vector<std::vector<float>> channels{tone(500, 300, rate, left, left)};
        if (right >= 0)
            channels.push_back(tone(500, 300, rate, right, right));
        QVERIFY(writeWav(file, rate, format, channels));

        const std::vector<float> heard = playAndRecord(file, 700);
        const Span span = loudSpan(heard, 0.01f);
        QVERIFY2(span.length() <= 301 * Ms && span.length() >= 299 * Ms - MonitorBlind,
                 qPrintable(QString::number(span.length())));

        double energy = 0.0;
        int crossings = 0;
        for (qsizetype i = span.first; i <= span.last; ++i) {
            energy += double(heard[size_t(i)]) * heard[size_t(i)];
            if (i > span.first && (heard[size_t(i - 1)] < 0) != (heard[size_t(i)] < 0))
                ++crossings;
        }
        const double expectedRms = (right >= 0 ? (left + right) / 2 : left) / std::sqrt(2.0);
        const double rms = std::sqrt(energy / double(span.length()));
        QVERIFY2(std::abs(rms - expectedRms) < 0.03 * expectedRms, qPrintable(QString::number(rms)));
        // 500 Hz over 0.3 s crosses zero 300 times.
        QVERIFY2(std::abs(crossings - 300) <= 6, qPrintable(QString::number(crossings)));
    }

    // The old sound goes on exactly where the server stopped it, fading out under the new one,
    // which then plays whole; the rest of the old one never comes.
    void play_whilePlaying_cutsOffWithFadeOut()
    {
        const std::vector<float> first = readMono(path("long.wav"));
        const std::vector<float> second = readMono(path("high.wav"));
        const qsizetype mark = m_recorder->frames() - MonitorBlind;
        timedPlay(path("long.wav"));
        QTest::qWait(150);
        timedPlay(path("high.wav"));
        QVERIFY(m_recorder->waitFrames(mark + 2500 * Ms, 5000));
        const std::vector<float> heard = m_recorder->samples(mark, mark + 2500 * Ms);

        // The new sound, exact from 20 ms in (its start carries the fading old one), and then
        // nothing.
        const qsizetype cut = locate(heard, second, 20 * Ms);
        QVERIFY(cut >= 0);
        QCOMPARE(loudSpan(heard, 0.0f).last, cut + qsizetype(second.size()) - 1);

        // The old sound unchanged up to where it was cut. If the new one came after the sink had
        // gone on, the sink played a moment of silence in between.
        const qsizetype start =
            locate(heard, std::vector<float>(first.begin(), first.begin() + 100 * Ms), MonitorBlind);
        QVERIFY(start >= 0);
        qsizetype played = MonitorBlind;
        while (start + played < cut && heard[size_t(start + played)] == first[size_t(played)])
            ++played;
        QVERIFY2(played > 50 * Ms && played < 1500 * Ms, qPrintable(QString::number(played)));
        const qsizetype gap = cut - start - played;
        qInfo("cut %lld frames into the old sound, after a gap of %lld frames", qlonglong(played),
              qlonglong(gap));
        QVERIFY(gap <= 50 * Ms);
        for (qsizetype i = start + played; i < cut; ++i)
            QCOMPARE(heard[size_t(i)], 0.0f);

        // Under the new sound, the old one's continuation from that very sample, at a gain that
        // starts whole and falls to nothing.
        qsizetype shown = 0;
        while (shown < MonitorBlind && heard[size_t(cut + shown)] == 0.0f)
            ++shown;
        float lastGain = 1.0f;
        bool partway = false;
        for (qsizetype k = shown; k < 20 * Ms; ++k) {
            const float old = first[size_t(played + k)];
            const float residue = heard[size_t(cut + k)] - second[size_t(k)];
            QVERIFY2(std::abs(residue) <= std::abs(old) + 1e-5f && residue * old >= -1e-6f,
                     qPrintable(QString::number(k)));
            if (std::abs(old) < 0.1f)
                continue;
            const float gain = residue / old;
            QVERIFY2(gain <= lastGain + 0.01f, qPrintable(QString::number(k)));
            if (shown == 0 && k < 5)
                QVERIFY2(gain > 0.95f, qPrintable(QString::number(gain)));
            partway = partway || (gain > 0.2f && gain < 0.8f);
            lastGain = gain;
        }
        QVERIFY(partway);
        QCOMPARE(lastGain, 0.0f);
    }

    void play_badFile_silentQuickWarnedOnce_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("warning");
        QFile text(path("notes.wav"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Esto no es un sonido.\n");
        text.close();
        QFile whole(path("short.wav"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QFile cut(path("cut.wav"));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.read(30)); // ends inside the header
        cut.close();

        const auto quoted = [](const QString &text) { return QLatin1Char('"') + text + QLatin1Char('"'); };
        QTest::newRow("missing") << path("missing.wav") << quoted(path("missing.wav"));
        QTest::newRow("empty name") << QString() << QStringLiteral("no name");
        QTest::newRow("not audio") << path("notes.wav") << quoted(path("notes.wav"));
        QTest::newRow("truncated") << path("cut.wav") << quoted(path("cut.wav"));
        QTest::newRow("folder") << path("") << quoted(path(""));
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
