#pragma once

class QFont;

namespace runtime {

// The windows' layouts name the fonts they were designed with ("MS Sans Serif", "Garamond",
// "Arial"); this maps each to an installed look-alike, and makes "MS Sans Serif" at 8.25 points
// the controls' default. Call once after the application exists.
void installFonts();

// The controls' designed default, "MS Sans Serif" at 8.25 points regular, with every attribute
// fixed, so that nothing of a desktop font shows through.
QFont designedFont();

} // namespace runtime
