// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/services.h"
#include "progress/progress.h"
#include "rules/roundengine.h"
#include "runtime/designedform.h"

#include <QString>
#include <array>

class QPushButton;
class QTimer;

namespace platform {
class Timer;
}
namespace runtime {
class Announcer;
}
namespace Ui {
class Form1;
}

// The game window: 36 character buttons answer the Morse sound of a character drawn from those in
// play. The object lives for the whole process, so a game's score, level and last sound survive
// the window being closed; each load only rebuilds the controls and resets the level.
class Form1 final : public runtime::DesignedForm<Ui::Form1>
{
    Q_OBJECT
public:
    explicit Form1(QObject *parent = nullptr);
    ~Form1() override;

    static constexpr int CharacterButtons = RoundEngine::Characters;

    // Character button i answers catalogue entry i + 1.
    QPushButton *Command1(int index);
    // The rules' state: the score, the level and the character to name.
    const RoundEngine &round() const { return m_round; }

    // The round engine's steps, applied to the window.
    void NextRound();
    void CheckAnswer(qint16 index);
    void ReplaySound();
    void ShowHint();
    void ResetButtons();
    // Opens a new name-entry window when the score of the game just ended beats the table's fifth
    // score, as the file holds it now; does not wait for it.
    void CheckHighScore(int score);

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

protected:
    void createControls(QWidget &window) override;
    void releaseControls() override;
    void Form_Load() override;
    void Form_Resize() override;
    bool Form_KeyPress(const QKeyEvent &event) override;

private:
    // Plays the outcome's sound, puts a drawn character's buttons in play, and asks its question.
    void apply(const RoundEngine::Outcome &outcome);
    void follow(const RoundEngine::Reply &reply);
    void AdvanceLevel();
    void RestartAfterFinish();
    // Shows the introduction window and closes this one: the way out of every declined question.
    void LeaveToIntroduction();
    // Plays the sound, and once it has been heard has a screen reader say `thenSay`, if any.
    void PlaySound(const QString &fileName, const QString &thenSay = {});
    void PlayDelayedSound();
    // What a screen reader says with a question: the character sent after a miss, and the score.
    QString spokenWithQuestion(const RoundEngine::Outcome &outcome) const;
    void ShowScore();
    // Marks the button of the character sent, while the player learns of a miss.
    void ShowSent(int number);
    void SetHintCaption(const QString &caption);
    void PaintLevelLabel(double red, double green);
    // Keeps the game just ended, its answers, the level it reached and its score, in the learner's
    // progress.
    void RecordProgress(int level, int score);
    // False once the handler's window has been closed or the program has ended: nothing more may
    // touch the controls then, since touching them would load the window again.
    bool stillOpen() const;

    RoundEngine m_round{*platform::services().random, *platform::services().clock};
    // Full path of the sound played last.
    QString SoundPath;
    qint16 Answer = 0;
    std::array<QPushButton *, CharacterButtons> m_command1 = {};
    platform::Timer *m_timer1 = nullptr;
    // The answers of the game in progress, kept with its end.
    QList<Progress::Answer> m_answers;

    // With a screen reader only: how long a sound waits for the echo of the key that caused it.
    // Orca's echo of one key ends within 0.55 s of the press ("espacio" the longest); 600 ms left
    // the hint's Morse touching it by 9 ms in one game.
    static constexpr int KeyEchoMs = 750;
    // Then also for what Orca says of the focus that lands in the window: the next sound comes
    // after a question box (the window and its focus are read again), or the start button, now
    // disabled, has handed its focus on.
    void waitForFocusSpeech(bool withTitle);
    bool m_afterQuestion = false;
    QString m_pendingSound;
    QString m_thenSay;
    QTimer *m_soundDelay = nullptr;
    runtime::Announcer *m_announcer = nullptr;
};
