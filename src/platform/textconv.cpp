// SPDX-License-Identifier: GPL-3.0-or-later
#include "textconv.h"

#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>

namespace platform::text {

namespace {

// A plain decimal number: an optional sign, digits, and for a double an optional fraction,
// with spaces around it. Exponents, "nan" and "inf" are not numbers to a score field. Checked
// character by character: a regular expression would load PCRE2 and its JIT compiler, about
// 0.4 MiB resident for the program's life, to read a three-character field.
std::optional<QString> plainNumber(const QString &text, bool fraction)
{
    const QString number = text.trimmed();
    qsizetype at = number.startsWith(u'+') || number.startsWith(u'-') ? 1 : 0;
    int digits = 0;
    bool point = false;
    for (; at < number.size(); ++at) {
        const QChar c = number.at(at);
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.' && fraction && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    return number;
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
    // Qt's codec (ICU) maps all 256 bytes both ways, the five that the code page leaves
    // unassigned included (to and from U+0081, U+008D, U+008F, U+0090, U+009D), so stored bytes
    // come back unchanged. It marks what the code page cannot hold with 0x1A, which the file
    // has always held as '?'.
    QStringEncoder encoder("windows-1252");
    Q_ASSERT_X(encoder.isValid(), "toCp1252", "Qt lacks its ICU codecs");
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const QByteArray one = encoder.encode(QString::fromUcs4(&c, 1));
        const bool held = one.size() == 1 && (one.front() != '\x1A' || c == U'\x1A');
        bytes += held ? one : QByteArrayLiteral("?");
    }
    return bytes;
}

QString fromCp1252(const QByteArray &bytes)
{
    QStringDecoder decoder("windows-1252");
    Q_ASSERT_X(decoder.isValid(), "fromCp1252", "Qt lacks its ICU codecs");
    return decoder.decode(bytes);
}

} // namespace platform::text
