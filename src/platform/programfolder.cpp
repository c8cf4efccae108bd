// SPDX-License-Identifier: GPL-3.0-or-later
#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

QByteArray executablePath()
{
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), size_t(buffer.size()));
    return length > 0 && length < buffer.size() ? buffer.left(length) : QByteArray();
}

std::optional<QString> fromUtf8Exactly(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

ExecutableFolder::ExecutableFolder()
{
    const QByteArray executable = executablePath();
    m_native = executable.left(qMax(executable.lastIndexOf('/'), 0));
    if (m_native.isEmpty() && executable.startsWith('/'))
        m_native = QByteArrayLiteral("/");
    m_scores = scoresFolderFor(m_native);
    if (const std::optional<QString> text = fromUtf8Exactly(m_native)) {
        m_path = *text;
        return;
    }
    // A name that is not UTF-8 (a folder copied off an old disk) has no exact text form. The
    // process's own link to an open handle on the folder reaches the same files by a plain name.
    m_fd = ::open(m_native.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_fd >= 0)
        m_path = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

ExecutableFolder::~ExecutableFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QByteArray scoresFolderFor(const QByteArray &programFolder)
{
    if (!programFolder.isEmpty() && ::faccessat(AT_FDCWD, programFolder.constData(), W_OK, AT_EACCESS) == 0)
        return programFolder;
    // The XDG base directory rules: a relative XDG_DATA_HOME is to be ignored.
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/')) {
            const passwd *user = ::getpwuid(::getuid());
            home = user && user->pw_dir ? QByteArray(user->pw_dir) : QByteArray();
        }
        data = home + QByteArrayLiteral("/.local/share");
    }
    return data + QByteArrayLiteral("/zumbarel");
}

void keepPluginsOutOf(const QByteArray &folder)
{
    // Qt adds the executable's folder to its plug-in paths while the application object is being
    // made, and loads the platform plug-in right after, before any code of ours runs. A path taken
    // out of the list beforehand stays out, provided Qt already listed it: so it is listed through
    // QT_PLUGIN_PATH for that one moment, then taken out.
    const bool wasSet = qEnvironmentVariableIsSet("QT_PLUGIN_PATH");
    const QByteArray saved = qgetenv("QT_PLUGIN_PATH");
    qputenv("QT_PLUGIN_PATH", wasSet ? folder + ':' + saved : folder);
    QStringList paths = QCoreApplication::libraryPaths();
    const QString canonical = QDir(QFile::decodeName(folder)).canonicalPath();
    paths.removeAll(canonical);
    QCoreApplication::setLibraryPaths(paths);
    if (wasSet)
        qputenv("QT_PLUGIN_PATH", saved);
    else
        qunsetenv("QT_PLUGIN_PATH");
}

} // namespace platform
