// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services.h"

namespace platform {

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

} // namespace platform
