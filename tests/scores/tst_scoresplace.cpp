// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeservices.h"
#include "filebytes.h"
#include "filesizelimit.h"
#include "loggedmessages.h"
#include "plainuser.h"
#include "platform/programfolder.h"
#include "scores/toptenfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <sys/stat.h>

using platform::scoresFolderFor;

namespace {

// The folder read-only while it lives, as an installed program's is.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path) : m_path(QFile::encodeName(path))
    {
        ::chmod(m_path.constData(), 0555);
    }
    ~ReadOnlyFolder() { ::chmod(m_path.constData(), 0700); }

private:
    QByteArray m_path;
};

// Sets an environment variable, or unsets it for a null value, while it lives.
class EnvironmentVariable
{
public:
    EnvironmentVariable(const char *name, const QByteArray &value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~EnvironmentVariable() { m_wasSet ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_old;
};

const QByteArray seedTable = "ANA       50 BEA       40 CRIS      30 DANI      6  EVA       5  ";

TopTenFile::Table tableWithNewLeader()
{
    TopTenFile::Table table;
    table[0] = {ScoreRecord::nameField(QStringLiteral("NEW")), ScoreRecord::pointsField(99)};
    return table;
}

} // namespace

class TestScoresPlace : public QObject
{
    Q_OBJECT
private slots:
    // ---- where the table lives ----

    // A program folder the player may write keeps the table beside the program, as a build does.
    void writableProgramFolder_tableBeside()
    {
        QTemporaryDir program;
        const QByteArray folder = QFile::encodeName(program.path());
        QCOMPARE(scoresFolderFor(folder), folder);
    }

    // A read-only program folder sends the table to the user's data folder, which is not made
    // until the table is needed; a relative XDG_DATA_HOME is ignored, as the XDG rules ask.
    void readOnlyProgramFolder_dataFolder_data()
    {
        QTest::addColumn<QByteArray>("xdgDataHome");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("XDG_DATA_HOME set") << QByteArray("/DATA") << QByteArray("/DATA/zumbarel");
        QTest::newRow("XDG_DATA_HOME unset") << QByteArray() << QByteArray("/HOME/.local/share/zumbarel");
        QTest::newRow("XDG_DATA_HOME relative")
            << QByteArray("data") << QByteArray("/HOME/.local/share/zumbarel");
    }
    void readOnlyProgramFolder_dataFolder()
    {
        QFETCH(QByteArray, xdgDataHome);
        QFETCH(QByteArray, expected);
        QTemporaryDir program;
        QTemporaryDir user;
        const QByteArray home = QFile::encodeName(user.path());
        const EnvironmentVariable homeVariable("HOME", home + "/home");
        const EnvironmentVariable dataVariable(
            "XDG_DATA_HOME", xdgDataHome.startsWith('/') ? home + xdgDataHome : xdgDataHome);
        const ReadOnlyFolder readOnly(program.path());
        const QByteArray folder = scoresFolderFor(QFile::encodeName(program.path()));
        QCOMPARE(folder, home + expected.replace("/HOME", "/home"));
        QVERIFY(!QFileInfo::exists(QFile::decodeName(folder)));
    }

    // ---- an installed copy's first use ----

    // The data folder's table starts from the one beside the program, and new entries go to the
    // data folder while the one beside the program stays as shipped.
    void firstUse_startsFromSeed_writesToDataFolder()
    {
        FakeServices fakes;
        QTemporaryDir user;
        const EnvironmentVariable data("XDG_DATA_HOME", QFile::encodeName(user.path()) + "/data");
        writeFileBytes(fakes.folder.dir.filePath(QStringLiteral("topten.txt")), seedTable + "tail");
        const ReadOnlyFolder readOnly(fakes.folder.path());
        fakes.folder.scores = scoresFolderFor(fakes.folder.nativePath());
        const LoggedMessages log;

        QCOMPARE(TopTenFile::read()[3].pointsValue(), 6);
        QCOMPARE(TopTenFile::path(), user.path() + QStringLiteral("/data/zumbarel/topten.txt"));
        QCOMPARE(fileBytes(TopTenFile::path()), seedTable);
        QVERIFY(TopTenFile::write(tableWithNewLeader()));
        QCOMPARE(fileBytes(TopTenFile::path()).left(13), QByteArray("NEW       99 "));
        QCOMPARE(TopTenFile::read()[0].pointsValue(), 99);
        QCOMPARE(fileBytes(fakes.folder.dir.filePath(QStringLiteral("topten.txt"))), seedTable + "tail");
        QCOMPARE(QFileInfo(user.path() + QStringLiteral("/data")).permissions() & QFile::ReadOther,
                 QFile::Permissions());
        QCOMPARE(log.messages(), QStringList());
    }

