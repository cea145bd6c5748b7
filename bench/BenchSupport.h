#ifndef TESRA_BENCH_BENCHSUPPORT_H
#define TESRA_BENCH_BENCHSUPPORT_H

#include <sys/resource.h>

#include <chrono>
#include <string>

// tests/data of the source tree this program was built from.
inline std::string TestDataDir() {
    const std::string source = __FILE__;
    const std::size_t slash = source.rfind("/bench/");
    return slash == std::string::npos ? std::string("tests/data")
                                      : source.substr(0, slash) + "/tests/data";
}

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

// Processor (user + system) and wall seconds of one step.
struct Lap {
    double cpu = 0;
    double wall = 0;
};

// Times consecutive steps: each Next() gives the time since the previous one
// (or since construction).
class CpuClock {
public:
    CpuClock() : _cpu(CpuSeconds()) {}

    ::Lap Next() {
        const double cpu = CpuSeconds();
        ::Lap lap;
        lap.cpu = cpu - _cpu;
        lap.wall = _wall.Seconds();
        _cpu = cpu;
        _wall = Stopwatch();
        return lap;
    }

    // Seconds of processor time (user + system) used by this process so far.
    static double CpuSeconds() {
        struct rusage usage;
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }

private:
    double _cpu;
    Stopwatch _wall;
};

#endif
