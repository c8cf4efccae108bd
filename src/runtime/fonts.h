#pragma once

namespace runtime {

// The windows' layouts name the fonts they were designed with ("MS Sans Serif", "Garamond",
// "Arial"); this maps each to an installed look-alike, and makes "MS Sans Serif" at 8.25 points
// the controls' default. Call once after the application exists.
void installFonts();

} // namespace runtime
