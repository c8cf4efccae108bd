// SPDX-License-Identifier: GPL-3.0-or-later
// Started from a folder a test has made: says what the real program folder service finds there.
#include "platform/programfolder.h"
#include "scores/toptenfile.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    platform::ExecutableFolder folder;
    const platform::Installed services({.folder = &folder});
    QFile sound(folder.path() + QStringLiteral("/brunza.wav"));
    const bool soundFound = sound.open(QIODevice::ReadOnly) && sound.read(4) == "RIFF";
    TopTenFile::Table table = TopTenFile::read();
    const QString leader = table[0].Name.trimmed();
    table[4] = {ScoreRecord::nameField(QStringLiteral("PROBE")), ScoreRecord::pointsField(1)};
    const bool written = TopTenFile::write(table);
    std::printf("folder=%s\nscores=%s\nsound=%d\nleader=%s\nwritten=%d\n",
                folder.nativePath().toHex().constData(), folder.scoresFolder().toHex().constData(),
                int(soundFound), qPrintable(leader), int(written));
    return 0;
}
