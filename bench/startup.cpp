// Start-up speed: from process start to the splash window's first paint, and the peak memory at
// that moment. The driver starts itself again as the program (same start-up code as the real
// executable, with a watch on the first paint) a number of times and reports medians.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/testing/bin/bench_startup [runs]

#include "app/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Peak resident memory so far, in KiB.
long peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

class FirstPaint final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->objectName() == QLatin1String("Form4") && !m_seen) {
            m_seen = true;
            std::printf("%lld %ld\n", monotonicNs(), peakMemoryKiB());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] { _exit(0); });
        }
        return false;
    }

private:
    bool m_seen = false;
};

int probe(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaint watch;
    app.installEventFilter(&watch);
    startProgram();
    return QApplication::exec();
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--probe") == 0)
        return probe(argc, argv);

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::vector<double> delays, memory;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 started = monotonicNs();
        child.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--probe")});
        if (!child.waitForFinished(10000)) {
            std::fprintf(stderr, "run %d: no paint within 10 s (is DISPLAY set?)\n", i);
            return 1;
        }
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 2) {
            std::fprintf(stderr, "run %d: the probe reported nothing\n", i);
            return 1;
        }
        delays.push_back(double(fields[0].toLongLong() - started) / 1e6);
        memory.push_back(double(fields[1].toLong()) / 1024.0);
    }
    std::printf(
        "start-up to first paint over %d runs: median %.1f ms, p95 %.1f ms; peak memory median %.1f MiB\n",
        runs, percentile(delays, 0.5), percentile(delays, 0.95), percentile(memory, 0.5));
    return 0;
}
