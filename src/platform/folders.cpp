// SPDX-License-Identifier: GPL-3.0-or-later
#include "folders.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform {

bool makeFolders(const QByteArray &folder)
{
    for (qsizetype slash = folder.indexOf('/', 1);; slash = folder.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? folder : folder.left(slash);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            break;
    }
    struct stat info = {};
    if (::stat(folder.constData(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

} // namespace platform
