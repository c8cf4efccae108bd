// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <grp.h>
#include <unistd.h>

// File permissions do not bind the superuser: a test of what a player may not write runs as the
// unprivileged user "nobody" when it is started as root.
inline bool becomePlainUser()
{
    if (::geteuid() != 0)
        return true;
    constexpr uid_t nobody = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0;
}
