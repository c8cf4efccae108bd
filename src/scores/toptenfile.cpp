// SPDX-License-Identifier: GPL-3.0-or-later
#include "toptenfile.h"

#include "platform/folders.h"
#include "platform/logging.h"
#include "platform/recordfile.h"
#include "platform/services.h"
#include "platform/textconv.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace TopTenFile {

namespace {

// A failure that repeats at every activation of a window would bury everything else in the log:
// each cause is said once per file, by the first reader or writer that meets it.
void warnOnce(const QString &cause, const QString &what)
{
    static platform::OncePerCause said(platform::lcScores);
    said.warn(path() + QLatin1Char('\n') + cause, what);
}

bool missing(const QByteArray &file)
{
    struct stat info = {};
    return ::lstat(file.constData(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

QByteArray seedPath()
{
    return platform::services().folder->nativePath() + QByteArrayLiteral("/topten.txt");
}

// A table kept in the user's data folder is made there when first needed, from the table beside
// the program if there is one: a copy installed read-only then keeps its players' scores.
void prepare()
{
    const QByteArray folder = platform::services().folder->scoresFolder();
    if (folder == platform::services().folder->nativePath() || !missing(nativePath()))
        return;
    if (!platform::makeFolders(folder)) {
        const QString cause = QString::fromLocal8Bit(std::strerror(errno));
        warnOnce(cause, QStringLiteral("cannot make %1 (%2); new entries are not saved")
                            .arg(QFile::decodeName(folder), cause));
        return;
    }
    platform::RecordFile seed(seedPath(), ScoreRecord::Length);
    if (missing(seedPath()) || !seed.open())
        return;
    QByteArray records;
    for (int k = 1; k <= int(Table().size()); ++k) {
        const std::optional<QByteArray> record = seed.read(k);
        if (!record)
            break;
        records += *record;
    }
    if (records.isEmpty())
        return;
    // A copy that could not be written whole (a full disk) is not the player's table: it goes, and
    // the next start tries again.
    platform::RecordFile copy(nativePath(), ScoreRecord::Length);
    if (!copy.open())
        return;
    if (!copy.write(1, records)) {
        const QString cause = copy.errorString();
        copy.close();
        ::unlink(nativePath().constData());
        warnOnce(cause,
                 QStringLiteral(
                     "cannot copy the table beside the program to %1 (%2); tried again at the next start")
                     .arg(path(), cause));
    }
}

} // namespace

QByteArray nativePath()
{
    return platform::services().folder->scoresFolder() + QByteArrayLiteral("/topten.txt");
}

QString path()
{
    return QFile::decodeName(nativePath());
}

Table read()
{
    prepare();
    Table table;
    // Where the data folder could not be made, the table beside the program is still shown.
    const QByteArray place = missing(nativePath()) && !missing(seedPath()) ? seedPath() : nativePath();
    platform::RecordFile file(place, ScoreRecord::Length);
    if (!file.open()) {
        // Where the file is missing and cannot be made, the write that needs it will say why.
        if (!missing(place))
            warnOnce(file.errorString(),
                     QStringLiteral("cannot read %1 (%2); the table shows empty and is not written")
                         .arg(path(), file.errorString()));
        return table;
    }
    int found = 0;
    bool garbled = false;
    for (int k = 1; k <= int(table.size()); ++k) {
        const std::optional<QByteArray> bytes = file.read(k);
        if (!bytes)
            continue;
        ++found;
        table[k - 1] = ScoreRecord::fromBytes(*bytes);
        // A blank field is an empty place in the table, not damage.
        const ScoreRecord &record = table[k - 1];
        garbled = garbled || (!record.pointsIsNumber() && !record.Points.trimmed().isEmpty());
    }
    const qint64 size = file.size();
    file.close();
    if (size > 0 && found < int(table.size()))
        warnOnce(QStringLiteral("short"),
                 QStringLiteral("%1 holds %2 of 5 records; the rest read as empty").arg(path()).arg(found));
    if (garbled)
        warnOnce(QStringLiteral("garbled"),
                 QStringLiteral("%1 has points that are not a number; they count as 0").arg(path()));
    return table;
}

bool write(const Table &table)
{
    QByteArray bytes;
    for (const ScoreRecord &record : table)
        bytes += record.toBytes();
    prepare();
    platform::RecordFile file(nativePath(), ScoreRecord::Length);
    if (!file.open() || !file.write(1, bytes)) {
        warnOnce(file.errorString(), QStringLiteral("cannot write %1 (%2); the new entry is not saved")
                                         .arg(path(), file.errorString()));
        return false;
    }
    return true;
}

double fifthScore(const Table &table)
{
    return platform::text::toDouble(table[4].Points).value_or(0);
}

} // namespace TopTenFile
