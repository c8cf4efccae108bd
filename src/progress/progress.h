// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <deque>
#include <utility>

// What a learner has answered, kept between sessions: per character how often it was sent and
// named right, per pair how often one was sent and the other pressed, and the last games' levels
// and scores. Nothing about the player's name.
class Progress
{
public:
    static constexpr int KeptGames = 50;

    struct Counts
    {
        qint64 sent = 0;
        qint64 right = 0;
        friend bool operator==(const Counts &, const Counts &) = default;
    };
    struct Game
    {
        QDate date;
        // Characters in play when the game ended; one past the last character for a game won.
        int level = 0;
        int score = 0;
        friend bool operator==(const Game &, const Game &) = default;
    };
    struct Answer
    {
        QString sent;
        QString pressed;
    };
    struct MixUp
    {
        QString sent;
        QString pressed;
        qint64 times = 0;
    };
    struct Share
    {
        QString character;
        Counts counts;
        // Named right, from 0 to 1.
        double share() const { return counts.sent > 0 ? double(counts.right) / double(counts.sent) : 0.0; }
    };

    // One game's answers and its end.
    void addGame(const QList<Answer> &answers, const Game &game);

    // The characters heard at least once, in the order a learner meets them.
    QList<Share> shares() const;
    // The `count` characters named right least often (by share, then the most often sent first),
    // among those missed at least once: one never missed is no weak point, however few there are.
    QList<Share> weakest(int count) const;
    // The `count` most frequent mix-ups, the most frequent first.
    QList<MixUp> mixUps(int count) const;

    const std::deque<Game> &games() const { return m_games; }
    qint64 gamesPlayed() const { return m_gamesPlayed; }
    qint64 answers() const;

    // Direct access for the file that keeps them.
    QMap<QString, Counts> &counts() { return m_counts; }
    const QMap<QString, Counts> &counts() const { return m_counts; }
    QMap<std::pair<QString, QString>, qint64> &mixUpCounts() { return m_mixUps; }
    const QMap<std::pair<QString, QString>, qint64> &mixUpCounts() const { return m_mixUps; }
    std::deque<Game> &games() { return m_games; }
    void setGamesPlayed(qint64 played) { m_gamesPlayed = played; }

    friend bool operator==(const Progress &, const Progress &) = default;

private:
    QMap<QString, Counts> m_counts;
    QMap<std::pair<QString, QString>, qint64> m_mixUps;
    std::deque<Game> m_games;
    qint64 m_gamesPlayed = 0;
};
