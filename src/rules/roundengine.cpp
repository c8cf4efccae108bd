// SPDX-License-Identifier: GPL-3.0-or-later
#include "roundengine.h"

#include "catalogue/catalogue.h"
#include "platform/services.h"

#include <cmath>

namespace {

// Ticks of the idle timer at which the waiting player is called, in a cycle of 12 ticks.
QString idlePrompt(int tick)
{
    switch (tick) {
    case 2:
        return QStringLiteral("hola juegas.wav");
    case 3:
        return QStringLiteral("hay alguien.wav");
    case 4:
        return QStringLiteral("vas a jugar.wav");
    case 5:
        return QStringLiteral("si no piensas.wav");
    default:
        return {};
    }
}

constexpr int IdleCycle = 12;

} // namespace

QString RoundEngine::play(const QString &sound)
{
    m_soundName = sound;
    return sound;
}

void RoundEngine::chooseCharacter(int level)
{
    // Reseeded before every draw, as the game always has been; the clock makes it vary.
    m_random.reseed(m_clock.secondsSinceMidnight());
    const double r = m_random.draw();
    m_target = int(std::floor(r * level)) + 1;
}

RoundEngine::Outcome RoundEngine::nextRound()
{
    if (m_level == FinishedLevel)
        return {play(QStringLiteral("welcom98.wav")), Question::PlayAgainAfterFinish};
    chooseCharacter(m_level);
    if (const CatalogueEntry *entry = findCatalogueEntry(m_target)) {
        m_hintCharacter = entry->Character;
        m_soundName = entry->SoundFile;
    }
    return {m_soundName, Question::None, true};
}

RoundEngine::Outcome RoundEngine::answer(int index)
{
    if (index != m_target - 1)
        return {play(QStringLiteral("oh.wav")), Question::PlayAgainAfterMiss, false, m_target};
    m_score += 1;
    m_levelHits += 1;
    if (m_levelHits >= HitsPerLevel)
        return {play(QStringLiteral("bien.wav")), Question::NextLevel};
    return nextRound();
}

RoundEngine::Reply RoundEngine::answered(Question question, bool yes)
{
    if (question == Question::NextLevel && yes) {
        m_level += 1;
        m_levelHits = 0;
        return {std::nullopt, Next::NextLevel};
    }
    // Every other answer ends the game: its score is checked before it is cleared.
    Reply reply{m_score, Next::Leave};
    m_score = 0;
    if (question == Question::PlayAgainAfterFinish && yes) {
        // Prepared but not started: the player starts it with the start button.
        m_level = StartLevel;
        reply.next = Next::RestartAfterFinish;
        return reply;
    }
    m_levelHits = 0;
    if (question == Question::PlayAgainAfterMiss && yes)
        reply.next = Next::RestartAfterMiss;
    else if (question == Question::PlayAgainAfterFinish)
        reply.next = Next::LeaveAndEnd;
    return reply;
}

void RoundEngine::charge(int points)
{
    m_score -= points;
    if (m_score <= 0)
        m_score = 0;
}

QString RoundEngine::repeat()
{
    charge(RepeatCost);
    return m_soundName;
}

QString RoundEngine::hint()
{
    charge(RepeatCost + HintCost);
    return m_soundName;
}

void RoundEngine::chooseLevel(int level)
{
    m_level = qint16(level);
}

void RoundEngine::resetLevel()
{
    m_level = StartLevel;
}

void RoundEngine::leave()
{
    m_levelHits = 0;
}

QString RoundEngine::idleTick(bool gameInProgress)
{
    if (gameInProgress) {
        m_idleTicks = 0;
        return {};
    }
    m_idleTicks += 1;
    if (m_idleTicks >= IdleCycle)
        m_idleTicks = 0;
    const QString prompt = idlePrompt(m_idleTicks);
    if (!prompt.isEmpty())
        m_soundName = prompt;
    return prompt;
}

void RoundEngine::resetIdle()
{
    m_idleTicks = 0;
}
