#include "textconv.h"

#include <QLocale>
#include <QRegularExpression>
#include <array>

namespace runtime::text {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// A plain decimal number: an optional sign, digits, and for a double an optional fraction,
// with spaces around it. Exponents, "nan" and "inf" are not numbers to a score field.
std::optional<QString> plainNumber(const QString &text, bool fraction)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*([+-]?\\d+)\\s*$"));
    static const QRegularExpression decimal(QStringLiteral("^\\s*([+-]?(\\d+(\\.\\d*)?|\\.\\d+))\\s*$"));
    const QRegularExpressionMatch match = (fraction ? decimal : whole).match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

} // namespace

QString fromNumber(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<qint16> toInt16(const QString &text)
{
    const std::optional<QString> number = plainNumber(text, false);
    bool ok = false;
    const short value = number ? number->toShort(&ok) : 0;
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<double> toDouble(const QString &text)
{
    const std::optional<QString> number = plainNumber(text, true);
    bool ok = false;
    const double value = number ? number->toDouble(&ok) : 0;
    if (!ok)
        return std::nullopt;
    return value;
}

QString upper(const QString &text)
{
    return QLocale().toUpper(text);
}

QString fixedLength(const QString &text, int length)
{
    return text.leftJustified(length, QLatin1Char(' '), true);
}

QByteArray toCp1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(static_cast<char>(u));
            continue;
        }
        const auto *hit = std::find(cp1252High.begin(), cp1252High.end(), u);
        bytes.append(u != 0 && hit != cp1252High.end() ? static_cast<char>(0x80 + (hit - cp1252High.begin()))
                                                       : '?');
    }
    return bytes;
}

QString fromCp1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        const char16_t high = (u >= 0x80 && u < 0xA0) ? cp1252High[u - 0x80] : 0;
        // The unassigned bytes pass through unchanged, as the system's own conversion does.
        text.append(QChar(high != 0 ? high : char16_t(u)));
    }
    return text;
}

} // namespace runtime::text
