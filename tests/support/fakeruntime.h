#pragma once

#include "runtime/services.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <map>

namespace runtime {
class Timer;
}

// Records every sound the program starts.
class FakeSound final : public runtime::SoundOutput
{
public:
    void play(const QString &path) override { paths << path; }
    void prepare(const QStringList &files) override { prepared << files; }
    // The file names alone, in the order played.
    QStringList names() const;

    QStringList paths;
    QStringList prepared;
};

class FakeClock final : public runtime::Clock
{
public:
    float secondsSinceMidnight() const override { return seconds; }

    float seconds = 43200.0f;
};

// Hands out scripted draws (0 when the script has run out) and records the seeds.
class FakeRandom final : public runtime::RandomSource
{
public:
    void reseed(float seed) override { seeds << seed; }
    double draw() override { return draws.isEmpty() ? 0.0 : draws.takeFirst(); }

    QList<double> draws;
    QList<float> seeds;
};

// Answers question boxes from a script; with the script run out it answers No and counts the
// question as unexpected. whileOpen runs inside the box, as events do while a real one is open.
class FakeQuestionBox final : public runtime::QuestionBox
{
public:
    struct Question
    {
        QString title;
        QString text;
        bool exclamation;
    };
    int ask(const QString &title, const QString &text, bool exclamation) override;

    QList<int> answers;
    QList<Question> asked;
    int unexpected = 0;
    std::function<void()> whileOpen;
};

// A program folder of its own for each test; the high scores beside it unless scores is set.
class FakeFolder final : public runtime::ProgramFolder
{
public:
    QString path() const override { return dir.path(); }
    QByteArray scoresFolder() const override { return scores.isEmpty() ? nativePath() : scores; }

    QTemporaryDir dir;
    QByteArray scores;
};

class FakeProgramEnd final : public runtime::ProgramEnd
{
public:
    void end() override { ++calls; }

    int calls = 0;
};

// Timers that move only when the test advances time.
class ManualTimers final : public runtime::TimerEngine
{
public:
    void start(runtime::Timer &timer) override;
    void stop(runtime::Timer &timer) override;
    // Fires every tick that falls due within the next ms milliseconds, in time order.
    void advance(int ms);
    int running() const { return int(m_due.size()); }

private:
    long long m_now = 0;
    std::map<runtime::Timer *, long long> m_due;
};

// Every service replaced by a fake for the life of the object; the windows are dropped after.
// Going, it puts back only what it installed: the fakes of an older runtime still alive, or the
// real services. A real modal box shown in any test program ends it at once with a message.
class FakeRuntime
{
public:
    FakeRuntime();
    ~FakeRuntime();
    FakeRuntime(const FakeRuntime &) = delete;
    FakeRuntime &operator=(const FakeRuntime &) = delete;

    FakeSound sound;
    FakeClock clock;
    FakeRandom random;
    FakeQuestionBox questions;
    FakeFolder folder;
    FakeProgramEnd programEnd;
    ManualTimers timers;

private:
    static void install(FakeRuntime *fakes);
};

// For the tests of the real question box itself, which answer its boxes by their own means: the
// rest of the program's tests stop at the first real modal box.
void allowRealModalBoxes();
