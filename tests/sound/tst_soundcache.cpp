#include "pulsetestserver.h"
#include "sound/soundcache.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <numbers>
#include <sndfile.h>

using sound::SoundCache;

namespace {

constexpr int Rate = 44100;

std::vector<float> tone(double seconds, double level)
{
    std::vector<float> samples(size_t(seconds * Rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(level * std::sin(2.0 * std::numbers::pi * 440.0 * double(i) / Rate));
    return samples;
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
        QString error;
        for (const QString &file : files) {
            QVERIFY2(cache.load(file, &error), qPrintable(error));
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
        const auto decoded = cache.load(voice, &error);
        QVERIFY(decoded);
        QCOMPARE(decoded->size(), size_t(4 * Rate));
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
        QString error;
        const auto decoded = cache.load(file, &error);
        QVERIFY2(decoded, qPrintable(error));
        QCOMPARE(decoded->size(), samples.size());
        for (size_t i = 0; i < samples.size(); ++i)
            QCOMPARE(int((*decoded)[i]), int(i * 61 % 65536) - 32768);
    }
};

QTEST_GUILESS_MAIN(TestSoundCache)
#include "tst_soundcache.moc"
