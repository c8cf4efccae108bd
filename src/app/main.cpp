#include "platform/logging.h"
#include "runtime/accessibility.h"
#include "runtime/forms.h"
#include "startup.h"
#include "systemservices.h"

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
    // Before anything else, and gone after everything else.
    const SystemServices services;
    platform::keepPluginsOutOf(services.folder().nativePath());
    platform::installMessagePattern();
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
    const int code = QApplication::exec();
    // The windows go while the application and the services they use are still there.
    runtime::Forms::reset();
    return code;
}
