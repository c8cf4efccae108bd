#include "modulesound.h"

#include "firstframe.h"

#include <QDebug>
#include <QLibrary>

namespace runtime {

ModuleSound::ModuleSound()
    : ModuleSound(Services::folder().path() + QLatin1Char('/') + QLatin1String(FileName))
{
}

ModuleSound::ModuleSound(const QString &modulePath)
{
    try {
        m_loader = std::thread(&ModuleSound::load, this, modulePath);
    } catch (const std::system_error &) {
        load(modulePath); // no thread to spare: load it here rather than stay silent
    }
}

ModuleSound::~ModuleSound()
{
    if (m_loader.joinable())
        m_loader.join();
}

// The module stays loaded for the rest of the run: its player and threads may outlive this.
void ModuleSound::load(const QString &modulePath)
{
    // Loading takes a core for a few milliseconds; the first window needs it more, and the first
    // sound may well come that little later.
    FirstFrame::waitFor(WaitForFirstFrame);
    QLibrary library(modulePath);
    using Make = SoundOutput *(*)();
    const auto make = reinterpret_cast<Make>(library.resolve(Entry));
    std::unique_ptr<SoundOutput> output(make ? make() : nullptr);
    if (!output)
        qWarning().noquote() << QStringLiteral("Sound: cannot load the sound module (%1); sounds stay silent")
                                    .arg(library.errorString());

    const std::lock_guard lock(m_mutex);
    m_tried = true;
    m_output = std::move(output);
    if (!m_output)
        return;
    if (m_play)
        m_output->play(*m_play);
    if (!m_prepare.isEmpty())
        m_output->prepare(m_prepare);
    m_play.reset();
    m_prepare.clear();
}

void ModuleSound::play(const QString &path)
{
    const std::lock_guard lock(m_mutex);
    if (m_output)
        m_output->play(path);
    else if (!m_tried)
        m_play = path; // a newer play replaces an older one, as it would when playing
}

void ModuleSound::prepare(const QStringList &paths)
{
    const std::lock_guard lock(m_mutex);
    if (m_output)
        m_output->prepare(paths);
    else if (!m_tried)
        m_prepare += paths;
}

} // namespace runtime
