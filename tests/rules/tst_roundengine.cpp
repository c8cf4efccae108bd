// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeservices.h"
#include "rules/roundengine.h"

#include <QTest>

using Question = RoundEngine::Question;
using Next = RoundEngine::Next;

Q_DECLARE_METATYPE(RoundEngine::Question)
Q_DECLARE_METATYPE(RoundEngine::Next)

// The rules of a game on their own, without the window: draws, judgement, score, level, costs,
// the replies to each question, and the idle prompts.
class TestRoundEngine : public QObject
{
    Q_OBJECT

    FakeClock clock;
    FakeRandom random;
    std::optional<RoundEngine> round;

    // A game started at `level`, its first target E.
    void start(int level = RoundEngine::StartLevel)
    {
        round->chooseLevel(level);
        random.draws << 0.0;
        round->nextRound();
    }

    // Right answers, each drawing E next; returns the last outcome.
    RoundEngine::Outcome answerRight(int count)
    {
        RoundEngine::Outcome outcome;
        for (int i = 0; i < count; ++i) {
            random.draws << 0.0;
            outcome = round->answer(round->target() - 1);
        }
        return outcome;
    }

private slots:
    void init()
    {
        clock = {};
        random = {};
        round.emplace(random, clock);
    }

    // Every draw reseeds from the clock first, and spreads [0, 1) evenly over entries 1 to level.
    void draw_reseedsAndCoversOneToLevel()
    {
        const QList<std::pair<double, int>> draws{{0.0, 1}, {0.3333, 1}, {0.3334, 2}, {0.9999, 3}};
        for (const auto &[r, target] : draws) {
            clock.seconds += 0.25f;
            random.draws << r;
            round->chooseCharacter(3);
            QCOMPARE(round->target(), target);
            QCOMPARE(random.seeds.last(), clock.seconds);
        }
        QCOMPARE(random.seeds.size(), draws.size());
    }

    // A round plays the target's own sound and keeps its character for the hint.
    void nextRound_playsTargetAndKeepsHint()
    {
        round->chooseLevel(30);
        random.draws << (27 - 0.5) / 30;
        const RoundEngine::Outcome outcome = round->nextRound();
        QVERIFY(outcome.drew);
        QCOMPARE(outcome.question, Question::None);
        QCOMPARE(outcome.sound, QStringLiteral("morse_0.wav"));
        QCOMPARE(round->hintCharacter(), QStringLiteral("0"));
        QCOMPARE(round->soundName(), outcome.sound);
    }

    // Nine right answers score and draw again; the tenth plays "bien.wav" and asks, and Yes
    // raises the level with no hits yet, the score kept.
    void tenthHit_asksAndYesRaisesLevel()
    {
        start();
        const RoundEngine::Outcome ninth = answerRight(9);
        QVERIFY(ninth.drew);
        QCOMPARE(round->score(), 9);
        QCOMPARE(round->levelHits(), 9.0f);
        const RoundEngine::Outcome tenth = answerRight(1);
        QCOMPARE(tenth.sound, QStringLiteral("bien.wav"));
        QCOMPARE(tenth.question, Question::NextLevel);
        QVERIFY(!tenth.drew);
        const RoundEngine::Reply reply = round->answered(Question::NextLevel, true);
        QCOMPARE(reply.next, Next::NextLevel);
        QVERIFY(!reply.endedScore);
        QCOMPARE(round->level(), 4);
        QCOMPARE(round->levelHits(), 0.0f);
        QCOMPARE(round->score(), 10);
    }

    // After level 36 no character is drawn: "welcom98.wav" plays and the end of the game is asked.
    void levelThirtySeven_finishesWithoutDraw()
    {
        start(36);
        answerRight(10);
        round->answered(Question::NextLevel, true);
        const auto seeds = random.seeds.size();
        const RoundEngine::Outcome outcome = round->nextRound();
        QCOMPARE(outcome.sound, QStringLiteral("welcom98.wav"));
        QCOMPARE(outcome.question, Question::PlayAgainAfterFinish);
        QVERIFY(!outcome.drew);
        QCOMPARE(random.seeds.size(), seeds);
    }

