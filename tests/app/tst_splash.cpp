// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form4.h"
#include "app/module1.h"
#include "app/windows.h"
#include "fakeruntime.h"
#include "runtime/formwindow.h"
#include "standinwindow.h"

#include <QLabel>
#include <QTest>

using runtime::Form;
using runtime::FormId;
using runtime::Forms;

namespace {

QStringList journal;

Form &splash()
{
    return Forms::get(FormId::Form4);
}
Form &intro()
{
    return Forms::get(FormId::Form2);
}
Form &game()
{
    return Forms::get(FormId::Form1);
}

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        journal.clear();
        registerWindows();
        Forms::setFactory(FormId::Form1,
                          [] { return std::make_unique<StandInWindow>(QStringLiteral("game"), journal); });
        Forms::setFactory(FormId::Form2,
                          [] { return std::make_unique<StandInWindow>(QStringLiteral("intro"), journal); });
    }

    // ---- start-up ----

    // With no input the splash stays 25 seconds, then loads the introduction window, then the
    // game window, both hidden, and shows the introduction window.
    void startup_withoutInput_handsOverAfter25Seconds()
    {
        FakeRuntime fakes;
        Module1::Main();
        QVERIFY(splash().isLoaded() && splash().window()->isVisible());
        QCOMPARE(Module1::StartSound, QStringLiteral("brunza.wav"));
        QCOMPARE(fakes.sound.names(), QStringList{QStringLiteral("brunza.wav")});
        fakes.timers.advance(24999);
        QVERIFY(splash().isLoaded());
        QVERIFY(journal.isEmpty());
        fakes.timers.advance(1);
        QVERIFY(!splash().isLoaded());
        QCOMPARE(journal, (QStringList{"intro:Load", "game:Load", "intro:Activate"}));
        QVERIFY(intro().isVisible());
        QVERIFY(game().isLoaded() && !game().isVisible());
        QCOMPARE(Forms::active(), &intro());
    }

    // A double-click on the blue surface closes at once; no tick follows.
    void doubleClickOnSurface_closesAtOnce()
    {
        FakeRuntime fakes;
        Module1::Main();
        fakes.timers.advance(3000);
        QTest::mouseDClick(splash().window(), Qt::LeftButton, {}, QPoint(320, 40));
        QVERIFY(!splash().isLoaded());
        QCOMPARE(journal, (QStringList{"intro:Load", "game:Load", "intro:Activate"}));
        fakes.timers.advance(60000);
        QCOMPARE(journal.size(), 3);
        QCOMPARE(fakes.timers.running(), 0);
    }

    // A double-click on a label or picture is that control's, not the window's.
    void doubleClickOnControls_keepsSplash()
    {
        FakeRuntime fakes;
        Module1::Main();
        for (const char *name : {"Label1", "Label2", "Picture1", "Image1", "Label5"}) {
            QWidget *control = splash().window()->findChild<QWidget *>(QLatin1String(name));
            QVERIFY2(control, name);
            QTest::mouseDClick(control, Qt::LeftButton, {}, QPoint(3, 3));
        }
        QVERIFY(splash().isLoaded());
        QVERIFY(journal.isEmpty());
    }

    // ---- the about panel ----

    // Shown over the visible introduction window, the splash hands over to nothing.
    void aboutOverIntro_showsNothingOnClose()
    {
        FakeRuntime fakes;
        Module1::Main();
        fakes.timers.advance(25000);
        journal.clear();
        splash().show();
        fakes.timers.advance(25000);
        QVERIFY(!splash().isLoaded());
        QCOMPARE(journal, QStringList{QStringLiteral("intro:Activate")});
        QVERIFY(intro().isVisible());
        QVERIFY(!game().isVisible());
    }

    // Shown again while on screen, it keeps the time its timer has already counted.
    void aboutWhileOnScreen_keepsFirstTimer()
    {
        FakeRuntime fakes;
        Module1::Main();
        fakes.timers.advance(20000);
        splash().show();
        fakes.timers.advance(5000);
        QVERIFY(!splash().isLoaded());
    }

    // Closing over the game window after the introduction window was unloaded loads the
    // introduction window hidden (its load step runs) and shows nothing.
    void aboutOverGame_loadsIntroHidden()
    {
        FakeRuntime fakes;
        Module1::Main();
        fakes.timers.advance(25000);
        game().show();
        intro().unload();
        splash().show();
        journal.clear();
        fakes.timers.advance(25000);
        QCOMPARE(journal, (QStringList{"intro:Load", "game:Activate"}));
        QVERIFY(intro().isLoaded() && !intro().isVisible());
        QVERIFY(game().isVisible());
    }

    // ---- layout ----

    // A blue panel without a title bar, of its design size, with the picture box sized to its
    // 75 x 105 picture and every label readable.
    void layout_designSizesAndTexts()
    {
        FakeRuntime fakes;
        QWidget *window = splash().window();
        // The client area of the design, inside the thin frame the window draws itself.
        const int frame = runtime::FormWindow::DrawnFrameWidth;
        QCOMPARE(window->size(), QSize(330 + 2 * frame, 224 + 2 * frame));
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        auto *picture = window->findChild<QLabel *>(QStringLiteral("Picture1"));
        QCOMPARE(picture->size(), QSize(75, 105));
        QCOMPARE(picture->pos(), QPoint(232 + frame, 8 + frame));
        QVERIFY(!picture->pixmap().isNull());
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Image2"))->size(), QSize(193, 25));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Zumbarel"));
        // The about text fills its lines, and the closing greeting has the last line to itself.
        const auto *about = window->findChild<QLabel *>(QStringLiteral("Label1"));
        const QString greeting = QStringLiteral("73\u00a0y\u00a0buen\u00a0DX");
        QVERIFY(about->text().endsWith(greeting));
        const auto lines = [about](const QString &text) {
            const QRect wrapped =
                about->fontMetrics().boundingRect(about->contentsRect(), Qt::TextWordWrap, text);
            return wrapped.height() / about->fontMetrics().lineSpacing();
        };
        const QString sentences = about->text().chopped(greeting.size()).trimmed();
        QCOMPARE(lines(about->text()), lines(sentences) + 1);
        QVERIFY(lines(about->text()) * about->fontMetrics().lineSpacing() <= about->contentsRect().height());
        QVERIFY(!window->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().isNull());
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
