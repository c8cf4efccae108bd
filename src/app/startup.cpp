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
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/icon.svg")));
    runtime::installFonts();
    runtime::installDesignedLook();
    runtime::installAccessibility();
    registerWindows();
    Module1::Main();
}
