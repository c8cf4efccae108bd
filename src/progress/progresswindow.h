// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <memory>

class Progress;

namespace Ui {
class ProgressWindow;
}

// "Tu progreso": what the learner has answered so far, as charts and in words. Not modal; Escape
// and "Cerrar" close it, and it goes with the window that opened it. Built only when opened.
class ProgressWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressWindow(const Progress &progress, QWidget *parent = nullptr);
    ~ProgressWindow() override;

    // How many of the weakest characters are marked.
    static constexpr int Weakest = 5;
    static constexpr int MixUps = 10;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fill(const Progress &progress);

    std::unique_ptr<Ui::ProgressWindow> m_ui;
};
