#pragma once

#include "services.h"

namespace runtime {

class SystemClock final : public Clock
{
public:
    float secondsSinceMidnight() const override;
};

class MessageQuestionBox final : public QuestionBox
{
public:
    int ask(const QString &title, const QString &text, bool exclamation) override;
};

class ExecutableFolder final : public ProgramFolder
{
public:
    QString path() const override;
};

// Leaves the event loop; the windows are already gone when this is called.
class ProcessEnd final : public ProgramEnd
{
public:
    void end() override;
};

} // namespace runtime
