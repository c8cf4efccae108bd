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

// The character as a screen reader should say it, with its article: "la letra E", "el número 5",
// "el signo de interrogación". A letter alone, or "sk", would be read as a sound or a word.
QString spokenName(const CatalogueEntry &entry);
// What the presentation says of it: "Esta es la letra E", "Este es el número 5".
QString presentedName(const CatalogueEntry &entry);
