// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms.h"

#include "formwindow.h"
#include "platform/services.h"
#include "platform/timer.h"

#include <QApplication>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace runtime {

namespace {

struct Registry
{
    // Declared before the windows, so that it outlives them: a window forgets its activation as
    // it is destroyed.
    std::vector<Form *> history; // in the order they were last active, the most recent at the back
    Form *active = nullptr;
    bool deactivating = false;
    Form *pending = nullptr;
    bool ended = false;
    std::array<Forms::Factory, 4> factories;
    std::array<std::unique_ptr<Form>, 4> shared;
    std::vector<std::unique_ptr<Form>> transient;
};

Registry &registry()
{
    static Registry r;
    return r;
}

bool anyOnScreen()
{
    const auto onScreen = [](const std::unique_ptr<Form> &f) {
        return f && f->isLoaded() && f->window()->isVisible();
    };
    Registry &r = registry();
    return std::any_of(r.shared.begin(), r.shared.end(), onScreen) ||
           std::any_of(r.transient.begin(), r.transient.end(), onScreen);
}

std::size_t slot(FormId id)
{
    return static_cast<std::size_t>(id);
}

std::unique_ptr<Form> make(FormId id)
{
    const Forms::Factory &factory = registry().factories[slot(id)];
    Q_ASSERT_X(factory, "Forms", "no factory registered for this window");
    return factory();
}

} // namespace

// ---- Form ----------------------------------------------------------------------------------

Form::Form(QObject *parent) : QObject(parent) {}

Form::~Form()
{
    Forms::forgetActivation(*this);
    delete m_window.data();
}

void Form::load()
{
    if (m_window || registry().ended)
        return;
    auto *window = new FormWindow(*this);
    m_window = window;
    createControls(*window);
    window->applyLayoutSettings();
    Form_Load();
}

QWidget *Form::window()
{
    load();
    return m_window.data();
}

bool Form::isVisible()
{
    load();
    return m_window && m_window->isVisible();
}

void Form::show()
{
    load();
    if (!m_window)
        return;
    formWindow()->present();
    Forms::activate(*this);
}

void Form::setFocus()
{
    show();
}

bool Form::mayRun() const
{
    return !registry().ended || m_outlivesEnd;
}

void Form::unload()
{
    if (!m_window || m_unloading || !mayRun())
        return;
    m_unloading = true;
    qint16 cancel = 0;
    Form_Unload(cancel);
    m_unloading = false;
    if (cancel != 0 || !mayRun() || !m_window)
        return;
    if (m_outlivesEnd) {
        destroyControls();
        m_outlivesEnd = false;
        Forms::discardIfTransient(*this);
        Forms::completeEnd();
        return;
    }
    const bool wasActive = Forms::active() == this;
    destroyControls();
    Forms::forgetActivation(*this);
    if (wasActive) {
        // The desktop may not hand the activation back by itself: pick a window that waits for the
        // player if one is on screen (else it could stay buried under a maximised window), else
        // the window that had the activation last.
        auto &history = registry().history;
        const auto onScreen = [](Form *f) { return f->m_window && f->m_window->isVisible(); };
        auto next = std::find_if(history.rbegin(), history.rend(),
                                 [&](Form *f) { return onScreen(f) && f->waitsForPlayer(); });
        if (next == history.rend())
            next = std::find_if(history.rbegin(), history.rend(), onScreen);
        if (next != history.rend())
            (*next)->show();
    }
    // A per-use window that leaves nothing on screen (its owner was closed through its frame
    // meanwhile) ends the program rather than leave it running unseen.
    if (Forms::discardIfTransient(*this) && !anyOnScreen())
        Forms::end();
}

platform::Timer *Form::addTimer(int intervalMs, bool enabled)
{
    return new platform::Timer(intervalMs, enabled, m_window.data());
}

FormWindow *Form::formWindow() const
{
    return static_cast<FormWindow *>(m_window.data());
}

void Form::destroyControls()
{
    QWidget *window = m_window.data();
    m_window.clear();
    releaseControls();
    // Timers stop now; the widgets go once the current event is over, since the handler that
    // unloaded the window may still be running inside one of them.
    for (auto *timer : window->findChildren<platform::Timer *>())
        timer->setEnabled(false);
    window->hide();
    window->deleteLater();
}

