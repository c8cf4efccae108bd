#pragma once

#include "runtime/forms.h"
#include "ui_form4.h"

namespace runtime {
class Timer;
}

// The splash window, shown at start-up and again as the about panel. It closes after 25 seconds
// or on a double-click, and at its first close hands over to the introduction window.
class Form4 final : public runtime::LayoutForm<Ui::Form4>
{
    Q_OBJECT
public:
    using LayoutForm::LayoutForm;

    void Timer1_Timer();

protected:
    void createControls(QWidget &window) override;
    void releaseControls() override;
    void Form_DblClick() override;
    void Form_Unload(qint16 &Cancel) override;

private:
    runtime::Timer *m_timer1 = nullptr;
};
