// SPDX-License-Identifier: GPL-3.0-or-later
#include "firstframe.h"

#include <QCoreApplication>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

namespace runtime {

namespace {

bool isOut = false;
bool handingOn = false;
std::vector<std::function<void()>> waiting;

void markOut()
{
    isOut = true;
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
    if (isOut) {
        QTimer::singleShot(0, QCoreApplication::instance(), run);
        return;
    }
    waiting.push_back(run);
    QTimer::singleShot(latest, QCoreApplication::instance(), run);
}

} // namespace runtime
