// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeruntime.h"
#include "filebytes.h"
#include "game/form1.h"
#include "gamewindow.h"
#include "progress/progressfile.h"
#include "scores/scoretobeat.h"
#include "standinwindow.h"
#include "windowcontrols.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

using runtime::FormId;
using runtime::Forms;

namespace {

QStringList journal;

// The windows loaded, in order, from the journal of the stand-ins for the introduction and
// name-entry windows.
QStringList loads()
{
    QStringList names;
    for (const QString &entry : std::as_const(journal))
        if (entry.endsWith(QLatin1String(":Load")))
            names << entry.chopped(5);
    return names;
}

const QColor Green(0, 192, 0);
const QString LevelTitle = QStringLiteral("¡Enhorabuena, lo has logrado!");
const QString WrongTitle = QStringLiteral("¡Lo siento, has fallado!");
const QString FinishedTitle = QStringLiteral("¡Enhorabuena, Has llegado hasta el final!");
const QString AgainText = QStringLiteral("¿quieres volver a jugar?");

// The game window's controls by name.
template <class T> T *ui(const char *name)
{
    return control<T>(game(), name);
}

QColor levelColour()
{
    return ui<QLabel>("lblNivel")->palette().color(QPalette::WindowText);
}

QColor buttonColour(int index)
{
    return game().Command1(index)->palette().color(QPalette::Button);
}

QColor buttonFace()
{
    return ui<QPushButton>("Command2")->palette().color(QPalette::Button);
}

// A scroll bar arrow or track area, as the desktop draws it.
void clickChooser(QStyle::SubControl part)
{
    QScrollBar *bar = ui<QScrollBar>("VScroll1");
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    const QRect area = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
    QVERIFY(!area.isEmpty());
    QTest::mouseClick(bar, Qt::LeftButton, {}, area.center());
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeRuntime> fakes;

    // The draw that makes entry `target` the next target at `level`.
    void willDraw(int target, int level) { fakes->random.draws << (target - 0.5) / level; }

    void start()
    {
        game().show();
        click(ui<QPushButton>("Command2"));
    }

    // Answers right `count` times at the current level, drawing E each time.
    void answerRight(int count)
    {
        for (int i = 0; i < count; ++i) {
            fakes->random.draws << 0.0;
            click(game().Command1(game().round().target() - 1));
        }
    }

    QString lastSound() const { return fakes->sound.names().value(fakes->sound.paths.size() - 1); }

private slots:
    void init()
    {
        journal.clear();
        fakes = std::make_unique<FakeRuntime>();
        Module1::ScoreToBeat = 0;
        Forms::setFactory(FormId::Form1, [] { return std::make_unique<Form1>(); });
        Forms::setFactory(FormId::Form2,
                          [] { return std::make_unique<StandInWindow>(QStringLiteral("intro"), journal); });
        Forms::setFactory(FormId::Form3,
                          [] { return std::make_unique<StandInWindow>(QStringLiteral("name"), journal); });
    }

    // The fakes go first, whatever the checks find, so that no later test meets a real service.
    void cleanup()
    {
        const int unexpected = fakes->questions.unexpected;
        fakes.reset();
        QCOMPARE(unexpected, 0);
    }

    // ---- loading ----

    // A fresh window waits at level 3 in red, every character button off, score "000".
    void load_waitsAtLevelThree()
    {
        QVERIFY(!game().isVisible());
        for (int i = 0; i < 36; ++i) {
            QVERIFY(!game().Command1(i)->isEnabled());
            QCOMPARE(buttonColour(i), buttonFace());
        }
        QCOMPARE(ui<QLabel>("lblNivel")->text(), QStringLiteral("3"));
        QCOMPARE(levelColour(), QColor(255, 0, 0));
        QCOMPARE(game().chooserValue(), 3);
        QCOMPARE(game().round().level(), 3);
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("000"));
        QVERIFY(ui<QPushButton>("Command2")->isEnabled() && ui<QPushButton>("cmdRepetir")->isEnabled());
        QCOMPARE(ui<QPushButton>("Command4")->text(), QStringLiteral("?"));
        QVERIFY(fakes->sound.paths.isEmpty());
    }

