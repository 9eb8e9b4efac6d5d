#pragma once

// What the benchmarks measure with and print through: each step's wall-clock time and the
// processor time of the process, memory figures from a process's status, flushed output lines.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <cstdio>
#include <ctime>
#include <functional>

namespace Lorvantic::Bench {

struct Time {
    double wall = 0;
    double cpu = 0;
};

inline double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

inline Time measure(const std::function<void()>& step) {
    QElapsedTimer timer;
    const double cpu = processCpuSeconds();
    timer.start();
    step();
    return {static_cast<double>(timer.nsecsElapsed()) / 1e9, processCpuSeconds() - cpu};
}

// A value in kB of a /proc status file ("/proc/self/status", field "VmHWM" or "VmRSS"); -1 when
// the file or the field is not there (a process that has ended).
inline qint64 StatusKilobytes(const QString& statusFile, const char* field) {
    QFile status(statusFile);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// printf, and the line shows at once however the output is buffered.
inline void Print(const char* format, auto... values) {
    std::printf(format, values...);
    std::fflush(stdout);
}

} // namespace Lorvantic::Bench
