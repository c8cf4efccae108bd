#include "services.h"

#include "modulesound.h"
#include "seededrandom.h"
#include "systemservices.h"
#include "timer.h"

#include <QFile>
#include <memory>

namespace runtime {

namespace {

// One service: the real implementation, made when first needed, unless a fake stands in.
template <class Interface, class Real> class Slot
{
public:
    Interface &get()
    {
        if (m_fake)
            return *m_fake;
        if (!m_real)
            m_real = std::make_unique<Real>();
        return *m_real;
    }
    void set(Interface *fake) { m_fake = fake; }

private:
    std::unique_ptr<Real> m_real;
    Interface *m_fake = nullptr;
};

Slot<SoundOutput, ModuleSound> soundSlot;
Slot<Clock, SystemClock> clockSlot;
Slot<RandomSource, SeededRandom> randomSlot;
Slot<QuestionBox, MessageQuestionBox> questionSlot;
Slot<ProgramFolder, ExecutableFolder> folderSlot;
Slot<ProgramEnd, ProcessEnd> endSlot;
Slot<TimerEngine, QtTimerEngine> timerSlot;

} // namespace

QByteArray ProgramFolder::nativePath() const
{
    return QFile::encodeName(path());
}

SoundOutput &Services::sound()
{
    return soundSlot.get();
}
Clock &Services::clock()
{
    return clockSlot.get();
}
RandomSource &Services::random()
{
    return randomSlot.get();
}
QuestionBox &Services::questions()
{
    return questionSlot.get();
}
ProgramFolder &Services::folder()
{
    return folderSlot.get();
}
ProgramEnd &Services::programEnd()
{
    return endSlot.get();
}
TimerEngine &Services::timers()
{
    return timerSlot.get();
}

void Services::setSound(SoundOutput *fake)
{
    soundSlot.set(fake);
}
void Services::setClock(Clock *fake)
{
    clockSlot.set(fake);
}
void Services::setRandom(RandomSource *fake)
{
    randomSlot.set(fake);
}
void Services::setQuestions(QuestionBox *fake)
{
    questionSlot.set(fake);
}
void Services::setFolder(ProgramFolder *fake)
{
    folderSlot.set(fake);
}
void Services::setProgramEnd(ProgramEnd *fake)
{
    endSlot.set(fake);
}
void Services::setTimers(TimerEngine *fake)
{
    timerSlot.set(fake);
}

} // namespace runtime
