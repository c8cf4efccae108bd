// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeruntime.h"
#include "platform/timer.h"
#include "runtime/forms.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

using runtime::Form;
using runtime::FormId;
using runtime::Forms;

namespace {

QStringList journal;

// A window that writes each of its events to the journal, with a button and a timer.
class LoggingForm final : public Form
{
public:
    explicit LoggingForm(QString name) : m_name(std::move(name)) {}

    QPushButton *button = nullptr;
    platform::Timer *timer = nullptr;
    int field = 0;
    bool cancelUnload = false;
    bool takeActivationBack = false;
    std::function<void()> onClick;

protected:
    void createControls(QWidget &window) override
    {
        window.resize(200, 100);
        button = new QPushButton(QStringLiteral("Pulsar"), &window);
        button->setGeometry(10, 10, 80, 30);
        connect(button, &QPushButton::clicked, this, [this] {
            if (onClick)
                onClick();
        });
        timer = addTimer(1000, true);
        connect(timer, &platform::Timer::tick, this, [this] { log(QStringLiteral("Tick")); });
    }
    void releaseControls() override
    {
        button = nullptr;
        timer = nullptr;
    }
    void Form_Load() override { log(QStringLiteral("Load")); }
    void Form_Unload(qint16 &Cancel) override
    {
        log(QStringLiteral("Unload"));
        if (cancelUnload)
            Cancel = 1;
    }
    void Form_Activate() override { log(QStringLiteral("Activate")); }
    void Form_Deactivate() override
    {
        log(QStringLiteral("Deactivate"));
        if (takeActivationBack)
            setFocus();
    }
    void Form_DblClick() override { log(QStringLiteral("DblClick")); }

private:
    void log(const QString &event) { journal << m_name + QLatin1Char(':') + event; }
    QString m_name;
};

LoggingForm &form(FormId id)
{
    return Forms::get<LoggingForm>(id);
}

} // namespace

