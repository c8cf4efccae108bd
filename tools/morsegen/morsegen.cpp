// SPDX-License-Identifier: GPL-3.0-or-later
// Writes one Morse sound: morsegen <out.wav> <text-or-pattern> [--wpm N] [--freq HZ] [--level DBFS]
// Text is letters, digits and punctuation ("CQ CQ", "<SK>" for a prosign); a pattern is dots and
// dashes (".-.-", spaces between characters).

#include "morsecode.h"
#include "pcmfile.h"
#include "tonerenderer.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

int usage()
{
    std::cerr << "usage: morsegen <out.wav> <text-or-pattern> [--wpm N] [--freq HZ] [--level DBFS]\n";
    return 2;
}

double number(const std::string &option, const char *value)
{
    char *end = nullptr;
    const double result = std::strtod(value, &end);
    if (end == value || *end != '\0')
        throw std::invalid_argument(option + " needs a number, not '" + value + "'");
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3 || (argc - 3) % 2 != 0)
        return usage();
    try {
        soundgen::ToneSettings settings;
        for (int i = 3; i < argc; i += 2) {
            const std::string option = argv[i];
            if (option == "--wpm")
                settings.wpm = number(option, argv[i + 1]);
            else if (option == "--freq")
                settings.frequency = number(option, argv[i + 1]);
            else if (option == "--level")
                settings.peakDbfs = number(option, argv[i + 1]);
            else
                return usage();
        }
        const std::string text = argv[2];
        const auto marks = soundgen::isPattern(text) ? soundgen::keyPattern(text) : soundgen::keyText(text);
        if (marks.empty())
            throw std::invalid_argument("nothing to send");
        soundgen::writePcm16(argv[1], settings.sampleRate, soundgen::renderTone(marks, settings));
    } catch (const std::exception &error) {
        std::cerr << "morsegen: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
