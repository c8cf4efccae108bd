// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textconv.h"

#include <QTest>

namespace text = platform::text;

class TestTextConv : public QObject
{
    Q_OBJECT
private slots:
    // Numbers are written in their shortest form with no leading space.
    void fromNumber_shortest()
    {
        QCOMPARE(text::fromNumber(0), QStringLiteral("0"));
        QCOMPARE(text::fromNumber(12), QStringLiteral("12"));
        QCOMPARE(text::fromNumber(1234), QStringLiteral("1234"));
        QCOMPARE(text::fromNumber(21.25), QStringLiteral("21.25"));
    }

    // Reading a number ignores trailing spaces; what is not a number in range gives nothing.
    void toNumbers_trailingSpacesIgnored_garbageRejected()
    {
        QCOMPARE(text::toInt16(QStringLiteral("7  ")), std::optional<qint16>(7));
        QCOMPARE(text::toInt16(QStringLiteral("123")), std::optional<qint16>(123));
        QCOMPARE(text::toInt16(QStringLiteral("   ")), std::nullopt);
        QCOMPARE(text::toInt16(QStringLiteral("1a ")), std::nullopt);
        QCOMPARE(text::toInt16(QStringLiteral("40000")), std::nullopt);
        QCOMPARE(text::toDouble(QStringLiteral("45 ")), std::optional<double>(45));
        QCOMPARE(text::toDouble(QStringLiteral("x")), std::nullopt);
        QCOMPARE(text::toDouble(QStringLiteral("2.5")), std::optional<double>(2.5));
        // What a damaged file may hold must not pass for a score.
        QCOMPARE(text::toInt16(QStringLiteral(" -3")), std::optional<qint16>(-3));
        QCOMPARE(text::toDouble(QStringLiteral(".5 ")), std::optional<double>(0.5));
        QCOMPARE(text::toInt16(QStringLiteral("2.5")), std::nullopt);
        for (const char *notANumber : {"nan", "inf", "1e2", "0x1", "-", ".", "1.2.3", "+-1", "1 2"}) {
            QCOMPARE(text::toDouble(QLatin1String(notANumber)), std::nullopt);
            QCOMPARE(text::toInt16(QLatin1String(notANumber)), std::nullopt);
        }
        // Digits of other scripts are not the file's digits.
        QCOMPARE(text::toInt16(QStringLiteral("\u0663")), std::nullopt);
    }

    void fixedLength_padsOrCuts()
    {
        QCOMPARE(text::fixedLength(QStringLiteral("ANA"), 10), QStringLiteral("ANA       "));
        QCOMPARE(text::fixedLength(QStringLiteral("MARIA JOSEFA"), 10), QStringLiteral("MARIA JOSE"));
        QCOMPARE(text::fixedLength(QString(), 3), QStringLiteral("   "));
    }

    void upper_handlesSpanishLetters()
    {
        QCOMPARE(text::upper(QStringLiteral("peña ángel")), QStringLiteral("PEÑA ÁNGEL"));
    }

    // The 8-bit code page of the files: Latin-1 letters, the 0x80..0x9F specials, and '?' for
    // what it cannot hold; reading back gives the same text.
    void cp1252_roundTrip()
    {
        const QString name = QStringLiteral("NÚÑEZ €Œ…");
        const QByteArray bytes = text::toCp1252(name);
        QCOMPARE(bytes, QByteArray("N\xDA\xD1"
                                   "EZ \x80\x8C\x85"));
        QCOMPARE(text::fromCp1252(bytes), name);
        QCOMPARE(text::toCp1252(QStringLiteral("Ж")), QByteArray("?"));
    }

    // Every byte a file may hold comes back as it was, the five the code page leaves unassigned
    // included; what it cannot hold (outside the basic plane too) is '?', and 0x1A stays itself.
    void cp1252_everyByteKept_unheldBecomesQuestionMark()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString decoded = text::fromCp1252(all);
        QCOMPARE(decoded.size(), 256);
        QCOMPARE(text::toCp1252(decoded), all);
        for (const char b : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
            QCOMPARE(text::toCp1252(text::fromCp1252(QByteArray(1, b))), QByteArray(1, b));
        QCOMPARE(text::toCp1252(QStringLiteral("A\u0416B\U0001F600C\u001A")), QByteArray("A?B?C\x1A"));
    }
};

QTEST_APPLESS_MAIN(TestTextConv)
#include "tst_textconv.moc"
