// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeservices.h"
#include "filebytes.h"
#include "filesizelimit.h"
#include "loggedmessages.h"
#include "scores/sorttable.h"
#include "scores/toptenfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

ScoreRecord entry(const QString &name, int points)
{
    return {ScoreRecord::nameField(name), ScoreRecord::pointsField(points)};
}

// Rows 1 to 5 from "A 100" style pairs, the new entry in row 6.
ScoreRows rows(const QList<std::pair<const char *, int>> &table)
{
    ScoreRows result;
    for (int i = 0; i < table.size(); ++i)
        result[i + 1] = entry(QLatin1String(table[i].first), table[i].second);
    return result;
}

QString order(const ScoreRows &result)
{
    QStringList parts;
    for (int k = 1; k <= 6; ++k)
        parts << result[k].Name.trimmed() + QLatin1Char(' ') + result[k].Points.trimmed();
    return parts.join(QStringLiteral(", "));
}

} // namespace

class TestScoreFile : public QObject
{
    Q_OBJECT
private slots:
    // ---- the record ----

    // Thirteen bytes: the name in ten, the points in three, both padded with spaces.
    void record_byteExact()
    {
        QCOMPARE(entry(QStringLiteral("ABC"), 120).toBytes(), QByteArray("ABC       120"));
        QCOMPARE(entry(QStringLiteral("X"), 7).toBytes(), QByteArray("X         7  "));
        QCOMPARE(ScoreRecord::fromBytes("X         7  ").pointsValue(), 7);
        QCOMPARE(entry(QStringLiteral("MARIA JOSEFA"), 5).Name, QStringLiteral("MARIA JOSE"));
        QCOMPARE(entry(QStringLiteral("ÑANDÚ"), 9).toBytes(), QByteArray("\xD1"
                                                                         "AND\xDA"
                                                                         "     9  "));
        QCOMPARE(ScoreRecord::fromBytes("\xD1"
                                        "AND\xDA"
                                        "     9  ")
                     .Name,
                 QStringLiteral("ÑANDÚ     "));
    }

    // A score too large for its three digits is stored as 999, never as its first three digits.
    void record_largeScoreStoredAs999()
    {
        QCOMPARE(ScoreRecord::pointsField(1234), QStringLiteral("999"));
        QCOMPARE(ScoreRecord::pointsField(1000), QStringLiteral("999"));
        QCOMPARE(ScoreRecord::pointsField(999), QStringLiteral("999"));
    }

    // ---- ordering ----

    // Five full passes that exchange equal scores too: ties land exactly where they always have.
    void sort_tieTables_data()
    {
        QTest::addColumn<ScoreRows>("table");
        QTest::addColumn<QString>("expected");
        const auto base = rows({{"A", 100}, {"B", 90}, {"C", 80}, {"D", 50}, {"E", 40}});
        auto with = [](ScoreRows r, int points) {
            r[6] = entry(QStringLiteral("N"), points);
            return r;
        };
        QTest::newRow("90") << with(base, 90) << "A 100, B 90, N 90, C 80, D 50, E 40";
        QTest::newRow("41") << with(base, 41) << "A 100, B 90, C 80, D 50, N 41, E 40";
        QTest::newRow("200") << with(base, 200) << "N 200, A 100, B 90, C 80, D 50, E 40";
        QTest::newRow("three 100s") << with(rows({{"A", 100}, {"B", 100}, {"C", 80}, {"D", 50}, {"E", 40}}),
                                            100)
                                    << "N 100, B 100, A 100, C 80, D 50, E 40";
        QTest::newRow("five 9s") << with(rows({{"A", 9}, {"B", 9}, {"C", 9}, {"D", 9}, {"E", 0}}), 9)
                                 << "N 9, B 9, C 9, D 9, A 9, E 0";
    }
    void sort_tieTables()
    {
        QFETCH(ScoreRows, table);
        QFETCH(QString, expected);
        SortTable(table);
        QCOMPARE(order(table), expected);
    }

