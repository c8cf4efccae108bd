// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

namespace platform {
class Clock;
class RandomSource;
} // namespace platform

// The rules of a game, apart from any window: it draws the character to name, judges answers,
// keeps the score, the level and the level's hits, and says what each event leads to. The game
// window applies what it says to its controls, its sounds and its question boxes.
class RoundEngine
{
public:
    // The draws come from random, reseeded from clock before each one.
    RoundEngine(platform::RandomSource &random, const platform::Clock &clock)
        : m_random(random), m_clock(clock)
    {
    }

    static constexpr int Characters = 36;
    // Every new game starts with E, I and S.
    static constexpr qint16 StartLevel = 3;
    // The level after the last: the game has been finished.
    static constexpr qint16 FinishedLevel = Characters + 1;
    static constexpr float HitsPerLevel = 10;
    static constexpr int RepeatCost = 1;
    // On top of the repeat that every hint plays.
    static constexpr int HintCost = 3;

    // The questions a game asks, each in a box with Yes and No.
    enum class Question
    {
        None,
        NextLevel,
        PlayAgainAfterMiss,
        PlayAgainAfterFinish
    };

    // What the window does once a question has been answered.
    enum class Next
    {
        NextLevel,          // the level has been raised: show it, then draw
        RestartAfterMiss,   // a new game waits for the start button
        RestartAfterFinish, // the same, after a finished game
        Leave,              // back to the introduction window
        LeaveAndEnd,        // back, and the program ends
    };

    // What an event leads to, in this order: the sound starts, then the question is asked.
    struct Outcome
    {
        QString sound;
        Question question = Question::None;
        // A new character is in play; the sound is its own.
        bool drew = false;
        // After a miss: the catalogue number of the character that was sent.
        int sent = 0;
    };

    struct Reply
    {
        // Set when a game has just ended: its score goes to the high-score check first.
        std::optional<int> endedScore;
        Next next = Next::Leave;
    };

    // The start button, and every round after a right answer: draws among the characters in
    // play, or finishes the game once all 36 have been mastered.
    Outcome nextRound();
    // Reseeds from the clock and draws a catalogue number from 1 to level into the target.
    void chooseCharacter(int level);
    // Character button index (0 to 35) pressed.
    Outcome answer(int index);
    Reply answered(Question question, bool yes);
    // The sound played last, again; returns it.
    QString repeat();
    // The repeat, and the target's character shown; returns the sound.
    QString hint();
    void chooseLevel(int level);
    // Back to the first level of a game.
    void resetLevel();
    // The player leaves the game window mid-game: the points stay for the next game.
    void leave();
    // One tick of the idle timer while the window is on screen; returns the prompt to play, if
    // any. A game in progress holds the cycle at its start.
    QString idleTick(bool gameInProgress);
    void resetIdle();

    int score() const { return m_score; }
    qint16 level() const { return m_level; }
    float levelHits() const { return m_levelHits; }
    // Catalogue number of the character to name; 0 before the first draw.
    int target() const { return m_target; }
    QString hintCharacter() const { return m_hintCharacter; }
    QString soundName() const { return m_soundName; }
    qint16 idleTicks() const { return m_idleTicks; }

private:
    void charge(int points);
    QString play(const QString &sound);

    platform::RandomSource &m_random;
    const platform::Clock &m_clock;
    QString m_soundName;
    QString m_hintCharacter;
    qint16 m_idleTicks = 0;
    int m_target = 0;
    qint16 m_level = 0;
    // Starts out unset, which every rule reads as 0.
    int m_score = 0;
    float m_levelHits = 0;
};
