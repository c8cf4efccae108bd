// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pulsetestserver.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

// What the benchmarks measure with.

// Starts the private sound server, or says why not.
inline bool startOrSay(PulseTestServer &server)
{
    if (server.start())
        return true;
    std::fprintf(stderr, "cannot start pulseaudio:\n%s\n", qPrintable(server.log()));
    return false;
}

// Index of the first sample above the noise floor from `from` on, or -1.
inline qsizetype firstLoud(const MonitorRecorder &recorder, qsizetype from)
{
    const std::vector<float> samples = recorder.samples(from, recorder.frames());
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::abs(samples[i]) > 1e-3f)
            return from + qsizetype(i);
    return -1;
}

// Waits up to timeoutMs for the first loud sample from `from` on; its index, or -1.
inline qsizetype waitForFirstLoud(const MonitorRecorder &recorder, qsizetype from, int timeoutMs)
{
    qsizetype loud = -1;
    for (int waited = 0; loud < 0 && waited < timeoutMs; ++waited) {
        QThread::msleep(1);
        loud = firstLoud(recorder, from);
    }
    return loud;
}

// The value below which the given fraction of the values lie, interpolated between neighbours.
inline double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const double at = fraction * double(values.size() - 1);
    const auto below = size_t(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - double(below));
}

// The memory fields ("VmHWM", "RssAnon"...) of /proc/<pid>/status, in kB; empty if the process has
// gone. pid may be "self".
inline std::map<QByteArray, double> processMemory(const QString &pid)
{
    std::map<QByteArray, double> figures;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return figures;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.endsWith(" kB") && (line.startsWith("Vm") || line.startsWith("Rss")))
            figures[line.left(colon)] = double(line.mid(colon + 1).trimmed().split(' ').first().toLong());
    }
    return figures;
}
