// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expected.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace sound {

// Mono 16-bit samples at the rate of the cache that made them.
using Samples = std::vector<std::int16_t>;

// Sound files decoded, mixed down to mono and brought to one rate. Short sounds (the characters,
// the effects) are kept, within a bound, so that playing one again costs nothing; long ones (the
// voice files) are decoded each time and dropped once played. Thread-safe: lookups never wait for
// a decode, which runs outside the lock.
class SoundCache
{
public:
    // Sounds longer than this are not kept.
    static constexpr size_t KeptSoundBytes = 256 * 1024;
    // All that is kept together; the sound played longest ago goes first.
    static constexpr size_t BoundBytes = 6 * 1024 * 1024;

    // A file's samples, or why it cannot be played.
    using Loaded = audio::Expected<std::shared_ptr<const Samples>>;

    explicit SoundCache(int rate);

    // The kept samples of a file, or nullptr.
    std::shared_ptr<const Samples> find(const QString &path);
    // Decodes a file (which may block on a slow file system) and keeps it if it is short.
    // Failures are not remembered, so a file that appears or is repaired later plays then.
    Loaded load(const QString &path);
    size_t keptBytes() const;

private:
    struct Entry
    {
        std::shared_ptr<const Samples> samples;
        quint64 used = 0;
    };

    const int m_rate;
    mutable std::mutex m_mutex;
    QHash<QString, Entry> m_entries;
    size_t m_bytes = 0;
    quint64 m_uses = 0;
};

} // namespace sound
