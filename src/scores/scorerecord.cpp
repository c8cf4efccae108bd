// SPDX-License-Identifier: GPL-3.0-or-later
#include "scorerecord.h"

#include "platform/textconv.h"

namespace text = platform::text;

QByteArray ScoreRecord::toBytes() const
{
    return text::toCp1252(text::fixedLength(Name, NameLength) + text::fixedLength(Points, PointsLength));
}

ScoreRecord ScoreRecord::fromBytes(const QByteArray &bytes)
{
    const QString fields = text::fromCp1252(bytes);
    return {text::fixedLength(fields.left(NameLength), NameLength),
            text::fixedLength(fields.mid(NameLength, PointsLength), PointsLength)};
}

QString ScoreRecord::pointsField(double score)
{
    constexpr double largest = 999;
    return text::fixedLength(text::fromNumber(score > largest ? largest : score), PointsLength);
}

QString ScoreRecord::nameField(const QString &name)
{
    return text::fixedLength(name, NameLength);
}

qint16 ScoreRecord::pointsValue() const
{
    return text::toInt16(Points).value_or(0);
}

bool ScoreRecord::pointsIsNumber() const
{
    return text::toInt16(Points).has_value();
}
