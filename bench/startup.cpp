// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up speed as the player sees it: from process start to the first pixels of the program's
// first window at the X server, against two references launched in turns with it in the same
// run: a bare Qt window of the splash's kind (bench_barewindow), and the same window with one line
// of text. It measures and never fails on a figure.
//
// Method: this driver is an X client of its own. It gives every window created at the top of the
// display a Damage object as the server announces it, before the window can be mapped or drawn
// in; the first damage the server reports on a window whose _NET_WM_PID is the launched process
// is the moment that process's first frame reached the server. After a warm-up the launches take
// turns, each run starting one further along, so that all meet the same load on the machine; the
// figures are medians and 95th percentiles. The peak resident memory (VmHWM) is read half a
// second after the first pixels, when the splash's start-up work is done. A private PulseAudio
// server with a null sink stands in for the desktop's, so the program connects and plays its
// start-up sound as on a player's machine. --program (repeatable) launches other builds instead
// of the one beside the driver, to compare them in one run.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bin/bench_startup [--runs N] [--warmup N]
//       [--wm "matchbox-window-manager -use_titlebar no"] [--program PATH]... [--verbose]
#include "measures.h"
#include "pulsetestserver.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>
#include <xcb/damage.h>
#include <xcb/xcb.h>

extern char **environ;

namespace {

constexpr qint64 Ms = 1000000;

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// The peak resident memory of a running process, in MiB; -1 if it cannot be read.
double peakMemoryMiB(pid_t pid)
{
    const auto figures = processMemory(QString::number(pid));
    const auto peak = figures.find("VmHWM");
    return peak == figures.end() ? -1 : peak->second / 1024.0;
}

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').mid(0, 3).join(' ') : QByteArray("?");
}

// Watches the X server for the first frame of a launched process's windows.
class ServerWatch
{
public:
    ~ServerWatch()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
    }

    bool connect()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection)) {
            std::fprintf(stderr, "cannot reach the X server (is DISPLAY set? run under xvfb-run)\n");
            return false;
        }
        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present) {
            std::fprintf(stderr, "the X server has no Damage extension\n");
            return false;
        }
        m_damageNotify = damage->first_event + XCB_DAMAGE_NOTIFY;
        xcb_discard_reply(m_connection, xcb_damage_query_version(m_connection, XCB_DAMAGE_MAJOR_VERSION,
                                                                 XCB_DAMAGE_MINOR_VERSION)
                                            .sequence);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &events);
        m_pidAtom = atom("_NET_WM_PID");
        xcb_flush(m_connection);
        return true;
    }

    // The name the running window manager gives itself, empty if none runs.
    QByteArray windowManager()
    {
        const QByteArray check = property(m_root, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
        if (check.size() < 4)
            return {};
        xcb_window_t window = 0;
        std::memcpy(&window, check.constData(), 4);
        const QByteArray name = property(window, atom("_NET_WM_NAME"), atom("UTF8_STRING"));
        return name.isEmpty() ? QByteArray("(unnamed)") : name;
    }

    // Handles the server's events until the first frame of a window of pid reaches it, or until
    // the deadline (pid 0: only until the deadline). Returns the moment, or -1.
    qint64 watch(pid_t pid, qint64 deadlineNs)
    {
        for (;;) {
            const qint64 now = monotonicNs();
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool ours = handle(event, pid);
                std::free(event);
                if (ours)
                    return now;
            }
            if (xcb_connection_has_error(m_connection) || now >= deadlineNs)
                return -1;
            if (pid != 0 && waitpid(pid, nullptr, WNOHANG) == pid) {
                std::fprintf(stderr, "the launched program ended before it showed anything\n");
                return -1;
            }
            pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&fd, 1, int(std::min<qint64>((deadlineNs - now) / Ms + 1, 50)));
        }
    }

private:
    // True when the event is the first damage on a window of pid.
    bool handle(xcb_generic_event_t *event, pid_t pid)
    {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            // Reported damage only; the region is never cleared, so one event per window.
            const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
            xcb_damage_create(m_connection, xcb_generate_id(m_connection), created->window,
                              XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            xcb_flush(m_connection);
            return false;
        }
        if (type != m_damageNotify || pid == 0)
            return false;
        const auto *damaged = reinterpret_cast<xcb_damage_notify_event_t *>(event);
        const QByteArray owner = property(damaged->drawable, m_pidAtom, XCB_ATOM_CARDINAL);
        uint32_t ownerPid = 0;
        if (owner.size() >= 4)
            std::memcpy(&ownerPid, owner.constData(), 4);
        return ownerPid == uint32_t(pid);
    }

    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    QByteArray property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 256), nullptr);
        QByteArray value;
        if (reply)
            value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    uint8_t m_damageNotify = 0;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
};

pid_t spawn(QList<QByteArray> args, bool quiet)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char *> argv;
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(failed));
        return -1;
    }
    return pid;
}

