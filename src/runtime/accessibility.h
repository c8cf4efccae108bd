// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace runtime {

// What assistive technology is told about the program's windows: each window is a window or a
// dialog, not a bare panel, and a scroll bar that runs over negated values (a property
// "ValueNegated" in its layout, for a chooser whose top end is its highest value) reports the
// value it stands for. Call once after the application exists, before any window loads.
void installAccessibility();

// A widget with this property (a QAccessible::Role) is presented with that role: a picture as a
// picture, a chart as a chart.
inline constexpr const char *RoleProperty = "accessibleRole";

// Loads Qt's own Spanish texts (context menus, standard buttons); false if they are not installed.
bool loadSpanishQtTexts();

} // namespace runtime
