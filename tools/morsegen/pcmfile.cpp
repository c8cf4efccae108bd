#include "pcmfile.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <sndfile.h>
#include <stdexcept>

namespace soundgen {

namespace {

struct SndfileCloser
{
    void operator()(SNDFILE *file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

[[noreturn]] void fail(const std::string &what, const std::string &path, SNDFILE *file = nullptr)
{
    throw std::runtime_error(what + " " + path + ": " + sf_strerror(file));
}

} // namespace

MonoSound readMono(const std::string &path)
{
    SF_INFO info{};
    SndfileHandle file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        fail("cannot open", path);
    if (info.channels < 1 || info.samplerate < 1)
        throw std::runtime_error("no sound in " + path);

    std::vector<float> interleaved(std::size_t(info.frames) * std::size_t(info.channels));
    const sf_count_t read = sf_readf_float(file.get(), interleaved.data(), info.frames);
    if (read < 0)
        fail("cannot read", path, file.get());

    MonoSound sound;
    sound.sampleRate = info.samplerate;
    sound.samples.resize(std::size_t(read));
    for (std::size_t frame = 0; frame < sound.samples.size(); ++frame) {
        float sum = 0.0f;
        for (int channel = 0; channel < info.channels; ++channel)
            sum += interleaved[frame * std::size_t(info.channels) + std::size_t(channel)];
        sound.samples[frame] = sum / float(info.channels);
    }
    return sound;
}

void writePcm16(const std::string &path, int sampleRate, const std::vector<std::int16_t> &samples)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SndfileHandle file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file)
        fail("cannot create", path);
    const auto count = sf_count_t(samples.size());
    if (sf_write_short(file.get(), samples.data(), count) != count)
        fail("cannot write", path, file.get());
}

std::vector<std::int16_t> toPcm16(const std::vector<float> &samples)
{
    std::vector<std::int16_t> pcm(samples.size());
    std::transform(samples.begin(), samples.end(), pcm.begin(), [](float sample) {
        return std::int16_t(std::lround(std::clamp(sample * 32767.0f, -32767.0f, 32767.0f)));
    });
    return pcm;
}

} // namespace soundgen