    // ---- rounds ----

    // The first round at level 3 reseeds from the clock, draws from E, I, S only and colours
    // only their buttons.
    void firstRound_drawsFromFirstThree()
    {
        fakes->clock.seconds = 3600.5f;
        fakes->random.draws << 0.9999;
        start();
        QCOMPARE(game().round().target(), 3);
        QCOMPARE(fakes->random.seeds, QList<float>{3600.5f});
        QCOMPARE(fakes->sound.names(), QStringList{QStringLiteral("morse_s.wav")});
        QCOMPARE(fakes->sound.paths, QStringList{fakes->folder.path() + QStringLiteral("/morse_s.wav")});
        for (int i = 0; i < 36; ++i) {
            QCOMPARE(game().Command1(i)->isEnabled(), i < 3);
            QCOMPARE(buttonColour(i), i < 3 ? Green : buttonFace());
        }
        QVERIFY(!ui<QPushButton>("Command2")->isEnabled());
        QVERIFY(ui<QPushButton>("cmdRepetir")->isEnabled());
    }

    // Each right answer scores a point and draws again at once, reseeding before the draw.
    void rightAnswer_scoresAndDrawsNext()
    {
        willDraw(1, 3);
        start();
        willDraw(2, 3);
        click(game().Command1(0));
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("1"));
        QCOMPARE(game().round().levelHits(), 1.0f);
        QCOMPARE(fakes->random.seeds.size(), 2);
        QCOMPARE(fakes->sound.names(), (QStringList{"morse_e.wav", "morse_i.wav"}));
        QVERIFY(fakes->questions.asked.isEmpty());
    }

    // The tenth right answer plays "bien.wav" and asks; Yes brings H in and paints "4".
    void levelComplete_yes_bringsNextCharacterIn()
    {
        start();
        answerRight(9);
        fakes->questions.answers << platform::Yes;
        willDraw(4, 4);
        click(game().Command1(0));
        QCOMPARE(fakes->questions.asked.size(), 1);
        QCOMPARE(fakes->questions.asked[0].title, LevelTitle);
        QCOMPARE(fakes->questions.asked[0].spoken, QStringLiteral("Llevas 10 puntos."));
        QCOMPARE(fakes->questions.asked[0].text, QStringLiteral("¿quieres pasar al siguiente nivel?"));
        QVERIFY(fakes->questions.asked[0].exclamation);
        QCOMPARE(fakes->sound.names().mid(10), (QStringList{"bien.wav", "morse_h.wav"}));
        QCOMPARE(ui<QLabel>("lblNivel")->text(), QStringLiteral("4"));
        QCOMPARE(levelColour(), QColor(227, 28, 0));
        QCOMPARE(game().chooserValue(), 4);
        QVERIFY(game().Command1(3)->isEnabled());
        QCOMPARE(buttonColour(3), Green);
        QVERIFY(!game().Command1(4)->isEnabled());
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("10"));
        QCOMPARE(game().round().levelHits(), 0.0f);
    }

    // Declining the next level leaves for the introduction window and plays nothing more.
    void levelComplete_no_leavesWithoutAnotherRound()
    {
        start();
        answerRight(9);
        fakes->questions.answers << platform::No;
        click(game().Command1(0));
        QCOMPARE(lastSound(), QStringLiteral("bien.wav"));
        QVERIFY(!game().isLoaded());
        QVERIFY(Forms::get(FormId::Form2).isVisible());
        QCOMPARE(loads(), (QStringList{"name", "intro"}));
        QCOMPARE(Module1::ScoreToBeat, 10.0);
        QCOMPARE(game().round().score(), 0);
        QCOMPARE(game().round().levelHits(), 0.0f);
    }

    // The level label's colour on advancing to level L: red fading to green.
    void advance_colourRows_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("L = 19") << 18 << QColor(124, 131, 0);
        QTest::newRow("L = 36") << 35 << QColor(7, 248, 0);
    }
    void advance_colourRows()
    {
        QFETCH(int, from);
        QFETCH(QColor, colour);
        game().setChooserValue(from);
        start();
        answerRight(9);
        fakes->questions.answers << platform::Yes;
        click(game().Command1(0));
        QCOMPARE(levelColour(), colour);
        QCOMPARE(ui<QLabel>("lblNivel")->text(), QString::number(from + 1));
    }

    // ---- the finished game ----

    // Completing level 36 paints pure green, keeps "36" and ends the game without a draw.
    void levelThirtySixComplete_finishesWithoutDraw()
    {
        game().setChooserValue(36);
        start();
        answerRight(9);
        const auto draws = fakes->random.seeds.size();
        QColor colourAtEnd;
        QString labelAtEnd;
        QStringList soundsAtBoxes;
        fakes->questions.whileOpen = [&] {
            colourAtEnd = levelColour();
            labelAtEnd = ui<QLabel>("lblNivel")->text();
            soundsAtBoxes << lastSound();
        };
        fakes->questions.answers << platform::Yes << platform::Yes;
        click(game().Command1(0));
        QCOMPARE(colourAtEnd, QColor(0, 255, 0));
        QCOMPARE(labelAtEnd, QStringLiteral("36"));
        QCOMPARE(fakes->random.seeds.size(), draws);
        QCOMPARE(fakes->questions.asked.size(), 2);
        QCOMPARE(fakes->questions.asked[1].title, FinishedTitle);
        QCOMPARE(fakes->questions.asked[1].text, AgainText);
        QVERIFY(!fakes->questions.asked[1].exclamation);
        QCOMPARE(fakes->sound.names().mid(10), (QStringList{"bien.wav", "welcom98.wav"}));
        // Each sound starts before its question box opens.
        QCOMPARE(soundsAtBoxes, (QStringList{"bien.wav", "welcom98.wav"}));
    }

    // Yes prepares a new game at level 3, painted RGB(21, 234, 0), and waits for the start.
    void finished_yes_preparesNewGame()
    {
        game().setChooserValue(36);
        start();
        answerRight(9);
        fakes->questions.answers << platform::Yes << platform::Yes;
        click(game().Command1(0));
        QCOMPARE(levelColour(), QColor(21, 234, 0));
        QCOMPARE(ui<QLabel>("lblNivel")->text(), QStringLiteral("3"));
        QCOMPARE(game().round().level(), 3);
        for (int i = 0; i < 36; ++i) {
            QVERIFY(!game().Command1(i)->isEnabled());
            QCOMPARE(buttonColour(i), buttonFace());
        }
        QVERIFY(ui<QPushButton>("Command2")->isEnabled());
        QVERIFY(ui<QPushButton>("cmdRepetir")->isEnabled());
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("0"));
        QCOMPARE(loads(), QStringList{QStringLiteral("name")});
        const int played = fakes->sound.paths.size();
        QCOMPARE(lastSound(), QStringLiteral("welcom98.wav"));
        fakes->timers.advance(15000);
        QCOMPARE(fakes->sound.paths.size(), played);
    }

    // No shows the introduction window, closes the game and ends the process.
    void finished_no_endsProcess()
    {
        game().setChooserValue(36);
        start();
        answerRight(9);
        fakes->questions.answers << platform::Yes << platform::No;
        click(game().Command1(0));
        QCOMPARE(fakes->programEnd.calls, 1);
        QVERIFY(Forms::hasEnded());
        QCOMPARE(loads(), (QStringList{"name", "intro"}));
        QCOMPARE(Module1::ScoreToBeat, 10.0);
    }

    // ---- wrong answers ----

    // A wrong answer plays "oh.wav" and asks; Yes waits for a new game, the colour kept.
    void wrongAnswer_yes_resetsToWaiting()
    {
        start();
        answerRight(9);
        fakes->questions.answers << platform::Yes << platform::Yes;
        willDraw(1, 4);
        click(game().Command1(0));
        QString soundAtBox;
        fakes->questions.whileOpen = [&] { soundAtBox = lastSound(); };
        click(game().Command1(3));
        QCOMPARE(soundAtBox, QStringLiteral("oh.wav"));
        QCOMPARE(fakes->questions.asked[1].title, WrongTitle);
        QCOMPARE(fakes->questions.asked[1].text, AgainText);
        // A screen reader hears what was sent, and the score, with the question.
        QCOMPARE(fakes->questions.asked[1].spoken,
                 QStringLiteral("Se envió la letra E. Has hecho 10 puntos."));
        QVERIFY(fakes->questions.asked[1].exclamation);
        QCOMPARE(lastSound(), QStringLiteral("oh.wav"));
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("0"));
        QCOMPARE(game().round().score(), 0);
        for (int i = 0; i < 36; ++i) {
            QVERIFY(!game().Command1(i)->isEnabled());
            QCOMPARE(buttonColour(i), buttonFace());
        }
        QCOMPARE(game().round().level(), 3);
        QCOMPARE(ui<QLabel>("lblNivel")->text(), QStringLiteral("3"));
        QVERIFY(ui<QPushButton>("Command2")->isEnabled());
        QVERIFY(!ui<QPushButton>("cmdRepetir")->isEnabled());
        QCOMPARE(levelColour(), QColor(227, 28, 0));
    }

    // No leaves for the introduction window after the high-score check. The game's answers, its
    // level and its score are kept in the learner's progress.
    void wrongAnswer_no_leaves()
    {
        willDraw(1, 3);
        start();
        answerRight(1);
        fakes->questions.answers << platform::No;
        click(game().Command1(2));
        QVERIFY(!game().isLoaded());
        QCOMPARE(loads(), (QStringList{"name", "intro"}));
        QCOMPARE(game().round().score(), 0);
        QCOMPARE(fakes->programEnd.calls, 0);
        // The counting itself is the progress's own; here, that the game reaches it whole.
        const Progress progress = ProgressFile::read();
        QCOMPARE(progress.answers(), 2);
        QCOMPARE(progress.games().size(), std::size_t(1));
        QCOMPARE(progress.games().front(), (Progress::Game{fakes->clock.date, 3, 1}));
    }

    // While the miss is told, the character sent stands out in the selection colours and a
    // screen reader can name it; Yes takes the mark off with the rest. E, entry 1, has the first
    // button.
    void wrongAnswer_marksCharacterSentWhileAsking_data()
    {
        QTest::addColumn<int>("sent");
        QTest::addColumn<int>("answered");
        QTest::addColumn<QString>("character");
        QTest::newRow("I") << 2 << 1 << QStringLiteral("I");
        QTest::newRow("E") << 1 << 2 << QStringLiteral("E");
    }

    void wrongAnswer_marksCharacterSentWhileAsking()
    {
        QFETCH(int, sent);
        QFETCH(int, answered);
        QFETCH(QString, character);
        willDraw(sent, 3);
        start();
        QPalette sentAtBox;
        QColor otherAtBox;
        QString descriptionAtBox;
        fakes->questions.whileOpen = [&] {
            sentAtBox = game().Command1(sent - 1)->palette();
            otherAtBox = buttonColour(answered - 1);
            descriptionAtBox = game().Command1(sent - 1)->accessibleDescription();
        };
        fakes->questions.answers << platform::Yes;
        click(game().Command1(answered - 1));
        QCOMPARE(sentAtBox.color(QPalette::Button), QColor(0, 0, 128));
        QCOMPARE(sentAtBox.color(QPalette::ButtonText), QColor(Qt::white));
        QCOMPARE(otherAtBox, Green);
        QCOMPARE(descriptionAtBox, QStringLiteral("Carácter enviado: ") + character);
        QCOMPARE(buttonColour(sent - 1), buttonFace());
        QVERIFY(game().Command1(sent - 1)->accessibleDescription().isEmpty());
    }

    // ---- the keyboard ----

    // Typing a character answers as its button would: either case, digits from the main row and
    // the keypad, wherever the focus is; a character not in play and Ctrl with a letter do nothing.
    void typedCharacter_answersThroughItsButton()
    {
        willDraw(2, 3);
        start();
        QWidget *focused = ui<QScrollBar>("VScroll1");
        willDraw(3, 3);
        QTest::keyClick(focused, 'i');
        QCOMPARE(game().round().score(), 1);
        QTest::keyClick(focused, Qt::Key_T, Qt::ShiftModifier);
        QTest::keyClick(focused, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(game().round().score(), 1);
        willDraw(32, 36);
        game().setChooserValue(36);
        QTest::keyClick(game().Command1(0), Qt::Key_S, Qt::ShiftModifier);
        QCOMPARE(game().round().target(), 32);
        willDraw(27, 36);
        QTest::keyClick(focused, Qt::Key_5, Qt::KeypadModifier);
        QTest::keyClick(focused, Qt::Key_0);
        QCOMPARE(game().round().score(), 4);
        QVERIFY(fakes->questions.asked.isEmpty());
    }

    // A held key answers once: the presses the desktop repeats while it is down answer nothing.
    void heldKey_answersOnce()
    {
        // E is drawn every time, so each repeat taken for an answer would score.
        start();
        QWidget *focused = ui<QScrollBar>("VScroll1");
        QTest::keyPress(focused, Qt::Key_E);
        for (int i = 0; i < 3; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, QStringLiteral("e"), true);
            QCoreApplication::sendEvent(focused, &repeat);
        }
        QTest::keyRelease(focused, Qt::Key_E);
        QCOMPARE(game().round().score(), 1);
    }

    // Enter, from either key, presses the focused button as Space does.
    void enter_pressesFocusedButton()
    {
        QPushButton *startButton = ui<QPushButton>("Command2");
        game().show();
        startButton->setFocus();
        willDraw(1, 3);
        QTest::keyClick(startButton, Qt::Key_Return);
        QVERIFY(!startButton->isEnabled());
        game().Command1(0)->setFocus();
        willDraw(1, 3);
        QTest::keyClick(game().Command1(0), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(game().round().score(), 1);
    }

    // ---- repeat and hint ----

    // From 2 points the hint leaves 0, not -2, and shows the character until the next answer.
    void hint_fromTwoPoints_stopsAtZero()
    {
        start();
        answerRight(2);
        willDraw(1, 3);
        click(ui<QPushButton>("Command4"));
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("0"));
        QCOMPARE(ui<QPushButton>("Command4")->text(), QStringLiteral("E"));
        QCOMPARE(ui<QPushButton>("Command4")->accessibleName(), QStringLiteral("E"));
        QCOMPARE(fakes->sound.names().mid(2), (QStringList{"morse_e.wav", "morse_e.wav"}));
        click(game().Command1(0));
        QCOMPARE(ui<QPushButton>("Command4")->text(), QStringLiteral("?"));
        QVERIFY(ui<QPushButton>("Command4")->accessibleName().startsWith(QStringLiteral("Pista")));
    }

    // Entry 27 is the digit "0", entry 7 the letter "O".
    void hint_zeroAndLetterO_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("sound");
        QTest::newRow("entry 27") << 27 << "0"
                                  << "morse_0.wav";
        QTest::newRow("entry 7") << 7 << "O"
                                 << "morse_o.wav";
    }
    void hint_zeroAndLetterO()
    {
        QFETCH(int, target);
        QFETCH(QString, caption);
        QFETCH(QString, sound);
        game().setChooserValue(30);
        willDraw(target, 30);
        start();
        click(ui<QPushButton>("Command4"));
        QCOMPARE(ui<QPushButton>("Command4")->text(), caption);
        QCOMPARE(fakes->sound.names(), (QStringList{sound, sound}));
    }

    // Before any round of the process the hint has nothing to show, and costs nothing below 0.
    void hint_beforeAnyRound_blankCaption()
    {
        game().show();
        click(ui<QPushButton>("Command4"));
        QCOMPARE(ui<QPushButton>("Command4")->text(), QString());
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("0"));
        QCOMPARE(fakes->sound.paths, QStringList{fakes->folder.path() + QLatin1Char('/')});
    }

    // The repeat button at 0 points plays the sound again and stays at 0.
    void repeat_atZero_staysZero()
    {
        willDraw(2, 3);
        start();
        click(ui<QPushButton>("cmdRepetir"));
        QCOMPARE(fakes->sound.names(), (QStringList{"morse_i.wav", "morse_i.wav"}));
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("0"));
        QCOMPARE(game().round().score(), 0);
    }

    // ---- high scores ----

    // Only a score strictly above the table's fifth, as the file holds it at the check, opens a
    // name entry, and becomes the score to record; the table shown earlier does not count.
    void highScore_strictlyAboveFileFifth()
    {
        writeTopTen(fakes->folder.path(), {{"A", "9"}, {"B", "8"}, {"C", "7"}, {"D", "6"}, {"E", "2"}});
        Module1::ScoreToBeat = 5;
        fakes->questions.answers << platform::Yes << platform::Yes << platform::Yes;
        start();
        answerRight(2);
        click(game().Command1(2));
        QVERIFY(loads().isEmpty());
        click(ui<QPushButton>("Command2"));
        answerRight(3);
        click(game().Command1(2));
        QCOMPARE(loads(), QStringList{QStringLiteral("name")});
        QCOMPARE(Module1::ScoreToBeat, 3.0);
        // The stand-in name window wrote nothing: 3 still beats the fifth score.
        click(ui<QPushButton>("Command2"));
        answerRight(3);
        click(game().Command1(2));
        QCOMPARE(loads().size(), 2);
    }

    // ---- back ----

    // Back keeps the points without a check; the next game shows "000", then counts on.
    void back_keepsPointsForNextGame()
    {
        start();
        answerRight(9);
        fakes->questions.answers << platform::Yes;
        answerRight(6);
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("15"));
        click(ui<QPushButton>("command3"));
        QVERIFY(!game().isLoaded());
        QCOMPARE(loads(), QStringList{QStringLiteral("intro")});
        QCOMPARE(game().round().levelHits(), 0.0f);
        game().show();
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("000"));
        QCOMPARE(game().round().level(), 3);
        click(ui<QPushButton>("Command2"));
        answerRight(1);
        QCOMPARE(ui<QLabel>("lblPuntuacion")->text(), QStringLiteral("16"));
    }

    // ---- the level chooser ----

    // One click on the upper arrow while waiting shows "4"; the start then brings H in.
    void chooser_upArrow_raisesLevel()
    {
        game().show();
        clickChooser(QStyle::SC_ScrollBarSubLine);
        QCOMPARE(ui<QLabel>("lblNivel")->text(), QStringLiteral("4"));
        QCOMPARE(levelColour(), QColor(255, 0, 0));
        click(ui<QPushButton>("Command2"));
        QVERIFY(game().Command1(3)->isEnabled());
        QVERIFY(!game().Command1(4)->isEnabled());
    }

    // Arrows and page keys move by one; the top end is 36 and the bottom end 1.
    void chooser_endsAndSteps()
    {
        game().show();
        QScrollBar *bar = ui<QScrollBar>("VScroll1");
        game().setChooserValue(36);
        clickChooser(QStyle::SC_ScrollBarSubLine);
        QCOMPARE(game().chooserValue(), 36);
        QTest::keyClick(bar, Qt::Key_PageDown);
        QCOMPARE(game().chooserValue(), 35);
        game().setChooserValue(1);
        clickChooser(QStyle::SC_ScrollBarAddLine);
        QCOMPARE(game().chooserValue(), 1);
        QTest::keyClick(bar, Qt::Key_PageUp);
        QCOMPARE(game().chooserValue(), 2);
        clickChooser(QStyle::SC_ScrollBarAddLine);
        QCOMPARE(ui<QLabel>("lblNivel")->text(), QStringLiteral("1"));
        fakes->random.draws << 0.9999;
        click(ui<QPushButton>("Command2"));
        QCOMPARE(fakes->sound.names(), QStringList{QStringLiteral("morse_e.wav")});
    }

    // Raised after 7 hits of a level, 3 more hits still complete it, counting on from there.
    void chooser_raisedMidLevel_countsOn()
    {
        start();
        answerRight(7);
        clickChooser(QStyle::SC_ScrollBarSubLine);
        QCOMPARE(game().round().level(), 4);
        answerRight(2);
        QVERIFY(fakes->questions.asked.isEmpty());
        fakes->questions.answers << platform::Yes;
        answerRight(1);
        QCOMPARE(fakes->questions.asked.size(), 1);
        QCOMPARE(ui<QLabel>("lblNivel")->text(), QStringLiteral("5"));
    }

    // Lowered from 10 to 5 mid-game: the target stays, later draws come from E I S H T, and the
    // buttons above stay green until the game ends.
    void chooser_loweredMidGame_keepsButtonsAbove()
    {
        game().setChooserValue(10);
        willDraw(9, 10);
        start();
        game().setChooserValue(5);
        QCOMPARE(game().round().target(), 9);
        fakes->random.draws << 0.9999;
        click(game().Command1(8));
        QCOMPARE(game().round().target(), 5);
        for (int i = 5; i < 10; ++i) {
            QVERIFY(game().Command1(i)->isEnabled());
            QCOMPARE(buttonColour(i), Green);
        }
        fakes->questions.answers << platform::Yes;
        click(game().Command1(9));
        QVERIFY(!game().Command1(9)->isEnabled());
    }

    // ---- idle prompts ----

    // Waiting, the prompts come on ticks 2 to 5 of every 12, and the repeat button replays one.
    void idlePrompts_scheduleOver25Ticks()
    {
        game().show();
        QStringList heard;
        for (int tick = 1; tick <= 25; ++tick) {
            const auto before = fakes->sound.paths.size();
            fakes->timers.advance(10000);
            heard << (fakes->sound.paths.size() > before ? lastSound() : QString());
        }
        const QStringList prompts{"hola juegas.wav", "hay alguien.wav", "vas a jugar.wav",
                                  "si no piensas.wav"};
        QStringList expected(25);
        for (int i = 0; i < 4; ++i)
            expected[1 + i] = expected[13 + i] = prompts[i];
        QCOMPARE(heard, expected);
        click(ui<QPushButton>("cmdRepetir"));
        QCOMPARE(lastSound(), QStringLiteral("si no piensas.wav"));
    }

    // A hidden window keeps silent; a game holds the cycle, which restarts after Yes.
    void idlePrompts_silentWhileHiddenOrPlaying()
    {
        game().window();
        fakes->timers.advance(60000);
        QVERIFY(fakes->sound.paths.isEmpty());
        willDraw(1, 3);
        start();
        fakes->timers.advance(60000);
        QCOMPARE(game().round().idleTicks(), 0);
        // Ticks that come while the box is open find the game still in progress.
        fakes->questions.whileOpen = [this] { fakes->timers.advance(30000); };
        fakes->questions.answers << platform::Yes;
        click(game().Command1(1));
        QCOMPARE(game().round().idleTicks(), 0);
        const int played = fakes->sound.paths.size();
        fakes->timers.advance(10000);
        QCOMPARE(fakes->sound.paths.size(), played);
        fakes->timers.advance(10000);
        QCOMPARE(lastSound(), QStringLiteral("hola juegas.wav"));
    }

    // ---- resizing ----

    // Every resize, the first showing included, centres the frame on the window's outer size
    // (borders and title bar included), off the window's edges if the window is too small.
    void resize_centresFrameOnOuterSize()
    {
        game().show();
        QWidget *window = game().window();
        const QSize borders = window->frameGeometry().size() - window->size();
        const QSize outer = window->size() + borders;
        QCOMPARE(ui<QFrame>("Frame1")->pos(),
                 QPoint(qRound(outer.width() / 2.0 - 457 / 2.0), qRound(outer.height() / 2.0 - 473 / 2.0)));
        const QList<std::pair<QSize, QPoint>> cases{{QSize(1001, 801), QPoint(272, 164)},
                                                    {QSize(457, 473), QPoint(0, 0)},
                                                    {QSize(301, 201), QPoint(-78, -136)}};
        for (const auto &[outerSize, framePos] : cases) {
            window->resize(outerSize - borders);
            QCOMPARE(ui<QFrame>("Frame1")->pos(), framePos);
        }
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
