#include "module1.h"
#include "runtime/fonts.h"
#include "windows.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

// Without a desktop to show windows on, Qt stops with a fatal message and a core dump; say
// plainly what is missing instead.
void startupHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fputs("Zumbarel necesita un escritorio gráfico y no ha encontrado ninguno "
                   "(no display found: set DISPLAY or WAYLAND_DISPLAY).\n",
                   stderr);
        _exit(EXIT_FAILURE);
    }
    if (defaultHandler)
        defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    defaultHandler = qInstallMessageHandler(startupHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(defaultHandler);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Zumbarel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/icon.svg")));

    runtime::installFontSubstitutes();
    registerWindows();
    Module1::Main();
    return QApplication::exec();
}