class TestForms : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        journal.clear();
        Forms::setFactory(FormId::Form1, [] { return std::make_unique<LoggingForm>(QStringLiteral("A")); });
        Forms::setFactory(FormId::Form2, [] { return std::make_unique<LoggingForm>(QStringLiteral("B")); });
        Forms::setFactory(FormId::Form3, [] { return std::make_unique<LoggingForm>(QStringLiteral("C")); });
    }

    // ---- loading and unloading ----

    // Asking whether an unloaded window is visible loads it, hidden, once.
    void visibilityQuestion_loadsHidden()
    {
        FakeRuntime fakes;
        QVERIFY(!form(FormId::Form1).isVisible());
        QVERIFY(!form(FormId::Form1).isVisible());
        QVERIFY(form(FormId::Form1).isLoaded());
        QCOMPARE(journal, QStringList{QStringLiteral("A:Load")});
    }

    // Unloading destroys controls and timers but keeps the window's own fields; the next reference
    // loads afresh.
    void unload_keepsFields_nextReferenceReloads()
    {
        FakeRuntime fakes;
        LoggingForm &a = form(FormId::Form1);
        a.show();
        a.field = 42;
        a.button->setText(QStringLiteral("cambiado"));
        QCOMPARE(fakes.timers.running(), 1);
        a.unload();
        QVERIFY(!a.isLoaded());
        QCOMPARE(a.button, nullptr);
        QCOMPARE(fakes.timers.running(), 0);
        QCOMPARE(a.field, 42);
        a.window();
        QCOMPARE(a.button->text(), QStringLiteral("Pulsar"));
        QCOMPARE(journal, (QStringList{"A:Load", "A:Activate", "A:Unload", "A:Load"}));
    }

    void unload_cancelled_keepsWindow()
    {
        FakeRuntime fakes;
        LoggingForm &a = form(FormId::Form1);
        a.show();
        a.cancelUnload = true;
        a.unload();
        QVERIFY(a.isLoaded());
        QVERIFY(a.window()->isVisible());
    }

    // A handler may unload its own window while one of the window's controls is still working.
    void unloadFromOwnButton_isSafe()
    {
        FakeRuntime fakes;
        LoggingForm &a = form(FormId::Form1);
        a.show();
        a.onClick = [&a] { a.unload(); };
        QTest::mouseClick(a.button, Qt::LeftButton);
        QVERIFY(!a.isLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(journal.last(), QStringLiteral("A:Unload"));
    }

    // ---- timers ----

    void timer_ticksFromLoadToUnload()
    {
        FakeRuntime fakes;
        LoggingForm &a = form(FormId::Form1);
        a.window();
        fakes.timers.advance(2500);
        QCOMPARE(journal.count(QStringLiteral("A:Tick")), 2);
        a.unload();
        fakes.timers.advance(5000);
        QCOMPARE(journal.count(QStringLiteral("A:Tick")), 2);
    }

    // ---- activation ----

    // Showing activates; the window that loses the activation hears of it first.
    void show_deactivatesPreviousThenActivates()
    {
        FakeRuntime fakes;
        form(FormId::Form1).show();
        form(FormId::Form2).show();
        form(FormId::Form2).show();
        QCOMPARE(journal, (QStringList{"A:Load", "A:Activate", "B:Load", "A:Deactivate", "B:Activate"}));
        QCOMPARE(Forms::active(), &form(FormId::Form2));
    }

    // When the active window unloads, the last active window still on screen takes over.
    void unloadActive_returnsActivationToLastVisible()
    {
        FakeRuntime fakes;
        form(FormId::Form1).show();
        form(FormId::Form2).show();
        journal.clear();
        form(FormId::Form2).unload();
        QCOMPARE(journal, (QStringList{"B:Unload", "A:Activate"}));
        QCOMPARE(Forms::active(), &form(FormId::Form1));
    }

    // A window loaded but hidden does not take the activation.
    void unloadActive_skipsHiddenWindows()
    {
        FakeRuntime fakes;
        form(FormId::Form1).show();
        form(FormId::Form2).show();
        form(FormId::Form1).window()->hide();
        journal.clear();
        form(FormId::Form2).unload();
        QCOMPARE(journal, QStringList{QStringLiteral("B:Unload")});
        QCOMPARE(Forms::active(), nullptr);
    }

    // A window that takes the activation back from its deactivate handler gets it once the window
    // being shown has had its activation.
    void deactivateHandler_takesActivationBack()
    {
        FakeRuntime fakes;
        LoggingForm &c = static_cast<LoggingForm &>(Forms::create(FormId::Form3));
        c.takeActivationBack = true;
        c.show();
        journal.clear();
        form(FormId::Form2).show();
        QCOMPARE(Forms::active(), &c);
        QCOMPARE(journal,
                 (QStringList{"B:Load", "C:Deactivate", "B:Activate", "B:Deactivate", "C:Activate"}));
    }

    // A window the player activates on the desktop (a click on it) becomes the program's active
    // window, with the usual events.
    void desktopActivation_isFollowed()
    {
        FakeRuntime fakes;
        form(FormId::Form1).show();
        form(FormId::Form2).show();
        QTRY_COMPARE(QApplication::activeWindow(), form(FormId::Form2).window());
        journal.clear();
        form(FormId::Form1).window()->activateWindow();
        QTRY_COMPARE(Forms::active(), &form(FormId::Form1));
        QCOMPARE(journal, (QStringList{"B:Deactivate", "A:Activate"}));
    }

    // ---- instances ----

    void sharedWindows_oneInstance_transientWindows_newEachTime()
    {
        FakeRuntime fakes;
        QCOMPARE(&Forms::get(FormId::Form1), &Forms::get(FormId::Form1));
        Form &first = Forms::create(FormId::Form3);
        Form &second = Forms::create(FormId::Form3);
        QVERIFY(&first != &second);
        QPointer<Form> gone = &first;
        first.show();
        first.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(gone.isNull());
    }

    // ---- window surface and frame ----

    // Only a double-click on the window's own surface is the window's.
    void doubleClick_onSurfaceOnly()
    {
        FakeRuntime fakes;
        LoggingForm &a = form(FormId::Form1);
        a.show();
        QTest::mouseDClick(a.button, Qt::LeftButton);
        QVERIFY(!journal.contains(QStringLiteral("A:DblClick")));
        QTest::mouseDClick(a.window(), Qt::LeftButton, {}, QPoint(150, 80));
        QVERIFY(journal.contains(QStringLiteral("A:DblClick")));
    }

    // Closing through the frame unloads; closing the last window on screen ends the program.
    void closeThroughFrame_unloads_lastOneEnds()
    {
        FakeRuntime fakes;
        form(FormId::Form1).show();
        form(FormId::Form2).show();
        form(FormId::Form2).window()->close();
        QVERIFY(!form(FormId::Form2).isLoaded());
        QCOMPARE(fakes.programEnd.calls, 0);
        form(FormId::Form1).window()->close();
        QCOMPARE(fakes.programEnd.calls, 1);
    }

    // ---- the end ----

    // Ending stops everything at once: windows go without their unload handler, and nothing
    // loads or runs afterwards.
    void end_runsNoFurtherHandler()
    {
        FakeRuntime fakes;
        form(FormId::Form1).show();
        form(FormId::Form2).window();
        journal.clear();
        Forms::end();
        QCOMPARE(fakes.programEnd.calls, 1);
        QVERIFY(!form(FormId::Form1).isLoaded());
        form(FormId::Form2).show();
        fakes.timers.advance(5000);
        QVERIFY(journal.isEmpty());
        QCOMPARE(form(FormId::Form2).window(), nullptr);
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
