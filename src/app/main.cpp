// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/logging.h"
#include "runtime/accessibility.h"
#include "runtime/forms.h"
#include "startup.h"
#include "systemservices.h"

#include <QApplication>
#include <QList>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace {

// Messages from the start of the windowing system, held back until it is known to have started.
// The sound thread may have something to say meanwhile, hence the lock.
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::mutex heldMutex;
QList<HeldMessage> heldMessages;

// When the windowing system cannot start, Qt stops with a fatal message and a core dump. Without
// any desktop named, say plainly what is missing; with one, the cause is something else, and Qt's
// own words, all of them, say what.
void startupHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const std::lock_guard lock(heldMutex);
    if (type != QtFatalMsg) {
        heldMessages.append({type, context.category, message});
        return;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("Zumbarel necesita un escritorio gráfico y no ha encontrado ninguno "
                   "(no display: set DISPLAY or WAYLAND_DISPLAY).\n",
                   stderr);
    } else {
        for (const HeldMessage &held : std::as_const(heldMessages))
            std::fprintf(stderr, "%s\n", qPrintable(held.text));
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
    _exit(EXIT_FAILURE);
}

} // namespace

int main(int argc, char *argv[])
{
    // A file-size limit must refuse a write, not kill the program halfway through it: the record
    // files put the old bytes back when a write is refused.
    std::signal(SIGXFSZ, SIG_IGN);
    platform::installMessagePattern();
    const QtMessageHandler defaultHandler = qInstallMessageHandler(startupHandler);
    // Before anything else, and gone after everything else.
    const SystemServices services;
    platform::keepPluginsOutOf(services.folder().nativePath());
    QApplication app(argc, argv);
    // The desktop matches the windows to zumbarel.desktop, its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("zumbarel"));
    qInstallMessageHandler(defaultHandler);
    {
        const std::lock_guard lock(heldMutex);
        for (const HeldMessage &held : std::as_const(heldMessages))
            defaultHandler(held.type, QMessageLogContext(nullptr, 0, nullptr, held.category.constData()),
                           held.text);
        heldMessages.clear();
    }
    // Qt's own texts (the name box's context menu) in the program's language.
    runtime::loadSpanishQtTexts();
    startProgram();
    const int code = QApplication::exec();
    // The windows go while the application and the services they use are still there.
    runtime::Forms::reset();
    return code;
}
