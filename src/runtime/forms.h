// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QKeyEvent;

namespace platform {
class Timer;
}

namespace runtime {

class FormWindow;

// The program's four windows. Form1, Form2 and Form4 have one program-wide instance each;
// every use of Form3 makes a new one.
enum class FormId
{
    Form1,
    Form2,
    Form3,
    Form4
};

// How the program ends: at once, or once the windows that hold the end back have closed.
enum class EndMode
{
    Now,
    AfterHeldWindows
};

// One window of the program: its own fields live as long as the object, while its controls and
// timers live from load to unload. Any reference to a window that is not loaded loads it hidden.
class Form : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form)
public:
    explicit Form(QObject *parent = nullptr);
    ~Form() override;

    // The window with its controls; loads it hidden if needed. Null once the program has ended.
    QWidget *window();
    bool isVisible();
    // Never modal: loads if needed, puts the window on screen and activates it.
    void show();
    // Runs Form_Unload, then destroys the controls and timers; safe from the window's own handlers.
    void unload();
    // Makes the window the program's active window again.
    void setFocus();

    bool isLoaded() const { return m_window != nullptr; }

protected:
    // Builds the controls from the window's layout onto a fresh window.
    virtual void createControls(QWidget &window) = 0;
    // The controls are about to be destroyed: forget every pointer into them.
    virtual void releaseControls() = 0;

    virtual void Form_Load() {}
    virtual void Form_Unload(qint16 &Cancel) { Q_UNUSED(Cancel) }
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_Resize() {}
    virtual void Form_DblClick() {}
    // A key that the focused control left unused; returns whether the window took it.
    virtual bool Form_KeyPress(const QKeyEvent &event)
    {
        Q_UNUSED(event)
        return false;
    }

    // A window that may hold the program's end back until it unloads: an end that waits for such
    // windows closes every other window at once and completes when the last of them has gone.
    virtual bool holdsProgramEnd() const { return false; }
    // A window that waits for the player (a name to be typed): when the active window hands the
    // activation on, a waiting window on screen takes it before any other.
    virtual bool waitsForPlayer() const { return false; }

    // A timer that ticks from now until the window unloads.
    platform::Timer *addTimer(int intervalMs, bool enabled);
    void load();

private:
    friend class Forms;
    friend class FormWindow;
    void destroyControls();
    FormWindow *formWindow() const;

    bool mayRun() const;

    QPointer<QWidget> m_window; // a FormWindow
    bool m_unloading = false;
    bool m_outlivesEnd = false;
};

// Keeps the windows: makes them on first reference, decides which one is active, and ends the
// program. The application registers how to make each window.
class Forms
{
public:
    using Factory = std::function<std::unique_ptr<Form>()>;

    static void setFactory(FormId id, Factory factory);
    // The program-wide instance of Form1, Form2 or Form4, made on first reference.
    static Form &get(FormId id);
    template <class T> static T &get(FormId id) { return static_cast<T &>(get(id)); }
    // A new instance, owned here and discarded after its unload.
    static Form &create(FormId id);

    static Form *active();
    // Ends the program: every window goes without running a handler, and none runs again; with
    // AfterHeldWindows, the windows that hold the end back stay until they unload.
    static void end(EndMode mode = EndMode::Now);
    static bool hasEnded();

    // Drops every window and instance without running handlers; for a fresh start in tests.
    static void reset();

    // Bookkeeping used by Form and its window.
    static void activate(Form &form);
    static void forgetActivation(Form &form);
    static void followDesktop();
    static void closedByUser(Form &form);
    // True if the form was one of the per-use instances (it is then discarded).
    static bool discardIfTransient(Form &form);
    static void completeEnd();
};

} // namespace runtime
