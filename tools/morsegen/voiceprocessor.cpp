// SPDX-License-Identifier: GPL-3.0-or-later
#include "voiceprocessor.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace soundgen {

namespace {

double fromDb(double db)
{
    return std::pow(10.0, db / 20.0);
}

float peakOf(const std::vector<float> &samples)
{
    float peak = 0.0f;
    for (const float sample : samples)
        peak = std::max(peak, std::abs(sample));
    return peak;
}

// Gain per sample that keeps gain x sample under the ceiling: the needed reductions are spread
// over a look-ahead window (so the gain is already down when a peak arrives) and released slowly.
std::vector<float> limiterGain(const std::vector<float> &samples, float gain, float ceiling, int sampleRate)
{
    const std::size_t n = samples.size();
    if (n == 0)
        return {};
    const auto window = std::size_t(std::max(1L, std::lround(0.002 * sampleRate)));
    std::vector<float> needed(n);
    for (std::size_t i = 0; i < n; ++i) {
        const float level = std::abs(samples[i]) * gain;
        needed[i] = level > ceiling ? ceiling / level : 1.0f;
    }

    // Minimum over i - window .. i + window, then a moving average of the same width: every value
    // averaged at i is at most needed[i], so the result never lets a sample over the ceiling.
    std::vector<float> held(n);
    std::deque<std::size_t> candidates;
    std::size_t next = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (const std::size_t reach = std::min(n - 1, i + window); next <= reach; ++next) {
            while (!candidates.empty() && needed[candidates.back()] >= needed[next])
                candidates.pop_back();
            candidates.push_back(next);
        }
        while (candidates.front() + window < i)
            candidates.pop_front();
        held[i] = needed[candidates.front()];
    }
    // Past either end the edge value stands in; it is a minimum over the same samples, so the
    // bound still holds there.
    const auto heldAt = [&held, n](std::ptrdiff_t i) {
        return double(held[std::size_t(std::clamp<std::ptrdiff_t>(i, 0, std::ptrdiff_t(n) - 1))]);
    };
    const auto w = std::ptrdiff_t(window);
    double sum = 0.0;
    for (std::ptrdiff_t j = -w; j <= w; ++j)
        sum += heldAt(j);
    std::vector<float> smooth(n);
    for (std::ptrdiff_t i = 0; i < std::ptrdiff_t(n); ++i) {
        smooth[std::size_t(i)] = float(sum / double(2 * w + 1));
        sum += heldAt(i + w + 1) - heldAt(i - w);
    }

    const float release = 1.0f - float(std::exp(-1.0 / (0.08 * sampleRate)));
    float current = 1.0f;
    for (std::size_t i = 0; i < n; ++i) {
        current = std::min(smooth[i], current + (1.0f - current) * release);
        smooth[i] = current * gain;
    }
    return smooth;
}

} // namespace

std::vector<float> trimSilence(const std::vector<float> &samples, int sampleRate,
                               const VoiceSettings &settings)
{
    const float peak = peakOf(samples);
    if (peak <= 0.0f)
        throw std::runtime_error("the sound is silent");
    const auto threshold = float(peak * fromDb(settings.silenceDb));
    const auto loud = [threshold](float sample) { return std::abs(sample) >= threshold; };

    const auto onset = std::size_t(std::find_if(samples.begin(), samples.end(), loud) - samples.begin());
    const auto ending = samples.size() - 1 -
                        std::size_t(std::find_if(samples.rbegin(), samples.rend(), loud) - samples.rbegin());
    const auto lead = std::size_t(std::lround(settings.leadMs * sampleRate / 1000.0));
    const auto tail = std::size_t(std::lround(settings.tailMs * sampleRate / 1000.0));
    const std::size_t begin = onset > lead ? onset - lead : 0;
    const std::size_t end = std::min(samples.size(), ending + 1 + tail);

    std::vector<float> trimmed(samples.begin() + std::ptrdiff_t(begin),
                               samples.begin() + std::ptrdiff_t(end));
    // Fade in across the lead and out across the tail: only quiet sound lies there, and speech
    // that starts or stops right at the cut still starts and stops without a click.
    const std::size_t fadeIn = std::min(lead, trimmed.size() / 2);
    const std::size_t fadeOut = std::min(std::max(end - ending - 1, lead), trimmed.size() / 2);
    const auto fade = [](std::size_t i, std::size_t length) {
        return float(0.5 - 0.5 * std::cos(std::numbers::pi * (double(i) + 0.5) / double(length)));
    };
    for (std::size_t i = 0; i < fadeIn; ++i)
        trimmed[i] *= fade(i, fadeIn);
    for (std::size_t i = 0; i < fadeOut; ++i)
        trimmed[trimmed.size() - 1 - i] *= fade(i, fadeOut);
    return trimmed;
}

double speechLevelDbfs(const std::vector<float> &samples, int sampleRate)
{
    const auto block = std::size_t(std::max(1L, std::lround(0.02 * sampleRate)));
    std::vector<double> powers;
    for (std::size_t start = 0; start + block <= samples.size(); start += block) {
        double sum = 0.0;
        for (std::size_t i = start; i < start + block; ++i)
            sum += double(samples[i]) * samples[i];
        // Blocks of digital near-silence are never speech.
        if (sum / double(block) > 1e-7)
            powers.push_back(sum / double(block));
    }
    if (powers.empty())
        return -std::numeric_limits<double>::infinity();

    double mean = 0.0;
    for (const double power : powers)
        mean += power;
    mean /= double(powers.size());
    double gated = 0.0;
    int count = 0;
    for (const double power : powers) {
        if (power >= 0.1 * mean) {
            gated += power;
            ++count;
        }
    }
    return 10.0 * std::log10(gated / count);
}

std::vector<float> normaliseLoudness(const std::vector<float> &samples, int sampleRate,
                                     const VoiceSettings &settings)
{
    const double level = speechLevelDbfs(samples, sampleRate);
    if (!std::isfinite(level))
        throw std::runtime_error("the sound is silent");
    const auto ceiling = float(fromDb(settings.ceilingDbfs));

    // The limiter takes a little off the level it was aimed at; a few rounds of correction
    // bring the result onto the target.
    auto gain = float(fromDb(settings.loudnessDbfs - level));
    std::vector<float> result(samples.size());
    for (int round = 0; round < 12; ++round) {
        const std::vector<float> gains = limiterGain(samples, gain, ceiling, sampleRate);
        for (std::size_t i = 0; i < samples.size(); ++i)
            result[i] = samples[i] * gains[i];
        const double error = settings.loudnessDbfs - speechLevelDbfs(result, sampleRate);
        if (std::abs(error) < 0.05)
            break;
        gain *= float(fromDb(error));
    }
    return result;
}

MonoSound prepareVoice(const MonoSound &speech, const VoiceSettings &settings)
{
    MonoSound voice;
    voice.sampleRate = settings.sampleRate;
    auto resampled = resample(speech.samples, speech.sampleRate, settings.sampleRate);
    if (!resampled)
        throw std::runtime_error(resampled.error());
    voice.samples = trimSilence(*resampled, voice.sampleRate, settings);
    voice.samples = normaliseLoudness(voice.samples, voice.sampleRate, settings);
    return voice;
}

} // namespace soundgen
