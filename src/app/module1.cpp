// SPDX-License-Identifier: GPL-3.0-or-later
#include "module1.h"

#include "catalogue/playsound.h"
#include "runtime/forms.h"

namespace Module1 {

QString StartSound;

void Main()
{
    runtime::Forms::get(runtime::FormId::Form4).show();
    StartSound = QStringLiteral("brunza.wav");
    PlaySoundFile(StartSound);
}

} // namespace Module1
