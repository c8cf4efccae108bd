// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/designedform.h"

namespace platform {
class Timer;
}
namespace Ui {
class Form4;
}

// The splash window, shown at start-up and again as the about panel. It closes after 25 seconds
// or on a double-click, and at its first close hands over to the introduction window.
class Form4 final : public runtime::DesignedForm<Ui::Form4>
{
    Q_OBJECT
public:
    explicit Form4(QObject *parent = nullptr);
    ~Form4() override;

    void Timer1_Timer();

protected:
    void createControls(QWidget &window) override;
    void releaseControls() override;
    void Form_DblClick() override;
    void Form_Unload(qint16 &Cancel) override;
    bool Form_KeyPress(const QKeyEvent &event) override;

private:
    platform::Timer *m_timer1 = nullptr;
    // The first load is the start-up's; every later one is the about panel's.
    bool m_loadedBefore = false;
};
