#include "recordfile.h"

namespace runtime {

RecordFile::RecordFile(const QString &path, int recordLength) : m_file(path), m_length(recordLength) {}

bool RecordFile::open()
{
    // A file that may not be written can still be read.
    return m_file.open(QIODevice::ReadWrite) || m_file.open(QIODevice::ReadOnly);
}

std::optional<QByteArray> RecordFile::read(int n)
{
    if (n < 1 || !m_file.seek(qint64(n - 1) * m_length))
        return std::nullopt;
    QByteArray record = m_file.read(m_length);
    if (record.size() != m_length)
        return std::nullopt;
    return record;
}

bool RecordFile::write(int n, const QByteArray &records)
{
    if (n < 1 || records.size() % m_length != 0 || !m_file.seek(qint64(n - 1) * m_length))
        return false;
    return m_file.write(records) == records.size() && m_file.flush();
}

void RecordFile::close()
{
    m_file.close();
}

} // namespace runtime