void stop(pid_t pid)
{
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

struct Launch
{
    double ms = -1;
    double peakMiB = -1;
};

Launch launch(ServerWatch &server, const QList<QByteArray> &command, bool verbose)
{
    server.watch(0, monotonicNs()); // what the last launch left behind
    const qint64 started = monotonicNs();
    const pid_t pid = spawn(command, !verbose);
    if (pid < 0)
        return {};
    Launch result;
    const qint64 shown = server.watch(pid, started + 10000 * Ms);
    if (shown > 0) {
        result.ms = double(shown - started) / double(Ms);
        server.watch(0, shown + 500 * Ms);
        result.peakMiB = peakMemoryMiB(pid);
    }
    stop(pid);
    // Its windows go, the sound server drops it.
    server.watch(0, monotonicNs() + 50 * Ms);
    return result;
}

struct Series
{
    QByteArray name;
    QList<QByteArray> command;
    std::vector<double> ms;
    std::vector<double> peakMiB;
};

void printRatio(const Series &program, const Series &reference)
{
    std::printf("  %s / %s: median %.2fx, p95 %.2fx, peak memory %.2fx\n", program.name.constData(),
                reference.name.constData(), percentile(program.ms, 0.5) / percentile(reference.ms, 0.5),
                percentile(program.ms, 0.95) / percentile(reference.ms, 0.95),
                percentile(program.peakMiB, 0.5) / percentile(reference.peakMiB, 0.5));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 20;
    int warmup = 3;
    QByteArray wmCommand;
    QList<QByteArray> programs;
    bool verbose = false;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--runs") && hasValue)
            runs = std::max(1, args[++i].toInt());
        else if (arg == QLatin1String("--warmup") && hasValue)
            warmup = std::max(0, args[++i].toInt());
        else if (arg == QLatin1String("--wm") && hasValue)
            wmCommand = args[++i].toLocal8Bit();
        else if (arg == QLatin1String("--program") && hasValue)
            programs.append(QFile::encodeName(args[++i]));
        else if (arg == QLatin1String("--verbose"))
            verbose = true;
        else {
            std::fprintf(stderr,
                         "usage: %s [--runs N] [--warmup N] [--wm COMMAND] [--program PATH]... [--verbose]\n",
                         argv[0]);
            return 2;
        }
    }

    ServerWatch server;
    if (!server.connect())
        return 1;

    pid_t wm = -1;
    if (!wmCommand.isEmpty()) {
        wm = spawn({"/bin/sh", "-c", "exec " + wmCommand}, !verbose);
        const qint64 deadline = monotonicNs() + 5000 * Ms;
        while (server.windowManager().isEmpty() && monotonicNs() < deadline)
            server.watch(0, monotonicNs() + 20 * Ms);
        if (wm < 0 || server.windowManager().isEmpty()) {
            std::fprintf(stderr, "the window manager did not come up: %s\n", wmCommand.constData());
            if (wm > 0)
                stop(wm);
            return 1;
        }
    }
    const QByteArray wmName = server.windowManager();

    PulseTestServer sound;
    const bool hasSound = sound.start();
    if (hasSound)
        qputenv("PULSE_SERVER", sound.address().toLocal8Bit());
    else
        std::fprintf(stderr, "no sound server for the program (%s); measuring without one\n",
                     qPrintable(sound.log().trimmed()));

    // The two references: the bare window, and the same with one line of text, the least a
    // window with a caption pays (the font set-up, which a window without text never does).
    const QByteArray folder = QFile::encodeName(QCoreApplication::applicationDirPath());
    std::vector<Series> series{{"bare window", {folder + "/bench_barewindow"}, {}, {}},
                               {"captioned", {folder + "/bench_barewindow", "--caption"}, {}, {}}};
    if (programs.isEmpty())
        programs.append(folder + "/zumbarel");
    for (const QByteArray &program : std::as_const(programs))
        series.push_back({program.mid(program.lastIndexOf('/') + 1), {program}, {}, {}});
    const QByteArray loadBefore = loadAverage();

    for (int i = 0; i < warmup; ++i)
        for (Series &one : series)
            if (launch(server, one.command, verbose).ms < 0)
                return 1;
    for (int i = 0; i < runs; ++i) {
        // In turns, each run starting one further along, so that none always follows another.
        for (std::size_t k = 0; k < series.size(); ++k) {
            Series &one = series[(std::size_t(i) + k) % series.size()];
            const Launch result = launch(server, one.command, verbose);
            if (result.ms < 0)
                return 1;
            one.ms.push_back(result.ms);
            one.peakMiB.push_back(result.peakMiB);
        }
    }
    if (wm > 0)
        stop(wm);

    std::printf("Process start to the first pixels at the X server: %d launches each, in turns, after %d "
                "warm-up launches each\n",
                runs, warmup);
    std::printf("  window manager: %s; sound server: %s; load average before %s, after %s\n",
                wmName.isEmpty() ? "none" : wmName.constData(),
                hasSound ? "private PulseAudio (null sink)" : "none", loadBefore.constData(),
                loadAverage().constData());
    std::printf("  %-20s %10s %10s %10s %10s %14s\n", "", "median", "p95", "min", "max", "peak memory");
    for (const Series &one : series)
        std::printf("  %-20s %7.1f ms %7.1f ms %7.1f ms %7.1f ms %10.1f MiB\n", one.name.constData(),
                    percentile(one.ms, 0.5), percentile(one.ms, 0.95), percentile(one.ms, 0),
                    percentile(one.ms, 1), percentile(one.peakMiB, 0.5));
    for (std::size_t k = 2; k < series.size(); ++k) {
        printRatio(series[k], series[0]);
        printRatio(series[k], series[1]);
    }
    std::printf("  (peak memory: median VmHWM half a second after the first pixels)\n");
    return 0;
}
