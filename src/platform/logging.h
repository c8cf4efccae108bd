// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>
#include <QSet>
#include <QString>

// One logging category per area, so that a player can raise or silence an area with
// QT_LOGGING_RULES (for example "zumbarel.sound.warning=false"); the program prints each message
// after its category's name.
namespace platform {

Q_DECLARE_LOGGING_CATEGORY(lcSound)
Q_DECLARE_LOGGING_CATEGORY(lcScores)
Q_DECLARE_LOGGING_CATEGORY(lcWindows)
Q_DECLARE_LOGGING_CATEGORY(lcProgress)

// Warns of each cause of trouble once: a failure met at every play or every save would bury
// everything else. Used from one thread.
class OncePerCause
{
public:
    using Category = const QLoggingCategory &(*)();
    explicit OncePerCause(Category category) : m_category(category) {}

    void warn(const QString &cause, const QString &message);
    // The cause is news again, once it has gone away.
    void forget(const QString &cause) { m_met.remove(cause); }

private:
    Category m_category;
    QSet<QString> m_met;
};

// The form the program's messages take: the category first, unless QT_MESSAGE_PATTERN says
// otherwise.
void installMessagePattern();

} // namespace platform
