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

// The folder of the running executable, taken once from the system's own record of it, so that
// neither the name it was started by nor the folder's encoding matters. The high scores' place
// is decided at the same moment.
class ExecutableFolder final : public ProgramFolder
{
public:
    ExecutableFolder();
    ~ExecutableFolder() override;
    ExecutableFolder(const ExecutableFolder &) = delete;
    ExecutableFolder &operator=(const ExecutableFolder &) = delete;

    QString path() const override { return m_path; }
    QByteArray nativePath() const override { return m_native; }
    QByteArray scoresFolder() const override { return m_scores; }

private:
    QByteArray m_native;
    QString m_path;
    QByteArray m_scores;
    int m_fd = -1;
};

// Where the high-score file of a program kept in programFolder lives: that folder where this
// user may write there (a build folder, a copy in the home folder); otherwise
// $XDG_DATA_HOME/zumbarel, by default ~/.local/share/zumbarel. Nothing is made here.
QByteArray scoresFolderFor(const QByteArray &programFolder);

// Makes sure Qt never loads a plug-in from folder, which the player may write. Call it before the
// application object is made: that is when Qt loads its first plug-ins.
void keepPluginsOutOf(const QByteArray &folder);

// Leaves the event loop; the windows are already gone when this is called.
class ProcessEnd final : public ProgramEnd
{
public:
    void end() override;
};

} // namespace runtime
