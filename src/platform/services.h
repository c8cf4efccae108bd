// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

// The outside world as the program sees it. Every rule of the game reaches the clock, the random
// generator, the sound device, the question box, the program folder and the end of the process
// through these interfaces only, so that tests can put fakes in their place.
namespace platform {

class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // Starts playing a file and returns at once; a new sound cuts off the one playing.
    // Failures are silent to the caller.
    virtual void play(const QString &path) = 0;
    // Gets files ready ahead of their first play, without waiting; nothing plays.
    virtual void prepare(const QStringList &paths) { Q_UNUSED(paths); }
    // Whether a sound server answers, told to `changed` as soon as it is known and again each time
    // it changes, on whatever thread learns it; `changed` must only pass the news on. A new watcher
    // replaces the old one, and none is called once an empty one has been set.
    using ServerWatcher = std::function<void(bool answers)>;
    virtual void watchServer(ServerWatcher changed) { Q_UNUSED(changed); }
    // When what has been asked to play so far will have been heard to its end, near enough; a
    // moment already past when nothing plays. A file still being read counts only once it is.
    virtual std::chrono::steady_clock::time_point quietFrom() const { return {}; }
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() const = 0;
    virtual QDate today() const = 0;
};

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void reseed(float seed) = 0;
    // Uniform in [0, 1).
    virtual double draw() = 0;
};

// Answers of a question box.
inline constexpr int Yes = 6;
inline constexpr int No = 7;

class QuestionBox
{
public:
    virtual ~QuestionBox() = default;
    // Modal; Yes is the default button. Returns Yes or No. `spoken`, if any, is said by a screen
    // reader after the title, and shown nowhere.
    virtual int ask(const QString &title, const QString &text, bool exclamation, const QString &spoken) = 0;
};

class ProgramFolder
{
public:
    virtual ~ProgramFolder() = default;
    // A path that file names are joined to with "/" and opened through, without a trailing
    // separator.
    virtual QString path() const = 0;
    // The folder's name as the system spells it, byte for byte.
    virtual QByteArray nativePath() const;
    // Where the high-score file is kept, as the system spells it: the program folder where this
    // user may write there, otherwise the user's data folder.
    virtual QByteArray scoresFolder() const { return nativePath(); }
};

class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;
    virtual void end() = 0;
};

// Whether assistive technology, a screen reader, follows the program: only then does it speak
// through one, and give the reader's own speech room around the sounds.
class ScreenReader
{
public:
    virtual ~ScreenReader() = default;
    virtual bool listening() const = 0;
};

class Timer;

// Drives timers: the real one over QTimer, the tests' by hand.
class TimerEngine
{
public:
    virtual ~TimerEngine() = default;
    virtual void start(Timer &timer) = 0;
    virtual void stop(Timer &timer) = 0;
};

// One of each service, none owned. Whoever owns the services installs them (see Installed); the
// program's windows, timers and sound calls reach them through services() alone.
struct Services
{
    SoundOutput *sound = nullptr;
    Clock *clock = nullptr;
    RandomSource *random = nullptr;
    QuestionBox *questions = nullptr;
    ProgramFolder *folder = nullptr;
    ProgramEnd *programEnd = nullptr;
    TimerEngine *timers = nullptr;
    ScreenReader *screenReader = nullptr;
};

// The services in force: the set installed last of those still installed; empty before any is.
const Services &services();

// Puts a set of services in force for its own lifetime. The set is copied; the services
// themselves must outlive this. Sets may go in any order: the newest left is in force.
class Installed
{
public:
    explicit Installed(const Services &set);
    ~Installed();
    Installed(const Installed &) = delete;
    Installed &operator=(const Installed &) = delete;

    const Services &set() const { return m_set; }

private:
    Services m_set;
};

} // namespace platform
