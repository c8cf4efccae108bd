#pragma once

namespace runtime {

// The windows' layouts name the fonts they were designed with ("MS Sans Serif", "Garamond",
// "Arial"); this maps each to an installed look-alike. Call once after the application exists.
void installFontSubstitutes();

} // namespace runtime
