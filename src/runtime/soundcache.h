#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace runtime {

// Mono samples in [-1, 1], at the rate of the cache that made them.
using Samples = std::vector<float>;

// Sound files decoded once and kept by path, mixed down to mono and brought to one rate, so that
// playing a sound again costs nothing. Not thread-safe: the player uses it from its own thread.
class SoundCache
{
public:
    explicit SoundCache(int rate);

    // The samples of a file, or nullptr with the reason in *error. Failures are not remembered,
    // so a file that appears or is repaired later plays then.
    std::shared_ptr<const Samples> get(const QString &path, QString *error);

private:
    int m_rate = 0;
    QHash<QString, std::shared_ptr<const Samples>> m_sounds;
};

} // namespace runtime
