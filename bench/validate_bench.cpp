// Checks mmCIF files against a DDL2 dictionary with CifFile::DataChecking,
// printing the time of each phase (dictionary read, file read, check) and
// the number of findings, side by side with the whole of one
// `gemmi validate -p -d DICT FILE` process (Debian package gemmi, which also
// reads the dictionary each time) when gemmi is installed.
//
//   validate_bench [DICT FILE...]
//
// Without arguments: tests/data/dict/mmcif_pdbx.dic and the entries of
// tests/data/mmcif. A finding is a report line that is neither empty nor a
// detail line (two leading blanks); gemmi's count is its output lines.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"

namespace {

bool Read(CifFile& file, const std::string& path) {
    std::string diagnostics;
    try {
        CifParser(file).Parse(path, diagnostics);
    } catch (const std::exception& e) {
        std::cerr << path << ": " << e.what();
        return false;
    }
    if (!diagnostics.empty()) {
        std::cerr << path << ": " << diagnostics << "\n";
    }
    return diagnostics.empty();
}

unsigned int CountFindings(const std::string& logPath) {
    std::ifstream in(logPath);
    unsigned int findings = 0;
    for (std::string line; std::getline(in, line);) {
        findings += !line.empty() && line.compare(0, 2, "  ") != 0;
    }
    return findings;
}

bool HasGemmi() {
    return std::system("command -v gemmi >/dev/null 2>&1") == 0;
}

// Wall seconds of one gemmi run and its output line count.
double RunGemmi(const std::string& dict, const std::string& file, unsigned int& lines) {
    const std::string out = "/tmp/validate_bench_gemmi.txt";
    const std::string command =
        "gemmi validate -p -d '" + dict + "' '" + file + "' > " + out + " 2>&1";
    const Stopwatch watch;
    const int status = std::system(command.c_str());
    const double seconds = watch.Seconds();
    (void)status;
    lines = 0;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);) {
        ++lines;
    }
    std::remove(out.c_str());
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        const std::string data = TestDataDir();
        args = {data + "/dict/mmcif_pdbx.dic", data + "/mmcif/1aki.cif", data + "/mmcif/1l2y.cif",
                data + "/mmcif/3o5r.cif"};
    }
    if (args.size() < 2) {
        std::cerr << "usage: validate_bench DICT FILE...\n";
        return 2;
    }
    // Each figure is the best of kRuns. The dictionary is read again for
    // every run, as a separate process would: the search indices that a check
    // leaves on it would otherwise make the later runs cheaper.
    const int kRuns = 5;
    const std::string& dictPath = args[0];
    const bool gemmi = HasGemmi();
    std::printf("best of %d runs, times in ms\n", kRuns);
    std::printf("%-10s %8s %8s %8s %8s %8s | %8s %6s\n", "file", "dict", "read", "check", "total",
                "findings", "gemmi", "lines");
    const std::string logPath = "/tmp/validate_bench.log";
    for (std::size_t i = 1; i < args.size(); ++i) {
        double best[4] = {1e9, 1e9, 1e9, 1e9};  // dict, read, check, total
        double gemmiBest = 1e9;
        unsigned int gemmiLines = 0;
        for (int run = 0; run < kRuns; ++run) {
            std::remove(logPath.c_str());
            CifFile dict;
            CifFile file;
            Stopwatch watch;
            if (!Read(dict, dictPath)) {
                return 1;
            }
            const double dictSeconds = watch.Seconds();
            watch = Stopwatch();
            if (!Read(file, args[i])) {
                break;
            }
            const double readSeconds = watch.Seconds();
            watch = Stopwatch();
            file.DataChecking(dict, logPath, false, false);
            const double checkSeconds = watch.Seconds();
            const double times[4] = {dictSeconds, readSeconds, checkSeconds,
                                     dictSeconds + readSeconds + checkSeconds};
            for (int t = 0; t < 4; ++t) {
                best[t] = std::min(best[t], times[t] * 1e3);
            }
            if (gemmi) {
                gemmiBest = std::min(gemmiBest, RunGemmi(dictPath, args[i], gemmiLines) * 1e3);
            }
        }
        const std::string name = args[i].substr(args[i].rfind('/') + 1);
        std::printf("%-10s %8.1f %8.1f %8.1f %8.1f %8u |", name.c_str(), best[0], best[1], best[2],
                    best[3], CountFindings(logPath));
        if (gemmi) {
            std::printf(" %8.1f %6u\n", gemmiBest, gemmiLines);
        } else {
            std::printf(" %8s\n", "(none)");
        }
        std::fflush(stdout);
    }
    std::remove(logPath.c_str());
    return 0;
}
