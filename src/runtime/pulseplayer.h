#pragma once

#include "services.h"

#include <QString>
#include <memory>

namespace runtime {

// Plays sound files through the desktop's sound server (PulseAudio or PipeWire). One stream is
// kept open for the life of the program; a new sound flushes it and starts at once.
class PulsePlayer final : public SoundOutput
{
public:
    PulsePlayer();
    // Connects to the server named (empty: the default one), for the tests' private server.
    explicit PulsePlayer(const QString &server);
    ~PulsePlayer() override;
    PulsePlayer(const PulsePlayer &) = delete;
    PulsePlayer &operator=(const PulsePlayer &) = delete;

    void play(const QString &path) override;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace runtime
