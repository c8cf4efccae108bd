// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QList>
#include <QString>
#include <QTest>
#include <utility>

// Files as a test prepares and reads them: whole, byte for byte.

inline void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// topten.txt in a program folder, from records of a name and points, each padded with spaces to
// the 10 and 3 bytes of the file.
inline void writeTopTen(const QString &folder, const QList<std::pair<QString, QString>> &records)
{
    QByteArray bytes;
    for (const auto &[name, points] : records)
        bytes += (name.leftJustified(10) + points.leftJustified(3)).toLatin1();
    writeFileBytes(folder + QStringLiteral("/topten.txt"), bytes);
}