    // Blank or damaged points count as 0, so such rows sink to the bottom.
    void sort_nonNumbersCountAsZero()
    {
        ScoreRows table = rows({{"A", 5}});
        table[2].Points = QStringLiteral("x1 ");
        table[6] = entry(QStringLiteral("N"), 3);
        SortTable(table);
        QCOMPARE(table[1].Name.trimmed(), QStringLiteral("A"));
        QCOMPARE(table[2].Name.trimmed(), QStringLiteral("N"));
    }

    // ---- the file ----

    // Writing changes bytes 0 to 64 only; what follows the fifth record stays as it was.
    void write_touchesFirst65BytesOnly()
    {
        FakeServices fakes;
        writeFileBytes(TopTenFile::path(), QByteArray(65, 'z') + "EXTRA RECORD!");
        TopTenFile::Table table;
        table[0] = entry(QStringLiteral("ABC"), 120);
        QVERIFY(TopTenFile::write(table));
        const QByteArray bytes = fileBytes(TopTenFile::path());
        QCOMPARE(bytes.size(), 78);
        QCOMPARE(bytes.left(13), QByteArray("ABC       120"));
        QCOMPARE(bytes.mid(13, 13), QByteArray(13, ' '));
        QCOMPARE(bytes.mid(65), QByteArray("EXTRA RECORD!"));
    }

    // A missing file, as on a fresh install, is created empty and reads as five blank places,
    // without a word in the log.
    void read_missingFile_fiveBlankRecords_quiet()
    {
        FakeServices fakes;
        const LoggedMessages log;
        for (int activation = 0; activation < 3; ++activation) {
            const TopTenFile::Table table = TopTenFile::read();
            for (const ScoreRecord &record : table) {
                QCOMPARE(record.Name, QString(10, QLatin1Char(' ')));
                QCOMPARE(record.pointsValue(), 0);
            }
        }
        QVERIFY(QFile::exists(TopTenFile::path()));
        QCOMPARE(log.messages(), QStringList());
    }

    // A folder in the file's place never stops the program: an empty table, nothing written, and
    // one message with the real cause however often the file is used.
    void folderInPlace_blankTable_oneWarningWithCause()
    {
        FakeServices fakes;
        QVERIFY(QDir(fakes.folder.path()).mkdir(QStringLiteral("topten.txt")));
        const LoggedMessages log;
        QCOMPARE(TopTenFile::read()[0].pointsValue(), 0);
        QCOMPARE(TopTenFile::read()[0].pointsValue(), 0);
        QVERIFY(!TopTenFile::write({}));
        QCOMPARE(log.messages().size(), 1);
        QVERIFY(log.messages()[0].contains(QString::fromLocal8Bit(strerror(EISDIR))));
    }

    // A link planted as topten.txt is not followed: the table shows empty, the other file keeps
    // its bytes, and a dangling link creates nothing.
    void plantedLinks_notFollowed()
    {
        FakeServices fakes;
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("victim"));
        writeFileBytes(victim, "ABC       90 other bytes of the player's");
        QVERIFY(QFile::link(victim, TopTenFile::path()));
        const LoggedMessages log;
        QCOMPARE(TopTenFile::read()[0].pointsValue(), 0);
        TopTenFile::Table table;
        table[0] = entry(QStringLiteral("ZZZ"), 500);
        QVERIFY(!TopTenFile::write(table));
        QCOMPARE(fileBytes(victim), QByteArray("ABC       90 other bytes of the player's"));
        QCOMPARE(log.messages().size(), 1);
        QVERIFY(log.messages()[0].contains(QLatin1String("symbolic link")));

