// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Not an errno value: the path names something other than a regular file or a folder.
constexpr int NotRegular = -1;

// Writes all of bytes at offset, going on after a short write; false with errno set if the
// system takes no more.
bool writeAll(int fd, const char *bytes, qint64 count, qint64 offset)
{
    while (count > 0) {
        const ssize_t done = ::pwrite(fd, bytes, size_t(count), off_t(offset));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (done == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes += done;
        count -= done;
        offset += done;
    }
    return true;
}

qint64 readAll(int fd, char *bytes, qint64 count, qint64 offset)
{
    qint64 total = 0;
    while (total < count) {
        const ssize_t done = ::pread(fd, bytes + total, size_t(count - total), off_t(offset + total));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return done < 0 ? -1 : total;
        total += done;
    }
    return total;
}

} // namespace

RecordFile::RecordFile(const QByteArray &path, int recordLength) : m_path(path), m_length(recordLength) {}

RecordFile::~RecordFile()
{
    close();
}

bool RecordFile::fail(int error)
{
    m_error = error;
    return false;
}

bool RecordFile::open()
{
    close();
    // O_NONBLOCK keeps a FIFO planted at the path from holding the open; it is cleared below,
    // once the file is known to be a regular one.
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    m_fd = ::open(m_path.constData(), O_RDWR | O_CREAT | flags, 0666);
    m_writable = m_fd >= 0;
    if (m_fd < 0) {
        const int cause = errno;
        if (cause != EACCES && cause != EROFS && cause != EPERM && cause != ETXTBSY)
            return fail(cause);
        // A file that may not be written can still be read.
        m_fd = ::open(m_path.constData(), O_RDONLY | flags);
        if (m_fd < 0)
            return fail(errno == ENOENT ? cause : errno);
        m_writeError = cause;
    }
    struct stat info = {};
    if (::fstat(m_fd, &info) != 0) {
        const int cause = errno;
        close();
        return fail(cause);
    }
    if (!S_ISREG(info.st_mode)) {
        close();
        return fail(S_ISDIR(info.st_mode) ? EISDIR : NotRegular);
    }
    const int status = ::fcntl(m_fd, F_GETFL);
    if (status == -1 || ::fcntl(m_fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
        const int cause = errno;
        close();
        return fail(cause);
    }
    m_error = 0;
    return true;
}

std::optional<QByteArray> RecordFile::read(int n)
{
    if (m_fd < 0 || n < 1)
        return std::nullopt;
    QByteArray record(m_length, Qt::Uninitialized);
    const qint64 got = readAll(m_fd, record.data(), m_length, qint64(n - 1) * m_length);
    if (got < 0)
        m_error = errno;
    if (got != m_length)
        return std::nullopt;
    return record;
}

bool RecordFile::write(int n, const QByteArray &records)
{
    if (m_fd < 0)
        return false;
    if (n < 1 || records.size() % m_length != 0)
        return fail(EINVAL);
    if (!m_writable)
        return fail(m_writeError);
    const qint64 offset = qint64(n - 1) * m_length;
    const qint64 oldSize = size();
    QByteArray old(records.size(), Qt::Uninitialized);
    const qint64 oldCount = readAll(m_fd, old.data(), old.size(), offset);
    if (oldSize < 0 || oldCount < 0)
        return fail(errno);
    if (!writeAll(m_fd, records.constData(), records.size(), offset)) {
        const int cause = errno;
        // Rewriting bytes the file already had needs no new space; the length goes back too.
        writeAll(m_fd, old.constData(), oldCount, offset);
        if (::ftruncate(m_fd, off_t(oldSize)) == 0)
            ::fdatasync(m_fd);
        return fail(cause);
    }
    if (::fdatasync(m_fd) != 0)
        return fail(errno);
    return true;
}

void RecordFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

qint64 RecordFile::size() const
{
    struct stat info = {};
    return m_fd >= 0 && ::fstat(m_fd, &info) == 0 ? qint64(info.st_size) : -1;
}

QString RecordFile::errorString() const
{
    switch (m_error) {
    case NotRegular:
        return QStringLiteral("not a regular file");
    case ELOOP:
        // What O_NOFOLLOW reports for a link in the last place of the path.
        return QStringLiteral("a symbolic link, which is not followed");
    default:
        return QString::fromLocal8Bit(std::strerror(m_error));
    }
}

} // namespace platform
