#pragma once

#include "services.h"

#include <memory>

class QMessageBox;

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

    // The box ask() shows, built but not shown: the title also inside, bold above the question;
    // buttons "Sí" (the default) and "No"; no close control.
    static std::unique_ptr<QMessageBox> build(const QString &title, const QString &text, bool exclamation);

    // Room beside the title text for the frame's icon and buttons, in pixels.
    static constexpr int TitleBarAllowance = 120;
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
