#include "runtime/accessibility.h"
#include "runtime/services.h"
#include "runtime/systemservices.h"
#include "startup.h"

#include <QApplication>
#include <QList>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Messages from the start of the windowing system, held back until it is known to have started.
QList<std::pair<QtMsgType, QString>> heldMessages;

// Without a desktop to show windows on, Qt stops with a fatal message and a core dump, after a
// few lines about its plug-ins; say plainly what is missing instead.
void startupHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fputs("Zumbarel necesita un escritorio gráfico y no ha encontrado ninguno "
                   "(no display: set DISPLAY or WAYLAND_DISPLAY).\n",
                   stderr);
        _exit(EXIT_FAILURE);
    }
    heldMessages.append({type, message});
}

} // namespace

int main(int argc, char *argv[])
{
    // The program folder, and with it the high scores' place, is settled before anything else.
    runtime::keepPluginsOutOf(runtime::Services::folder().nativePath());
    const QtMessageHandler defaultHandler = qInstallMessageHandler(startupHandler);
    QApplication app(argc, argv);
    // The desktop matches the windows to zumbarel.desktop, its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("zumbarel"));
    qInstallMessageHandler(defaultHandler);
    for (const auto &[type, message] : std::as_const(heldMessages))
        defaultHandler(type, QMessageLogContext(), message);
    // Qt's own texts (the name box's context menu) in the program's language.
    runtime::loadSpanishQtTexts();
    startProgram();
    return QApplication::exec();
}
