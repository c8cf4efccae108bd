// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"
#include "catalogue/playsound.h"
#include "fakeservices.h"

#include <QTest>

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    // The learning order, then the digits from 0, then "sk" and "?".
    void order_isTheLearningOrder()
    {
        QString characters;
        for (const CatalogueEntry &entry : CharacterCatalogue)
            characters += entry.Character + QLatin1Char(' ');
        QCOMPARE(characters, QStringLiteral("E I S H T M O A W J N D B U V G Z K R P X F C L Q Y "
                                            "0 1 2 3 4 5 6 7 8 9 sk ? "));
        for (int i = 0; i < 38; ++i)
            QCOMPARE(CharacterCatalogue[i].Number, i + 1);
    }

    // Entry 27 is the digit zero, entry 7 the letter O, each with its own sound.
    void zeroAndLetterO_areDistinct()
    {
        QCOMPARE(findCatalogueEntry(27)->Character, QStringLiteral("0"));
        QCOMPARE(findCatalogueEntry(27)->SoundFile, QStringLiteral("morse_0.wav"));
        QCOMPARE(findCatalogueEntry(27)->Caption, QStringLiteral("Este es el numero "));
        QCOMPARE(findCatalogueEntry(7)->Character, QStringLiteral("O"));
        QCOMPARE(findCatalogueEntry(7)->SoundFile, QStringLiteral("morse_o.wav"));
        QCOMPARE(findCatalogueEntry(7)->Caption, QStringLiteral("Esta es la letra "));
    }

    // The last two captions carry their quotes and no trailing space.
    void lastCaptions_quotedWithExactLengths()
    {
        const CatalogueEntry *sk = findCatalogueEntry(37);
        QCOMPARE(sk->Character, QStringLiteral("sk"));
        QCOMPARE(sk->Caption.size(), 22);
        QVERIFY(sk->Caption.startsWith(QLatin1Char('"')) && sk->Caption.endsWith(QLatin1Char('"')));
        const CatalogueEntry *question = findCatalogueEntry(38);
        QCOMPARE(question->Caption, QStringLiteral("\"INTERROGACION\""));
        QCOMPARE(question->Caption.size(), 15);
        QCOMPARE(question->SoundFile, QStringLiteral("morse_INTERROGANTE.wav"));
    }

    // The files are found by exact name: lower case up to J, upper case from N on.
    void soundNames_keepTheirLetterCase()
    {
        QCOMPARE(findCatalogueEntry(1)->SoundFile, QStringLiteral("morse_e.wav"));
        QCOMPARE(findCatalogueEntry(10)->SoundFile, QStringLiteral("morse_j.wav"));
        QCOMPARE(findCatalogueEntry(11)->SoundFile, QStringLiteral("morse_N.wav"));
        QCOMPARE(findCatalogueEntry(26)->SoundFile, QStringLiteral("morse_Y.wav"));
        QCOMPARE(findCatalogueEntry(37)->SoundFile, QStringLiteral("morse_sk.wav"));
    }

    void lookupOutsideRange_yieldsNothing()
    {
        QCOMPARE(findCatalogueEntry(0), nullptr);
        QCOMPARE(findCatalogueEntry(39), nullptr);
        QCOMPARE(findCatalogueEntry(-1), nullptr);
        QCOMPARE(findCatalogueEntry(38)->Number, 38);
    }

    // The full path is the program folder, one separator and the name, unchecked: an empty name
    // still reaches the player.
    void playSoundFile_joinsFolderAndName()
    {
        FakeServices fakes;
        const QString folder = fakes.folder.path();
        QCOMPARE(PlaySoundFile(QStringLiteral("hola juegas.wav")),
                 folder + QStringLiteral("/hola juegas.wav"));
        PlaySoundFile(QString());
        QCOMPARE(fakes.sound.paths, (QStringList{folder + QStringLiteral("/hola juegas.wav"), folder + '/'}));
    }

    // Every character's sound and the game's two effects are got ready from the program folder,
    // and nothing plays.
    void prepareSoundFiles_theCatalogueAndEffectsInTheFolder()
    {
        FakeServices fakes;
        PrepareSoundFiles();
        QStringList expected;
        for (const CatalogueEntry &entry : CharacterCatalogue)
            expected << fakes.folder.path() + '/' + entry.SoundFile;
        expected << fakes.folder.path() + QStringLiteral("/bien.wav")
                 << fakes.folder.path() + QStringLiteral("/oh.wav");
        QCOMPARE(fakes.sound.prepared, expected);
        QVERIFY(fakes.sound.paths.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
