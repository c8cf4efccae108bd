// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windows.h"
#include "fakeruntime.h"
#include "runtime/forms.h"
#include "runtime/formwindow.h"
#include "scores/scoretobeat.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QTest>

using runtime::Form;
using runtime::FormId;
using runtime::Forms;

namespace {

QLineEdit *nameBox(Form &form)
{
    return form.window()->findChild<QLineEdit *>(QStringLiteral("Text1"));
}

Form &intro()
{
    return Forms::get(FormId::Form2);
}

// A name-entry window on screen, as a finished game that beats the table opens it.
Form &waitingNameWindow()
{
    Form &form = Forms::create(FormId::Form3);
    form.show();
    return form;
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        registerWindows();
        Module1::ScoreToBeat = 7;
    }

    // ---- what each window asks of the window manager ----

    void layoutFrames_askForExactlyTheirButtons_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("titleBar");
        QTest::addColumn<bool>("closeButton");
        QTest::addColumn<bool>("fixedSize");
        QTest::newRow("game") << int(FormId::Form1) << int(Qt::Window) << true << true << false;
        QTest::newRow("introduction") << int(FormId::Form2) << int(Qt::Window) << true << true << false;
        QTest::newRow("name entry") << int(FormId::Form3) << int(Qt::Tool) << true << false << true;
        QTest::newRow("splash") << int(FormId::Form4) << int(Qt::Tool) << false << false << true;
    }
    // A title bar with a close control where the layout has one; never a minimise or maximise
    // button; the windows of fixed size cannot be resized.
    void layoutFrames_askForExactlyTheirButtons()
    {
        QFETCH(int, form);
        QFETCH(int, type);
        QFETCH(bool, titleBar);
        QFETCH(bool, closeButton);
        QFETCH(bool, fixedSize);
        FakeRuntime fakes;
        const auto id = FormId(form);
        QWidget *window = id == FormId::Form3 ? Forms::create(id).window() : Forms::get(id).window();
        const Qt::WindowFlags flags = window->windowFlags();
        QCOMPARE(int(flags & Qt::WindowType_Mask), type);
        QCOMPARE(!flags.testFlag(Qt::FramelessWindowHint), titleBar);
        QCOMPARE(flags.testFlag(Qt::WindowCloseButtonHint), closeButton);
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->minimumSize() == window->maximumSize(), fixedSize);
    }

    // ---- close requests from the desktop ----

    // The name-entry window has no close control: a close request (a close button the window
    // manager adds anyway, Alt+F4) leaves it as it is, typed name included, and Enter still
    // records the name.
    void nameEntry_closeRequest_isRefused_enterStillConfirms()
    {
        FakeRuntime fakes;
        intro().show();
        Form &entry = waitingNameWindow();
        QLineEdit *name = nameBox(entry);
        name->setText(QStringLiteral("ana"));
        QVERIFY(!entry.window()->close());
        QCloseEvent request;
        QApplication::sendEvent(entry.window(), &request);
        QVERIFY(!request.isAccepted());
        QVERIFY(entry.isLoaded() && entry.window()->isVisible());
        QCOMPARE(name->text(), QStringLiteral("ana"));
        QCOMPARE(Forms::active(), &entry);

        QPointer<QWidget> window = entry.window();
        QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(!window || !window->isVisible());
        QCOMPARE(Forms::active(), &intro());
    }

    // The splash window has no title bar and so no close control: it goes by its timer or a
    // double-click only.
    void splash_closeRequest_isRefused()
    {
        FakeRuntime fakes;
        Form &splash = Forms::get(FormId::Form4);
        splash.show();
        QVERIFY(!splash.window()->close());
        QVERIFY(splash.isLoaded() && splash.window()->isVisible());
        QVERIFY(!intro().isLoaded());
    }

    // ---- maximised windows ----

    // A window manager that restores a maximised window of fixed border anyway sees it go back to
    // maximised; one that minimises it is left alone.
    void maximisedWindow_restoredByDesktop_returnsToMaximised()
    {
        FakeRuntime fakes;
        intro().show();
        QWidget *window = intro().window();
        QVERIFY(window->isMaximized());
        window->setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(window->isMaximized());
        window->setWindowState(Qt::WindowMinimized);
        settle();
        QVERIFY(window->isMinimized());
    }

    // ---- the splash window's frame ----

    // The splash window draws a thin raised frame round its blue client area.
    void splash_drawsThinFrameOutsideItsClientArea()
    {
        FakeRuntime fakes;
        Form &splash = Forms::get(FormId::Form4);
        splash.show();
        const QImage image = splash.window()->grab().toImage();
        const QColor blue(0x00, 0x00, 0xc0);
        const int w = image.width();
        const int h = image.height();
        const int frame = runtime::FormWindow::DrawnFrameWidth;
        // Light edges top and left, dark edges bottom and right, blue just inside.
        QVERIFY(image.pixelColor(0, h / 2).lightness() > 150);
        const int light = image.pixelColor(w / 2, 0).lightness();
        QVERIFY(image.pixelColor(w / 2, h - 1).lightness() < light - 100);
        QVERIFY(image.pixelColor(w - 1, h / 2).lightness() < light - 100);
        QVERIFY(image.pixelColor(w / 2, h - 1) != blue);
        QCOMPARE(image.pixelColor(w - frame - 1, h / 2), blue);
    }

    // ---- waiting name windows stay reachable ----

    // Two games wait for a name: once the newer name is given, the older window takes the
    // activation, not the introduction window behind it, and keeps it.
    void twoWaitingNameWindows_newerConfirmed_olderIsActive()
    {
        FakeRuntime fakes;
        Form &older = waitingNameWindow();
        Form &newer = waitingNameWindow();
        // The game window leaves to the introduction window: the newer name window takes the
        // activation back, so the introduction window was active after the older one.
        intro().show();
        QCOMPARE(Forms::active(), &newer);
        QTRY_COMPARE(QApplication::activeWindow(), newer.window());

        QTest::keyClick(nameBox(newer), Qt::Key_Return);
        QCOMPARE(Forms::active(), &older);
        QTRY_COMPARE(QApplication::activeWindow(), older.window());
        settle();
        QCOMPARE(Forms::active(), &older);
        QVERIFY(older.window()->isVisible());
    }

    // A minimised name window comes back, restored and active, as soon as another window of the
    // program takes the activation.
    void minimisedNameWindow_introActivated_isRestored()
    {
        FakeRuntime fakes;
        intro().show();
        Form &older = waitingNameWindow();
        Form &newer = waitingNameWindow();
        QTRY_COMPARE(QApplication::activeWindow(), newer.window());
        newer.window()->setWindowState(Qt::WindowMinimized);
        QVERIFY(newer.window()->isMinimized());

        intro().window()->activateWindow();
        QTRY_VERIFY(!newer.window()->isMinimized());
        QVERIFY(newer.window()->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), newer.window());
        QCOMPARE(Forms::active(), &newer);
        // The two waiting windows leave each other alone: the activation settles.
        settle();
        QCOMPARE(Forms::active(), &newer);
        QVERIFY(older.window()->isVisible());
    }
};

QTEST_MAIN(TestFrames)
#include "tst_frames.moc"
