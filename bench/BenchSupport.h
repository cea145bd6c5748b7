#ifndef TESRA_BENCH_BENCHSUPPORT_H
#define TESRA_BENCH_BENCHSUPPORT_H

#include <sys/resource.h>
#include <sys/types.h>

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

// The command line of a benchmark program. `--help` anywhere prints the usage
// on standard output and ends the program with status 0; an option or
// argument the program does not take ends it with a message on standard error
// and status 2, before any work. The usage text starts with the line
// "usage: NAME ...".
//
//   Arguments args(argc, argv, kUsage);
//   while (args.Next()) {
//       if (args.Is("--runs")) runs = args.Number(1, 1000);
//       else if (args.IsOption()) args.Refuse();
//       else files.push_back(args.Current());
//   }
class Arguments {
public:
    Arguments(int argc, char** argv, const char* usage);

    // Moves to the next argument; false when none is left.
    bool Next();
    const std::string& Current() const { return _current; }
    bool Is(const char* option) const { return _current == option; }
    // Starts with '-' (and is not "-" alone).
    bool IsOption() const { return _current.size() > 1 && _current[0] == '-'; }

    // The value that follows the current option; refused when there is none.
    std::string Value();
    // The value as a whole number within [least, most]; refused otherwise.
    long Number(long least, long most);

    // "unknown option X" or "unexpected argument X", then status 2.
    [[noreturn]] void Refuse() const;
    // The message and a pointer to --help on standard error, then status 2.
    [[noreturn]] void Fail(const std::string& message) const;

private:
    int _argc;
    char** _argv;
    int _next = 1;
    std::string _name;
    std::string _current;
};

// The one directory of a run's scratch files: "<prefix>XXXXXX" made with
// mkdtemp under $TMPDIR (or /tmp), so that runs at once never share a file.
// It is removed with what it holds when the object goes, and on SIGINT or
// SIGTERM by a handler that then ends the program by the same signal. The
// handler allocates nothing: each file is named with File() beforehand, which
// keeps its name in fixed storage. One per program.
class ScratchDir {
public:
    // Ends the program with status 1 when the directory cannot be made.
    explicit ScratchDir(const std::string& prefix);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return _path; }
    // The path of `name` in the directory, which the handler will remove.
    std::string File(const std::string& name);

    // The child process to kill with the program on a signal (0: none).
    static void Watch(pid_t child);

private:
    std::string _path;
};

// $TMPDIR, or /tmp when it is not set: where files kept between runs go.
std::string TempBase();

// The findings of a validation log: lines that are neither empty nor detail
// lines (two leading blanks).
unsigned int CountFindings(const std::string& logPath);

class CifFile;

// Reads a CIF file, showing on standard error what the reader reports or
// throws. False when it reports or throws anything.
bool ReadCif(CifFile& file, const std::string& path);

#endif
