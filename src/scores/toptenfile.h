// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scorerecord.h"

#include <array>

// The high-score file topten.txt: five records, best first. Bytes after the fifth record are
// never read or changed.
namespace TopTenFile {

using Table = std::array<ScoreRecord, 5>;

// The file's path as the system spells it, and the same for messages and tests.
QByteArray nativePath();
QString path();

// Records the file lacks read as a blank name with no points; a file that cannot be opened reads
// as five such records. Each kind of failure is logged once, with its cause, and nothing stops the
// program. A missing or empty file is a fresh table, not a failure.
Table read();

// Writes the five records in place in one write, on the disk before it returns; false if the file
// could not be written (logged), and then the file holds the table it held before.
bool write(const Table &table);

// The score a finished game must beat to enter the table: the fifth record's, 0 where that holds
// no number.
double fifthScore(const Table &table);

} // namespace TopTenFile
