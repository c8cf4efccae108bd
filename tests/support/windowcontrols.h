// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/forms.h"

#include <QAbstractButton>
#include <QTest>
#include <QWidget>

// Reaching a window's controls by the names its layout gives them, as a player finds them: the
// layouts are private to their windows.
template <class T = QWidget> T *control(runtime::Form &form, const char *name)
{
    T *found = form.window()->findChild<T *>(QLatin1String(name));
    Q_ASSERT_X(found, "control", name);
    return found;
}

inline void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}
