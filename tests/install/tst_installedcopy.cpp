// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulsetestserver.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

class TestInstalledCopy : public QObject
{
    Q_OBJECT
private slots:
    // The installed launcher starts the game, which finds its start-up sound beside itself and
    // plays it, reports nothing missing, and runs until it is stopped.
    void launcher_playsStartSound_runsUntilStopped()
    {
        PulseTestServer server;
        QVERIFY2(server.start(), qPrintable(server.log()));
        MonitorRecorder monitor(server.address());
        QVERIFY(monitor.start());
        QTemporaryDir home;

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("PULSE_SERVER"), server.address());
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(INSTALLED_ROOT "/games/zumbarel"), {});
        QVERIFY(program.waitForStarted(5000));

        // The start-up sound is a keyed tone: well above silence once it reaches the sink.
        bool heard = false;
        for (int waited = 0; waited < 10000 && !heard; waited += 100) {
            QTest::qWait(100);
            for (float sample : monitor.samples(0, monitor.frames()))
                heard = heard || std::fabs(sample) > 0.05f;
        }
        QVERIFY2(heard, qPrintable(QString::fromUtf8(program.readAllStandardError())));
        QTest::qWait(2000);
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        const QString log = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(!log.contains(QLatin1String("zumbarel.sound")) && !log.contains(QLatin1String("cannot")),
                 qPrintable(log));
        QVERIFY(!QFile::exists(QStringLiteral(INSTALLED_ROOT "/lib/zumbarel/topten.txt")));
    }
};

QTEST_GUILESS_MAIN(TestInstalledCopy)
#include "tst_installedcopy.moc"
