// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QtGlobal>

// Every message logged while it lives.
class LoggedMessages
{
public:
    LoggedMessages() { m_previous = qInstallMessageHandler(&LoggedMessages::take); }
    ~LoggedMessages()
    {
        qInstallMessageHandler(m_previous);
        messages().clear();
    }
    static QStringList &messages()
    {
        static QStringList list;
        return list;
    }

private:
    static void take(QtMsgType, const QMessageLogContext &, const QString &message) { messages() << message; }
    QtMessageHandler m_previous = nullptr;
};
