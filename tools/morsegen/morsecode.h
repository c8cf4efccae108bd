// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace soundgen {

// One stretch of key down (tone) or key up (silence), in dits.
struct KeyMark
{
    bool keyDown = false;
    int dits = 0;
};

// The dots and dashes of one character of International Morse ("." and "-"); empty if it has none.
std::string_view morsePattern(char character);

// Keying for plain text: 1 dit between elements, 3 between characters, 7 between words.
// Letters inside angle brackets ("<SK>") are one prosign, sent without the gap between characters.
// Throws std::invalid_argument on a character Morse does not have.
std::vector<KeyMark> keyText(std::string_view text);

// Keying for dots and dashes written out (".-.-"); a space separates characters, "/" words.
std::vector<KeyMark> keyPattern(std::string_view pattern);

// Whether the argument is written-out dots and dashes rather than text.
bool isPattern(std::string_view text);

// Total length of the keying in dits.
int totalDits(const std::vector<KeyMark> &marks);

} // namespace soundgen
