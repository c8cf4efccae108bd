#include "toptenfile.h"

#include "runtime/recordfile.h"
#include "runtime/services.h"

#include <QDebug>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <sys/stat.h>

namespace TopTenFile {

namespace {

// A failure that repeats at every activation of a window would bury everything else in the log:
// each cause is said once per file, by the first reader or writer that meets it.
void warnOnce(const QString &cause, const QString &what)
{
    static QSet<QString> said;
    const QString key = path() + QLatin1Char('\n') + cause;
    if (said.contains(key))
        return;
    said.insert(key);
    qWarning("High scores: %s", qPrintable(what));
}

bool missing(const QByteArray &file)
{
    struct stat info = {};
    return ::lstat(file.constData(), &info) != 0 && errno == ENOENT;
}

} // namespace

QByteArray nativePath()
{
    return QFile::encodeName(runtime::Services::folder().path()) + QByteArrayLiteral("/topten.txt");
}

QString path()
{
    return QFile::decodeName(nativePath());
}

Table read()
{
    Table table;
    runtime::RecordFile file(nativePath(), ScoreRecord::Length);
    if (!file.open()) {
        // Where the file is missing and cannot be made, the write that needs it will say why.
        if (!missing(nativePath()))
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
    runtime::RecordFile file(nativePath(), ScoreRecord::Length);
    if (!file.open() || !file.write(1, bytes)) {
        warnOnce(file.errorString(), QStringLiteral("cannot write %1 (%2); the new entry is not saved")
                                         .arg(path(), file.errorString()));
        return false;
    }
    return true;
}

} // namespace TopTenFile
