#pragma once

#include "services.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace runtime {

// Plays through the sound module beside the program, loaded on a thread of its own. The sound
// server's client library and the file reader's codecs take longer to load than the first window
// takes to draw; this way that window never waits for them. What is asked before the module is
// ready is kept, the newest play and every prepare, and handed on as soon as it is.
class ModuleSound final : public SoundOutput
{
public:
    // The file name of the module, in the program folder.
    static constexpr const char *FileName = "zumbarel-sound.so";
    // The function the module exports: makes its player, which the caller owns.
    static constexpr const char *Entry = "zumbarel_sound_output";
    // Loading waits for the first frame, this long at most.
    static constexpr std::chrono::milliseconds WaitForFirstFrame{300};

    ModuleSound();
    explicit ModuleSound(const QString &modulePath);
    ~ModuleSound() override;
    ModuleSound(const ModuleSound &) = delete;
    ModuleSound &operator=(const ModuleSound &) = delete;

    void play(const QString &path) override;
    void prepare(const QStringList &paths) override;

private:
    void load(const QString &modulePath);

    std::mutex m_mutex;
    bool m_tried = false;
    std::unique_ptr<SoundOutput> m_output;
    std::optional<QString> m_play;
    QStringList m_prepare;
    std::thread m_loader;
};

} // namespace runtime
