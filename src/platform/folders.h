// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace platform {

// Makes folder and the folders above it that are missing, private to the player as the XDG rules
// ask of the data folder; false with errno set if it cannot.
bool makeFolders(const QByteArray &folder);

} // namespace platform
