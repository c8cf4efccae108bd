// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress.h"

#include "catalogue/catalogue.h"

#include <algorithm>

namespace {

// The characters of a game, in the order a learner meets them.
constexpr int GameCharacters = 36;

} // namespace

void Progress::addGame(const QList<Answer> &answers, const Game &game)
{
    for (const Answer &answer : answers) {
        Counts &counts = m_counts[answer.sent];
        ++counts.sent;
        if (answer.pressed == answer.sent)
            ++counts.right;
        else
            ++m_mixUps[{answer.sent, answer.pressed}];
    }
    m_games.push_back(game);
    while (m_games.size() > std::size_t(KeptGames))
        m_games.pop_front();
    ++m_gamesPlayed;
}

QList<Progress::Share> Progress::shares() const
{
    QList<Share> result;
    for (int i = 0; i < GameCharacters; ++i) {
        const QString &character = CharacterCatalogue[std::size_t(i)].Character;
        const auto found = m_counts.constFind(character);
        if (found != m_counts.cend() && found->sent > 0)
            result.append({character, *found});
    }
    return result;
}

QList<Progress::Share> Progress::weakest(int count) const
{
    QList<Share> result = shares();
    result.removeIf([](const Share &share) { return share.counts.right == share.counts.sent; });
    std::stable_sort(result.begin(), result.end(), [](const Share &a, const Share &b) {
        // Compared as fractions, so that equal shares stay equal.
        const qint64 left = a.counts.right * b.counts.sent;
        const qint64 right = b.counts.right * a.counts.sent;
        return left != right ? left < right : a.counts.sent > b.counts.sent;
    });
    return result.mid(0, count);
}

QList<Progress::MixUp> Progress::mixUps(int count) const
{
    QList<MixUp> result;
    for (auto it = m_mixUps.cbegin(); it != m_mixUps.cend(); ++it)
        result.append({it.key().first, it.key().second, it.value()});
    std::stable_sort(result.begin(), result.end(),
                     [](const MixUp &a, const MixUp &b) { return a.times > b.times; });
    return result.mid(0, count);
}

qint64 Progress::answers() const
{
    qint64 total = 0;
    for (const Counts &counts : m_counts)
        total += counts.sent;
    return total;
}
