#include "loggedmessages.h"
#include "runtime/modulesound.h"

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
};

QTEST_GUILESS_MAIN(TestModuleSound)
#include "tst_modulesound.moc"
