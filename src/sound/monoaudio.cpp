// SPDX-License-Identifier: GPL-3.0-or-later
#include "monoaudio.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sndfile.h>
#include <soxr.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace audio {

namespace {

constexpr sf_count_t BlockFrames = 4096;

sf_count_t readFrames(SNDFILE *file, std::int16_t *frames, sf_count_t count)
{
    return sf_readf_short(file, frames, count);
}

sf_count_t readFrames(SNDFILE *file, float *frames, sf_count_t count)
{
    return sf_readf_float(file, frames, count);
}

template <class Sample, class Read> Sample convert(Read value)
{
    if constexpr (std::is_same_v<Sample, Read>)
        return value;
    else
        return Sample(std::lround(std::clamp(value * 32768.0f, -32768.0f, 32767.0f)));
}

// The channels' mean, summed wide enough that 64 channels of 16-bit samples cannot overflow.
template <class Read> Read mean(const Read *frame, int channels)
{
    std::conditional_t<std::is_same_v<Read, float>, float, std::int32_t> sum{};
    for (int c = 0; c < channels; ++c)
        sum += frame[c];
    return Read(sum / channels);
}

// Reads the rest of the file into `samples` as Read, a block at a time; false once it is longer
// than maxFrames.
template <class Read, class Sample>
bool readAll(SNDFILE *file, int channels, sf_count_t maxFrames, std::vector<Sample> &samples)
{
    std::vector<Read> block(size_t(BlockFrames) * size_t(channels));
    for (;;) {
        const sf_count_t got = readFrames(file, block.data(), BlockFrames);
        if (got <= 0)
            return true;
        if (sf_count_t(samples.size()) + got > maxFrames)
            return false;
        for (sf_count_t i = 0; i < got; ++i) {
            const Read *frame = block.data() + i * channels;
            samples.push_back(convert<Sample>(channels == 1 ? *frame : mean(frame, channels)));
        }
    }
}

// Whole-number samples, which libsndfile hands over as 16-bit exactly (or by dropping the low
// bits of wider ones), far cheaper than reading floats and rounding each one here. A float file
// read that way would come back unscaled, so floats are still read as floats.
bool integerSamples(const SF_INFO &info)
{
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
        return true;
    default:
        return false;
    }
}

template <class Sample> constexpr soxr_datatype_t soxrType()
{
    return std::is_same_v<Sample, float> ? SOXR_FLOAT32_I : SOXR_INT16_I;
}

template <class Sample>
Expected<std::vector<Sample>> convertRate(const std::vector<Sample> &in, int fromRate, int toRate)
{
    if (in.empty())
        return std::vector<Sample>();
    const auto length = size_t(std::ceil(double(in.size()) * toRate / fromRate));
    std::vector<Sample> out(length);
    const soxr_io_spec_t io = soxr_io_spec(soxrType<Sample>(), soxrType<Sample>());
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    size_t done = 0;
    const soxr_error_t failed = soxr_oneshot(fromRate, toRate, 1, in.data(), in.size(), nullptr, out.data(),
                                             out.size(), &done, &io, &quality, nullptr);
    if (failed)
        return Expected<std::vector<Sample>>::failure(failed);
    out.resize(done);
    return out;
}

struct FileCloser
{
    void operator()(SNDFILE *file) const { sf_close(file); }
};

template <class Sample>
Expected<Mono<Sample>> readMono(const std::string &path, int rate, const Limits &limits)
{
    const auto refused = [](std::string why) { return Expected<Mono<Sample>>::failure(std::move(why)); };
    // Opened without waiting, so that a FIFO with no writer is seen for what it is at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refused(std::strerror(errno));
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return refused("not a regular file");
    }
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, FileCloser> file(sf_open_fd(fd, SFM_READ, &info, SF_TRUE));
    if (!file) {
        ::close(fd); // not closed by libsndfile when the open fails
        return refused(sf_strerror(nullptr));
    }
    if (info.channels < 1 || info.channels > 64)
        return refused("no channels, or too many");
    if (info.samplerate < limits.minRate || info.samplerate > limits.maxRate)
        return refused("sample rate " + std::to_string(info.samplerate) + " Hz is out of range");
    const auto maxFrames = sf_count_t(limits.maxSeconds * info.samplerate);
    const std::string tooLong = "longer than " + std::to_string(int(limits.maxSeconds)) + " s";
    if (info.frames > maxFrames)
        return refused(tooLong);

    // Read until the end rather than trusting the header's frame count: a cut-short file gives what
    // it has, and one longer than its header says is still held to the limit.
    Mono<Sample> sound;
    sound.rate = info.samplerate;
    sound.samples.reserve(size_t(std::max<sf_count_t>(info.frames, 0)));
    const bool asShorts = std::is_same_v<Sample, std::int16_t> && integerSamples(info);
    const bool whole = asShorts ? readAll<std::int16_t>(file.get(), info.channels, maxFrames, sound.samples)
                                : readAll<float>(file.get(), info.channels, maxFrames, sound.samples);
    if (!whole)
        return refused(tooLong);
    if (sound.samples.empty())
        return refused("no audio data");
    if (rate != 0 && rate != sound.rate) {
        auto converted = convertRate(sound.samples, sound.rate, rate);
        if (!converted)
            return refused(converted.error());
        sound.samples = std::move(*converted);
        sound.rate = rate;
        if (sound.samples.empty())
            return refused("no audio data");
    }
    return sound;
}

} // namespace

Expected<Mono<std::int16_t>> readMono16(const std::string &path, int rate, const Limits &limits)
{
    return readMono<std::int16_t>(path, rate, limits);
}

Expected<Mono<float>> readMonoFloat(const std::string &path, int rate, const Limits &limits)
{
    return readMono<float>(path, rate, limits);
}

Expected<std::vector<float>> resample(const std::vector<float> &samples, int fromRate, int toRate)
{
    if (fromRate <= 0 || toRate <= 0)
        return Expected<std::vector<float>>::failure("sample rates must be positive");
    if (fromRate == toRate || samples.empty())
        return samples;
    auto out = convertRate(samples, fromRate, toRate);
    if (!out || out->empty())
        return Expected<std::vector<float>>::failure("cannot resample: " + out.error());
    return out;
}

} // namespace audio
