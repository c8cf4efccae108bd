// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QAbstractButton;
class QWidget;

// The program's own colours, and the palette changes that show them.
namespace runtime {

// The system colours the layouts name (button face, button text, highlighted text, window text)
// with the classic light values they were designed against, whatever the desktop's palette.
QPalette classicPalette();

// A colour as a layout names it: "#rrggbb", or a system colour by role name ("buttonFace",
// "buttonText", "highlightedText", "windowText"). Invalid if neither.
QColor layoutColour(const QString &name);

// Gives a panel the button face as its background, passed on to the controls inside. A palette
// rather than a style sheet, so that colours set later on those controls hold whenever the window
// is polished.
void fillWithButtonFace(QWidget &panel);

// Makes a top-level window keep its designed look under any desktop: the classic palette (with
// the window's own background and text colours, where given) and the designed default font,
// passed on to every control that does not name its own.
void applyDesignedLook(QWidget &window, const QColor &backColor = {}, const QColor &foreColor = {});

// The program-wide part of the designed look: the classic palette and font for what no window
// owns (tool tips, context menus), and buttons drawn flat in their own background colour with a
// raised edge, so that a button coloured 00C000 shows exactly 00C000. Call once after the
// application exists.
void installDesignedLook();

// The green of the buttons in play: the game's character buttons, and the introduction window's
// buttons while its welcome points at them.
inline constexpr QColor InPlayGreen = QColor(0x00, 0xC0, 0x00);

// A button in the in-play green, or back to the button face its window gives it.
void showInPlay(QAbstractButton &button, bool inPlay);

// Marks the button of the character that was sent, while a miss is being told: the classic
// selection colours, which neither the green in play nor the button face can be taken for.
// showInPlay takes the mark off again.
void showSent(QAbstractButton &button);

} // namespace runtime
