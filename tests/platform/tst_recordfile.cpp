// SPDX-License-Identifier: GPL-3.0-or-later
#include "filebytes.h"
#include "filesizelimit.h"
#include "platform/recordfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::RecordFile;

class TestRecordFile : public QObject
{
    Q_OBJECT
private slots:
    // ---- records ----

    // Opening a missing file creates it, empty; reading past its end gives nothing.
    void open_missingFile_createsEmpty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("records.dat"));
        RecordFile file(QFile::encodeName(path), 13);
        QVERIFY(file.open());
        QCOMPARE(file.read(1), std::nullopt);
        file.close();
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    // Record n lies at byte (n - 1) x length; writing leaves the bytes around it untouched.
    void records_atTheirOffsets_restUntouched()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("records.dat"));
        writeFileBytes(path, QByteArray(3 * 4, 'x') + "TAIL");

        RecordFile file(QFile::encodeName(path), 4);
        QVERIFY(file.open());
        QVERIFY(file.write(2, "bbbbcccc"));
        QCOMPARE(file.read(2), std::optional<QByteArray>("bbbb"));
        QCOMPARE(file.read(4), std::optional<QByteArray>("TAIL"));
        QCOMPARE(file.read(5), std::nullopt);
        QVERIFY(!file.write(1, "abc"));
        file.close();
        QCOMPARE(fileBytes(path), QByteArray("xxxxbbbbccccTAIL"));
    }

    // ---- what may stand at the path ----

    // A link is never followed: its target is neither read, written nor created.
    void links_notFollowed_targetUntouched()
    {
        QTemporaryDir dir;
        const QString victim = dir.filePath(QStringLiteral("victim"));
        writeFileBytes(victim, "precious bytes");
        const QString link = dir.filePath(QStringLiteral("records.dat"));
        QVERIFY(QFile::link(victim, link));
        RecordFile linked(QFile::encodeName(link), 4);
        QVERIFY(!linked.open());
        QVERIFY(!linked.write(1, "abcd"));
        QVERIFY(linked.errorString().contains(QLatin1String("symbolic link")));
        QCOMPARE(fileBytes(victim), QByteArray("precious bytes"));

        const QString nowhere = dir.filePath(QStringLiteral("not-yet"));
        const QString dangling = dir.filePath(QStringLiteral("dangling.dat"));
        QVERIFY(QFile::link(nowhere, dangling));
        RecordFile danglingFile(QFile::encodeName(dangling), 4);
        QVERIFY(!danglingFile.open());
        QVERIFY(!QFileInfo::exists(nowhere));
    }

    // A FIFO or a folder in the file's place is refused at once, with the cause named.
    void fifoOrFolder_refusedWithoutWaiting()
    {
        QTemporaryDir dir;
        const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("fifo")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QElapsedTimer clock;
        clock.start();
        RecordFile fifoFile(fifo, 13);
        QVERIFY(!fifoFile.open());
        QCOMPARE(fifoFile.errorString(), QStringLiteral("not a regular file"));
        QVERIFY(clock.elapsed() < 2000);

        RecordFile folder(QFile::encodeName(dir.path()), 13);
        QVERIFY(!folder.open());
        QCOMPARE(folder.errorString(), QString::fromLocal8Bit(strerror(EISDIR)));
        QCOMPARE(folder.read(1), std::nullopt);
    }

    // A file that may not be written is read, and a write names the real cause.
    void readOnlyFile_readable_writeGivesCause()
    {
        if (geteuid() == 0)
            QSKIP("file permissions do not bind the superuser");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("records.dat"));
        writeFileBytes(path, "abcd");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        RecordFile file(QFile::encodeName(path), 4);
        QVERIFY(file.open());
        QCOMPARE(file.read(1), std::optional<QByteArray>("abcd"));
        QVERIFY(!file.write(1, "wxyz"));
        QCOMPARE(file.errorString(), QString::fromLocal8Bit(strerror(EACCES)));
    }

    // ---- writes that fail half-way ----

    // A write the system cuts short and then refuses is reported, and the file holds its old
    // records again, length included: never a mix of old and new.
    void shortWrite_reported_oldBytesBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("records.dat"));
        writeFileBytes(path, "OLD1");
        RecordFile file(QFile::encodeName(path), 4);
        QVERIFY(file.open());
        {
            const FileSizeLimit limit(10);
            QVERIFY(!file.write(1, "new1new2new3new4"));
        }
        QCOMPARE(file.errorString(), QString::fromLocal8Bit(strerror(EFBIG)));
        file.close();
        QCOMPARE(fileBytes(path), QByteArray("OLD1"));

        // In place over old records it needs no room, and goes through.
        writeFileBytes(path, QByteArray(16, 'o'));
        QVERIFY(file.open());
        {
            const FileSizeLimit limit(16);
            QVERIFY(file.write(1, "new1new2new3new4"));
        }
        QCOMPARE(fileBytes(path), QByteArray("new1new2new3new4"));
    }
};

QTEST_APPLESS_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
