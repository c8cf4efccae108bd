// SPDX-License-Identifier: GPL-3.0-or-later
#include "playsound.h"

#include "catalogue.h"
#include "platform/services.h"

QString PlaySoundFile(const QString &fileName)
{
    // Plain concatenation: no check that the name is empty or that the file exists.
    const QString path = platform::services().folder->path() + QLatin1Char('/') + fileName;
    platform::services().sound->play(path);
    return path;
}

void PrepareSoundFiles()
{
    const QString folder = platform::services().folder->path() + QLatin1Char('/');
    QStringList paths;
    for (const CatalogueEntry &entry : CharacterCatalogue)
        paths << folder + entry.SoundFile;
    paths << folder + QStringLiteral("bien.wav") << folder + QStringLiteral("oh.wav");
    platform::services().sound->prepare(paths);
}
