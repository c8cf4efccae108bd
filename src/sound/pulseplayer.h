// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/services.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace sound {

// Plays sound files through the desktop's sound server (PulseAudio or PipeWire). One stream is
// kept for the life of the program, corked while nothing plays. A new sound starts at once when
// nothing is heard; one that cuts off a sound still heard fades it out and waits a character gap,
// so that the two are heard as two characters.
class PulsePlayer final : public platform::SoundOutput
{
public:
    PulsePlayer();
    // Connects to the server named (empty: the default one), for the tests' private server.
    explicit PulsePlayer(const QString &server);
    ~PulsePlayer() override;
    PulsePlayer(const PulsePlayer &) = delete;
    PulsePlayer &operator=(const PulsePlayer &) = delete;

    void play(const QString &path) override;
    void prepare(const QStringList &paths) override;
    void watchServer(ServerWatcher changed) override;
    std::chrono::steady_clock::time_point quietFrom() const override;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace sound
