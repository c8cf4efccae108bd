// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeservices.h"
#include "filebytes.h"
#include "loggedmessages.h"
#include "progress/progressfile.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

Progress::Game game(int level, int score = 10)
{
    return {QDate(2026, 12, 8), level, score};
}

// Answers from "EE EI SS": the character sent, then the one pressed.
QList<Progress::Answer> answers(const QString &pairs)
{
    QList<Progress::Answer> result;
    for (const QString &pair : pairs.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        result.append({pair.left(1), pair.mid(1)});
    return result;
}

QString progressPath(const FakeServices &fakes)
{
    return fakes.folder.path() + QStringLiteral("/progreso.txt");
}

} // namespace

// What is counted from the answers of each game, what is derived from it for the window, and the
// file that keeps it between sessions.
class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    // ---- counting ----

    // Each answer counts once for the character sent; a wrong one also counts the pair. The
    // shares come in learning order, the weakest by share, then by how often heard.
    void addGame_countsCharactersPairsAndGames()
    {
        Progress progress;
        progress.addGame(answers(QStringLiteral("SS SH II IE EE")), game(3, 4));
        progress.addGame(answers(QStringLiteral("SH EE TT")), game(5, 2));
        QCOMPARE(progress.gamesPlayed(), 2);
        QCOMPARE(progress.answers(), 8);
        QCOMPARE(progress.counts().value(QStringLiteral("S")), (Progress::Counts{3, 1}));
        QCOMPARE(progress.counts().value(QStringLiteral("E")), (Progress::Counts{2, 2}));
        QStringList order;
        for (const Progress::Share &share : progress.shares())
            order << share.character;
        QCOMPARE(order, (QStringList{"E", "I", "S", "T"}));
        QStringList weakest;
        for (const Progress::Share &share : progress.weakest(2))
            weakest << share.character;
        QCOMPARE(weakest, (QStringList{"S", "I"}));
        const QList<Progress::MixUp> mixUps = progress.mixUps(10);
        QCOMPARE(mixUps.size(), 2);
        QCOMPARE(mixUps[0].sent + mixUps[0].pressed, QStringLiteral("SH"));
        QCOMPARE(mixUps[0].times, 2);
    }

    // Only the last games are kept, however many are played; the count of all goes on.
    void addGame_keepsTheLastGames()
    {
        Progress progress;
        for (int i = 0; i < Progress::KeptGames + 7; ++i)
            progress.addGame({}, game(3 + i % 30));
        QCOMPARE(progress.games().size(), std::size_t(Progress::KeptGames));
        QCOMPARE(progress.games().front().level, 3 + 7);
        QCOMPARE(progress.gamesPlayed(), Progress::KeptGames + 7);
    }

    // ---- the text ----

    void format_parse_roundTrip()
    {
        Progress progress;
        progress.addGame(answers(QStringLiteral("AN AN DU 00 5H")), game(37, 355));
        const ProgressFile::Parsed parsed = ProgressFile::parse(ProgressFile::format(progress));
        QVERIFY2(parsed.progress, qPrintable(parsed.problem));
        QCOMPARE(*parsed.progress, progress);
    }

    void parse_refusesWhatIsNotAWholeFileOfThisVersion_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray head = "Zumbarel progreso 1\npartidas 1\n";
        const QByteArray good = "caracter E 2 1\nfallo E T 1\npartida 2026-12-08 3 4\n";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("foreign") << QByteArray("<html>\n");
        QTest::newRow("newer") << QByteArray("Zumbarel progreso 2\npartidas 0\nfin\n");
        QTest::newRow("cut short") << head + good;
        QTest::newRow("cut in the end line") << head + good + "fi";
        QTest::newRow("unknown line") << head + good + "nivel 3\nfin\n";
        QTest::newRow("right over sent") << head + "caracter E 1 2\nfin\n";
        QTest::newRow("not a game character") << head + "caracter ? 1 1\nfin\n";
        QTest::newRow("negative") << head + "caracter E -1 0\nfin\n";
        QTest::newRow("twice") << head + "caracter E 1 1\ncaracter E 1 1\nfin\n";
        QTest::newRow("mix-ups do not add up") << head + "caracter E 2 1\nfallo E T 2\nfin\n";
        QTest::newRow("mix-up of a character never sent") << head + "fallo E T 1\nfin\n";
        QTest::newRow("bad date") << head + "partida 2026-13-40 3 4\nfin\n";
        QTest::newRow("more games than played")
            << QByteArray("Zumbarel progreso 1\npartidas 0\npartida 2026-12-08 3 4\nfin\n");
    }
    void parse_refusesWhatIsNotAWholeFileOfThisVersion()
    {
        QFETCH(QByteArray, text);
        const ProgressFile::Parsed parsed = ProgressFile::parse(text);
        QVERIFY(!parsed.progress);
        QVERIFY(!parsed.problem.isEmpty());
    }

    // ---- the file ----

    // Recorded whole at each game's end, beside the high scores, and read back; nothing counted
    // while there is no file.
    void record_read_roundTrip()
    {
        FakeServices fakes;
        QCOMPARE(ProgressFile::read(), Progress());
        QVERIFY(ProgressFile::record(answers(QStringLiteral("EE EI")), game(3)));
        QVERIFY(ProgressFile::record(answers(QStringLiteral("SS")), game(4)));
        const Progress progress = ProgressFile::read();
        QCOMPARE(progress.gamesPlayed(), 2);
        QCOMPARE(progress.answers(), 3);
        QVERIFY(fileBytes(progressPath(fakes)).startsWith("Zumbarel progreso 1\n"));
        // Written through a new file that took the old one's place: nothing else left behind.
        QCOMPARE(QDir(fakes.folder.path()).entryList(QDir::Files), QStringList{"progreso.txt"});
    }

    // A file this program cannot read is kept under another name, said once, and counting starts
    // anew.
    void damagedFile_setAsideOnce_countingStartsAnew()
    {
        FakeServices fakes;
        const LoggedMessages log;
        writeFileBytes(progressPath(fakes), "Zumbarel progreso 1\npartidas 3\ncaracter E 9");
        QCOMPARE(ProgressFile::read(), Progress());
        QVERIFY(ProgressFile::record(answers(QStringLiteral("EE")), game(3)));
        QCOMPARE(fileBytes(progressPath(fakes) + QStringLiteral(".apartado")),
                 QByteArray("Zumbarel progreso 1\npartidas 3\ncaracter E 9"));
        QCOMPARE(ProgressFile::read().gamesPlayed(), 1);
        QCOMPARE(log.messages().size(), 1);
        QVERIFY2(log.messages()[0].contains(QLatin1String("cut short")), qPrintable(log.messages()[0]));
    }

    // A link at the file's place is neither followed nor replaced; a folder that cannot be made
    // keeps nothing. Each is said once, and the game goes on.
    void linkOrNoFolder_nothingWritten_saidOnce()
    {
        FakeServices fakes;
        const LoggedMessages log;
        const QString elsewhere = fakes.folder.path() + QStringLiteral("/elsewhere.txt");
        writeFileBytes(elsewhere, "mine\n");
        QVERIFY(QFile::link(elsewhere, progressPath(fakes)));
        QVERIFY(!ProgressFile::record(answers(QStringLiteral("EE")), game(3)));
        QVERIFY(!ProgressFile::record(answers(QStringLiteral("EE")), game(3)));
        QCOMPARE(fileBytes(elsewhere), QByteArray("mine\n"));
        QVERIFY(QFileInfo(progressPath(fakes)).isSymLink());

        fakes.folder.scores = QFile::encodeName(elsewhere) + "/data";
        QVERIFY(!ProgressFile::record(answers(QStringLiteral("EE")), game(3)));
        QVERIFY(!ProgressFile::record(answers(QStringLiteral("EE")), game(3)));
        QCOMPARE(log.messages().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "tst_progress.moc"
