// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Copies a file by its native path, keeping it executable.
bool copyInto(const QString &from, const QByteArray &folder, const QByteArray &name)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray target = folder + '/' + name;
    QFile copy;
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    return fd >= 0 && copy.open(fd, QIODevice::WriteOnly, QFile::AutoCloseHandle) &&
           copy.write(source.readAll()) == source.size();
}

QMap<QString, QString> answers(const QByteArray &output)
{
    QMap<QString, QString> result;
    for (const QByteArray &line : output.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            result.insert(QString::fromLatin1(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return result;
}

} // namespace

class TestProgramFolder : public QObject
{
    Q_OBJECT
private slots:
    // A program folder named with Latin-1 bytes, not UTF-8, is found byte for byte: its sounds
    // are found and its table is read and written there, not anywhere else.
    void latin1Folder_soundsAndTableFound()
    {
        QTemporaryDir top;
        const QByteArray folder = QFile::encodeName(top.path()) + "/Juegos de Mar\xed"
                                                                  "a";
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        QVERIFY(copyInto(QStringLiteral(PROBE_PATH), folder, "probe"));
        QVERIFY(copyInto(QStringLiteral(PROGRAM_DIR "/brunza.wav"), folder, "brunza.wav"));
        const QByteArray table = "LUIS      70 " + QByteArray(52, ' ');
        const QByteArray tablePath = folder + "/topten.txt";
        {
            const int fd = ::open(tablePath.constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, table.constData(), size_t(table.size())), ssize_t(table.size()));
            ::close(fd);
        }

        // QProcess takes file names as text, which cannot spell this one: the probe is started
        // through a handle on its folder, and the system still knows it by its real name.
        const int dir = ::open(folder.constData(), O_PATH | O_DIRECTORY);
        QVERIFY(dir >= 0);
        QProcess probe;
        probe.start(QStringLiteral("/proc/%1/fd/%2/probe").arg(QCoreApplication::applicationPid()).arg(dir),
                    {});
        QVERIFY(probe.waitForStarted(5000));
        QVERIFY(probe.waitForFinished(20000));
        ::close(dir);
        const QMap<QString, QString> said = answers(probe.readAllStandardOutput());
        QCOMPARE(said.value(QStringLiteral("folder")), QString::fromLatin1(folder.toHex()));
        QCOMPARE(said.value(QStringLiteral("scores")), QString::fromLatin1(folder.toHex()));
        QCOMPARE(said.value(QStringLiteral("sound")), QStringLiteral("1"));
        QCOMPARE(said.value(QStringLiteral("leader")), QStringLiteral("LUIS"));
        QCOMPARE(said.value(QStringLiteral("written")), QStringLiteral("1"));
        QFile written;
        const int fd = ::open(tablePath.constData(), O_RDONLY);
        QVERIFY(fd >= 0 && written.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle));
        QCOMPARE(written.readAll().mid(52, 13), QByteArray("PROBE     1  "));
        // QTemporaryDir cannot spell the folder's name either.
        for (const char *name : {"probe", "brunza.wav", "topten.txt"})
            ::unlink((folder + '/' + name).constData());
        QCOMPARE(::rmdir(folder.constData()), 0);
    }

    // Plug-in folders planted beside the program are never searched, while Qt's own are. And a
    // file-size limit cannot kill the program in the middle of a write: it ignores SIGXFSZ.
    void plantedPluginFolders_notSearched()
    {
        QTemporaryDir folder;
        QVERIFY(copyInto(QStringLiteral(PROGRAM_PATH), QFile::encodeName(folder.path()), "zumbarel"));
        for (const char *kind : {"platforms", "styles", "imageformats", "iconengines"}) {
            QVERIFY(QDir(folder.path()).mkdir(QLatin1String(kind)));
            QFile planted(folder.filePath(QLatin1String(kind) + QStringLiteral("/libqplanted.so")));
            QVERIFY(planted.open(QIODevice::WriteOnly));
            planted.write("not a library");
        }
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
        program.setProcessEnvironment(environment);
        program.start(folder.filePath(QStringLiteral("zumbarel")), {});
        QVERIFY(program.waitForStarted(5000));
        // The platform, style and picture plug-ins are all looked for before the first window
        // is on the screen.
        QTest::qWait(2000);
        QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
        QVERIFY(status.open(QIODevice::ReadOnly));
        QByteArray ignored;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("SigIgn:"))
                ignored = line.mid(7).trimmed();
        QVERIFY2(ignored.toULongLong(nullptr, 16) & (1ULL << (SIGXFSZ - 1)), ignored.constData());
        program.kill();
        program.waitForFinished(5000);
        const QString log = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(log.contains(QLatin1String("plugins/platforms")), qPrintable(log.left(2000)));
        QVERIFY2(log.contains(QLatin1String("plugins/imageformats")), qPrintable(log.left(2000)));
        QVERIFY2(!log.contains(QStringLiteral("checking directory path \"") + folder.path()),
                 qPrintable(log.left(4000)));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
