#pragma once

#include "runtime/forms.h"
#include "ui_form1.h"

class Form1 final : public runtime::LayoutForm<Ui::Form1>
{
    Q_OBJECT
public:
    using LayoutForm::LayoutForm;
};
