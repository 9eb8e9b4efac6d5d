#pragma once

// The clock of the benchmarks: each step's wall-clock time and the processor time of the process.

#include <QElapsedTimer>
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

} // namespace Lorvantic::Bench
