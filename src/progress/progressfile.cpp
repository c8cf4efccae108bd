// SPDX-License-Identifier: GPL-3.0-or-later
#include "progressfile.h"

#include "catalogue/catalogue.h"
#include "platform/folders.h"
#include "platform/logging.h"
#include "platform/services.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ProgressFile {

namespace {

const QByteArray Magic = QByteArrayLiteral("Zumbarel progreso ");
const QByteArray End = QByteArrayLiteral("fin");
// Far more than the largest file the counts can make: anything bigger is not ours.
constexpr qint64 MaxBytes = 256 * 1024;
constexpr qint64 MaxCount = 999'999'999;

platform::OncePerCause &warnings()
{
    static platform::OncePerCause once(platform::lcProgress);
    return once;
}

bool isGameCharacter(const QByteArray &text)
{
    for (int i = 0; i < 36; ++i)
        if (CharacterCatalogue[std::size_t(i)].Character == QLatin1String(text))
            return true;
    return false;
}

std::optional<qint64> count(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < 0 || value > MaxCount || text.startsWith('+'))
        return std::nullopt;
    return value;
}

QString why(const QString &problem, int line)
{
    return QStringLiteral("%1 (line %2)").arg(problem).arg(line);
}

enum class Kind
{
    Missing,
    Regular,
    Other,
    Unreadable
};

Kind kindAt(const QByteArray &path)
{
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT ? Kind::Missing : Kind::Unreadable;
    return S_ISREG(info.st_mode) ? Kind::Regular : Kind::Other;
}

// The file's bytes, opened without following a link and without waiting on what is not a file.
std::optional<QByteArray> contents(const QByteArray &path, QString *error)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    QFile file;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        *error = QStringLiteral("not a regular file");
        ::close(fd);
        return std::nullopt;
    }
    return file.read(MaxBytes + 1);
}

// Renamed, not deleted: a player may want it back.
void setAside(const QByteArray &path, const QString &problem)
{
    QByteArray aside = path + QByteArrayLiteral(".apartado");
    for (int n = 2; n < 100 && kindAt(aside) != Kind::Missing; ++n)
        aside = path + QByteArrayLiteral(".apartado-") + QByteArray::number(n);
    const bool moved = ::rename(path.constData(), aside.constData()) == 0;
    warnings().warn(
        QStringLiteral("aside:") + problem,
        moved ? QStringLiteral("%1 is not a progress file this program can read (%2); kept as %3, "
                               "counting starts anew")
                    .arg(QFile::decodeName(path), problem, QFile::decodeName(aside))
              : QStringLiteral("%1 is not a progress file this program can read (%2), and cannot "
                               "be set aside: %3")
                    .arg(QFile::decodeName(path), problem, QString::fromLocal8Bit(std::strerror(errno))));
}

// What stands at the path, read: nothing counted where it is missing or was set aside; nullopt
// where nothing may be written there.
std::optional<Progress> load(const QByteArray &path)
{
    switch (kindAt(path)) {
    case Kind::Missing:
        return Progress();
    case Kind::Other:
        warnings().warn(
            QStringLiteral("other"),
            QStringLiteral("%1 is not a regular file; progress is not kept").arg(QFile::decodeName(path)));
        return std::nullopt;
    case Kind::Unreadable:
    case Kind::Regular:
        break;
    }
    QString error;
    const std::optional<QByteArray> text = contents(path, &error);
    if (!text) {
        warnings().warn(
            QStringLiteral("read:") + error,
            QStringLiteral("cannot read %1 (%2); progress is not kept").arg(QFile::decodeName(path), error));
        return std::nullopt;
    }
    Parsed parsed = parse(*text);
    if (!parsed.progress) {
        setAside(path, parsed.problem);
        return Progress();
    }
    return std::move(parsed.progress);
}

} // namespace

QByteArray nativePath()
{
    return platform::services().folder->scoresFolder() + QByteArrayLiteral("/progreso.txt");
}

QByteArray format(const Progress &progress)
{
    QByteArray text = Magic + QByteArray::number(Version) + '\n';
    text += "# Lo que Zumbarel guarda de tus respuestas: por caracter, las veces que sono y las que\n"
            "# acertaste; por pareja, las veces que sono uno y pulsaste el otro; y las ultimas partidas\n"
            "# (fecha, nivel y puntos).\n";
    text += "partidas " + QByteArray::number(progress.gamesPlayed()) + '\n';
    for (const Progress::Share &share : progress.shares())
        text += "caracter " + share.character.toUtf8() + ' ' + QByteArray::number(share.counts.sent) + ' ' +
                QByteArray::number(share.counts.right) + '\n';
    for (auto it = progress.mixUpCounts().cbegin(); it != progress.mixUpCounts().cend(); ++it)
        text += "fallo " + it.key().first.toUtf8() + ' ' + it.key().second.toUtf8() + ' ' +
                QByteArray::number(it.value()) + '\n';
    for (const Progress::Game &game : progress.games())
        text += "partida " + game.date.toString(Qt::ISODate).toUtf8() + ' ' + QByteArray::number(game.level) +
                ' ' + QByteArray::number(game.score) + '\n';
    return text + End + '\n';
}

