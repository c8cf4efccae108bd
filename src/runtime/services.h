#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The outside world as the program sees it. Every rule of the game reaches the clock, the random
// generator, the sound device, the question box, the program folder and the end of the process
// through these interfaces only, so that tests can put fakes in their place.
namespace runtime {

class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // Starts playing a file and returns at once; a new sound cuts off the one playing.
    // Failures are silent to the caller.
    virtual void play(const QString &path) = 0;
    // Gets files ready ahead of their first play, without waiting; nothing plays.
    virtual void prepare(const QStringList &paths) { Q_UNUSED(paths); }
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() const = 0;
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
    // Modal; Yes is the default button. Returns Yes or No.
    virtual int ask(const QString &title, const QString &text, bool exclamation) = 0;
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

class Timer;

// Drives timers: the real one over QTimer, the tests' by hand.
class TimerEngine
{
public:
    virtual ~TimerEngine() = default;
    virtual void start(Timer &timer) = 0;
    virtual void stop(Timer &timer) = 0;
};

// The services in force. Each starts as the real one; a test installs its fakes with the setters
// (not owned; nullptr brings the real one back).
class Services
{
public:
    static SoundOutput &sound();
    static Clock &clock();
    static RandomSource &random();
    static QuestionBox &questions();
    static ProgramFolder &folder();
    static ProgramEnd &programEnd();
    static TimerEngine &timers();

    static void setSound(SoundOutput *fake);
    static void setClock(Clock *fake);
    static void setRandom(RandomSource *fake);
    static void setQuestions(QuestionBox *fake);
    static void setFolder(ProgramFolder *fake);
    static void setProgramEnd(ProgramEnd *fake);
    static void setTimers(TimerEngine *fake);
};

} // namespace runtime
