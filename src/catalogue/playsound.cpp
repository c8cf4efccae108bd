#include "playsound.h"

#include "catalogue.h"
#include "runtime/services.h"

QString PlaySoundFile(const QString &fileName)
{
    // Plain concatenation: no check that the name is empty or that the file exists.
    const QString path = runtime::Services::folder().path() + QLatin1Char('/') + fileName;
    runtime::Services::sound().play(path);
    return path;
}

void PrepareSoundFiles()
{
    const QString folder = runtime::Services::folder().path() + QLatin1Char('/');
    QStringList paths;
    for (const CatalogueEntry &entry : CharacterCatalogue)
        paths << folder + entry.SoundFile;
    paths << folder + QStringLiteral("bien.wav") << folder + QStringLiteral("oh.wav");
    runtime::Services::sound().prepare(paths);
}
