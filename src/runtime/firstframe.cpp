#include "firstframe.h"

#include <QCoreApplication>
#include <QTimer>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace runtime {

namespace {

std::mutex mutex;
std::condition_variable out;
bool isOut = false;
// The UI thread's own.
bool handingOn = false;
std::vector<std::function<void()>> waiting;

void markOut()
{
    {
        const std::lock_guard lock(mutex);
        isOut = true;
    }
    out.notify_all();
    for (const auto &work : std::exchange(waiting, {}))
        work();
}

} // namespace

void FirstFrame::drawn()
{
    if (handingOn)
        return;
    handingOn = true;
    // The window hands its frame to the display after painting, before the loop turns again.
    QTimer::singleShot(0, QCoreApplication::instance(), &markOut);
}

void FirstFrame::then(std::function<void()> work, std::chrono::milliseconds latest)
{
    auto once = std::make_shared<std::function<void()>>(std::move(work));
    const auto run = [once] {
        if (*once)
            std::exchange(*once, nullptr)();
    };
    bool already = false;
    {
        const std::lock_guard lock(mutex);
        already = isOut;
    }
    if (already) {
        QTimer::singleShot(0, QCoreApplication::instance(), run);
        return;
    }
    waiting.push_back(run);
    QTimer::singleShot(latest, QCoreApplication::instance(), run);
}

void FirstFrame::waitFor(std::chrono::milliseconds latest)
{
    std::unique_lock lock(mutex);
    out.wait_for(lock, latest, [] { return isOut; });
}

} // namespace runtime
