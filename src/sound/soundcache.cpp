// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundcache.h"

#include "monoaudio.h"

#include <QFile>

namespace sound {

SoundCache::SoundCache(int rate) : m_rate(rate) {}

std::shared_ptr<const Samples> SoundCache::find(const QString &path)
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(path);
    if (found == m_entries.end())
        return nullptr;
    found->used = ++m_uses;
    return found->samples;
}

SoundCache::Loaded SoundCache::load(const QString &path)
{
    if (auto kept = find(path))
        return kept;

    auto sound = audio::readMono16(QFile::encodeName(path).toStdString(), m_rate, audio::Limits{});
    if (!sound)
        return Loaded::failure(sound.error());
    sound->samples.shrink_to_fit();
    auto samples = std::make_shared<const Samples>(std::move(sound->samples));
    const size_t bytes = samples->size() * sizeof(std::int16_t);
    if (bytes > KeptSoundBytes)
        return samples;

    const std::lock_guard lock(m_mutex);
    if (m_entries.contains(path))
        return samples; // decoded twice at once; the first one kept stays
    while (m_bytes + bytes > BoundBytes && !m_entries.isEmpty()) {
        auto oldest = m_entries.begin();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->used < oldest->used)
                oldest = it;
        }
        m_bytes -= oldest->samples->size() * sizeof(std::int16_t);
        m_entries.erase(oldest);
    }
    m_entries.insert(path, Entry{samples, ++m_uses});
    m_bytes += bytes;
    return samples;
}

size_t SoundCache::keptBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_bytes;
}

} // namespace sound
