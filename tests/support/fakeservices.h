// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/services.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <map>

namespace platform {
class Timer;
}

// Records every sound the program starts.
class FakeSound final : public platform::SoundOutput
{
public:
    void play(const QString &path) override
    {
        paths << path;
        quiet = std::chrono::steady_clock::now() + length;
    }
    std::chrono::steady_clock::time_point quietFrom() const override { return quiet; }
    void prepare(const QStringList &files) override { prepared << files; }
    // The file names alone, in the order played.
    QStringList names() const;

    QStringList paths;
    QStringList prepared;
    // How long each sound is heard.
    std::chrono::milliseconds length{0};
    std::chrono::steady_clock::time_point quiet;
};

class FakeClock final : public platform::Clock
{
public:
    float secondsSinceMidnight() const override { return seconds; }
    QDate today() const override { return date; }

    float seconds = 43200.0f;
    QDate date{2026, 12, 8};
};

// Hands out scripted draws (0 when the script has run out) and records the seeds.
class FakeRandom final : public platform::RandomSource
{
public:
    void reseed(float seed) override { seeds << seed; }
    double draw() override { return draws.isEmpty() ? 0.0 : draws.takeFirst(); }

    QList<double> draws;
    QList<float> seeds;
};

// Answers question boxes from a script; with the script run out it answers No and counts the
// question as unexpected. whileOpen runs inside the box, as events do while a real one is open.
class FakeQuestionBox final : public platform::QuestionBox
{
public:
    struct Question
    {
        QString title;
        QString text;
        bool exclamation;
        QString spoken;
    };
    int ask(const QString &title, const QString &text, bool exclamation, const QString &spoken) override;

    QList<int> answers;
    QList<Question> asked;
    int unexpected = 0;
    std::function<void()> whileOpen;
};

// A program folder of its own for each test; the high scores beside it unless scores is set.
class FakeFolder final : public platform::ProgramFolder
{
public:
    QString path() const override { return dir.path(); }
    QByteArray scoresFolder() const override { return scores.isEmpty() ? nativePath() : scores; }

    QTemporaryDir dir;
    QByteArray scores;
};

class FakeProgramEnd final : public platform::ProgramEnd
{
public:
    void end() override { ++calls; }

    int calls = 0;
};

class FakeScreenReader final : public platform::ScreenReader
{
public:
    bool listening() const override { return on; }

    bool on = false;
};

// Timers that move only when the test advances time.
class ManualTimers final : public platform::TimerEngine
{
public:
    void start(platform::Timer &timer) override;
    void stop(platform::Timer &timer) override;
    // Fires every tick that falls due within the next ms milliseconds, in time order.
    void advance(int ms);
    int running() const { return int(m_due.size()); }

private:
    long long m_now = 0;
    std::map<platform::Timer *, long long> m_due;
};

// Every service replaced by a fake for the life of the object.
class FakeServices
{
public:
    FakeServices() = default;
    FakeServices(const FakeServices &) = delete;
    FakeServices &operator=(const FakeServices &) = delete;

    FakeSound sound;
    FakeClock clock;
    FakeRandom random;
    FakeQuestionBox questions;
    FakeFolder folder;
    FakeProgramEnd programEnd;
    ManualTimers timers;
    FakeScreenReader screenReader;

private:
    const platform::Installed m_installed{{
        .sound = &sound,
        .clock = &clock,
        .random = &random,
        .questions = &questions,
        .folder = &folder,
        .programEnd = &programEnd,
        .timers = &timers,
        .screenReader = &screenReader,
    }};
};
