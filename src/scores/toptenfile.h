#pragma once

#include "scorerecord.h"

#include <array>

// The high-score file topten.txt in the program folder: five records, best first. Bytes after
// the fifth record are never read or changed.
namespace TopTenFile {

using Table = std::array<ScoreRecord, 5>;

QString path();

// Records the file lacks read as a blank name with no points; a file that cannot be opened reads
// as five such records. Each failure is logged once, and nothing stops the program.
Table read();

// Writes the five records in one write, flushed before it returns; false if the file could not
// be written (logged).
bool write(const Table &table);

} // namespace TopTenFile
