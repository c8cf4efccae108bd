// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/forms.h"
#include "windowcontrols.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTextEdit>

// Reaching the introduction window's controls by name, as a player sees them.
namespace intro {

inline runtime::Form &window()
{
    return runtime::Forms::get(runtime::FormId::Form2);
}

template <class T = QWidget> T *control(const char *name)
{
    return ::control<T>(window(), name);
}

inline void click(const char *button)
{
    QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
}

// The whole text of the text area.
inline QString text()
{
    return control<QTextEdit>("RichTextBox1")->toPlainText();
}

inline QLineEdit *characterBox()
{
    return control<QLineEdit>("Text1");
}

} // namespace intro