    // A wrong answer plays "oh.wav", tells what was sent and asks, the score still whole for the
    // high-score check.
    void wrongAnswer_asksWithScoreKept()
    {
        start();
        answerRight(4);
        const RoundEngine::Outcome outcome = round->answer(round->target());
        QCOMPARE(outcome.sound, QStringLiteral("oh.wav"));
        QCOMPARE(outcome.question, Question::PlayAgainAfterMiss);
        QCOMPARE(outcome.sent, round->target());
        QVERIFY(outcome.sent > 0);
        QCOMPARE(round->score(), 4);
        QCOMPARE(round->soundName(), QStringLiteral("oh.wav"));
    }

    // Each answer to each question: what follows, the score handed to the high-score check, and
    // what is left of the game.
    void answered_replies_data()
    {
        QTest::addColumn<Question>("question");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<Next>("next");
        QTest::addColumn<int>("endedScore"); // -1: no check
        QTest::addColumn<int>("score");
        QTest::addColumn<float>("hits");
        QTest::addColumn<int>("level");
        QTest::newRow("next level, yes")
            << Question::NextLevel << true << Next::NextLevel << -1 << 9 << 0.0f << 6;
        QTest::newRow("next level, no") << Question::NextLevel << false << Next::Leave << 9 << 0 << 0.0f << 5;
        QTest::newRow("miss, yes") << Question::PlayAgainAfterMiss << true << Next::RestartAfterMiss << 9 << 0
                                   << 0.0f << 5;
        QTest::newRow("miss, no") << Question::PlayAgainAfterMiss << false << Next::Leave << 9 << 0 << 0.0f
                                  << 5;
        // A finished game's new game is prepared at level 3; its hits stay as they were.
        QTest::newRow("finished, yes")
            << Question::PlayAgainAfterFinish << true << Next::RestartAfterFinish << 9 << 0 << 9.0f << 3;
        QTest::newRow("finished, no")
            << Question::PlayAgainAfterFinish << false << Next::LeaveAndEnd << 9 << 0 << 0.0f << 5;
    }
    void answered_replies()
    {
        QFETCH(Question, question);
        QFETCH(bool, yes);
        start(5);
        answerRight(9);
        const RoundEngine::Reply reply = round->answered(question, yes);
        QTEST(reply.next, "next");
        QTEST(reply.endedScore.value_or(-1), "endedScore");
        QTEST(round->score(), "score");
        QTEST(round->levelHits(), "hits");
        QTEST(int(round->level()), "level");
    }

    // A repeat costs 1 point and a hint 4 (its repeat included), both replaying the sound played
    // last; the score stops at 0 and never goes below.
    void costs_fromAboveThenAtTheFloor()
    {
        start();
        answerRight(9);
        const QString sound = round->soundName();
        QCOMPARE(round->repeat(), sound);
        QCOMPARE(round->score(), 8);
        QCOMPARE(round->hint(), sound);
        QCOMPARE(round->score(), 4);
        QCOMPARE(round->hintCharacter(), QStringLiteral("E"));
        round->repeat();
        QCOMPARE(round->score(), 3);
        round->hint();
        QCOMPARE(round->score(), 0);
        round->repeat();
        QCOMPARE(round->score(), 0);
        round->hint();
        QCOMPARE(round->score(), 0);
    }

    // Leaving mid-game drops the level's hits but keeps the points for the next game.
    void leave_keepsPointsDropsHits()
    {
        start();
        answerRight(6);
        round->leave();
        QCOMPARE(round->score(), 6);
        QCOMPARE(round->levelHits(), 0.0f);
    }

    // Waiting, the prompts come on ticks 2 to 5 of every 12 and become the sound a repeat plays;
    // a game in progress holds the count at 0.
    void idle_promptCycle()
    {
        QStringList heard;
        for (int tick = 1; tick <= 13; ++tick)
            heard << round->idleTick(false);
        const QStringList expected{{},
                                   "hola juegas.wav",
                                   "hay alguien.wav",
                                   "vas a jugar.wav",
                                   "si no piensas.wav",
                                   {},
                                   {},
                                   {},
                                   {},
                                   {},
                                   {},
                                   {},
                                   {}};
        QCOMPARE(heard, expected);
        QCOMPARE(round->idleTicks(), 1);
        QCOMPARE(round->soundName(), QStringLiteral("si no piensas.wav"));
        QCOMPARE(round->idleTick(true), QString());
        QCOMPARE(round->idleTicks(), 0);
    }
};

QTEST_MAIN(TestRoundEngine)
#include "tst_roundengine.moc"
