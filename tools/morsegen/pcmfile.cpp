// SPDX-License-Identifier: GPL-3.0-or-later
#include "pcmfile.h"

#include "sound/monoaudio.h"

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

audio::Expected<MonoSound> readMono(const std::string &path)
{
    // Tools take what they are given: any rate a codec has, up to an hour.
    const audio::Limits anything{1, 1'000'000, 3600.0};
    auto sound = audio::readMonoFloat(path, 0, anything);
    if (!sound)
        return audio::Expected<MonoSound>::failure("cannot read " + path + ": " + sound.error());
    return MonoSound{sound->rate, std::move(sound->samples)};
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