Parsed parse(const QByteArray &text)
{
    if (text.size() > MaxBytes)
        return {std::nullopt, QStringLiteral("too large")};
    QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || !lines.first().startsWith(Magic))
        return {std::nullopt, QStringLiteral("not a progress file")};
    if (lines.first() != Magic + QByteArray::number(Version))
        return {std::nullopt, QStringLiteral("another version: %1").arg(QString::fromUtf8(lines.first()))};
    // A whole file ends with the end line and its line break.
    if (lines.size() < 3 || lines.last() != QByteArray() || lines[lines.size() - 2] != End)
        return {std::nullopt, QStringLiteral("cut short")};

    Progress progress;
    bool playedSeen = false;
    for (int i = 1; i < lines.size() - 2; ++i) {
        const QByteArray &line = lines[i];
        if (line.startsWith('#'))
            continue;
        const QList<QByteArray> f = line.split(' ');
        const int number = i + 1;
        if (f[0] == "partidas" && f.size() == 2 && !playedSeen) {
            const auto played = count(f[1]);
            if (!played)
                return {std::nullopt, why(QStringLiteral("bad number of games"), number)};
            progress.setGamesPlayed(*played);
            playedSeen = true;
        } else if (f[0] == "caracter" && f.size() == 4) {
            const auto sent = count(f[2]);
            const auto right = count(f[3]);
            if (!isGameCharacter(f[1]) || !sent || !right || *right > *sent ||
                progress.counts().contains(QString::fromUtf8(f[1])))
                return {std::nullopt, why(QStringLiteral("bad character line"), number)};
            progress.counts().insert(QString::fromUtf8(f[1]), {*sent, *right});
        } else if (f[0] == "fallo" && f.size() == 4) {
            const auto times = count(f[3]);
            const std::pair key{QString::fromUtf8(f[1]), QString::fromUtf8(f[2])};
            if (!isGameCharacter(f[1]) || !isGameCharacter(f[2]) || f[1] == f[2] || !times || *times == 0 ||
                progress.mixUpCounts().contains(key))
                return {std::nullopt, why(QStringLiteral("bad mix-up line"), number)};
            progress.mixUpCounts().insert(key, *times);
        } else if (f[0] == "partida" && f.size() == 4) {
            const QDate date = QDate::fromString(QString::fromUtf8(f[1]), Qt::ISODate);
            bool levelOk = false;
            bool scoreOk = false;
            const int level = f[2].toInt(&levelOk);
            const int score = f[3].toInt(&scoreOk);
            if (!date.isValid() || !levelOk || level < 1 || level > 37 || !scoreOk || score < 0 ||
                progress.games().size() >= std::size_t(Progress::KeptGames))
                return {std::nullopt, why(QStringLiteral("bad game line"), number)};
            progress.games().push_back({date, level, score});
        } else {
            return {std::nullopt, why(QStringLiteral("unknown line"), number)};
        }
    }
    // Every miss of a character is a mix-up with another: the two counts must agree.
    QMap<QString, qint64> missed;
    for (auto it = progress.mixUpCounts().cbegin(); it != progress.mixUpCounts().cend(); ++it)
        missed[it.key().first] += it.value();
    for (auto it = progress.counts().cbegin(); it != progress.counts().cend(); ++it)
        if (missed.value(it.key()) != it->sent - it->right)
            return {std::nullopt, QStringLiteral("the mix-ups of %1 do not add up").arg(it.key())};
    for (auto it = missed.cbegin(); it != missed.cend(); ++it)
        if (!progress.counts().contains(it.key()))
            return {std::nullopt, QStringLiteral("the mix-ups of %1 do not add up").arg(it.key())};
    if (!playedSeen || progress.gamesPlayed() < qint64(progress.games().size()))
        return {std::nullopt, QStringLiteral("bad number of games")};
    return {std::move(progress), {}};
}

Progress read()
{
    return load(nativePath()).value_or(Progress());
}

bool record(const QList<Progress::Answer> &answers, const Progress::Game &game)
{
    const QByteArray folder = platform::services().folder->scoresFolder();
    if (!platform::makeFolders(folder)) {
        const QString cause = QString::fromLocal8Bit(std::strerror(errno));
        warnings().warn(QStringLiteral("folder:") + cause,
                        QStringLiteral("cannot make %1 (%2); progress is not kept")
                            .arg(QFile::decodeName(folder), cause));
        return false;
    }
    const QByteArray path = nativePath();
    std::optional<Progress> progress = load(path);
    if (!progress)
        return false;
    progress->addGame(answers, game);
    QSaveFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(format(*progress)) < 0 || !file.commit()) {
        warnings().warn(QStringLiteral("write:") + file.errorString(),
                        QStringLiteral("cannot write %1 (%2); progress is not kept")
                            .arg(QFile::decodeName(path), file.errorString()));
        return false;
    }
    return true;
}

} // namespace ProgressFile
