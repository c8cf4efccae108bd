// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue.h"

namespace {

CatalogueEntry letter(qint16 number, const char *character, const char *sound)
{
    return {number, QString::fromLatin1(character), QString::fromLatin1(sound),
            QStringLiteral("Esta es la letra ")};
}

CatalogueEntry digit(qint16 number)
{
    const QString d = QString::number(number - 27);
    return {number, d, QStringLiteral("morse_%1.wav").arg(d), QStringLiteral("Este es el numero ")};
}

// The letter case of the file names is irregular on purpose: the files exist under exactly these.
std::array<CatalogueEntry, 38> build()
{
    return {
        letter(1, "E", "morse_e.wav"),
        letter(2, "I", "morse_i.wav"),
        letter(3, "S", "morse_s.wav"),
        letter(4, "H", "morse_h.wav"),
        letter(5, "T", "morse_t.wav"),
        letter(6, "M", "morse_m.wav"),
        letter(7, "O", "morse_o.wav"),
        letter(8, "A", "morse_a.wav"),
        letter(9, "W", "morse_w.wav"),
        letter(10, "J", "morse_j.wav"),
        letter(11, "N", "morse_N.wav"),
        letter(12, "D", "morse_D.wav"),
        letter(13, "B", "morse_B.wav"),
        letter(14, "U", "morse_U.wav"),
        letter(15, "V", "morse_V.wav"),
        letter(16, "G", "morse_G.wav"),
        letter(17, "Z", "morse_Z.wav"),
        letter(18, "K", "morse_K.wav"),
        letter(19, "R", "morse_R.wav"),
        letter(20, "P", "morse_P.wav"),
        letter(21, "X", "morse_X.wav"),
        letter(22, "F", "morse_F.wav"),
        letter(23, "C", "morse_C.wav"),
        letter(24, "L", "morse_L.wav"),
        letter(25, "Q", "morse_Q.wav"),
        letter(26, "Y", "morse_Y.wav"),
        digit(27),
        digit(28),
        digit(29),
        digit(30),
        digit(31),
        digit(32),
        digit(33),
        digit(34),
        digit(35),
        digit(36),
        {37, QStringLiteral("sk"), QStringLiteral("morse_sk.wav"),
         QStringLiteral("\"FINAL DE TRANSMISION\"")},
        {38, QStringLiteral("?"), QStringLiteral("morse_INTERROGANTE.wav"),
         QStringLiteral("\"INTERROGACION\"")},
    };
}

} // namespace

const std::array<CatalogueEntry, 38> CharacterCatalogue = build();

const CatalogueEntry *findCatalogueEntry(int number)
{
    if (number < 1 || number > int(CharacterCatalogue.size()))
        return nullptr;
    return &CharacterCatalogue[std::size_t(number - 1)];
}

QString spokenName(const CatalogueEntry &entry)
{
    switch (entry.Number) {
    case 37:
        return QStringLiteral("el signo de final de transmisión");
    case 38:
        return QStringLiteral("el signo de interrogación");
    default:
        break;
    }
    return entry.Character.at(0).isDigit() ? QStringLiteral("el número ") + entry.Character
                                           : QStringLiteral("la letra ") + entry.Character;
}

QString presentedName(const CatalogueEntry &entry)
{
    const QString name = spokenName(entry);
    return (name.startsWith(QLatin1String("la ")) ? QStringLiteral("Esta es ") : QStringLiteral("Este es ")) +
           name;
}
