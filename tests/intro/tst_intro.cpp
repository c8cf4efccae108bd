// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"
#include "fakeruntime.h"
#include "filebytes.h"
#include "intro/form2.h"
#include "introwindow.h"
#include "standinwindow.h"

#include <QFile>
#include <QTextBlock>
#include <QTextLayout>

using runtime::FormId;
using runtime::Forms;

namespace {

QStringList journal;

const QString Greeting = QStringLiteral("Bienvenido a \n\"Zumbarel\"");

bool isGreen(const char *button)
{
    return intro::control(button)->palette().color(QPalette::Button) == QColor(0x00, 0xC0, 0x00);
}

qreal textSize()
{
    return intro::control<QTextEdit>("RichTextBox1")->font().pointSizeF();
}

// Where the first line of the text area starts: well right of the edge when centred.
qreal firstLineStart()
{
    const QTextBlock block = intro::control<QTextEdit>("RichTextBox1")->document()->begin();
    return block.layout()->lineAt(0).cursorToX(0);
}

} // namespace

class TestIntro : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        journal.clear();
        Forms::setFactory(FormId::Form2, [] { return std::make_unique<Form2>(); });
        Forms::setFactory(FormId::Form1,
                          [] { return std::make_unique<StandInWindow>(QStringLiteral("game"), journal); });
        Forms::setFactory(FormId::Form4,
                          [] { return std::make_unique<StandInWindow>(QStringLiteral("about"), journal); });
    }

    // ---- presentation ----

    // Forty presses walk the whole catalogue in order, then present the last entry twice more;
    // every press shows the character and its caption and plays its sound.
    void avanzar_fortyPresses_walkCatalogueThenStayAtLast()
    {
        FakeRuntime fakes;
        intro::window().show();
        QVERIFY(!intro::characterBox()->isVisible());
        const QMap<int, std::pair<QString, QString>> ownCaptions{{27, {"0", "Este es el numero "}},
                                                                 {37, {"sk", "\"FINAL DE TRANSMISION\""}},
                                                                 {38, {"?", "\"INTERROGACION\""}}};
        QStringList expectedSounds;
        for (int press = 1; press <= 40; ++press) {
            intro::click("cmdAvanzar");
            const CatalogueEntry &entry = CharacterCatalogue[std::min(press, 38) - 1];
            QCOMPARE(intro::characterBox()->text(), entry.Character);
            QCOMPARE(intro::text(), entry.Caption);
            expectedSounds << entry.SoundFile;
            if (ownCaptions.contains(press))
                QCOMPARE(std::pair(intro::characterBox()->text(), intro::text()), ownCaptions[press]);
        }
        QVERIFY(intro::characterBox()->isVisible());
        QCOMPARE(fakes.sound.names(), expectedSounds);
        QCOMPARE(fakes.sound.names().mid(37),
                 (QStringList{"morse_INTERROGANTE.wav", "morse_INTERROGANTE.wav", "morse_INTERROGANTE.wav"}));
        QCOMPARE(fakes.sound.paths.last(), fakes.folder.path() + QStringLiteral("/morse_INTERROGANTE.wav"));
    }

    // From nothing shown, going back presents the first entry; at the first entry it stays.
    void retroceder_startsAtFirstEntry_andNeverWraps()
    {
        FakeRuntime fakes;
        intro::window().show();
        intro::click("cmdRetroceder");
        QCOMPARE(intro::characterBox()->text(), QStringLiteral("E"));
        intro::click("cmdAvanzar");
        intro::click("cmdAvanzar");
        for (int press = 0; press < 3; ++press)
            intro::click("cmdRetroceder");
        QCOMPARE(intro::characterBox()->text(), QStringLiteral("E"));
        QCOMPARE(fakes.sound.names(), (QStringList{"morse_e.wav", "morse_i.wav", "morse_s.wav", "morse_i.wav",
                                                   "morse_e.wav", "morse_e.wav"}));
    }

    // Before any move, repeating replays the greeting and opens an empty character box over
    // the greeting.
    void repetir_beforeAnyMove_replaysGreeting()
    {
        FakeRuntime fakes;
        intro::window().show();
        fakes.timers.advance(1000);
        intro::click("cmdRepetir");
        QCOMPARE(fakes.sound.names(), (QStringList{"welcom98.wav", "welcom98.wav"}));
        QVERIFY(intro::characterBox()->isVisible());
        QCOMPARE(intro::characterBox()->text(), QString());
        QCOMPARE(intro::text(), Greeting);
    }

    // Left and Right step back and forth as the buttons do, wherever the focus is but in the
    // text; Enter presses the focused button.
    void arrowKeys_stepThroughCharacters_exceptInText()
    {
        FakeRuntime fakes;
        intro::window().show();
        QVERIFY(QTest::qWaitForWindowActive(intro::window().window()));
        QWidget *button = intro::control("cmdRepetir");
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Right);
        QTest::keyClick(button, Qt::Key_Right);
        QTest::keyClick(button, Qt::Key_Left);
        QCOMPARE(intro::characterBox()->text(), QStringLiteral("E"));
        QWidget *text = intro::control("RichTextBox1");
        text->setFocus();
        QTest::keyClick(text, Qt::Key_Right);
        QCOMPARE(intro::characterBox()->text(), QStringLiteral("E"));
        intro::control("cmdAvanzar")->setFocus();
        QTest::keyClick(intro::control("cmdAvanzar"), Qt::Key_Return);
        QCOMPARE(fakes.sound.names(),
                 (QStringList{"morse_e.wav", "morse_i.wav", "morse_e.wav", "morse_i.wav"}));
    }

    // ---- welcome sequence ----

    // One step a second from the load: the texts at their ticks in 12 points, centred, the
    // greeting sound once, and the whole again after 51 ticks.
    void welcome_textsAtTheirTicks_repeatEvery51()
    {
        FakeRuntime fakes;
        intro::window().show();
        const QMap<int, QString> texts{
            {1, Greeting},
            {6, QStringLiteral("Ahora te vamos a presentar las letras con las que vas a jugar")},
            {11, QStringLiteral("Usa las teclas de flechas para avanzar o retroceder")},
            {18, QStringLiteral("Usa la tecla \"Repetir\" para volver a escuchar el sonido")},
            {24, QStringLiteral("¡Suerte y aprende!")},
            {25, QStringLiteral("Visita https://zumbarel.example.org")},
            {52, Greeting}};
        QString expected;
        for (int tick = 1; tick <= 52; ++tick) {
            fakes.timers.advance(1000);
            expected = texts.value(tick, expected);
            QCOMPARE(intro::text(), expected);
        }
        QCOMPARE(texts[18].size(), 55);
        QCOMPARE(fakes.sound.names(), (QStringList{"welcom98.wav", "welcom98.wav"}));
        QCOMPARE(textSize(), 12.0);
        const qreal width = intro::control<QTextEdit>("RichTextBox1")->document()->textWidth();
        QVERIFY2(firstLineStart() > width / 4, "the greeting is centred");

        // The presentation's captions keep the size and the centring.
        intro::click("cmdAvanzar");
        QCOMPARE(textSize(), 12.0);
        QVERIFY(firstLineStart() > width / 4);
    }

    // The arrows blink green three times from the 12th second, then the repeat button three
    // times from the 18th; between, and after, they show the button face.
    void welcome_blinksTheButtons()
    {
        FakeRuntime fakes;
        intro::window().show();
        const QColor face = intro::control("cmdAvanzar")->palette().color(QPalette::Button);
        QVERIFY(face != QColor(0x00, 0xC0, 0x00));
        const QList<int> arrowsGreen{12, 14, 16};
        const QList<int> repeatGreen{18, 20, 22};
        for (int tick = 1; tick <= 51; ++tick) {
            fakes.timers.advance(1000);
            QCOMPARE(isGreen("cmdAvanzar"), arrowsGreen.contains(tick));
            QCOMPARE(isGreen("cmdRetroceder"), arrowsGreen.contains(tick));
            QCOMPARE(isGreen("cmdRepetir"), repeatGreen.contains(tick));
        }
        QCOMPARE(intro::control("cmdRepetir")->palette().color(QPalette::Button), face);
    }

    // A press while the arrows are green stops the sequence there: they stay green and the
    // welcome texts no longer replace the caption.
    void pressWhileGreen_staysGreen()
    {
        FakeRuntime fakes;
        intro::window().show();
        fakes.timers.advance(12000);
        QVERIFY(isGreen("cmdAvanzar"));
        intro::click("cmdAvanzar");
        fakes.timers.advance(60000);
        QVERIFY(isGreen("cmdAvanzar") && isGreen("cmdRetroceder"));
        QVERIFY(!isGreen("cmdRepetir"));
        QCOMPARE(intro::text(), QStringLiteral("Esta es la letra "));
        QCOMPARE(fakes.sound.names(), (QStringList{"welcom98.wav", "morse_e.wav"}));
    }

    // A press in the first second stops the sequence before the greeting: no welcome text or
    // sound ever, and the text area keeps its design size and alignment. Repeating then has no
    // sound name yet, so it plays the bare folder.
    void pressBeforeGreeting_stopsWithDesignFont()
    {
        FakeRuntime fakes;
        intro::window().show();
        const qreal designSize = textSize();
        QVERIFY(designSize < 12);
        fakes.timers.advance(500);
        intro::click("cmdRepetir");
        QCOMPARE(fakes.sound.paths, QStringList{fakes.folder.path() + QLatin1Char('/')});
        QVERIFY(intro::characterBox()->isVisible());
        fakes.timers.advance(120000);
        QCOMPARE(intro::text(), QString());
        intro::click("cmdAvanzar");
        QCOMPARE(textSize(), designSize);
        QCOMPARE(firstLineStart(), 0.0);
        QCOMPARE(fakes.sound.names().size(), 2);
    }

    // Loaded but not shown, the window runs its welcome all the same, but its greeting is not
    // heard until the window is on screen.
    void hiddenWindow_runsWelcomeSilently()
    {
        FakeRuntime fakes;
        QVERIFY(!intro::window().isVisible());
        fakes.timers.advance(1000);
        QCOMPARE(intro::text(), Greeting);
        QVERIFY(fakes.sound.paths.isEmpty());
        fakes.timers.advance(5000);
        QCOMPARE(intro::text(),
                 QStringLiteral("Ahora te vamos a presentar las letras con las que vas a jugar"));
        intro::window().show();
        fakes.timers.advance(51000);
        QCOMPARE(fakes.sound.names(), QStringList{QStringLiteral("welcom98.wav")});
    }

    // ---- visits ----

    // Going to the game shows it before this window goes; coming back starts the greeting
    // again on fresh controls, while the presentation resumes where it was.
    void leavingForGameAndBack_restartsGreetingKeepsPlace()
    {
        FakeRuntime fakes;
        intro::window().show();
        fakes.timers.advance(13000);
        for (int press = 0; press < 3; ++press)
            intro::click("cmdAvanzar");
        journal.clear();
        intro::click("Command1");
        QCOMPARE(journal, (QStringList{"game:Load", "game:Activate"}));
        QVERIFY(!intro::window().isLoaded());
        QCOMPARE(Forms::active(), &Forms::get(FormId::Form1));
        fakes.timers.advance(5000);
        QCOMPARE(fakes.sound.names().size(), 4);

        intro::window().show();
        QVERIFY(!intro::characterBox()->isVisible());
        QCOMPARE(intro::text(), QString());
        QVERIFY(!isGreen("cmdAvanzar"));
        fakes.timers.advance(1000);
        QCOMPARE(intro::text(), Greeting);
        QCOMPARE(fakes.sound.names().last(), QStringLiteral("welcom98.wav"));
        intro::click("cmdRepetir");
        QCOMPARE(intro::characterBox()->text(), QStringLiteral("S"));
        QCOMPARE(intro::text(), QStringLiteral("Esta es la letra "));
        intro::click("cmdAvanzar");
        QCOMPARE(fakes.sound.names().mid(4), (QStringList{"welcom98.wav", "morse_s.wav", "morse_h.wav"}));
    }

    // ---- the top-five table ----

    // The table is read at the load and again at each activation; long names widen their labels.
    void topFive_readAtLoadAndActivation()
    {
        FakeRuntime fakes;
        writeTopTen(fakes.folder.path(),
                    {{"NADIE", "100"}, {"ABC", "90"}, {"XYZ", "80"}, {"NADIE", "50"}, {"QQ", "40"}});
        intro::window().show();
        auto *first = intro::control<QLabel>("top5_0");
        QCOMPARE(first->text(), QStringLiteral("NADIE     "));
        QCOMPARE(intro::control<QLabel>("top5_5")->text(), QStringLiteral("100"));
        QCOMPARE(intro::control<QLabel>("top5_9")->text(), QStringLiteral("40 "));
        QVERIFY(first->width() >= first->fontMetrics().horizontalAdvance(first->text()));

        Forms::get(FormId::Form4).show();
        writeTopTen(fakes.folder.path(),
                    {{"ZAS", "120"}, {"NADIE", "100"}, {"ABC", "90"}, {"XYZ", "80"}, {"NADIE", "50"}});
        Forms::get(FormId::Form4).unload();
        QCOMPARE(Forms::active(), &intro::window());
        QCOMPARE(first->text(), QStringLiteral("ZAS       "));
        QCOMPARE(intro::control<QLabel>("top5_9")->text(), QStringLiteral("50 "));
    }

    // "Progreso" opens the learner's progress, read from the file beside the high scores, in a
    // window of its own that is not modal: the welcome goes on, and a second choice brings the
    // same window back.
    void progreso_opensProgressBesideWelcome()
    {
        FakeRuntime fakes;
        writeFileBytes(fakes.folder.path() + QStringLiteral("/progreso.txt"),
                       "Zumbarel progreso 1\npartidas 4\ncaracter E 5 4\nfallo E T 1\nfin\n");
        intro::window().show();
        intro::window().window()->findChild<QAction *>(QStringLiteral("mnuProgreso"))->trigger();
        auto *progress = intro::window().window()->findChild<QWidget *>(QStringLiteral("ProgressWindow"));
        QVERIFY(progress && progress->isVisible() && !progress->isModal());
        QCOMPARE(progress->findChild<QLabel *>(QStringLiteral("summaryLabel"))->text(),
                 QStringLiteral("Has jugado 4 partidas y dado 5 respuestas."));
        const QString before = intro::text();
        fakes.timers.advance(3000);
        QVERIFY(intro::text() != before);
        intro::window().window()->findChild<QAction *>(QStringLiteral("mnuProgreso"))->trigger();
        QCOMPARE(intro::window().window()->findChildren<QWidget *>(QStringLiteral("ProgressWindow")).size(),
                 1);
    }

    // ---- layout ----

    // The design state of the window and its controls.
    void layout_designState()
    {
        FakeRuntime fakes;
        QWidget *window = intro::window().window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Zumbarel. Introducción"));
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!intro::characterBox()->isVisibleTo(window));
        QCOMPARE(intro::text(), QString());

        auto *groupLine = intro::control<QLabel>("Image2");
        QCOMPARE(groupLine->geometry(), QRect(-368, 40, 567, 26));
        QVERIFY(!groupLine->pixmap().isNull());

        const QList<std::pair<const char *, QString>> buttons{{"cmdRetroceder", "Letra anterior"},
                                                              {"cmdRepetir", "Volver a escuchar sonido"},
                                                              {"cmdAvanzar", "Letra siguiente"},
                                                              {"command3", "Salir de la aplicacion"},
                                                              {"Command1", "Ir al juego"}};
        for (const auto &[name, tip] : buttons) {
            auto *button = intro::control<QPushButton>(name);
            QCOMPARE(button->toolTip(), tip);
            QCOMPARE(button->accessibleName(), tip);
            QVERIFY2(!button->icon().isNull() || button->text() == tip, name);
        }

        // Both columns share a colour per row, fading from bright red to green.
        const QList<QColor> rowColours{QColor(0xFF, 0, 0), QColor(0xC0, 0, 0), QColor(0x80, 0, 0),
                                       QColor(0x80, 0x40, 0x40), QColor(0, 0x80, 0)};
        for (int row = 0; row < 5; ++row) {
            for (int index : {row, row + 5}) {
                auto *label = intro::control<QLabel>(qPrintable(QStringLiteral("top5_%1").arg(index)));
                label->ensurePolished();
                QCOMPARE(label->palette().color(QPalette::WindowText), rowColours[row]);
                QCOMPARE(label->pos(), QPoint(index < 5 ? 24 : 112, 24 + 16 * row));
            }
        }
    }

    // The tab key visits the picture and the buttons in design order, then the text area, and
    // never the character box, even when it shows.
    void tabOrder_skipsCharacterBox()
    {
        FakeRuntime fakes;
        intro::window().show();
        intro::click("cmdAvanzar");
        QVERIFY(intro::characterBox()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(intro::window().window()));
        intro::control("Picture1")->setFocus();
        QStringList visited;
        for (int step = 0; step < 8; ++step) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // The top-five table last, for a screen reader to read it from the keyboard.
        QCOMPARE(visited, (QStringList{"Picture1", "cmdAvanzar", "command3", "cmdRepetir", "cmdRetroceder",
                                       "Command1", "RichTextBox1", "Frame5"}));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Picture1"));
    }

    // The panel sits centred across the outer window, 400 twips above the middle of it, in the
    // client area right under the menu bar; it goes off the edge on a window too small for it.
    void resize_centresPanelAboveMiddle()
    {
        FakeRuntime fakes;
        intro::window().show();
        QWidget *window = intro::window().window();
        QWidget *panel = intro::control("Frame1");
        const int clientTop = intro::control("menuBar")->sizeHint().height();
        const auto expected = [&] {
            const QSize outer = window->frameGeometry().size();
            return QPoint(qRound((outer.width() - panel->width()) / 2.0),
                          clientTop + qRound((outer.height() - panel->height()) / 2.0 - 400 / 15.0));
        };
        QCOMPARE(panel->mapTo(window, QPoint()), expected());
        window->showNormal();
        window->resize(201, 301);
        QTRY_COMPARE(window->size(), QSize(201, 301));
        QCOMPARE(panel->mapTo(window, QPoint()), expected());
        QVERIFY(panel->x() < 0 && panel->y() < 0);
        QCOMPARE(panel->size(), QSize(321, 505));
    }
};

QTEST_MAIN(TestIntro)
#include "tst_intro.moc"
