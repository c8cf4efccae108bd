// SPDX-License-Identifier: GPL-3.0-or-later
#include "form4.h"

#include "platform/timer.h"
#include "runtime/pictures.h"
#include "runtime/soundnotice.h"
#include "ui_form4.h"

#include <QKeyEvent>
#include <utility>

using runtime::FormId;
using runtime::Forms;

Form4::Form4(QObject *parent) : DesignedForm(parent) {}

Form4::~Form4() = default;

void Form4::createControls(QWidget &window)
{
    setupUi(window);
    m_timer1 = addTimer(25000, true);
    connect(m_timer1, &platform::Timer::tick, this, &Form4::Timer1_Timer);
    runtime::SoundServerNotice::addTo(window);
    // A screen reader names the program as it starts; later this window is the about panel.
    if (!std::exchange(m_loadedBefore, true))
        window.setAccessibleName(QStringLiteral("Zumbarel"));
}

void Form4::releaseControls()
{
    m_timer1 = nullptr;
    DesignedForm::releaseControls();
}

void Form4::Timer1_Timer()
{
    unload();
}

void Form4::Form_DblClick()
{
    unload();
}

bool Form4::Form_KeyPress(const QKeyEvent &event)
{
    // The keyboard's way to do what a double-click does, for a player who cannot see the window.
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Escape:
        if ((event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        unload();
        return true;
    default:
        return false;
    }
}

void Form4::Form_Unload(qint16 &Cancel)
{
    Q_UNUSED(Cancel)
    // Both questions are always asked, the introduction window's first: asking loads a window that
    // is not loaded, so both load steps run here at the first close.
    const bool introVisible = Forms::get(FormId::Form2).isVisible();
    const bool gameVisible = Forms::get(FormId::Form1).isVisible();
    if (!introVisible && !gameVisible)
        Forms::get(FormId::Form2).show();
}
