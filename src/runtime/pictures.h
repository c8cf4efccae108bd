// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QString>

namespace runtime {

// The program's pictures, read as what they are: PNG, from the program's resources. Qt's general
// loading first asks every image plug-in on the system whether it knows the file, and so loads all
// of them, with the SVG and JPEG libraries behind them, before the first window can be drawn. The
// layouts name this as their picture loader.
QPixmap picture(const QString &path);
inline QPixmap picture(const char *path)
{
    return picture(QString::fromUtf8(path));
}

} // namespace runtime
