// Checks mmCIF files against a DDL2 dictionary with CifFile::DataChecking
// beside `gemmi validate`; the usage below says what is measured. Every run
// is a child process, so that the peak memory of one entry does not hide that
// of the next, and the dictionary is read again each time, as a separate
// process would.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "cif/CifFile.h"

namespace {

const char* const kUsage =
    "usage: validate_bench [DICT FILE...]\n"
    "Checks each FILE against the DDL2 dictionary DICT with CifFile::DataChecking and\n"
    "times it beside one `gemmi validate -p -d DICT FILE` process (Debian package gemmi,\n"
    "which reads the dictionary each time too) when gemmi is installed.\n"
    "\n"
    "Without arguments: tests/data/dict/mmcif_pdbx.dic, the entries of tests/data/mmcif,\n"
    "and three large entries made from 3o5r's atom_site repeated with new ids (102,900,\n"
    "205,800 and 411,600 atoms, 65 MB in all), kept as $TMPDIR/validate_bench_3o5r_*.cif\n"
    "(or /tmp) and made again only when missing. The check's log goes to a scratch\n"
    "directory that is removed when the program ends or is interrupted.\n"
    "\n"
    "Columns (times in ms, the best of 5 runs, 2 for a file above 20 MB):\n"
    "  dict      reading the dictionary\n"
    "  read      reading the file\n"
    "  check     DataChecking\n"
    "  total     the three together, best run\n"
    "  peak      peak resident MB of the whole child process\n"
    "  read      peak MB of a child that reads the dictionary and the file alone\n"
    "  x         peak / read peak\n"
    "  findings  report lines that are neither empty nor details (two leading blanks)\n"
    "  gemmi     wall ms of the gemmi process; then its peak MB and its output lines\n"
    "  time      total / gemmi\n";

bool Exists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

// Writes `copies` times the atom_site rows of `source` (a file whose
// atom_site loop has id as its second column and one row per line) with ids
// counted from 1, the rest of the file as it is, to `temporary`, then moves it
// to `target` (so that a target present is complete).
bool MakeLargeEntry(const std::string& source, const std::string& temporary,
                    const std::string& target, unsigned int copies) {
    std::ifstream in(source);
    if (!in) {
        std::cerr << "cannot read " << source << "\n";
        return false;
    }
    std::vector<std::string> before, atoms, after;
    for (std::string line; std::getline(in, line);) {
        const bool atom = line.compare(0, 5, "ATOM ") == 0 || line.compare(0, 7, "HETATM ") == 0;
        (atom ? atoms : atoms.empty() ? before : after).push_back(line);
    }
    std::ofstream out(temporary);
    for (const std::string& line : before) {
        out << line << "\n";
    }
    unsigned long id = 0;
    for (unsigned int copy = 0; copy < copies; ++copy) {
        for (const std::string& line : atoms) {
            const std::size_t idStart = line.find_first_not_of(' ', line.find(' '));
            const std::size_t idEnd = line.find(' ', idStart);
            out << line.substr(0, idStart) << ++id << line.substr(idEnd) << "\n";
        }
    }
    for (const std::string& line : after) {
        out << line << "\n";
    }
    out.close();
    if (!out || std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::cerr << "cannot write " << target << "\n";
        return false;
    }
    return true;
}

// One child's figures: times in ms, peak memory in MB.
struct Figures {
    double dict = 0, read = 0, check = 0, peakMb = 0;
    unsigned int findings = 0;
};

double PeakMb(const struct rusage& usage) {
    return usage.ru_maxrss / 1024.0;
}

// Runs the dictionary and entry read, and the check unless readOnly, in a
// child process. False when the child could not read its input.
bool RunChild(const std::string& dictPath, const std::string& path, bool readOnly,
              const std::string& logPath, Figures& figures) {
    // The child would otherwise write what is still buffered a second time.
    std::fflush(stdout);
    int channel[2];
    if (pipe(channel) != 0) {
        std::perror("pipe");
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        Figures own;
        CifFile dict;
        CifFile file;
        Stopwatch watch;
        if (!ReadCif(dict, dictPath)) {
            _exit(3);
        }
        own.dict = watch.Seconds() * 1e3;
        watch = Stopwatch();
        if (!ReadCif(file, path)) {
            _exit(3);
        }
        own.read = watch.Seconds() * 1e3;
        if (!readOnly) {
            std::remove(logPath.c_str());
            watch = Stopwatch();
            file.DataChecking(dict, logPath, false, false);
            own.check = watch.Seconds() * 1e3;
            own.findings = CountFindings(logPath);
        }
        const bool written = write(channel[1], &own, sizeof own) == sizeof own;
        _exit(written ? 0 : 4);
    }
    ScratchDir::Watch(pid);
    close(channel[1]);
    const bool received = pid > 0 && read(channel[0], &figures, sizeof figures) == sizeof figures;
    close(channel[0]);
    int status = 0;
    struct rusage usage;
    const bool waited = pid > 0 && wait4(pid, &status, 0, &usage) == pid;
    ScratchDir::Watch(0);
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !received) {
        return false;
    }
    figures.peakMb = PeakMb(usage);
    return true;
}

