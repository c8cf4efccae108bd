#include "soundcache.h"

#include <QFile>
#include <cmath>
#include <sndfile.h>

namespace runtime {

namespace {

// Averages the channels of each frame.
Samples mixDown(const std::vector<float> &frames, int channels)
{
    Samples mono(frames.size() / size_t(channels));
    for (size_t i = 0; i < mono.size(); ++i) {
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c)
            sum += frames[i * size_t(channels) + size_t(c)];
        mono[i] = sum / float(channels);
    }
    return mono;
}

// Linear interpolation between neighbouring samples: plenty for short signal tones, and cheap.
Samples resample(const Samples &in, int fromRate, int toRate)
{
    if (fromRate == toRate || in.empty())
        return in;
    const auto count = size_t(std::llround(double(in.size()) * toRate / fromRate));
    Samples out(std::max<size_t>(count, 1));
    const double step = double(fromRate) / toRate;
    for (size_t i = 0; i < out.size(); ++i) {
        const double at = double(i) * step;
        const auto left = size_t(at);
        if (left + 1 >= in.size()) {
            out[i] = in.back();
            continue;
        }
        const auto frac = float(at - double(left));
        out[i] = in[left] + (in[left + 1] - in[left]) * frac;
    }
    return out;
}

} // namespace

SoundCache::SoundCache(int rate) : m_rate(rate) {}

std::shared_ptr<const Samples> SoundCache::get(const QString &path, QString *error)
{
    if (const auto found = m_sounds.constFind(path); found != m_sounds.cend())
        return found.value();

    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) {
        *error = QString::fromUtf8(sf_strerror(nullptr));
        return nullptr;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file);
        *error = QStringLiteral("no channels or no sample rate");
        return nullptr;
    }

    // Read until the end rather than trusting the header's frame count: a cut-short file gives
    // what it has.
    std::vector<float> frames;
    std::vector<float> block(size_t(4096) * size_t(info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_float(file, block.data(), 4096);
        if (got <= 0)
            break;
        frames.insert(frames.end(), block.begin(), block.begin() + got * info.channels);
    }
    sf_close(file);
    if (frames.empty()) {
        *error = QStringLiteral("no audio data");
        return nullptr;
    }

    auto samples = std::make_shared<const Samples>(resample(
        info.channels == 1 ? std::move(frames) : mixDown(frames, info.channels), info.samplerate, m_rate));
    m_sounds.insert(path, samples);
    return samples;
}

} // namespace runtime
