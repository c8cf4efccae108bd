// A stand-in sound module: its player records what reaches it, and it is made only once the test
// lets it, so that the test can ask for sounds while the module is still loading.
#include "runtime/services.h"

#include <QtGlobal>
#include <condition_variable>
#include <mutex>

namespace {

std::mutex mutex;
std::condition_variable released;
bool mayMake = false;
QStringList calls;

class RecordingSound final : public runtime::SoundOutput
{
public:
    void play(const QString &path) override
    {
        const std::lock_guard lock(mutex);
        calls << QStringLiteral("play ") + path;
    }
    void prepare(const QStringList &paths) override
    {
        const std::lock_guard lock(mutex);
        calls << QStringLiteral("prepare ") + paths.join(QLatin1Char(' '));
    }
};

} // namespace

extern "C" Q_DECL_EXPORT runtime::SoundOutput *zumbarel_sound_output()
{
    std::unique_lock lock(mutex);
    released.wait(lock, [] { return mayMake; });
    return new RecordingSound;
}

extern "C" Q_DECL_EXPORT void release_sound_output()
{
    const std::lock_guard lock(mutex);
    mayMake = true;
    released.notify_all();
}

extern "C" Q_DECL_EXPORT QStringList recorded_sound_calls()
{
    const std::lock_guard lock(mutex);
    return calls;
}
