// SPDX-License-Identifier: GPL-3.0-or-later
// Turns synthesised speech into a sound the program plays like its Morse tones:
// voicefix <in.wav> <out.wav> [--loudness DBFS]
// 44.1 kHz 16-bit mono, silence trimmed, brought to a common loudness.

#include "pcmfile.h"
#include "voiceprocessor.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    soundgen::VoiceSettings settings;
    if (argc == 5 && std::string(argv[3]) == "--loudness") {
        settings.loudnessDbfs = std::strtod(argv[4], nullptr);
    } else if (argc != 3) {
        std::cerr << "usage: voicefix <in.wav> <out.wav> [--loudness DBFS]\n";
        return 2;
    }
    const auto speech = soundgen::readMono(argv[1]);
    if (!speech) {
        std::cerr << "voicefix: " << speech.error() << " (" << argv[1] << ")\n";
        return 1;
    }
    try {
        const soundgen::MonoSound voice = soundgen::prepareVoice(*speech, settings);
        soundgen::writePcm16(argv[2], voice.sampleRate, soundgen::toPcm16(voice.samples));
    } catch (const std::exception &error) {
        std::cerr << "voicefix: " << error.what() << " (" << argv[1] << ")\n";
        return 1;
    }
    return 0;
}
