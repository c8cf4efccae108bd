// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// A file of fixed-length records, record n (from 1) at byte (n - 1) x length, named by its path
// as the system spells it. Only a regular file reached without following a symbolic link is
// opened: a link could make a write land in some other file of the player's.
class RecordFile
{
public:
    RecordFile(const QByteArray &path, int recordLength);
    ~RecordFile();
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // Opens for reading and writing (a missing file is created, empty), or for reading alone
    // where writing is not allowed. Never waits, whatever lies at the path.
    bool open();
    // Record n, or nothing where the file ends before the record does.
    std::optional<QByteArray> read(int n);
    // Writes whole records from record n on, in place, in one write; a short write is completed.
    // The data reach the disk before it returns true. On a failure the bytes it covered are put
    // back as they were, so a reader finds the old records, not a mix.
    bool write(int n, const QByteArray &records);
    void close();

    // The file's size in bytes; -1 if it is not open.
    qint64 size() const;
    // Why the last operation failed, in the system's words.
    QString errorString() const;
    int recordLength() const { return m_length; }

private:
    bool fail(int error);

    QByteArray m_path;
    int m_length;
    int m_fd = -1;
    bool m_writable = false;
    // Why the file could not be opened for writing, where it was opened for reading alone.
    int m_writeError = 0;
    // An errno value, or NotRegular.
    int m_error = 0;
};

} // namespace platform
