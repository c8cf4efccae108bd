// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>

namespace runtime {

// The moment the program's first frame has been drawn and handed to the display. Work that can
// wait for it does, so that the first window shows as soon as it can: on a machine with two
// cores, the display server and the window manager need one of them to put it on screen.
// Everything here happens on the UI thread.
class FirstFrame
{
public:
    // Called by a window that has just drawn itself; the moment counts once the frame has been
    // handed on.
    static void drawn();
    // Runs `then` once the first frame is out, or after `latest` if no window gets drawn (a
    // desktop that keeps it hidden).
    static void then(std::function<void()> work, std::chrono::milliseconds latest);
};

} // namespace runtime
