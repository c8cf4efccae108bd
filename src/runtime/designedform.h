// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms.h"

#include <memory>

namespace runtime {

// A window whose controls come from its layout's generated class (Ui::FormN). The generated
// header stays out of the window's header: only setupUi() needs the class whole, and the window
// calls it from createControls, in the source file that includes that header; it also chooses
// there how the class is deleted, so nothing else ever needs it whole.
template <class Controls> class DesignedForm : public Form
{
public:
    using Form::Form;

protected:
    // The controls; a reference loads the window, as any reference does.
    Controls &ui()
    {
        load();
        Q_ASSERT_X(m_ui, "DesignedForm::ui", "the program has ended");
        return *m_ui;
    }

    // Builds the layout's controls onto a fresh window; call first in createControls.
    Controls &setupUi(QWidget &window)
    {
        m_ui = Holder(new Controls, [](Controls *controls) { delete controls; });
        m_ui->setupUi(&window);
        return *m_ui;
    }

    // A window that keeps pointers of its own into the controls forgets them, then calls this.
    void releaseControls() override { m_ui.reset(); }

private:
    using Holder = std::unique_ptr<Controls, void (*)(Controls *)>;
    Holder m_ui{nullptr, nullptr};
};

} // namespace runtime
