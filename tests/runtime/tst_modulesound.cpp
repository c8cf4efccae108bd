#include "loggedmessages.h"
#include "runtime/firstframe.h"
#include "runtime/modulesound.h"

#include <QElapsedTimer>
#include <QLibrary>
#include <QTest>

using runtime::ModuleSound;

class TestModuleSound : public QObject
{
    Q_OBJECT
private slots:
    // What is asked while the module loads reaches its player once it is made: the newest play
    // and every prepare. From then on each call goes straight through.
    void askedWhileLoading_handedOnOnceMade()
    {
        QLibrary module(QStringLiteral(RECORDING_MODULE));
        QVERIFY2(module.load(), qPrintable(module.errorString()));
        const auto release = reinterpret_cast<void (*)()>(module.resolve("release_sound_output"));
        const auto recorded = reinterpret_cast<QStringList (*)()>(module.resolve("recorded_sound_calls"));
        QVERIFY(release && recorded);

        ModuleSound sound(QStringLiteral(RECORDING_MODULE));
        sound.play(QStringLiteral("a.wav"));
        sound.prepare({QStringLiteral("x.wav")});
        sound.play(QStringLiteral("b.wav"));
        sound.prepare({QStringLiteral("y.wav"), QStringLiteral("z.wav")});
        QVERIFY(recorded().isEmpty());
        release();
        const QStringList whileLoading{QStringLiteral("play b.wav"),
                                       QStringLiteral("prepare x.wav y.wav z.wav")};
        QTRY_COMPARE_WITH_TIMEOUT(recorded(), whileLoading, 5000);
        sound.play(QStringLiteral("c.wav"));
        QCOMPARE(recorded(), whileLoading + QStringList{QStringLiteral("play c.wav")});
    }

    // Without its module the program stays silent, says so once, and ends at once.
    void missingModule_silentWithOneWarning()
    {
        LoggedMessages log;
        {
            ModuleSound sound(QStringLiteral("/nonexistent/zumbarel-sound.so"));
            sound.play(QStringLiteral("a.wav"));
            sound.prepare({QStringLiteral("x.wav")});
        }
        QCOMPARE(LoggedMessages::messages().filter(QStringLiteral("cannot load the sound module")).size(), 1);
    }

    // Work held for the first frame waits for a window to be drawn, then runs once, on the loop;
    // a thread waiting for it is let go at the same moment. Last: the first frame comes once.
    void firstFrame_heldWorkRunsOnceAfterTheFirstDraw()
    {
        int runs = 0;
        runtime::FirstFrame::then([&runs] { ++runs; }, std::chrono::seconds(30));
        QTest::qWait(50);
        QCOMPARE(runs, 0);
        QElapsedTimer waited;
        waited.start();
        runtime::FirstFrame::waitFor(std::chrono::milliseconds(50));
        QVERIFY(waited.elapsed() >= 40);

        runtime::FirstFrame::drawn();
        runtime::FirstFrame::drawn();
        QCOMPARE(runs, 0); // not before the frame has been handed on
        QTRY_COMPARE(runs, 1);
        QTest::qWait(20);
        QCOMPARE(runs, 1);
        waited.restart();
        runtime::FirstFrame::waitFor(std::chrono::seconds(30));
        QVERIFY(waited.elapsed() < 1000);
    }
};

QTEST_GUILESS_MAIN(TestModuleSound)
#include "tst_modulesound.moc"
