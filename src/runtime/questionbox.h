// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/services.h"

#include <QDialog>
#include <memory>

class QPushButton;

namespace runtime {

// A question answered with Yes or No only. The title stays the window title and is shown again
// inside, in bold above the question, since window managers cut long titles short or show none;
// a warning icon beside them when asked for; buttons "Sí" (the default) and "No". Escape and the
// frame's close control do not answer it, since No may end the game or the program. Built from
// public widgets only, so that no Qt update can quietly change what it shows.
class QuestionDialog final : public QDialog
{
    Q_OBJECT
public:
    QuestionDialog(const QString &title, const QString &text, bool exclamation, QWidget *parent = nullptr);

    // The button that answers platform::Yes or platform::No.
    QPushButton *button(int answer) const;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QPushButton *m_yes = nullptr;
    QPushButton *m_no = nullptr;
};

class MessageQuestionBox final : public platform::QuestionBox
{
public:
    int ask(const QString &title, const QString &text, bool exclamation, const QString &spoken) override;

    // The box ask() shows, built but not shown. Its exec() returns the answer.
    static std::unique_ptr<QuestionDialog> build(const QString &title, const QString &text, bool exclamation);

    // Room beside the title text for the frame's icon and buttons, in pixels.
    static constexpr int TitleBarAllowance = 120;
};

} // namespace runtime
