#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace runtime {

// A file of fixed-length records, record n (from 1) at byte (n - 1) x length.
class RecordFile
{
public:
    RecordFile(const QString &path, int recordLength);

    // Opens for reading and writing (a missing file is created, empty), or for reading alone
    // where writing is not allowed.
    bool open();
    // Record n, or nothing where the file ends before the record does.
    std::optional<QByteArray> read(int n);
    // Writes whole records from record n on, in one write, and flushes them to the file.
    bool write(int n, const QByteArray &records);
    void close();

    QString errorString() const { return m_file.errorString(); }
    int recordLength() const { return m_length; }

private:
    QFile m_file;
    int m_length;
};

} // namespace runtime
