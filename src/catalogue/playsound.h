// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Plays a sound file of the program's folder and returns at once; a new sound cuts off the one
// playing and a file that cannot be played stays silent. Returns the full path it played.
QString PlaySoundFile(const QString &fileName);

// Gets the sounds of the catalogue and of the game's effects ready before their first play, off
// the user-interface thread, so that the first play of each starts as soon as any later one.
void PrepareSoundFiles();
