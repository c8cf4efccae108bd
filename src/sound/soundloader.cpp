// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundloader.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace sound {

using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// What the loader's end waits for a thread that is decoding, at most.
constexpr auto EndWait = 100ms;

} // namespace

struct SoundLoader::Worker
{
    struct Job
    {
        quint64 ticket = 0;
        QString path;
        SteadyClock::time_point asked{};
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::optional<Job> job;
    std::deque<QString> prepares;
    std::optional<SteadyClock::time_point> busySince;
    std::shared_ptr<std::atomic<int>> leftBehindCount;
    bool leftBehind = false;
    bool stop = false;
    bool finished = false;
    std::thread thread;

    // Owns what it uses: a worker left behind may finish long after the loader has gone.
    static void run(std::shared_ptr<Worker> self, std::shared_ptr<SoundCache> cache, Deliver deliver)
    {
        std::unique_lock lock(self->mutex);
        for (;;) {
            self->wake.wait(lock, [&] { return self->stop || self->job || !self->prepares.empty(); });
            if (self->stop)
                break;
            std::optional<Job> job;
            QString path;
            if (self->job) {
                job.swap(self->job);
                path = job->path;
            } else {
                path = self->prepares.front();
                self->prepares.pop_front();
            }
            self->busySince = SteadyClock::now();
            lock.unlock();

            Result result;
            result.sound = cache->load(path);
            if (job) {
                result.ticket = job->ticket;
                result.asked = job->asked;
                result.path = job->path;
                deliver(std::move(result));
            }

            lock.lock();
            self->busySince.reset();
        }
        if (self->leftBehind)
            --*self->leftBehindCount;
        self->finished = true;
        self->idle.notify_all();
    }
};

SoundLoader::SoundLoader(std::shared_ptr<SoundCache> cache, Deliver deliver)
    : m_cache(std::move(cache)), m_deliver(std::move(deliver))
{
    startWorker();
}

SoundLoader::~SoundLoader()
{
    if (!m_worker)
        return;
    std::unique_lock lock(m_worker->mutex);
    m_worker->stop = true;
    m_worker->wake.notify_all();
    const bool ended = m_worker->idle.wait_for(lock, EndWait, [this] { return m_worker->finished; });
    lock.unlock();
    if (ended)
        m_worker->thread.join();
    else
        m_worker->thread.detach(); // stuck in a file; the process may end without it
}

void SoundLoader::startWorker()
{
    auto worker = std::make_shared<Worker>();
    worker->leftBehindCount = m_leftBehind;
    try {
        worker->thread = std::thread(&Worker::run, worker, m_cache, m_deliver);
    } catch (const std::system_error &) {
        return; // no thread: files not yet decoded stay silent
    }
    m_worker = std::move(worker);
}

void SoundLoader::load(quint64 ticket, const QString &path, SteadyClock::time_point asked)
{
    if (m_worker) {
        std::unique_lock lock(m_worker->mutex);
        const bool stuck = m_worker->busySince && asked - *m_worker->busySince > StuckAfter;
        if (!stuck) {
            m_worker->job = Worker::Job{ticket, path, asked};
            m_worker->wake.notify_one();
            return;
        }
        m_worker->stop = true;
        m_worker->leftBehind = true;
        ++*m_leftBehind;
        m_worker->prepares.clear();
        lock.unlock();
        m_worker->thread.detach();
        m_worker.reset();
    }
    if (*m_leftBehind <= MaxLeftBehind)
        startWorker();
    if (m_worker) {
        load(ticket, path, asked);
        return;
    }
    m_deliver(Result{ticket, asked, path, SoundCache::Loaded::failure("sound files do not answer")});
}

void SoundLoader::prepare(const QStringList &paths)
{
    if (!m_worker)
        return;
    const std::lock_guard lock(m_worker->mutex);
    m_worker->prepares.insert(m_worker->prepares.end(), paths.begin(), paths.end());
    m_worker->wake.notify_one();
}

} // namespace sound
