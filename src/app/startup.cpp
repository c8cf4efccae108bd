#include "startup.h"

#include "catalogue/playsound.h"
#include "module1.h"
#include "runtime/accessibility.h"
#include "runtime/colours.h"
#include "runtime/fonts.h"
#include "runtime/forms.h"
#include "runtime/pictures.h"
#include "windows.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <functional>
#include <utility>

namespace {

// Runs `then` once, when the window's first frame has been drawn and handed to the display, or
// after `latest` if that never comes (a desktop that keeps it unexposed).
class AfterFirstFrame : public QObject
{
public:
    AfterFirstFrame(QWindow &window, std::function<void()> then, std::chrono::milliseconds latest)
        : QObject(&window), m_then(std::move(then))
    {
        window.installEventFilter(this);
        QTimer::singleShot(latest, this, &AfterFirstFrame::run);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The exposure is drawn and flushed when this event is handled, before the loop next
        // looks at its timers.
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed())
            QTimer::singleShot(0, this, &AfterFirstFrame::run);
        return false;
    }

private:
    void run()
    {
        if (m_then)
            std::exchange(m_then, nullptr)();
        deleteLater();
    }

    std::function<void()> m_then;
};

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
    registerWindows();
    Module1::Main();
    QWidget *splash = runtime::Forms::get(runtime::FormId::Form4).window();
    if (QWindow *handle = splash ? splash->windowHandle() : nullptr)
        new AfterFirstFrame(*handle, &finishStart, std::chrono::seconds(1));
    else
        finishStart();
}
