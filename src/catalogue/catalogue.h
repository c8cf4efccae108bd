// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

// The 38 characters the program teaches, in the order a learner meets them.
struct CatalogueEntry
{
    qint16 Number;
    QString Character;
    QString SoundFile;
    QString Caption;
};

extern const std::array<CatalogueEntry, 38> CharacterCatalogue;

// The entry with this number, or null outside 1 to 38.
const CatalogueEntry *findCatalogueEntry(int number);
