// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "soundcache.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace sound {

// Decodes sound files on a thread of its own, so that a file whose open or read blocks (a file on
// a hung network share) holds neither the caller nor the sound thread. A thread stuck that long
// is left behind and a fresh one takes the next file; the loader's end waits only a moment.
class SoundLoader
{
public:
    struct Result
    {
        quint64 ticket = 0;
        std::chrono::steady_clock::time_point asked{};
        QString path;
        // No reason for an empty name: the player words that itself.
        SoundCache::Loaded sound = SoundCache::Loaded::failure({});
    };
    // Called on the loader's thread, or on the caller's for a file that cannot be loaded at all;
    // it may be called after the loader has gone, so it must own what it touches.
    using Deliver = std::function<void(Result &&)>;

    // A decode that takes longer than this counts as stuck.
    static constexpr std::chrono::milliseconds StuckAfter{1000};
    // Stuck threads left behind at most; beyond that, files not yet decoded stay silent until one
    // of them gets out of its file.
    static constexpr int MaxLeftBehind = 4;

    SoundLoader(std::shared_ptr<SoundCache> cache, Deliver deliver);
    ~SoundLoader();
    SoundLoader(const SoundLoader &) = delete;
    SoundLoader &operator=(const SoundLoader &) = delete;

    // Decodes a file and delivers it with the ticket; only the latest request waits to be served.
    void load(quint64 ticket, const QString &path, std::chrono::steady_clock::time_point asked);
    // Decodes files into the cache ahead of their first play, after any request.
    void prepare(const QStringList &paths);

private:
    struct Worker;
    void startWorker();

    std::shared_ptr<SoundCache> m_cache;
    Deliver m_deliver;
    std::shared_ptr<Worker> m_worker;
    // Threads left behind and still in a file; each one lowers it as it ends.
    std::shared_ptr<std::atomic<int>> m_leftBehind = std::make_shared<std::atomic<int>>(0);
};

} // namespace sound
