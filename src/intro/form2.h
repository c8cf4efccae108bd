#pragma once

#include "runtime/forms.h"
#include "ui_form2.h"

class Form2 final : public runtime::LayoutForm<Ui::Form2>
{
    Q_OBJECT
public:
    using LayoutForm::LayoutForm;
};
