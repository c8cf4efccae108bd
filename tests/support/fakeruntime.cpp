#include "fakeruntime.h"

#include "runtime/accessibility.h"
#include "runtime/colours.h"
#include "runtime/fonts.h"
#include "runtime/forms.h"
#include "runtime/timer.h"

#include <QCoreApplication>
#include <QFileInfo>

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

FakeRuntime::FakeRuntime()
{
    runtime::installFonts();
    runtime::installDesignedLook();
    runtime::installAccessibility();
    Services::setSound(&sound);
    Services::setClock(&clock);
    Services::setRandom(&random);
    Services::setQuestions(&questions);
    Services::setFolder(&folder);
    Services::setProgramEnd(&programEnd);
    Services::setTimers(&timers);
}

FakeRuntime::~FakeRuntime()
{
    runtime::Forms::reset();
    // Windows unloaded during the test are deleted once control returns to the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Services::setSound(nullptr);
    Services::setClock(nullptr);
    Services::setRandom(nullptr);
    Services::setQuestions(nullptr);
    Services::setFolder(nullptr);
    Services::setProgramEnd(nullptr);
    Services::setTimers(nullptr);
}
