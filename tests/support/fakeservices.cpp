// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeservices.h"

#include "platform/timer.h"

#include <QFileInfo>

QStringList FakeSound::names() const
{
    QStringList result;
    for (const QString &path : paths)
        result << QFileInfo(path).fileName();
    return result;
}

int FakeQuestionBox::ask(const QString &title, const QString &text, bool exclamation, const QString &spoken)
{
    asked.append({title, text, exclamation, spoken});
    if (whileOpen)
        whileOpen();
    if (answers.isEmpty()) {
        ++unexpected;
        return platform::No;
    }
    return answers.takeFirst();
}

void ManualTimers::start(platform::Timer &timer)
{
    m_due[&timer] = m_now + timer.interval();
}

void ManualTimers::stop(platform::Timer &timer)
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
        platform::Timer *timer = next->first;
        m_now = next->second;
        next->second += timer->interval();
        timer->fire();
    }
    m_now = end;
}
