// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/designedform.h"

#include <QLabel>
#include <QPointer>
#include <QString>
#include <array>

namespace platform {
class Timer;
}
namespace Ui {
class Form2;
}
class ProgressWindow;
namespace runtime {
class Announcer;
}

// The introduction window, the program's hub: it greets the player with a timed welcome text,
// presents the 38 characters one by one, seen and heard, shows the top-five table, and leads to
// the game, to the about panel and out of the program.
class Form2 final : public runtime::DesignedForm<Ui::Form2>
{
    Q_OBJECT
public:
    explicit Form2(QObject *parent = nullptr);
    ~Form2() override;

    // Presents the catalogue entry numbered position; a number without an entry replays the
    // sound played last.
    void ShowCharacter(const float &position);
    void cmdAvanzar_Click();
    void cmdRetroceder_Click();
    void cmdRepetir_Click();

    // One step of the welcome sequence.
    void Timer1_Timer();

    void mnuAcercade_Click();
    // "Progreso": the learner's progress, in a window of its own beside this one.
    void mnuProgreso_Click();
    void Command1_Click();
    void command3_Click();

protected:
    void createControls(QWidget &window) override;
    void releaseControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;

private:
    void refreshTopFive();
    // The table in words, for a screen reader: "Zumbarel top 5. 1, ANA, 50 puntos. ...".
    QString topFiveSpoken() const;

    // Kept across unload and reload; only WelcomeStep starts again with every load.
    qint16 WelcomeStep = 0;
    float LetterIndex = 0;
    QString SoundName;
    QString SoundPath;

    std::array<QLabel *, 10> top5{};
    platform::Timer *m_timer1 = nullptr;
    // Both go with the window's controls.
    QPointer<ProgressWindow> m_progress;
    runtime::Announcer *m_announcer = nullptr;
};
