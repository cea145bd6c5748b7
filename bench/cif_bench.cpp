// Reads a CIF file into a CifFile and writes it back, printing MB/s for each
// step and the peak memory, side by side with gemmi (python3-gemmi:
// gemmi.cif.read_file(a).write_file(b)) on the same file when it is installed.
//
//   cif_bench [input.cif] [runs]
//
// Without an input, a multi-block file of about 60 MB is made in /tmp from
// the monomer dictionaries of tests/data (block names made unique).
#include <dirent.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"

namespace {

// tests/data of the source tree this program was built from.
std::string TestDataDir() {
    std::string source = __FILE__;
    const std::size_t slash = source.rfind("/bench/");
    return slash == std::string::npos ? std::string("tests/data")
                                      : source.substr(0, slash) + "/tests/data";
}

long FileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? static_cast<long>(in.tellg()) : -1;
}

// The monomer files joined, block names made unique, repeated to ~targetBytes.
std::string MakeInput(const std::string& dataDir, long targetBytes) {
    std::vector<std::string> files;
    if (DIR* d = opendir((dataDir + "/monomers").c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".cif" && name != "HIS.cif") {
                files.push_back(dataDir + "/monomers/" + name);
            }
        }
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        return std::string();
    }
    const std::string path = "/tmp/cif_bench_input.cif";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    long written = 0;
    long blockNumber = 0;
    for (int copy = 0; written < targetBytes; ++copy) {
        for (const std::string& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::stringstream buffer;
            buffer << in.rdbuf();
            std::string text = buffer.str();
            // Drop what comes before the first block (global_ header) and
            // number every block so that the names stay unique.
            const std::size_t first = text.find("\ndata_");
            text = first == std::string::npos ? text : text.substr(first + 1);
            std::string renamed;
            renamed.reserve(text.size() + 64);
            std::size_t pos = 0;
            for (;;) {
                const std::size_t hit = text.find("data_", pos);
                if (hit == std::string::npos) {
                    renamed.append(text, pos, std::string::npos);
                    break;
                }
                std::size_t end = hit;
                while (end < text.size() && text[end] != '\n' && text[end] != '\r' &&
                       text[end] != ' ') {
                    ++end;
                }
                renamed.append(text, pos, end - pos);
                if (hit == 0 || text[hit - 1] == '\n') {
                    renamed += "_" + std::to_string(++blockNumber);
                }
                pos = end;
            }
            out << renamed;
            if (!renamed.empty() && renamed.back() != '\n') {
                out << '\n';
            }
            written += static_cast<long>(renamed.size());
        }
    }
    return out ? path : std::string();
}

// Seconds of processor time (user + system) used by this process so far.
double CpuSeconds() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Times are processor seconds: on a shared machine the wall clock measures
// the neighbours as much as the program. Wall seconds are printed beside them.
struct Figures {
    double readSeconds = 0;
    double writeSeconds = 0;
    double readWall = 0;
    double writeWall = 0;
    long peakKb = 0;
    bool ok = false;
};

