#include "playsound.h"

#include "runtime/services.h"

QString PlaySoundFile(const QString &fileName)
{
    // Plain concatenation: no check that the name is empty or that the file exists.
    const QString path = runtime::Services::folder().path() + QLatin1Char('/') + fileName;
    runtime::Services::sound().play(path);
    return path;
}
