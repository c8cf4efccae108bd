// SPDX-License-Identifier: GPL-3.0-or-later
#include "formwindow.h"

#include "colours.h"
#include "firstframe.h"
#include "fonts.h"
#include "forms.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <qdrawutil.h>

namespace runtime {

namespace {
bool flag(const QWidget &w, const char *name, bool fallback)
{
    const QVariant v = w.property(name);
    return v.isValid() ? v.toBool() : fallback;
}
QString text(const QWidget &w, const char *name)
{
    return w.property(name).toString();
}
} // namespace

FormWindow::FormWindow(Form &form) : m_form(form)
{
    setAttribute(Qt::WA_QuitOnClose, false);
    // Before the controls exist, so that each control builds on the designed font and colours,
    // never on the desktop's.
    applyDesignedLook(*this);
}

void FormWindow::applyLayoutSettings()
{
    // The designed colours and fonts first: the sizes below depend on them.
    useInstalledFamilies(*this);
    applyDesignedLook(*this, layoutColour(text(*this, "BackColor")), layoutColour(text(*this, "ForeColor")));
    // A menu bar keeps the system's menu colours, not the window's own background.
    for (QMenuBar *menuBar : findChildren<QMenuBar *>())
        menuBar->setPalette(classicPalette());
    const QString border = text(*this, "BorderStyle");
    const bool titleBar = flag(*this, "TitleBar", true);
    // Without a task-bar button a window is a tool window; but one that fills the screen stays a
    // normal window, or common desktops leave it out of the window switcher and the player could
    // not get back to it.
    const bool maximized = text(*this, "WindowState") == QLatin1String("maximized");
    const bool fixedBorder = border.startsWith(QLatin1String("fixed"));
    m_hasCloseControl = titleBar && flag(*this, "ControlBox", true);
    m_staysMaximized = maximized && fixedBorder;
    Qt::WindowFlags flags = flag(*this, "ShowInTaskbar", true) || maximized ? Qt::Window : Qt::Tool;
    if (!titleBar) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (flag(*this, "ControlBox", true))
            flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
        if (flag(*this, "MinButton", true))
            flags |= Qt::WindowMinimizeButtonHint;
        if (flag(*this, "MaxButton", true))
            flags |= Qt::WindowMaximizeButtonHint;
    }
    setWindowFlags(flags);
    // Labels and pictures marked AutoSize take the size of their caption or picture.
    for (QLabel *label : findChildren<QLabel *>())
        if (label->property("AutoSize").toBool())
            label->adjustSize();
    if (!titleBar && border == QLatin1String("fixedDialog"))
        addDrawnFrame();
    // A fixed border keeps its design size, unless the window is meant to fill the screen.
    if (fixedBorder && !maximized)
        setFixedSize(size());
}

void FormWindow::addDrawnFrame()
{
    // No desktop draws a frame round a window without a title bar, so the window draws its own
    // thin dialog frame outside its client area: the controls keep their places in that area.
    // A control reaching past the client area is cut at its edge, as the client area cuts it.
    m_drawsFrame = true;
    const QRect client = rect();
    const QPoint inset(DrawnFrameWidth, DrawnFrameWidth);
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->setGeometry(child->geometry().intersected(client).translated(inset));
    resize(size() + QSize(2 * DrawnFrameWidth, 2 * DrawnFrameWidth));
}

void FormWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    FirstFrame::drawn();
    if (!m_drawsFrame)
        return;
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

void FormWindow::present()
{
    if (!m_presented && text(*this, "StartUpPosition") == QLatin1String("centerScreen")) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    if (!m_presented && text(*this, "WindowState") == QLatin1String("maximized"))
        showMaximized();
    else if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    else
        show();
    m_presented = true;
    // The headless platform has no stacking order to change.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    activateWindow();
}

bool FormWindow::live() const
{
    // A window being destroyed, or left over from an earlier load, runs no handler.
    return m_form.m_window == this && m_form.mayRun();
}

void FormWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (live())
        m_form.Form_Resize();
}

void FormWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Only the window's own surface counts: a double-click on a control is that control's.
    if (live() && childAt(event->position().toPoint()) == nullptr)
        m_form.Form_DblClick();
    event->accept();
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    // A window whose layout has no close control stays as it is, whatever the desktop offers
    // (a close button added by the window manager, Alt+F4): its own controls are the way out.
    if (!m_hasCloseControl)
        return;
    // The frame's close control unloads like any other unload; the runtime decides what follows.
    if (live())
        Forms::closedByUser(m_form);
}

void FormWindow::keyPressEvent(QKeyEvent *event)
{
    // A held key repeats: one press is one answer.
    if (!live() || event->isAutoRepeat()) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Enter presses the focused button as Space does, which is what players of other desktops
    // expect; a button only hands Enter on when it is no dialog's default.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto *button = qobject_cast<QAbstractButton *>(focusWidget());
    if (enter && button && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        button->click();
        return;
    }
    if (!m_form.Form_KeyPress(*event))
        QWidget::keyPressEvent(event);
}

void FormWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The desktop's own activation changes (a click on another window) are followed once the
    // queue has settled, so that the program's own show calls are not undone by stale events.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, qApp, &Forms::followDesktop);
    if (event->type() == QEvent::WindowStateChange && m_staysMaximized && m_presented)
        QTimer::singleShot(0, this, &FormWindow::keepMaximized);
}

void FormWindow::keepMaximized()
{
    // A window that fills the screen has no size of its own to go back to: a window manager that
    // restores it anyway (or lets it be dragged to another size) sees it maximised again.
    // Minimised is left alone; it comes back maximised.
    const Qt::WindowStates state = windowState();
    if (isVisible() && !(state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        showMaximized();
}

} // namespace runtime
