// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Conversions between numbers and text, and between the program's text and the 8-bit code page
// (Windows-1252) of its files.
namespace platform::text {

// Shortest decimal form, no leading space: 12 -> "12", 0.5 -> "0.5".
QString fromNumber(double value);

// Spaces around the number are ignored; anything but plain decimal digits (with a sign, and for
// a double a fraction) in range gives nothing.
std::optional<qint16> toInt16(const QString &text);
std::optional<double> toDouble(const QString &text);

// Upper case by the rules of the user's language.
QString upper(const QString &text);

// Stores text into a field of fixed length: pads with spaces or cuts.
QString fixedLength(const QString &text, int length);

// Characters that Windows-1252 cannot hold become '?'.
QByteArray toCp1252(const QString &text);
QString fromCp1252(const QByteArray &bytes);

} // namespace platform::text
