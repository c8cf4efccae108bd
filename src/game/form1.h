#pragma once

#include "runtime/forms.h"

#include <QString>
#include <array>
#include <memory>

class QPushButton;

namespace runtime {
class Timer;
}
namespace Ui {
class Form1;
}

// The game window: 36 character buttons answer the Morse sound of a character drawn from those in
// play. The object lives for the whole process, so a game's score, level and last sound survive
// the window being closed; each load only rebuilds the controls and resets the level.
class Form1 final : public runtime::Form
{
    Q_OBJECT
public:
    explicit Form1(QObject *parent = nullptr);
    ~Form1() override;

    static constexpr int CharacterButtons = 36;

    // Character button i answers catalogue entry i + 1.
    QPushButton *Command1(int index);

    // Round engine.
    void NextRound();
    void ChooseCharacter(int level);
    void CheckAnswer(qint16 index);
    void ReplaySound();
    void ShowHint();
    void ResetButtons();
    // Opens a new name-entry window when the score beats the table's; does not wait for it.
    void CheckHighScore();

    // Window events.
    void Command1_Click(qint16 Index);
    void Command2_Click();
    void command3_Click();
    void cmdRepetir_Click();
    void Command4_Click();
    void VScroll1_Change();
    void Timer1_Timer();

    // The level chooser's value, 1 (bottom) to 36 (top).
    int chooserValue();
    void setChooserValue(int value);

    // Game state, kept for the life of the process.
    QString SoundPath;
    QString SoundName;
    QString HintCharacter;
    double Red = 0;
    double Green = 0;
    qint16 IdleTicks = 0;
    qint16 Answer = 0;
    int Target = 0;
    qint16 Level = 0;
    // Starts out unset, which every rule reads as 0.
    int Score = 0;
    float LevelHits = 0;

protected:
    void createControls(QWidget &window) override;
    void releaseControls() override;
    void Form_Load() override;
    void Form_Resize() override;

private:
    // The controls; a reference loads the window, as any reference does.
    Ui::Form1 &controls();

    void AdvanceLevel();
    void FinishedGame();
    // Shows the introduction window and closes this one: the way out of every declined question.
    void LeaveToIntroduction();
    void PlayEffect(const QString &fileName);
    void ShowScore();
    void SetHintCaption(const QString &caption);
    void PaintLevelLabel(double red, double green);
    void PaintButton(QPushButton &button, bool inPlay);
    // False once the handler's window has been closed or the program has ended: nothing more may
    // touch the controls then, since touching them would load the window again.
    bool stillOpen() const;

    std::unique_ptr<Ui::Form1> m_ui;
    std::array<QPushButton *, CharacterButtons> m_command1 = {};
    runtime::Timer *m_timer1 = nullptr;
};
