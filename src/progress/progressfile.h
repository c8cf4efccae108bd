// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "progress.h"

#include <QByteArray>
#include <QString>
#include <optional>

// progreso.txt, beside the high scores: plain text a person can read, with a version line first
// and an end line last, written whole into a new file that then takes the old one's place.
namespace ProgressFile {

inline constexpr int Version = 1;

// The file's path as the system spells it.
QByteArray nativePath();

QByteArray format(const Progress &progress);

// The progress a whole file of this version holds, or why it holds none.
struct Parsed
{
    std::optional<Progress> progress;
    QString problem;
};
Parsed parse(const QByteArray &text);

// What the file holds: nothing counted yet where it is missing. A damaged, truncated, foreign or
// newer file is set aside under another name and counting starts anew; a link or anything but a
// regular file at the path is left alone. Each cause is logged once.
Progress read();

// Adds a game to the file; false if it could not be written (logged once), and the game goes on.
bool record(const QList<Progress::Answer> &answers, const Progress::Game &game);

} // namespace ProgressFile
