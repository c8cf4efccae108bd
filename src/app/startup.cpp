#include "startup.h"

#include "module1.h"
#include "runtime/accessibility.h"
#include "runtime/colours.h"
#include "runtime/fonts.h"
#include "windows.h"

#include <QApplication>
#include <QIcon>

void startProgram()
{
    // The program ends through its own exit paths, never because a window was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Zumbarel"));
    // Ready-made pixmaps at the sizes desktops show: a scalable icon would be drawn at each of
    // them as every window opens.
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/assets/icon-%1x%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    runtime::installFonts();
    runtime::installDesignedLook();
    runtime::installAccessibility();
    registerWindows();
    Module1::Main();
}
