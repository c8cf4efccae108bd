// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeruntime.h"

#include "runtime/accessibility.h"
#include "runtime/colours.h"
#include "runtime/fonts.h"
#include "runtime/forms.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

// In a test a real modal box would wait for a player who is not there until the run times out:
// the moment one is shown, fail the whole program instead, and say which box it was.
bool modalBoxesAllowed = false;

class ModalBoxGuard final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!modalBoxesAllowed && event->type() == QEvent::Show && watched->isWidgetType()) {
            const auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && widget->isModal()) {
                const auto *box = qobject_cast<const QMessageBox *>(widget);
                qFatal("A real modal box opened in a test: \"%s\" %s", qPrintable(widget->windowTitle()),
                       box ? qPrintable(box->text()) : "");
            }
        }
        return false;
    }
};

// Installed in every test program before its first test.
void guardAgainstModalBoxes()
{
    static ModalBoxGuard guard;
    QCoreApplication::instance()->installEventFilter(&guard);
}
Q_COREAPP_STARTUP_FUNCTION(guardAgainstModalBoxes)

} // namespace

void allowRealModalBoxes()
{
    modalBoxesAllowed = true;
}

FakeRuntime::FakeRuntime()
{
    runtime::installFonts();
    runtime::installDesignedLook();
    runtime::installAccessibility();
}

FakeRuntime::~FakeRuntime()
{
    runtime::Forms::reset();
    // Windows unloaded during the test are deleted once control returns to the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
