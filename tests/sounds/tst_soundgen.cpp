// SPDX-License-Identifier: GPL-3.0-or-later
#include "morsecode.h"
#include "tonerenderer.h"
#include "voiceprocessor.h"

#include <QTest>
#include <algorithm>
#include <cmath>
#include <numbers>

using namespace soundgen;

namespace {

std::vector<float> sine(double frequency, int sampleRate, double seconds, float amplitude = 0.5f)
{
    std::vector<float> samples(std::size_t(seconds * sampleRate));
    for (std::size_t n = 0; n < samples.size(); ++n)
        samples[n] = amplitude * float(std::sin(2.0 * std::numbers::pi * frequency * double(n) / sampleRate));
    return samples;
}

// Amplitude of one frequency over the middle half of a sound, away from the filter's run-in.
double amplitudeAt(const std::vector<float> &samples, double frequency, int sampleRate)
{
    const std::size_t from = samples.size() / 4;
    const std::size_t to = from + samples.size() / 2;
    double re = 0.0;
    double im = 0.0;
    for (std::size_t n = from; n < to; ++n) {
        const double phase = 2.0 * std::numbers::pi * frequency * double(n) / sampleRate;
        re += samples[n] * std::cos(phase);
        im += samples[n] * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / double(to - from);
}

float peakOf(const std::vector<float> &samples)
{
    float peak = 0.0f;
    for (const float sample : samples)
        peak = std::max(peak, std::abs(sample));
    return peak;
}

} // namespace

class TestSoundGen : public QObject
{
    Q_OBJECT
private slots:
    // At another speed and rate the dit still lasts 1200 / wpm ms, and the gaps are silent.
    void renderTone_ditFollowsSpeed()
    {
        ToneSettings settings;
        settings.sampleRate = 8000;
        settings.wpm = 12.0;
        settings.tailDits = 0;
        const std::vector<std::int16_t> samples = renderTone(keyText("EE"), settings);
        QCOMPARE(samples.size(), std::size_t(5 * 800));
        QVERIFY(std::all_of(samples.begin() + 800, samples.begin() + 3200, [](auto s) { return s == 0; }));
        QVERIFY(std::any_of(samples.begin() + 3200, samples.end(), [](auto s) { return s != 0; }));
    }

    // Doubling the rate keeps the tone and its length and adds no mirror image above the old
    // Nyquist frequency (repeating or zero-stuffing samples would).
    void resample_up_noImages()
    {
        const auto resampled = resample(sine(5000.0, 22050, 1.0), 22050, 44100);
        QVERIFY2(resampled, resampled.error().c_str());
        const std::vector<float> &output = *resampled;
        QCOMPARE(output.size(), std::size_t(44100));
        QVERIFY(std::abs(amplitudeAt(output, 5000.0, 44100) - 0.5) < 0.005);
        QVERIFY(amplitudeAt(output, 22050.0 - 5000.0, 44100) < 0.5 * 3e-4);
    }

    // Halving the rate keeps what fits and removes what would fold back as a false tone.
    void resample_down_noAliases()
    {
        std::vector<float> mixture = sine(3000.0, 44100, 1.0);
        const std::vector<float> high = sine(15000.0, 44100, 1.0);
        for (std::size_t i = 0; i < mixture.size(); ++i)
            mixture[i] += high[i];
        const auto resampled = resample(mixture, 44100, 22050);
        QVERIFY2(resampled, resampled.error().c_str());
        const std::vector<float> &output = *resampled;
        QCOMPARE(output.size(), std::size_t(22050));
        QVERIFY(std::abs(amplitudeAt(output, 3000.0, 22050) - 0.5) < 0.005);
        QVERIFY(amplitudeAt(output, 22050.0 - 15000.0, 22050) < 0.5 * 1e-3);
    }

    // A rate that is no rate is refused with the reason, not thrown: the player shares this path.
    void resample_rateNotPositive_refused()
    {
        const auto refused = resample(sine(440.0, 8000, 0.1), 8000, 0);
        QVERIFY(!refused);
        QCOMPARE(QString::fromStdString(refused.error()), QStringLiteral("sample rates must be positive"));
    }

    // Quiet sound with sharp spikes reaches the level while the spikes stay under the ceiling,
    // and the gain moves smoothly rather than flattening the spikes sample by sample.
    void normaliseLoudness_levelReached_peaksHeldSmoothly()
    {
        const int rate = 44100;
        std::vector<float> samples = sine(200.0, rate, 2.0, 0.05f);
        for (std::size_t start = 1000; start + 90 < samples.size(); start += 4410) {
            for (std::size_t i = start; i < start + 90; ++i)
                samples[i] *= 16.0f;
        }
        const VoiceSettings settings;
        const std::vector<float> output = normaliseLoudness(samples, rate, settings);

        QVERIFY(std::abs(speechLevelDbfs(output, rate) - settings.loudnessDbfs) < 0.1);
        QVERIFY(peakOf(output) <= std::pow(10.0f, float(settings.ceilingDbfs) / 20.0f) * 1.0001f);
        // A clipper would change the gain by a sixth from one sample to the next here.
        double steepest = 0.0;
        double highest = 0.0;
        for (std::size_t i = 1; i < samples.size(); ++i) {
            if (std::abs(samples[i]) < 0.01f || std::abs(samples[i - 1]) < 0.01f)
                continue;
            const double gain = double(output[i]) / samples[i];
            steepest = std::max(steepest, std::abs(gain - double(output[i - 1]) / samples[i - 1]));
            highest = std::max(highest, gain);
        }
        QVERIFY2(steepest < 0.02 * highest, qPrintable(QString::number(steepest / highest)));
    }
};

QTEST_APPLESS_MAIN(TestSoundGen)
#include "tst_soundgen.moc"
