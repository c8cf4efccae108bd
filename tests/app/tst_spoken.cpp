// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windows.h"
#include "fakeruntime.h"
#include "gamewindow.h"
#include "introwindow.h"
#include "runtime/announcer.h"
#include "runtime/forms.h"
#include "scores/scoretobeat.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <optional>

using namespace std::chrono;
using runtime::Form;
using runtime::FormId;
using runtime::Forms;

namespace {

struct Said
{
    QString sentence;
    steady_clock::time_point at;
};
QList<Said> said;

// Hears what a screen reader hears: each notification as it appears, by the name it has then.
class Listener final : public QObject
{
public:
    Listener() { qApp->installEventFilter(this); }
    ~Listener() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            QAccessibleInterface *shown = QAccessible::queryAccessibleInterface(watched);
            if (shown && shown->role() == QAccessible::Notification)
                said.append({shown->text(QAccessible::Name), steady_clock::now()});
        }
        return false;
    }
};

} // namespace

// With a screen reader listening, the presentation and the hint name the character, and only once
// its Morse has been heard; the game's sounds wait for the echo of the key that asked for them.
class TestSpoken : public QObject
{
    Q_OBJECT

    std::optional<Listener> m_listener;

private slots:
    void init()
    {
        said.clear();
        registerWindows();
        m_listener.emplace();
    }
    void cleanup() { m_listener.reset(); }

    void presentation_namesCharacterAfterItsMorse()
    {
        FakeRuntime fakes;
        fakes.screenReader.on = true;
        fakes.sound.length = milliseconds(400);
        intro::window().show();
        intro::click("cmdAvanzar");
        const steady_clock::time_point heard = fakes.sound.quiet;
        QTRY_VERIFY_WITH_TIMEOUT(!said.isEmpty(), 5000);
        QCOMPARE(said.first().sentence, QStringLiteral("Esta es la letra E"));
        QVERIFY(said.first().at >= heard);
    }

    void hint_waitsForTheKeyEcho_thenNamesCharacterAfterItsMorse()
    {
        FakeRuntime fakes;
        fakes.screenReader.on = true;
        fakes.sound.length = milliseconds(300);
        game().show();
        click(control<QPushButton>(game(), "Command2"));
        const steady_clock::time_point asked = steady_clock::now();
        QVERIFY(fakes.sound.paths.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(fakes.sound.paths.size(), 1, 5000);
        QVERIFY(steady_clock::now() - asked >= milliseconds(500));

        click(control<QPushButton>(game(), "Command4"));
        QTRY_COMPARE_WITH_TIMEOUT(fakes.sound.paths.size(), 2, 5000);
        const steady_clock::time_point heard = fakes.sound.quiet;
        QTRY_VERIFY_WITH_TIMEOUT(!said.isEmpty(), 5000);
        QCOMPARE(said.first().sentence, QStringLiteral("Es la letra E."));
        QVERIFY(said.first().at >= heard);
    }

    // Disabled, the start button hands the focus on and Orca names the button it lands on: the
    // first character waits for those words as well as for the key's echo.
    void start_waitsForTheFocusItHandsOn()
    {
        FakeRuntime fakes;
        fakes.screenReader.on = true;
        game().show();
        QWidget &window = *game().window();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *start = control<QPushButton>(game(), "Command2");
        start->setFocus();
        const steady_clock::time_point asked = steady_clock::now();
        click(start);
        QVERIFY(window.focusWidget() && window.focusWidget() != start);
        const QStringList words = runtime::Announcer::focusUtterances(window, false);
        QVERIFY(words.first().endsWith(QStringLiteral(" botón de pulsación.")));
        // At least the longest key echo (0.6 s) and the words.
        const int waits = 600 + runtime::Announcer::spokenMs(words);
        QVERIFY(waits > 1500);
        QTRY_COMPARE_WITH_TIMEOUT(fakes.sound.paths.size(), 1, 10000);
        // Coarse timers may fire up to 5 % early.
        QVERIFY(steady_clock::now() - asked >= milliseconds(waits * 9 / 10));
    }

    void spokenTime_growsWithTheWordsAndSkipsNothingSaid()
    {
        using runtime::Announcer;
        QCOMPARE(Announcer::spokenMs({}), 0);
        QCOMPARE(Announcer::spokenMs({QString()}), 0);
        QCOMPARE(Announcer::spokenMs({QStringLiteral("ab")}),
                 Announcer::MsBetweenUtterances + 2 * Announcer::MsPerCharacter);
        QCOMPARE(Announcer::spokenMs({QStringLiteral("ab"), QStringLiteral("c")}),
                 2 * Announcer::MsBetweenUtterances + 3 * Announcer::MsPerCharacter);
    }

    // A name entered is said to be kept, by the window that the name entry hands over to.
    void nameEntry_saysTheNameIsKept()
    {
        FakeRuntime fakes;
        fakes.screenReader.on = true;
        intro::window().show();
        Module1::ScoreToBeat = 50;
        Form &entry = Forms::create(FormId::Form3);
        entry.show();
        auto *name = control<QLineEdit>(entry, "Text1");
        QTest::keyClicks(name, QStringLiteral("ANA"));
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!said.isEmpty(), 5000);
        QCOMPARE(said.last().sentence, QStringLiteral("Tu nombre ha quedado guardado en la tabla."));
    }
};

QTEST_MAIN(TestSpoken)
#include "tst_spoken.moc"
