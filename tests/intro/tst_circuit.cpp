// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/module1.h"
#include "app/windows.h"
#include "fakeruntime.h"
#include "game/form1.h"
#include "introwindow.h"

#include <QMenuBar>

using runtime::Form;
using runtime::FormId;
using runtime::Forms;

namespace {

QStringList journal;

Form &splash()
{
    return Forms::get(FormId::Form4);
}
Form &game()
{
    return Forms::get(FormId::Form1);
}

// The menu bar's items act at once: there is no list to open.
void chooseAbout()
{
    QMenuBar *bar = intro::control<QMenuBar>("menuBar");
    QStringList items;
    for (const QAction *action : bar->actions()) {
        QVERIFY(action->menu() == nullptr);
        items << action->text();
    }
    QCOMPARE(items, (QStringList{"Acerca de..", "Progreso"}));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().first()).center());
}

void clickOnGame(const char *button)
{
    QTest::mouseClick(game().window()->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
}

// Start-up up to the moment the splash window has handed over.
void startAndHandOver(FakeRuntime &fakes)
{
    Module1::Main();
    fakes.timers.advance(25000);
}

} // namespace

// The program's windows together: the splash, the introduction window and the game window.
class TestCircuit : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        journal.clear();
        registerWindows();
        // The game window is made at its first reference: note what the introduction window is
        // doing at that moment.
        Forms::setFactory(FormId::Form1, [] {
            Form &introduction = intro::window();
            journal << QStringLiteral("game made; intro loaded=%1 visible=%2")
                           .arg(introduction.isLoaded())
                           .arg(introduction.isLoaded() && introduction.window()->isVisible());
            return std::make_unique<Form1>();
        });
    }

    // The splash's close loads the introduction window, then the game window, both hidden, and
    // then shows the introduction window, which greets one second later.
    void startup_loadsIntroThenGame_showsIntro()
    {
        FakeRuntime fakes;
        startAndHandOver(fakes);
        QCOMPARE(journal, QStringList{QStringLiteral("game made; intro loaded=1 visible=0")});
        QVERIFY(!splash().isLoaded());
        QVERIFY(intro::window().isVisible());
        QVERIFY(game().isLoaded() && !game().window()->isVisible());
        QCOMPARE(Forms::active(), &intro::window());
        fakes.timers.advance(1000);
        QCOMPARE(fakes.sound.names(), (QStringList{"brunza.wav", "welcom98.wav"}));
    }

    // "Ir al juego" shows the game and closes this window; the game's back button brings it
    // back, greeting anew.
    void introToGameAndBack()
    {
        FakeRuntime fakes;
        startAndHandOver(fakes);
        intro::click("cmdAvanzar");
        intro::click("Command1");
        QVERIFY(game().window()->isVisible());
        QCOMPARE(Forms::active(), &game());
        QVERIFY(!intro::window().isLoaded());

        clickOnGame("command3");
        QVERIFY(!game().isLoaded());
        QVERIFY(intro::window().isVisible());
        QCOMPARE(Forms::active(), &intro::window());
        fakes.sound.paths.clear();
        fakes.timers.advance(1000);
        QCOMPARE(intro::text(), QStringLiteral("Bienvenido a \n\"Zumbarel\""));
        intro::click("cmdAvanzar");
        QCOMPARE(fakes.sound.names(), (QStringList{"welcom98.wav", "morse_i.wav"}));
    }

    // Over the introduction window the about panel closes after its 25 seconds and hands over
    // to nothing; the welcome went on meanwhile.
    void aboutOverIntro()
    {
        FakeRuntime fakes;
        startAndHandOver(fakes);
        chooseAbout();
        QVERIFY(splash().isVisible());
        QCOMPARE(Forms::active(), &splash());
        fakes.timers.advance(6000);
        QCOMPARE(intro::text(),
                 QStringLiteral("Ahora te vamos a presentar las letras con las que vas a jugar"));
        fakes.timers.advance(19000);
        QVERIFY(!splash().isLoaded());
        QVERIFY(intro::window().isVisible());
        QVERIFY(!game().window()->isVisible());
        QCOMPARE(Forms::active(), &intro::window());
    }

    // Left open while the player goes to the game, the about panel loads the introduction
    // window hidden when it closes, and shows nothing.
    void aboutOverGame()
    {
        FakeRuntime fakes;
        startAndHandOver(fakes);
        chooseAbout();
        intro::click("Command1");
        QVERIFY(!intro::window().isLoaded());
        fakes.timers.advance(25000);
        QVERIFY(!splash().isLoaded());
        QVERIFY(intro::window().isLoaded() && !intro::window().window()->isVisible());
        QVERIFY(game().window()->isVisible());
        QCOMPARE(Forms::active(), &game());
    }

    // The introduction window loaded hidden behind the game keeps its welcome going, without a
    // sound: no greeting cuts off the characters of a game.
    void aboutOverGame_hiddenIntroStaysQuiet()
    {
        FakeRuntime fakes;
        startAndHandOver(fakes);
        chooseAbout();
        intro::click("Command1");
        fakes.timers.advance(25000);
        QVERIFY(intro::window().isLoaded() && !intro::window().window()->isVisible());
        fakes.sound.paths.clear();
        fakes.timers.advance(120000);
        QVERIFY2(!fakes.sound.names().contains(QStringLiteral("welcom98.wav")),
                 qPrintable(fakes.sound.names().join(' ')));
        // Its steps and texts went on meanwhile.
        QVERIFY(!intro::text().isEmpty());
    }

    // The exit button ends the program at once, the open about panel included: its closing
    // hand-over never runs, so nothing is loaded again.
    void exit_endsProgram()
    {
        FakeRuntime fakes;
        startAndHandOver(fakes);
        chooseAbout();
        intro::click("command3");
        QVERIFY(Forms::hasEnded());
        QCOMPARE(fakes.programEnd.calls, 1);
        QVERIFY(!splash().isLoaded() && !intro::window().isLoaded() && !game().isLoaded());
        fakes.timers.advance(60000);
        QCOMPARE(fakes.timers.running(), 0);
    }
};

QTEST_MAIN(TestCircuit)
#include "tst_circuit.moc"
