#include "fakeruntime.h"

#include "runtime/accessibility.h"
#include "runtime/colours.h"
#include "runtime/fonts.h"
#include "runtime/forms.h"
#include "runtime/timer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <vector>

using runtime::Services;

QStringList FakeSound::names() const
{
    QStringList result;
    for (const QString &path : paths)
        result << QFileInfo(path).fileName();
    return result;
}

int FakeQuestionBox::ask(const QString &title, const QString &text, bool exclamation)
{
    asked.append({title, text, exclamation});
    if (whileOpen)
        whileOpen();
    if (answers.isEmpty()) {
        ++unexpected;
        return runtime::No;
    }
    return answers.takeFirst();
}

void ManualTimers::start(runtime::Timer &timer)
{
    m_due[&timer] = m_now + timer.interval();
}

void ManualTimers::stop(runtime::Timer &timer)
{
    m_due.erase(&timer);
}

void ManualTimers::advance(int ms)
{
    const long long end = m_now + ms;
    for (;;) {
        auto next = m_due.end();
        for (auto it = m_due.begin(); it != m_due.end(); ++it)
            if (it->second <= end && (next == m_due.end() || it->second < next->second))
                next = it;
        if (next == m_due.end())
            break;
        runtime::Timer *timer = next->first;
        m_now = next->second;
        next->second += timer->interval();
        timer->fire();
    }
    m_now = end;
}

namespace {

// In a test a real modal box would wait for a player who is not there until the run times out:
// the moment one is shown, fail the whole program instead, and say which box it was.
bool modalBoxesAllowed = false;

class ModalBoxGuard final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!modalBoxesAllowed && event->type() == QEvent::Show && watched->isWidgetType()) {
            const auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && widget->isModal()) {
                const auto *box = qobject_cast<const QMessageBox *>(widget);
                qFatal("A real modal box opened in a test: \"%s\" %s", qPrintable(widget->windowTitle()),
                       box ? qPrintable(box->text()) : "");
            }
        }
        return false;
    }
};

// Installed in every test program before its first test.
void guardAgainstModalBoxes()
{
    static ModalBoxGuard guard;
    QCoreApplication::instance()->installEventFilter(&guard);
}
Q_COREAPP_STARTUP_FUNCTION(guardAgainstModalBoxes)

} // namespace

void allowRealModalBoxes()
{
    modalBoxesAllowed = true;
}

namespace {

// The fake runtimes alive, the one in force last: one made before an older one has gone (a test
// that failed before its clean-up) must not lose its fakes when the older one goes.
std::vector<FakeRuntime *> &alive()
{
    static std::vector<FakeRuntime *> stack;
    return stack;
}

} // namespace

FakeRuntime::FakeRuntime()
{
    runtime::installFonts();
    runtime::installDesignedLook();
    runtime::installAccessibility();
    alive().push_back(this);
    install(this);
}

FakeRuntime::~FakeRuntime()
{
    runtime::Forms::reset();
    // Windows unloaded during the test are deleted once control returns to the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::vector<FakeRuntime *> &stack = alive();
    const bool inForce = stack.back() == this;
    std::erase(stack, this);
    if (inForce)
        install(stack.empty() ? nullptr : stack.back());
}

void FakeRuntime::install(FakeRuntime *fakes)
{
    // nullptr puts the real services back.
    Services::setSound(fakes ? &fakes->sound : nullptr);
    Services::setClock(fakes ? &fakes->clock : nullptr);
    Services::setRandom(fakes ? &fakes->random : nullptr);
    Services::setQuestions(fakes ? &fakes->questions : nullptr);
    Services::setFolder(fakes ? &fakes->folder : nullptr);
    Services::setProgramEnd(fakes ? &fakes->programEnd : nullptr);
    Services::setTimers(fakes ? &fakes->timers : nullptr);
}
