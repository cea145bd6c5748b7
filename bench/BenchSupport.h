#ifndef TESRA_BENCH_BENCHSUPPORT_H
#define TESRA_BENCH_BENCHSUPPORT_H

#include <sys/resource.h>

#include <chrono>

// Wall time since construction.
class Stopwatch {
public:
    Stopwatch() : _start(std::chrono::steady_clock::now()) {}

    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - _start).count();
    }

private:
    std::chrono::steady_clock::time_point _start;
};

// The process's peak resident memory so far, in kilobytes.
inline long PeakMemoryKb() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

#endif