        QVERIFY(QFile::remove(TopTenFile::path()));
        const QString nowhere = elsewhere.filePath(QStringLiteral("new"));
        QVERIFY(QFile::link(nowhere, TopTenFile::path()));
        TopTenFile::read();
        QVERIFY(!TopTenFile::write(table));
        QVERIFY(!QFileInfo::exists(nowhere));
    }

    // A write the disk cuts short is reported, and the next read finds the old table.
    void shortWrite_nextReadFindsOldTable()
    {
        FakeServices fakes;
        writeFileBytes(TopTenFile::path(), "OLD       40 ");
        TopTenFile::Table table;
        table[0] = entry(QStringLiteral("NEW"), 50);
        table[1] = entry(QStringLiteral("OLD"), 40);
        const LoggedMessages log;
        bool written = true;
        {
            const FileSizeLimit limit(30);
            written = TopTenFile::write(table);
        }
        QVERIFY(!written);
        QCOMPARE(log.messages().size(), 1);
        QVERIFY(log.messages()[0].contains(QString::fromLocal8Bit(strerror(EFBIG))));
        QCOMPARE(fileBytes(TopTenFile::path()), QByteArray("OLD       40 "));
        const TopTenFile::Table after = TopTenFile::read();
        QCOMPARE(after[0].Name.trimmed(), QStringLiteral("OLD"));
        QCOMPARE(after[1].pointsValue(), 0);
    }

    // A table that may be read but not written is still shown.
    void readOnlyFile_stillRead()
    {
        if (geteuid() == 0) {
            // Permissions do not bind the superuser, which is how CI runs: run this one test
            // again as the unprivileged user "nobody", from a copy that user can reach wherever
            // the build tree lies.
            QTemporaryDir reachable;
            const QString copy = reachable.filePath(QStringLiteral("tst_scorefile"));
            QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
            QVERIFY(QFile::setPermissions(reachable.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                                QFile::ExeOwner | QFile::ReadOther |
                                                                QFile::ExeOther));
            QProcess child;
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(QStringLiteral("setpriv"),
                        {"--reuid=65534", "--regid=65534", "--clear-groups", copy, "readOnlyFile_stillRead"});
            QVERIFY2(child.waitForFinished(30000), qPrintable(child.errorString()));
            const QString output = QString::fromLocal8Bit(child.readAll());
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
            QVERIFY2(output.contains(QLatin1String("PASS   : TestScoreFile::readOnlyFile_stillRead()")),
                     qPrintable(output));
            return;
        }
        FakeServices fakes;
        writeFileBytes(TopTenFile::path(), "ABC       90 ");
        QVERIFY(QFile::setPermissions(TopTenFile::path(), QFile::ReadOwner));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("holds 1 of 5")));
        QCOMPARE(TopTenFile::read()[0].pointsValue(), 90);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot write.*denied")));
        QVERIFY(!TopTenFile::write({}));
    }

    // Whatever bytes the file holds, five records come out and the table can be written back.
    void randomFiles_alwaysFiveRecords()
    {
        FakeServices fakes;
        // Damaged files are expected to be reported here; anything else the program says is not.
        static int otherMessages = 0;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &) {
                if (qstrcmp(context.category, "zumbarel.scores") != 0)
                    ++otherMessages;
            });
        QRandomGenerator random(1234);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes(random.bounded(201), Qt::Uninitialized);
            for (char &b : bytes)
                b = char(random.bounded(256));
            writeFileBytes(TopTenFile::path(), bytes);
            const TopTenFile::Table table = TopTenFile::read();
            for (const ScoreRecord &record : table) {
                QCOMPARE(record.Name.size(), 10);
                QCOMPARE(record.Points.size(), 3);
            }
            ScoreRows sorted;
            std::copy(table.begin(), table.end(), sorted.begin() + 1);
            SortTable(sorted);
            for (int k = 1; k < 6; ++k)
                QVERIFY(sorted[k].pointsValue() >= sorted[k + 1].pointsValue());
            QVERIFY(TopTenFile::write(table));
            QCOMPARE(fileBytes(TopTenFile::path()).left(65).size(), 65);
        }
        qInstallMessageHandler(previous);
        QCOMPARE(otherMessages, 0);
    }
};

QTEST_GUILESS_MAIN(TestScoreFile)
#include "tst_scorefile.moc"
