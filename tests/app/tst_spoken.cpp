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

// The player's steps that a screen reader names, each run with one listening.
enum class Step
{
    Presentation,
    Hint,
    NameEntered
};

} // namespace

Q_DECLARE_METATYPE(Step)

// With a screen reader listening, the presentation and the hint name the character, only once its
// Morse has been heard, and a name entered is said to be kept; the game's first character waits
// for the echo of the key and the words of the focus it lands on.
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

    void sentence_saidOnceTheSoundIsHeard_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("presentation") << Step::Presentation << QStringLiteral("Esta es la letra E");
        QTest::newRow("hint") << Step::Hint << QStringLiteral("Es la letra E.");
        QTest::newRow("name entered")
            << Step::NameEntered << QStringLiteral("Tu nombre ha quedado guardado en la tabla.");
    }
    void sentence_saidOnceTheSoundIsHeard()
    {
        QFETCH(Step, step);
        QFETCH(QString, sentence);
        FakeRuntime fakes;
        fakes.screenReader.on = true;
        fakes.sound.length = milliseconds(300);
        switch (step) {
        case Step::Presentation:
            intro::window().show();
            intro::click("cmdAvanzar");
            break;
        case Step::Hint:
            game().show();
            click(control<QPushButton>(game(), "Command2"));
            QTRY_COMPARE_WITH_TIMEOUT(fakes.sound.paths.size(), 1, 10000);
            click(control<QPushButton>(game(), "Command4"));
            QTRY_COMPARE_WITH_TIMEOUT(fakes.sound.paths.size(), 2, 10000);
            break;
        case Step::NameEntered: {
            intro::window().show();
            Module1::ScoreToBeat = 50;
            Form &entry = Forms::create(FormId::Form3);
            entry.show();
            auto *name = control<QLineEdit>(entry, "Text1");
            QTest::keyClicks(name, QStringLiteral("ANA"));
            QTest::keyClick(name, Qt::Key_Return);
            break;
        }
        }
        const steady_clock::time_point heard = fakes.sound.quiet;
        QTRY_VERIFY_WITH_TIMEOUT(!said.isEmpty(), 5000);
        QCOMPARE(said.last().sentence, sentence);
        QVERIFY(said.last().at >= heard);
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
};

QTEST_MAIN(TestSpoken)
#include "tst_spoken.moc"