// One `gemmi validate -p -d` process: wall ms, peak MB and output lines.
// False when gemmi could not be run.
bool RunGemmi(const std::string& dict, const std::string& path, const std::string& outPath,
              double& ms, double& peakMb, unsigned int& lines) {
    const char* const out = outPath.c_str();
    std::fflush(stdout);
    const Stopwatch watch;
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            _exit(127);
        }
        dup2(fd, 1);
        dup2(fd, 2);
        execl("/usr/bin/gemmi", "gemmi", "validate", "-p", "-d", dict.c_str(), path.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ScratchDir::Watch(pid);
    int status = 0;
    struct rusage usage;
    const bool waited = pid > 0 && wait4(pid, &status, 0, &usage) == pid;
    ScratchDir::Watch(0);
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) == 127) {
        return false;
    }
    ms = watch.Seconds() * 1e3;
    peakMb = PeakMb(usage);
    lines = 0;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);) {
        ++lines;
    }
    std::remove(out);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    Arguments arguments(argc, argv, kUsage);
    while (arguments.Next()) {
        if (arguments.IsOption()) {
            arguments.Refuse();
        }
        args.push_back(arguments.Current());
    }
    if (args.size() == 1) {
        arguments.Fail("give a dictionary and at least one file, or nothing");
    }
    ScratchDir scratch("validate_bench.");
    const std::string logPath = scratch.File("check.log");
    const std::string gemmiPath = scratch.File("gemmi.txt");
    if (args.empty()) {
        const std::string data = TestDataDir();
        args = {data + "/dict/mmcif_pdbx.dic", data + "/mmcif/1aki.cif", data + "/mmcif/1l2y.cif",
                data + "/mmcif/3o5r.cif"};
        // 3o5r has 1,470 atoms.
        for (const unsigned int copies : {70u, 140u, 280u}) {
            const std::string name =
                "validate_bench_3o5r_" + std::to_string(copies * 1470) + ".cif";
            const std::string large = TempBase() + "/" + name;
            if (!Exists(large) &&
                !MakeLargeEntry(data + "/mmcif/3o5r.cif", scratch.File(name), large, copies)) {
                return 1;
            }
            args.push_back(large);
        }
    }
    const std::string& dictPath = args[0];
    std::printf("times: best of 5 runs (2 above 20 MB), in ms; memory: peak MB of the process\n");
    std::printf("%-30s %7s %7s %8s %8s %6s %6s %5s %8s | %8s %6s %6s | %5s\n", "file", "dict",
                "read", "check", "total", "peak", "read", "x", "findings", "gemmi", "peak", "lines",
                "time");
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& path = args[i];
        struct stat status;
        const int runs = stat(path.c_str(), &status) == 0 && status.st_size > (20 << 20) ? 2 : 5;
        Figures best;
        best.dict = best.read = best.check = 1e12;
        double total = 1e12, gemmiMs = 1e12, gemmiMb = 0;
        unsigned int gemmiLines = 0;
        bool gemmi = true;
        for (int run = 0; run < runs; ++run) {
            Figures figures;
            if (!RunChild(dictPath, path, false, logPath, figures)) {
                std::cerr << "validate_bench: cannot check " << path << " against " << dictPath
                          << "\n";
                return 1;
            }
            best.dict = std::min(best.dict, figures.dict);
            best.read = std::min(best.read, figures.read);
            best.check = std::min(best.check, figures.check);
            best.peakMb = std::max(best.peakMb, figures.peakMb);
            best.findings = figures.findings;
            total = std::min(total, figures.dict + figures.read + figures.check);
            double ms = 0, mb = 0;
            gemmi = gemmi && RunGemmi(dictPath, path, gemmiPath, ms, mb, gemmiLines);
            gemmiMs = std::min(gemmiMs, ms);
            gemmiMb = std::max(gemmiMb, mb);
        }
        Figures readAlone;
        if (!RunChild(dictPath, path, true, logPath, readAlone)) {
            std::cerr << "validate_bench: cannot read " << path << "\n";
            return 1;
        }
        const std::string name = path.substr(path.rfind('/') + 1);
        std::printf("%-30s %7.1f %7.1f %8.1f %8.1f %6.0f %6.0f %5.2f %8u |", name.c_str(),
                    best.dict, best.read, best.check, total, best.peakMb, readAlone.peakMb,
                    best.peakMb / readAlone.peakMb, best.findings);
        if (gemmi) {
            std::printf(" %8.1f %6.0f %6u | %5.2f\n", gemmiMs, gemmiMb, gemmiLines,
                        total / gemmiMs);
        } else {
            std::printf(" %8s\n", "(no gemmi)");
        }
        std::fflush(stdout);
    }
    return 0;
}
