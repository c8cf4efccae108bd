// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulsetestserver.h"
#include "sound/soundcache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <numbers>
#include <sndfile.h>
#include <sys/stat.h>

using sound::Samples;
using sound::SoundCache;

namespace {

constexpr int Rate = 44100;

std::vector<float> tone(double seconds, double level, double hz = 440.0, int rate = Rate)
{
    std::vector<float> samples(size_t(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(level * std::sin(2.0 * std::numbers::pi * hz * double(i) / rate));
    return samples;
}

// A WAV header declaring a rate and a number of frames, with hardly any data after it.
bool writeHeaderOnly(const QString &path, quint32 rate, quint32 frames)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto le32 = [](quint32 value) { return QByteArray(reinterpret_cast<const char *>(&value), 4); };
    QByteArray header = "RIFF" + le32(36 + frames * 2) + "WAVEfmt " + le32(16);
    header += QByteArray::fromHex("01000100") + le32(rate) + le32(rate * 2) + QByteArray::fromHex("02001000");
    header += "data" + le32(frames * 2) + QByteArray(4410 * 2, '\x10');
    return file.write(header) == header.size();
}

} // namespace

class TestSoundCache : public QObject
{
    Q_OBJECT
private slots:
    // Short sounds are kept until the bound, the one played longest ago going first; long ones
    // are decoded for their play and never kept.
    void load_keepsShortSoundsWithinTheBound_neverLongOnes()
    {
        QTemporaryDir dir;
        SoundCache cache(Rate);
        const size_t frames = SoundCache::KeptSoundBytes / sizeof(std::int16_t) - 100;
        const int count = int(SoundCache::BoundBytes / SoundCache::KeptSoundBytes) + 4;
        QStringList files;
        for (int i = 0; i < count; ++i) {
            files << dir.filePath(QStringLiteral("short%1.wav").arg(i));
            QVERIFY(writeWav(files.last(), Rate, SF_FORMAT_PCM_16,
                             {tone(double(frames) / Rate, 0.1 + 0.01 * i)}));
        }
        for (const QString &file : files) {
            const auto loaded = cache.load(file);
            QVERIFY2(loaded, loaded.error().c_str());
            // The first stays in use, so it is never the one played longest ago.
            QVERIFY(cache.find(files.first()));
        }
        QVERIFY(cache.keptBytes() <= SoundCache::BoundBytes);
        QVERIFY(cache.keptBytes() > SoundCache::BoundBytes - SoundCache::KeptSoundBytes);
        QVERIFY(!cache.find(files.at(1)));
        QVERIFY(cache.find(files.last()));

        const QString voice = dir.filePath(QStringLiteral("voice.wav"));
        QVERIFY(writeWav(voice, Rate, SF_FORMAT_PCM_16, {tone(4.0, 0.3)}));
        const size_t before = cache.keptBytes();
        const auto decoded = cache.load(voice);
        QVERIFY2(decoded, decoded.error().c_str());
        QCOMPARE((*decoded)->size(), size_t(4 * Rate));
        QVERIFY(!cache.find(voice));
        QCOMPARE(cache.keptBytes(), before);
    }

