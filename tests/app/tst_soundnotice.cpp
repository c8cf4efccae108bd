// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form4.h"
#include "fakeruntime.h"
#include "pulsetestserver.h"
#include "runtime/forms.h"
#include "runtime/soundnotice.h"
#include "sound/pulseplayer.h"

#include <QLabel>
#include <QTest>

using runtime::FormId;
using runtime::Forms;

// With the real player and no sound server to answer it, the splash says on screen that nothing
// can be heard; once a server answers, the notice goes.
class TestSoundNotice : public QObject
{
    Q_OBJECT
private slots:
    void noServer_noticeUntilOneAnswers()
    {
        FakeRuntime fakes;
        PulseTestServer server;
        sound::PulsePlayer player(server.address());
        platform::Services withPlayer = platform::services();
        withPlayer.sound = &player;
        const platform::Installed installed(withPlayer);
        const runtime::SoundServerNotice notice(player);
        Forms::setFactory(FormId::Form4, [] { return std::make_unique<Form4>(); });

        Forms::get(FormId::Form4).show();
        QWidget *splash = Forms::get(FormId::Form4).window();
        auto *line = splash->findChild<QLabel *>(QStringLiteral("soundNotice"));
        QVERIFY(line);
        QCOMPARE(line->text(), QString::fromUtf8(runtime::SoundServerNotice::Text));
        QTRY_VERIFY_WITH_TIMEOUT(line->isVisible(), 5000);
        QVERIFY(splash->rect().contains(line->geometry()));

        QVERIFY2(server.start(), qPrintable(server.log()));
        // The player tries the server again when it is next asked to play, as the game does.
        QElapsedTimer waited;
        waited.start();
        while (line->isVisible() && waited.elapsed() < 10000) {
            player.play(QString());
            QTest::qWait(200);
        }
        QVERIFY(!line->isVisible());
    }
};

QTEST_MAIN(TestSoundNotice)
#include "tst_soundnotice.moc"
