// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulsetestserver.h"
#include "sound/pulseplayer.h"
#include "sound/soundcache.h"
#include "sound/soundloader.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <map>
#include <mutex>
#include <sndfile.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

using sound::SoundCache;
using sound::SoundLoader;
using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr int Rate = PulseTestServer::Rate;
constexpr char PlayAndReturn[] = "--play-and-return";

// What the loader delivered, by ticket. Shared with the loader's threads, which may outlive it.
struct Deliveries
{
    std::mutex mutex;
    std::map<quint64, SoundLoader::Result> results;

    void add(SoundLoader::Result &&result)
    {
        const std::lock_guard lock(mutex);
        results.emplace(result.ticket, std::move(result));
    }
    std::optional<SoundLoader::Result> find(quint64 ticket)
    {
        const std::lock_guard lock(mutex);
        const auto found = results.find(ticket);
        return found == results.end() ? std::nullopt : std::optional(found->second);
    }
};

// A FUSE mount of hungshare, whose hung.wav never opens. Ending its program fails every open
// still waiting there; it is ended, and the mount taken away, however the test ends.
class HungShare
{
public:
    ~HungShare() { end(); }

    // Empty when mounted, otherwise why not; *refused when this machine does not let us mount.
    QString mount(bool *refused)
    {
        const int device = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
        *refused = device < 0;
        if (device < 0)
            return QStringLiteral("cannot use /dev/fuse: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(device);
        m_process.start(QStringLiteral(HUNGSHARE_PATH), {QStringLiteral("-f"), QStringLiteral("-o"),
                                                         QStringLiteral("max_threads=64"), m_dir.path()});
        m_started = m_process.waitForStarted();
        QElapsedTimer timer;
        timer.start();
        while (!QFileInfo::exists(file()) && m_process.state() != QProcess::NotRunning &&
               timer.elapsed() < 5000)
            m_process.waitForFinished(20);
        if (QFileInfo::exists(file()))
            return {};
        const QString log = QString::fromLocal8Bit(m_process.readAllStandardError());
        *refused = log.contains(QStringLiteral("not permitted")) || log.contains(QStringLiteral("denied"));
        return QStringLiteral("hungshare did not mount: ") + log;
    }
    QString file() const { return m_dir.filePath(QStringLiteral("hung.wav")); }
    pid_t pid() const { return pid_t(m_process.processId()); }
    // Opens of hung.wav begun so far.
    int opens()
    {
        m_opens += int(m_process.readAllStandardOutput().count('\n'));
        return m_opens;
    }
    void end()
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid(), SIGKILL);
            m_process.waitForFinished();
        }
        if (m_started && ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH) != 0 &&
            errno == EPERM)
            QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-uz"), m_dir.path()});
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_started = false;
    int m_opens = 0;
};

// Kills a program if the step it guards outlasts its bound: a step held by a hung open then ends,
// as the open fails, and the test fails instead of hanging.
class Watchdog
{
public:
    Watchdog(pid_t pid, std::chrono::milliseconds bound)
        : m_thread([this, pid, bound] {
              std::unique_lock lock(m_mutex);
              // A pid of 0 would kill this very process group.
              if (!m_wake.wait_for(lock, bound, [this] { return m_over; }) && pid > 0)
                  ::kill(pid, SIGKILL);
          })
    {
    }
    ~Watchdog()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_over = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_over = false;
    std::thread m_thread;
};

// The child's part: a real player asked for a file, then the return from main when told.
int playAndReturn(const char *file)
{
    sound::PulsePlayer player(QStringLiteral("unix:/nonexistent/zumbarel-test"));
    player.play(QFile::decodeName(file));
    std::string line;
    std::getline(std::cin, line);
    return 0;
}

} // namespace

class TestSoundLoader : public QObject
{
    Q_OBJECT
private slots:
    // A file whose open hangs, as on a hung network share, holds only the thread opening it: a
    // file asked for once it counts as stuck is decoded by a fresh thread, up to a limit of
    // threads left behind, after which files not yet decoded stay silent at once until some of
    // those threads end. The loader's end, and the program's, wait only a moment.
    void load_hungOpen_freshThreadTakesOverAndEndsDoNotWait()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.wav"));
        QVERIFY(writeWav(good, Rate, SF_FORMAT_PCM_16, {std::vector<float>(Rate / 10, 0.25f)}));
        auto delivered = std::make_shared<Deliveries>();
        const auto cache = std::make_shared<SoundCache>(Rate);
        const auto deliver = [delivered](SoundLoader::Result &&result) { delivered->add(std::move(result)); };
        auto capped = std::make_unique<SoundLoader>(cache, deliver);
        auto ending = std::make_unique<SoundLoader>(cache, deliver);
        QProcess child;
        // Last, so that on any early return the share ends first and frees whatever waits on it.
        HungShare share;
        bool refused = false;
        const QString error = share.mount(&refused);
        if (refused)
            QSKIP(qPrintable(error));
        QVERIFY2(error.isEmpty(), qPrintable(error));

        quint64 ticket = 0;
        int opens = share.opens();
        ending->load(++ticket, share.file(), SteadyClock::now());
        QTRY_COMPARE(share.opens(), opens + 1);
        QElapsedTimer timer;
        timer.start();
        {
            const Watchdog watchdog(share.pid(), 3s);
            ending.reset();
        }
        qInfo("a loader stuck in an open ended in %lld ms", timer.elapsed());
        QVERIFY(timer.elapsed() < 400);

        // A whole program, which plays the hung file with the real player and returns from main.
        opens = share.opens();
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(PlayAndReturn), share.file()});
        QVERIFY(child.waitForStarted());
        QTRY_COMPARE(share.opens(), opens + 1);
        timer.restart();
        child.write("\n");
        child.closeWriteChannel();
        const bool ended = child.waitForFinished(3000);
        qInfo("a program stuck in an open ended in %lld ms", timer.elapsed());
        QVERIFY(ended);
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);

        std::vector<quint64> hung;
        for (int round = 0; round <= SoundLoader::MaxLeftBehind; ++round) {
            opens = share.opens();
            hung.push_back(++ticket);
            capped->load(ticket, share.file(), SteadyClock::now());
            QTRY_COMPARE(share.opens(), opens + 1);
            QTest::qWait(int((SoundLoader::StuckAfter + 100ms).count()));
            QVERIFY(!delivered->find(ticket));

            capped->load(++ticket, good, SteadyClock::now());
            QTRY_VERIFY_WITH_TIMEOUT(delivered->find(ticket), 1000);
            const SoundLoader::Result result = *delivered->find(ticket);
            if (round < SoundLoader::MaxLeftBehind) {
                QVERIFY2(result.sound, result.sound.error().c_str());
                QCOMPARE((*result.sound)->size(), size_t(Rate / 10));
            } else {
                QVERIFY(!result.sound);
                QCOMPARE(QString::fromStdString(result.sound.error()),
                         QStringLiteral("sound files do not answer"));
            }
        }

        // Once the share lets go of them (here, as it goes away), the threads left behind end and
        // files play again.
        share.end();
        for (const quint64 each : hung)
            QTRY_VERIFY(delivered->find(each));
        capped->load(++ticket, good, SteadyClock::now());
        QTRY_VERIFY_WITH_TIMEOUT(delivered->find(ticket), 1000);
        const SoundLoader::Result last = *delivered->find(ticket);
        QVERIFY2(last.sound, last.sound.error().c_str());
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], PlayAndReturn) == 0)
        return playAndReturn(argv[2]);
    QCoreApplication app(argc, argv);
    TestSoundLoader test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_soundloader.moc"
