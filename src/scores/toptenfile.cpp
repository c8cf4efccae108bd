#include "toptenfile.h"

#include "runtime/recordfile.h"
#include "runtime/services.h"

#include <QDebug>

namespace TopTenFile {

QString path()
{
    return runtime::Services::folder().path() + QStringLiteral("/topten.txt");
}

Table read()
{
    Table table;
    runtime::RecordFile file(path(), ScoreRecord::Length);
    if (!file.open()) {
        qWarning("High scores: cannot open %s (%s); showing an empty table", qPrintable(path()),
                 qPrintable(file.errorString()));
        return table;
    }
    int missing = 0;
    bool garbled = false;
    for (int k = 1; k <= int(table.size()); ++k) {
        const std::optional<QByteArray> bytes = file.read(k);
        if (!bytes) {
            ++missing;
            continue;
        }
        table[k - 1] = ScoreRecord::fromBytes(*bytes);
        // A blank field is an empty place in the table, not damage.
        const ScoreRecord &record = table[k - 1];
        garbled = garbled || (!record.pointsIsNumber() && !record.Points.trimmed().isEmpty());
    }
    file.close();
    if (missing > 0)
        qWarning("High scores: %s holds %d of 5 records; the rest read as empty", qPrintable(path()),
                 int(table.size()) - missing);
    if (garbled)
        qWarning("High scores: %s has points that are not a number; they count as 0", qPrintable(path()));
    return table;
}

bool write(const Table &table)
{
    QByteArray bytes;
    for (const ScoreRecord &record : table)
        bytes += record.toBytes();
    runtime::RecordFile file(path(), ScoreRecord::Length);
    if (!file.open() || !file.write(1, bytes)) {
        qWarning("High scores: cannot write %s (%s); the new entry is not saved", qPrintable(path()),
                 qPrintable(file.errorString()));
        return false;
    }
    file.close();
    return true;
}

} // namespace TopTenFile