// ---- Forms ---------------------------------------------------------------------------------

void Forms::setFactory(FormId id, Factory factory)
{
    registry().factories[slot(id)] = std::move(factory);
}

Form &Forms::get(FormId id)
{
    Q_ASSERT_X(id != FormId::Form3, "Forms::get", "Form3 has a new instance per use");
    std::unique_ptr<Form> &instance = registry().shared[slot(id)];
    if (!instance)
        instance = make(id);
    return *instance;
}

Form &Forms::create(FormId id)
{
    registry().transient.push_back(make(id));
    return *registry().transient.back();
}

Form *Forms::active()
{
    return registry().active;
}

void Forms::activate(Form &form)
{
    Registry &r = registry();
    if (r.ended)
        return;
    // A window that takes the activation back while losing it gets it once the window that took
    // it over has had its own activation.
    if (r.deactivating) {
        r.pending = &form;
        return;
    }
    Form *previous = r.active;
    if (previous == &form)
        return;
    std::erase(r.history, &form);
    r.history.push_back(&form);
    r.active = &form;
    if (previous && previous->isLoaded()) {
        r.deactivating = true;
        previous->Form_Deactivate();
        r.deactivating = false;
    }
    if (r.active == &form && form.isLoaded())
        form.Form_Activate();
    if (Form *next = std::exchange(r.pending, nullptr); next && next->isLoaded())
        activate(*next);
}

void Forms::forgetActivation(Form &form)
{
    Registry &r = registry();
    std::erase(r.history, &form);
    if (r.active == &form)
        r.active = nullptr;
    if (r.pending == &form)
        r.pending = nullptr;
}

void Forms::followDesktop()
{
    QWidget *desktopActive = QApplication::activeWindow();
    for (Form *form : registry().history) {
        if (form->m_window && form->m_window == desktopActive) {
            activate(*form);
            return;
        }
    }
    // A window that has never been active yet.
    for (auto &instance : registry().shared) {
        if (instance && instance->m_window && instance->m_window == desktopActive) {
            activate(*instance);
            return;
        }
    }
}

void Forms::closedByUser(Form &form)
{
    form.unload();
    // Closing the last window on screen leaves the player nothing to return to: end the program
    // rather than leave a hidden window running.
    if (!registry().ended && !anyOnScreen())
        end();
}

bool Forms::discardIfTransient(Form &form)
{
    auto &transient = registry().transient;
    auto it = std::find_if(transient.begin(), transient.end(), [&](auto &f) { return f.get() == &form; });
    if (it == transient.end())
        return false;
    // The form may be running one of its own handlers still.
    it->release()->deleteLater();
    transient.erase(it);
    return true;
}

void Forms::end(EndMode mode)
{
    Registry &r = registry();
    if (r.ended)
        return;
    r.ended = true;
    r.history.clear();
    r.active = nullptr;
    const auto close = [mode](Form &form) {
        if (!form.m_window)
            return;
        if (mode == EndMode::AfterHeldWindows && form.holdsProgramEnd())
            form.m_outlivesEnd = true;
        else
            form.destroyControls();
    };
    for (auto &instance : r.shared)
        if (instance)
            close(*instance);
    for (auto &instance : r.transient)
        close(*instance);
    completeEnd();
}

void Forms::completeEnd()
{
    Registry &r = registry();
    const auto holding = [](const std::unique_ptr<Form> &f) { return f && f->m_outlivesEnd; };
    if (std::none_of(r.shared.begin(), r.shared.end(), holding) &&
        std::none_of(r.transient.begin(), r.transient.end(), holding))
        platform::services().programEnd->end();
}

bool Forms::hasEnded()
{
    return registry().ended;
}

void Forms::reset()
{
    Registry &r = registry();
    r.history.clear();
    r.active = nullptr;
    r.pending = nullptr;
    r.deactivating = false;
    r.transient.clear();
    for (auto &instance : r.shared)
        instance.reset();
    r.ended = false;
}

} // namespace runtime
