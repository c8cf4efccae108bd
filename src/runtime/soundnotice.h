// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/services.h"

#include <QObject>

class QWidget;

namespace runtime {

// Whether anything can be heard at all: a game played by ear that stays silent without a word
// would pass a failure off as success. It follows the sound service it is given, and the windows
// that carry its notice show it while no sound server answers and hide it once one does.
class SoundServerNotice final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundServerNotice)
public:
    explicit SoundServerNotice(platform::SoundOutput &sound, QObject *parent = nullptr);
    ~SoundServerNotice() override;

    bool silent() const { return m_silent; }

    // The program's one, made at start-up; null before, and where none is made.
    static SoundServerNotice *instance();
    // A line along the foot of window, on screen while no sound server answers.
    static void addTo(QWidget &window);

    static constexpr const char *Text = "No se oye nada: Zumbarel no encuentra el servidor de sonido del "
                                        "escritorio (PulseAudio o PipeWire).";

signals:
    void silentChanged(bool silent);

private:
    void setSilent(bool silent);

    platform::SoundOutput &m_sound;
    bool m_silent = false;
};

} // namespace runtime
