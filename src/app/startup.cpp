// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"

#include "catalogue/playsound.h"
#include "module1.h"
#include "platform/services.h"
#include "runtime/accessibility.h"
#include "runtime/colours.h"
#include "runtime/firstframe.h"
#include "runtime/fonts.h"
#include "runtime/pictures.h"
#include "runtime/soundnotice.h"
#include "windows.h"

#include <QApplication>
#include <QIcon>
#include <chrono>

namespace {

// What the splash's first frame need not wait for: the splash shows no icon, and the first round
// is seconds away.
void finishStart()
{
    // Ready-made pixmaps at the sizes desktops show: a scalable icon would be drawn at each of
    // them as every window opens.
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addPixmap(runtime::picture(QStringLiteral(":/assets/icon-%1x%1.png").arg(size)));
    QApplication::setWindowIcon(icon);
    // Decoded before the first frame, the sounds would compete with drawing it.
    PrepareSoundFiles();
}

} // namespace

void startProgram()
{
    // The program ends through its own exit paths, never because a window was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Zumbarel"));
    runtime::installFonts();
    runtime::installDesignedLook();
    runtime::installAccessibility();
    new runtime::SoundServerNotice(*platform::services().sound, qApp);
    registerWindows();
    Module1::Main();
    runtime::FirstFrame::then(&finishStart, std::chrono::seconds(1));
}
