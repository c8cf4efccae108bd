#pragma once

#include <QString>

// Plays a sound file of the program's folder and returns at once; a new sound cuts off the one
// playing and a file that cannot be played stays silent. Returns the full path it played.
QString PlaySoundFile(const QString &fileName);
