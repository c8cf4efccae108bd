// SPDX-License-Identifier: GPL-3.0-or-later
#include "announcer.h"

#include "accessibility.h"
#include "forms.h"
#include "platform/services.h"

#include <QAccessible>
#include <QApplication>
#include <QStatusBar>
#include <QWidget>
#include <chrono>

namespace runtime {

Announcer::Announcer(QWidget &window) : QObject(&window), m_window(window)
{
    m_wait.setSingleShot(true);
    connect(&m_wait, &QTimer::timeout, this, &Announcer::sayWhenQuiet);
}

bool QtScreenReader::listening() const
{
    return QAccessible::isActive();
}

bool Announcer::listening()
{
    const platform::ScreenReader *reader = platform::services().screenReader;
    return reader && reader->listening();
}

int Announcer::spokenMs(const QStringList &utterances)
{
    int ms = 0;
    for (const QString &utterance : utterances) {
        if (!utterance.isEmpty())
            ms += MsBetweenUtterances + MsPerCharacter * int(utterance.size());
    }
    return ms;
}

namespace {

// Orca's Spanish words for the roles found in these windows; any other is about this long.
QString roleWords(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
        return QStringLiteral("botón de pulsación");
    case QAccessible::Slider:
        return QStringLiteral("deslizador");
    case QAccessible::Window:
        return QStringLiteral("marco");
    default:
        return QStringLiteral("panel");
    }
}

QString nameAndRole(QAccessibleInterface *widget)
{
    if (!widget)
        return {};
    return widget->text(QAccessible::Name) + QLatin1Char(' ') + roleWords(widget->role()) + QLatin1Char('.');
}

} // namespace

QStringList Announcer::focusUtterances(const QWidget &window, bool withTitle)
{
    QStringList utterances;
    if (withTitle)
        utterances << nameAndRole(QAccessible::queryAccessibleInterface(const_cast<QWidget *>(&window)));
    if (QWidget *focus = window.focusWidget()) {
        QAccessibleInterface *focused = QAccessible::queryAccessibleInterface(focus);
        utterances << nameAndRole(focused);
        if (focused)
            utterances << focused->text(QAccessible::Description);
    }
    return utterances;
}

void Announcer::say(const QString &sentence)
{
    if (!listening() || sentence.isEmpty())
        return;
    if (!m_bar) {
        // Made at the first sentence: without a screen reader, none of this exists.
        m_bar = new QStatusBar(&m_window);
        m_bar->setObjectName(QStringLiteral("announcements"));
        m_bar->setSizeGripEnabled(false);
        m_bar->setGeometry(0, 0, 1, 1);
        m_bar->setAttribute(Qt::WA_TransparentForMouseEvents);
        for (QWidget *&note : m_notes) {
            note = new QWidget(m_bar);
            note->setProperty(RoleProperty, int(QAccessible::Notification));
            note->setGeometry(0, 0, 1, 1);
            note->hide();
        }
        m_bar->lower();
        m_bar->show();
    }
    QWidget *note = m_notes[m_next];
    m_next = (m_next + 1) % m_notes.size();
    note->hide();
    note->setAccessibleName(sentence);
    note->show();
}

void Announcer::sayInActiveWindow(const QString &sentence)
{
    if (!listening())
        return;
    QTimer::singleShot(MarginMs, qApp, [sentence] {
        Form *active = Forms::active();
        if (auto *announcer =
                active && active->isLoaded() ? active->window()->findChild<Announcer *>() : nullptr)
            announcer->say(sentence);
    });
}

void Announcer::sayAfterSound(const QString &sentence)
{
    if (!listening())
        return;
    m_waiting = sentence;
    sayWhenQuiet();
}

void Announcer::forget()
{
    m_waiting.clear();
    m_wait.stop();
}

void Announcer::sayWhenQuiet()
{
    using namespace std::chrono;
    if (m_waiting.isEmpty())
        return;
    const auto quiet = platform::services().sound->quietFrom() + milliseconds(MarginMs);
    const auto now = steady_clock::now();
    if (quiet > now) {
        m_wait.start(duration_cast<milliseconds>(quiet - now) + milliseconds(1));
        return;
    }
    say(std::exchange(m_waiting, QString()));
}

} // namespace runtime
