// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's Morse timing, shared by the sound tools that make the Morse sounds and the player
// that keeps them apart.
namespace morse {

// Character speed by the PARIS standard: one dit (one unit) lasts 1200 / Wpm milliseconds.
inline constexpr double Wpm = 20.0;
inline constexpr double UnitMs = 1200.0 / Wpm;
// The silence between two characters: any shorter, and a listener hears them as one.
inline constexpr double CharacterGapMs = 3 * UnitMs;

} // namespace morse
