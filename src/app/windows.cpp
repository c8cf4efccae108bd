// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows.h"

#include "form4.h"
#include "game/form1.h"
#include "intro/form2.h"
#include "scores/form3.h"

using runtime::FormId;
using runtime::Forms;

void registerWindows()
{
    Forms::setFactory(FormId::Form1, [] { return std::make_unique<Form1>(); });
    Forms::setFactory(FormId::Form2, [] { return std::make_unique<Form2>(); });
    Forms::setFactory(FormId::Form3, [] { return std::make_unique<Form3>(); });
    Forms::setFactory(FormId::Form4, [] { return std::make_unique<Form4>(); });
}
