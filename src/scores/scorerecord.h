// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// One entry of the high-score file: a 10-character name and a 3-character score, both padded
// with spaces, stored as 13 bytes of Windows-1252.
struct ScoreRecord
{
    static constexpr int NameLength = 10;
    static constexpr int PointsLength = 3;
    static constexpr int Length = NameLength + PointsLength;

    QString Name = QString(NameLength, QLatin1Char(' '));
    QString Points = QString(PointsLength, QLatin1Char(' '));

    QByteArray toBytes() const;
    static ScoreRecord fromBytes(const QByteArray &bytes);

    // The score's field text: its digits padded to three. A score too large for the field is
    // stored as the largest it can hold rather than cut to its first digits.
    static QString pointsField(double score);
    static QString nameField(const QString &name);

    // The score as a number; a field that holds no number counts as 0.
    qint16 pointsValue() const;
    bool pointsIsNumber() const;
};