    // A first copy that the disk refuses leaves no table behind, which would hide the seed for
    // good, and is made at the next start.
    void firstUse_copyRefused_triedAgain()
    {
        FakeServices fakes;
        QTemporaryDir user;
        const EnvironmentVariable data("XDG_DATA_HOME", QFile::encodeName(user.path()) + "/data");
        writeFileBytes(fakes.folder.dir.filePath(QStringLiteral("topten.txt")), seedTable);
        const ReadOnlyFolder readOnly(fakes.folder.path());
        fakes.folder.scores = scoresFolderFor(fakes.folder.nativePath());
        const LoggedMessages log;
        {
            const FileSizeLimit full(20);
            TopTenFile::read();
        }
        QVERIFY(!QFileInfo::exists(TopTenFile::path()));
        QCOMPARE(log.messages().size(), 1);
        QCOMPARE(TopTenFile::read()[3].pointsValue(), 6);
        QCOMPARE(fileBytes(TopTenFile::path()), seedTable);
    }

    // Without a table beside the program, the first table is blank and is made by the first
    // entry, without a word in the log.
    void firstUse_withoutSeed_blankThenMade()
    {
        FakeServices fakes;
        QTemporaryDir user;
        const EnvironmentVariable data("XDG_DATA_HOME", QFile::encodeName(user.path()));
        const ReadOnlyFolder readOnly(fakes.folder.path());
        fakes.folder.scores = scoresFolderFor(fakes.folder.nativePath());
        const LoggedMessages log;

        QCOMPARE(TopTenFile::read()[0].Name, QString(10, QLatin1Char(' ')));
        QVERIFY(TopTenFile::write(tableWithNewLeader()));
        QCOMPARE(fileBytes(user.filePath(QStringLiteral("zumbarel/topten.txt"))).size(), 65);
        QVERIFY(!QFileInfo::exists(fakes.folder.dir.filePath(QStringLiteral("topten.txt"))));
        QCOMPARE(log.messages(), QStringList());
    }

    // A high score recorded with an installed copy's program folder lands in the user's data
    // folder, and the install tree is left as installed.
    void installedCopy_scoreLandsInDataFolder()
    {
        FakeServices fakes;
        QTemporaryDir user;
        const EnvironmentVariable data("XDG_DATA_HOME", QFile::encodeName(user.path()));
        const QByteArray installed = INSTALLED_ROOT "/lib/zumbarel";
        if (!QFileInfo::exists(QFile::decodeName(installed) + QStringLiteral("/brunza.wav")))
            QSKIP("the build tree, and the tree installed in it, are out of this user's reach");
        fakes.folder.scores = scoresFolderFor(installed);
        QVERIFY(TopTenFile::write(tableWithNewLeader()));
        QCOMPARE(fileBytes(user.filePath(QStringLiteral("zumbarel/topten.txt"))).left(13),
                 QByteArray("NEW       99 "));
        QVERIFY(!QFileInfo::exists(QFile::decodeName(installed) + QStringLiteral("/topten.txt")));
    }

    // A data folder that cannot be made never stops the program: the shipped table is shown,
    // the entry is not saved, and the cause is said once.
    void dataFolderCannotBeMade_goesOn_saysOnce()
    {
        FakeServices fakes;
        QTemporaryDir user;
        writeFileBytes(user.filePath(QStringLiteral("plain-file")), "x");
        const EnvironmentVariable data("XDG_DATA_HOME",
                                       QFile::encodeName(user.filePath(QStringLiteral("plain-file"))));
        writeFileBytes(fakes.folder.dir.filePath(QStringLiteral("topten.txt")), seedTable);
        const ReadOnlyFolder readOnly(fakes.folder.path());
        fakes.folder.scores = scoresFolderFor(fakes.folder.nativePath());
        const LoggedMessages log;

        QCOMPARE(TopTenFile::read()[0].pointsValue(), 50);
        QVERIFY(!TopTenFile::write(tableWithNewLeader()));
        QCOMPARE(TopTenFile::read()[0].pointsValue(), 50);
        QVERIFY(!TopTenFile::write(tableWithNewLeader()));
        QCOMPARE(log.messages().size(), 1);
        QVERIFY2(log.messages()[0].contains(QString::fromLocal8Bit(strerror(ENOTDIR))),
                 qPrintable(log.messages()[0]));
        QCOMPARE(fileBytes(fakes.folder.dir.filePath(QStringLiteral("topten.txt"))), seedTable);
    }
};

int main(int argc, char *argv[])
{
    if (!becomePlainUser())
        qFatal("cannot leave the superuser's rights");
    QCoreApplication app(argc, argv);
    TestScoresPlace test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scoresplace.moc"