    // A 16-bit file at the player's rate comes back sample for sample.
    void load_sameRate16Bit_unchanged()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("exact.wav"));
        std::vector<float> samples(1000);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = float(int(i * 61 % 65536) - 32768) / 32768.0f;
        QVERIFY(writeWav(file, Rate, SF_FORMAT_FLOAT, {samples}));
        SoundCache cache(Rate);
        const auto decoded = cache.load(file);
        QVERIFY2(decoded, decoded.error().c_str());
        const Samples &exact = **decoded;
        QCOMPARE(exact.size(), samples.size());
        for (size_t i = 0; i < samples.size(); ++i)
            QCOMPARE(int(exact[i]), int(i * 61 % 65536) - 32768);
    }

    // Any rate, sample format and channel count comes out as the same tone at the cache's rate;
    // channels are averaged.
    void load_otherFormats_converted_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("format");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("right"); // < 0: mono
        QTest::newRow("22050 Hz stereo 16-bit") << 22050 << int(SF_FORMAT_PCM_16) << 0.6 << 0.2;
        QTest::newRow("11025 Hz mono 8-bit") << 11025 << int(SF_FORMAT_PCM_U8) << 0.4 << -1.0;
        QTest::newRow("48000 Hz mono float") << 48000 << int(SF_FORMAT_FLOAT) << 0.4 << -1.0;
    }

    void load_otherFormats_converted()
    {
        QFETCH(int, rate);
        QFETCH(int, format);
        QFETCH(double, left);
        QFETCH(double, right);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("other.wav"));
        std::vector<std::vector<float>> channels{tone(0.3, left, 500.0, rate)};
        if (right >= 0)
            channels.push_back(tone(0.3, right, 500.0, rate));
        QVERIFY(writeWav(file, rate, format, channels));

        SoundCache cache(Rate);
        const auto decoded = cache.load(file);
        QVERIFY2(decoded, decoded.error().c_str());
        const Samples &pcm = **decoded;
        QVERIFY2(std::abs(qsizetype(pcm.size()) - qsizetype(0.3 * Rate)) <= Rate / 1000,
                 qPrintable(QString::number(pcm.size())));
        double energy = 0.0;
        int crossings = 0;
        for (size_t i = 0; i < pcm.size(); ++i) {
            const double sample = pcm[i] / 32768.0;
            energy += sample * sample;
            if (i > 0 && (pcm[i - 1] < 0) != (pcm[i] < 0))
                ++crossings;
        }
        const double expectedRms = (right >= 0 ? (left + right) / 2 : left) / std::sqrt(2.0);
        const double rms = std::sqrt(energy / double(pcm.size()));
        QVERIFY2(std::abs(rms - expectedRms) < 0.03 * expectedRms, qPrintable(QString::number(rms)));
        // 500 Hz over 0.3 s crosses zero 300 times.
        QVERIFY2(std::abs(crossings - 300) <= 6, qPrintable(QString::number(crossings)));
    }

    // Files that cannot be played are refused with the reason; those that would stall, abort or
    // swamp the player are refused at once, before anything is allocated for their sound.
    void load_unplayable_refusedWithTheReason_data()
    {
        QVERIFY(makeUnplayable());
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason"); // empty: the decoder's own words
        QTest::newRow("not audio") << QStringLiteral("notes.wav") << QString();
        QTest::newRow("truncated") << QStringLiteral("cut.wav") << QString();
        QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("not a regular file");
        QTest::newRow("FIFO with no writer")
            << QStringLiteral("fifo.wav") << QStringLiteral("not a regular file");
        QTest::newRow("1 Hz header") << QStringLiteral("onehertz.wav")
                                     << QStringLiteral("sample rate 1 Hz is out of range");
        QTest::newRow("61 s long") << QStringLiteral("long61.wav") << QStringLiteral("longer than 60 s");
    }

    void load_unplayable_refusedWithTheReason()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        SoundCache cache(Rate);
        const auto refused = cache.load(m_unplayable.filePath(name));
        QVERIFY(!refused);
        QVERIFY(!refused.error().empty());
        if (!reason.isEmpty())
            QCOMPARE(QString::fromStdString(refused.error()), reason);
        QCOMPARE(cache.keptBytes(), size_t(0));
    }

private:
    // Made once, for the rows of load_unplayable_refusedWithTheReason.
    bool makeUnplayable()
    {
        const auto file = [this](const char *name) { return m_unplayable.filePath(QLatin1String(name)); };
        const auto put = [](const QString &path, const QByteArray &bytes) {
            QFile out(path);
            return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
        };
        QFile whole(file("whole.wav"));
        return put(file("notes.wav"), "Esto no es un sonido.\n") &&
               writeWav(whole.fileName(), Rate, SF_FORMAT_PCM_16, {tone(0.3, 0.3)}) &&
               whole.open(QIODevice::ReadOnly) &&
               put(file("cut.wav"), whole.read(30)) && // ends in the header
               QDir(m_unplayable.path()).mkdir(QStringLiteral("folder")) &&
               ::mkfifo(QFile::encodeName(file("fifo.wav")).constData(), 0600) == 0 &&
               writeHeaderOnly(file("onehertz.wav"), 1, 17'600'000) &&
               writeWav(file("long61.wav"), 8000, SF_FORMAT_PCM_16, {tone(61.0, 0.2, 300.0, 8000)});
    }

    QTemporaryDir m_unplayable;
};

QTEST_GUILESS_MAIN(TestSoundCache)
#include "tst_soundcache.moc"
