// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/form1.h"
#include "runtime/forms.h"

// The program's one game window, as the tests reach it.
inline Form1 &game()
{
    return runtime::Forms::get<Form1>(runtime::FormId::Form1);
}
