// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QFont;
class QWidget;

namespace runtime {

// The windows' layouts name the fonts they were designed with ("MS Sans Serif", "Garamond",
// "Arial"); this maps each to an installed look-alike, and makes "MS Sans Serif" at 8.25 points
// the controls' default. Call once after the application exists.
void installFonts();

// The controls' designed default, "MS Sans Serif" at 8.25 points regular, with every attribute
// fixed, so that nothing of a desktop font shows through.
QFont designedFont();

// The families to ask for in place of the designed ones: each designed family that is installed
// and its installed look-alikes, in order.
QStringList installedFamilies(const QStringList &designed);
// Puts installedFamilies() in place of the families named by the window's controls.
void useInstalledFamilies(QWidget &window);

} // namespace runtime
