#include "runtime/recordfile.h"

#include <QTemporaryDir>
#include <QTest>

using runtime::RecordFile;

class TestRecordFile : public QObject
{
    Q_OBJECT
private slots:
    // Opening a missing file creates it, empty; reading past its end gives nothing.
    void open_missingFile_createsEmpty()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("records.dat"));
        RecordFile file(path, 13);
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
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::WriteOnly));
        raw.write(QByteArray(3 * 4, 'x') + "TAIL");
        raw.close();

        RecordFile file(path, 4);
        QVERIFY(file.open());
        QVERIFY(file.write(2, "bbbbcccc"));
        QCOMPARE(file.read(2), std::optional<QByteArray>("bbbb"));
        QCOMPARE(file.read(4), std::optional<QByteArray>("TAIL"));
        QCOMPARE(file.read(5), std::nullopt);
        QVERIFY(!file.write(1, "abc"));
        file.close();

        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(raw.readAll(), QByteArray("xxxxbbbbccccTAIL"));
    }

    void open_impossiblePath_fails()
    {
        QTemporaryDir dir;
        RecordFile file(dir.path(), 13);
        QVERIFY(!file.open());
        QCOMPARE(file.read(1), std::nullopt);
    }
};

QTEST_APPLESS_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
