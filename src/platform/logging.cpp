// SPDX-License-Identifier: GPL-3.0-or-later
#include "logging.h"

namespace platform {

Q_LOGGING_CATEGORY(lcSound, "zumbarel.sound")
Q_LOGGING_CATEGORY(lcScores, "zumbarel.scores")
Q_LOGGING_CATEGORY(lcWindows, "zumbarel.windows")
Q_LOGGING_CATEGORY(lcProgress, "zumbarel.progress")

void OncePerCause::warn(const QString &cause, const QString &message)
{
    if (m_met.contains(cause))
        return;
    m_met.insert(cause);
    qCWarning(m_category).noquote() << message;
}

void installMessagePattern()
{
    qSetMessagePattern(QStringLiteral("%{if-category}%{category}: %{endif}%{message}"));
}

} // namespace platform