// Runs read + write in a child process so that its peak memory is its own.
Figures RunTesra(const std::string& input, const std::string& output) {
    int fds[2];
    if (pipe(fds) != 0) {
        return Figures();
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Figures f;
        try {
            CifFile file;
            CifParser parser(file);
            std::string diagnostics;
            const Stopwatch readWatch;
            double cpu = CpuSeconds();
            parser.Parse(input, diagnostics, "/tmp/cif_bench-parser.log");
            f.readSeconds = CpuSeconds() - cpu;
            f.readWall = readWatch.Seconds();
            if (!diagnostics.empty()) {
                std::cerr << "diagnostics: " << diagnostics.substr(0, 500) << "\n";
            }
            const Stopwatch writeWatch;
            cpu = CpuSeconds();
            file.Write(output);
            f.writeSeconds = CpuSeconds() - cpu;
            f.writeWall = writeWatch.Seconds();
            f.ok = true;
        } catch (const std::exception& e) {
            std::cerr << "tesra failed: " << e.what() << "\n";
        }
        f.peakKb = PeakMemoryKb();
        if (write(fds[1], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) {
            _exit(1);
        }
        _exit(0);
    }
    close(fds[1]);
    Figures f;
    if (read(fds[0], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) {
        f.ok = false;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return f;
}

Figures RunGemmi(const std::string& input, const std::string& output) {
    const std::string script =
        "import resource,sys,time\n"
        "import gemmi\n"
        "base=resource.getrusage(resource.RUSAGE_SELF).ru_maxrss\n"
        "t=time.perf_counter(); c=time.process_time(); d=gemmi.cif.read_file(sys.argv[1])\n"
        "r=time.process_time()-c; rw=time.perf_counter()-t\n"
        "t=time.perf_counter(); c=time.process_time(); d.write_file(sys.argv[2])\n"
        "w=time.process_time()-c; ww=time.perf_counter()-t\n"
        "print(r, w, rw, ww, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss, base)\n";
    const std::string scriptPath = "/tmp/cif_bench_gemmi.py";
    std::ofstream(scriptPath) << script;
    Figures f;
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        const std::string command = std::string(python) + " " + scriptPath + " '" + input + "' '" +
                                    output + "' 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            continue;
        }
        long base = 0;
        const int n = std::fscanf(pipe, "%lf %lf %lf %lf %ld %ld", &f.readSeconds, &f.writeSeconds,
                                  &f.readWall, &f.writeWall, &f.peakKb, &base);
        pclose(pipe);
        if (n == 6) {
            f.ok = true;
            break;
        }
    }
    std::remove(scriptPath.c_str());
    return f;
}

void Print(const char* who, const Figures& f, double mb) {
    if (!f.ok) {
        std::printf("%-7s not available\n", who);
        return;
    }
    std::printf(
        "%-6s read %6.1f MB/s (cpu %.2f s, wall %.2f s)  write %6.1f MB/s (cpu %.2f s, "
        "wall %.2f s)  read+write %6.1f MB/s  peak %7.1f MB\n",
        who, mb / f.readSeconds, f.readSeconds, f.readWall, mb / f.writeSeconds, f.writeSeconds,
        f.writeWall, mb / (f.readSeconds + f.writeSeconds), f.peakKb / 1024.0);
}

Figures Best(const std::vector<Figures>& runs) {
    Figures best;
    for (const Figures& f : runs) {
        if (!f.ok) {
            continue;
        }
        if (!best.ok || f.readSeconds + f.writeSeconds < best.readSeconds + best.writeSeconds) {
            const long peak = std::max(best.peakKb, f.peakKb);
            best = f;
            best.peakKb = peak;
        } else {
            best.peakKb = std::max(best.peakKb, f.peakKb);
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::string input = argc > 1 ? argv[1] : std::string();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    bool made = false;
    if (input.empty()) {
        input = MakeInput(TestDataDir(), 60L * 1024 * 1024);
        made = true;
        if (input.empty()) {
            std::cerr << "cannot make the input from " << TestDataDir() << "\n";
            return 1;
        }
    }
    const long size = FileSize(input);
    if (size < 0) {
        std::cerr << "cannot read " << input << "\n";
        return 1;
    }
    {
        // Warm the page cache so that both readers see the same conditions.
        std::ifstream warm(input, std::ios::binary);
        std::vector<char> buffer(1 << 20);
        while (warm.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
        }
    }
    const double mb = size / (1024.0 * 1024.0);
    std::printf("input %s: %.1f MB, best of %d runs\n", input.c_str(), mb, runs);
    const std::string output = "/tmp/cif_bench_output.cif";
    std::vector<Figures> tesra;
    std::vector<Figures> gemmi;
    for (int i = 0; i < runs; ++i) {
        tesra.push_back(RunTesra(input, output));
        gemmi.push_back(RunGemmi(input, output));
    }
    Print("tesra", Best(tesra), mb);
    Print("gemmi", Best(gemmi), mb);
    std::remove(output.c_str());
    std::remove("/tmp/cif_bench-parser.log");
    if (made) {
        std::remove(input.c_str());
    }
    return 0;
}
