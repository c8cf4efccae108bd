// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/processend.h"
#include "platform/programfolder.h"
#include "platform/seededrandom.h"
#include "platform/services.h"
#include "platform/systemclock.h"
#include "platform/timer.h"
#include "runtime/announcer.h"
#include "runtime/questionbox.h"
#include "sound/pulseplayer.h"

// The program's real services. Made before the first window and installed for as long as they
// live; they are made in the order of the members below and go in the reverse order.
class SystemServices
{
public:
    SystemServices() = default;
    SystemServices(const SystemServices &) = delete;
    SystemServices &operator=(const SystemServices &) = delete;

    const platform::ProgramFolder &folder() const { return m_folder; }
    // What is installed, for a caller that puts a few of its own in their place.
    const platform::Services &set() const { return m_installed.set(); }

private:
    // First: the high scores' place and the plug-in paths are settled by it.
    platform::ExecutableFolder m_folder;
    platform::SystemClock m_clock;
    platform::SeededRandom m_random;
    platform::QtTimerEngine m_timers;
    runtime::MessageQuestionBox m_questions;
    platform::ProcessEnd m_end;
    runtime::QtScreenReader m_screenReader;
    // Last made, first gone: its threads stop while everything else is still there.
    sound::PulsePlayer m_sound;
    const platform::Installed m_installed{{
        .sound = &m_sound,
        .clock = &m_clock,
        .random = &m_random,
        .questions = &m_questions,
        .folder = &m_folder,
        .programEnd = &m_end,
        .timers = &m_timers,
        .screenReader = &m_screenReader,
    }};
};
