// SPDX-License-Identifier: GPL-3.0-or-later
#include "morsecode.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <utility>

namespace soundgen {

namespace {

constexpr int ElementGap = 1;
constexpr int CharacterGap = 3;
constexpr int WordGap = 7;

// International Morse (ITU-R M.1677): letters, digits and the punctuation a learner meets first.
constexpr std::array<std::pair<char, std::string_view>, 41> Code{{
    {'A', ".-"},     {'B', "-..."},  {'C', "-.-."},  {'D', "-.."},    {'E', "."},     {'F', "..-."},
    {'G', "--."},    {'H', "...."},  {'I', ".."},    {'J', ".---"},   {'K', "-.-"},   {'L', ".-.."},
    {'M', "--"},     {'N', "-."},    {'O', "---"},   {'P', ".--."},   {'Q', "--.-"},  {'R', ".-."},
    {'S', "..."},    {'T', "-"},     {'U', "..-"},   {'V', "...-"},   {'W', ".--"},   {'X', "-..-"},
    {'Y', "-.--"},   {'Z', "--.."},  {'0', "-----"}, {'1', ".----"},  {'2', "..---"}, {'3', "...--"},
    {'4', "....-"},  {'5', "....."}, {'6', "-...."}, {'7', "--..."},  {'8', "---.."}, {'9', "----."},
    {'?', "..--.."}, {'/', "-..-."}, {'=', "-...-"}, {',', "--..--"}, {'+', ".-.-."},
}};

// Appends a silence, merging it with one already at the end so gaps never add up wrongly.
void addGap(std::vector<KeyMark> &marks, int dits)
{
    if (marks.empty())
        return; // nothing keyed yet: a leading gap would only delay the sound
    if (!marks.back().keyDown) {
        marks.back().dits = std::max(marks.back().dits, dits);
        return;
    }
    marks.push_back({false, dits});
}

void addElements(std::vector<KeyMark> &marks, std::string_view pattern)
{
    for (const char element : pattern) {
        if (!marks.empty() && marks.back().keyDown)
            marks.push_back({false, ElementGap});
        marks.push_back({true, element == '.' ? 1 : 3});
    }
}

void dropTrailingGap(std::vector<KeyMark> &marks)
{
    if (!marks.empty() && !marks.back().keyDown)
        marks.pop_back();
}

} // namespace

std::string_view morsePattern(char character)
{
    const char upper = char(std::toupper(static_cast<unsigned char>(character)));
    for (const auto &[c, pattern] : Code) {
        if (c == upper)
            return pattern;
    }
    return {};
}

std::vector<KeyMark> keyText(std::string_view text)
{
    std::vector<KeyMark> marks;
    bool inProsign = false;
    for (const char c : text) {
        if (c == ' ') {
            if (inProsign)
                throw std::invalid_argument("space inside a prosign");
            addGap(marks, WordGap);
        } else if (c == '<') {
            if (inProsign)
                throw std::invalid_argument("nested prosign");
            addGap(marks, CharacterGap);
            inProsign = true;
        } else if (c == '>') {
            if (!inProsign)
                throw std::invalid_argument("'>' without '<'");
            inProsign = false;
            addGap(marks, CharacterGap);
        } else {
            const std::string_view pattern = morsePattern(c);
            if (pattern.empty())
                throw std::invalid_argument(std::string("no Morse for '") + c + "'");
            if (!inProsign)
                addGap(marks, CharacterGap);
            addElements(marks, pattern);
        }
    }
    if (inProsign)
        throw std::invalid_argument("prosign not closed with '>'");
    dropTrailingGap(marks);
    return marks;
}

std::vector<KeyMark> keyPattern(std::string_view pattern)
{
    std::vector<KeyMark> marks;
    for (const char c : pattern) {
        if (c == '.' || c == '-')
            addElements(marks, std::string_view(&c, 1));
        else if (c == ' ')
            addGap(marks, CharacterGap);
        else if (c == '/')
            addGap(marks, WordGap);
        else
            throw std::invalid_argument(std::string("not a dot or dash: '") + c + "'");
    }
    dropTrailingGap(marks);
    return marks;
}

bool isPattern(std::string_view text)
{
    bool hasElement = false;
    for (const char c : text) {
        if (c == '.' || c == '-')
            hasElement = true;
        else if (c != ' ' && c != '/')
            return false;
    }
    return hasElement;
}

int totalDits(const std::vector<KeyMark> &marks)
{
    int dits = 0;
    for (const KeyMark &mark : marks)
        dits += mark.dits;
    return dits;
}

} // namespace soundgen
