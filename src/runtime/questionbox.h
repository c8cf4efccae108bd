#pragma once

#include "platform/services.h"

#include <memory>

class QMessageBox;

namespace runtime {

class MessageQuestionBox final : public platform::QuestionBox
{
public:
    int ask(const QString &title, const QString &text, bool exclamation) override;

    // The box ask() shows, built but not shown: the title also inside, bold above the question;
    // buttons "Sí" (the default) and "No"; no close control.
    static std::unique_ptr<QMessageBox> build(const QString &title, const QString &text, bool exclamation);

    // Room beside the title text for the frame's icon and buttons, in pixels.
    static constexpr int TitleBarAllowance = 120;
};

} // namespace runtime
