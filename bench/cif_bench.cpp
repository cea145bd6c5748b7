// Reads CIF files into a CifFile and writes them back, side by side with
// gemmi: its C++ reader and writer (gemmi_cif_peer, built beside this program
// when gemmi's headers are installed) and python3-gemmi when it is installed.
// Runs are interleaved; each figure is the median of its runs.
//
//   cif_bench [--runs N] [--no-python] [--keep] [file ...]
//
// Without files, four inputs are used, the large ones made in /tmp from
// tests/data (and removed afterwards unless --keep):
//   monomers-30MB   the monomer dictionaries joined, block names made unique,
//                   repeated to about 30 MB;
//   monomers-172MB  the same to about 172 MB;
//   mmcif-2.9M      1l2y.cif with its atom_site loop repeated, new ids, to
//                   about 2.9 million atoms;
//   mmcif_pdbx.dic  the PDBx dictionary as it is.
//
// Per input and reader: read (parse and free), read+write (parse, write and
// free) in processor seconds (user + system: on a shared machine the wall
// clock measures the neighbours as much as the program), the read+write wall
// time, and the peak resident memory of the process. "bytes" is the floor:
// reading the file in 1 MiB pieces.
#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"

namespace {

// The directory of this program (for gemmi_cif_peer beside it).
std::string ProgramDir() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return ".";
    }
    const std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

long FileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? static_cast<long>(in.tellg()) : -1;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// The monomer files joined, block names made unique, repeated to ~targetBytes.
bool MakeJoinedMonomers(const std::string& dataDir, long targetBytes, const std::string& path) {
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
        return false;
    }
    std::vector<std::string> texts;
    for (const std::string& file : files) {
        // Drop what comes before the first block (the global_ header).
        const std::string text = ReadAll(file);
        const std::size_t first = text.find("\ndata_");
        texts.push_back(first == std::string::npos ? text : text.substr(first + 1));
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    long written = 0;
    long blockNumber = 0;
    while (written < targetBytes) {
        for (const std::string& text : texts) {
            // Number every block so that the names stay unique.
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
            if (!renamed.empty() && renamed.back() != '\n') {
                renamed += '\n';
            }
            out << renamed;
            written += static_cast<long>(renamed.size());
        }
    }
    return static_cast<bool>(out);
}

// An entry whose atom_site rows are repeated `copies` times, the atom id
// (second field of a row) renumbered from 1.
bool MakeRepeatedAtomSite(const std::string& entry, int copies, const std::string& path) {
    const std::string text = ReadAll(entry);
    const std::size_t header = text.find("loop_\n_atom_site.");
    if (header == std::string::npos) {
        return false;
    }
    std::size_t rowsBegin = header;
    while (rowsBegin < text.size() && (text.compare(rowsBegin, 5, "loop_") == 0 ||
                                       text.compare(rowsBegin, 11, "_atom_site.") == 0)) {
        rowsBegin = text.find('\n', rowsBegin) + 1;
    }
    std::size_t rowsEnd = rowsBegin;
    while (rowsEnd < text.size() && text[rowsEnd] != '#' && text[rowsEnd] != '_' &&
           text.compare(rowsEnd, 5, "loop_") != 0) {
        rowsEnd = text.find('\n', rowsEnd) + 1;
    }
    std::vector<std::pair<std::string, std::string>> rows;  // text around the id
    for (std::size_t p = rowsBegin; p < rowsEnd;) {
        const std::size_t eol = text.find('\n', p) + 1;
        const std::size_t idBegin = text.find_first_not_of(' ', text.find(' ', p));
        const std::size_t idEnd = text.find(' ', idBegin);
        rows.emplace_back(text.substr(p, idBegin - p), text.substr(idEnd, eol - idEnd));
        p = eol;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text.substr(0, rowsBegin);
    long id = 0;
    for (int copy = 0; copy < copies; ++copy) {
        for (const auto& row : rows) {
            out << row.first << ++id << row.second;
        }
    }
    out << text.substr(rowsEnd);
    return static_cast<bool>(out);
}

// Processor seconds of parse, write and free, wall seconds of the same, peak KB.
struct Figures {
    Lap parse;
    Lap write;
    Lap free;
    long peakKb = 0;
    bool ok = false;

    double Read() const { return parse.cpu + free.cpu; }
    double ReadWrite() const { return parse.cpu + write.cpu + free.cpu; }
    double ReadWriteWall() const { return parse.wall + write.wall + free.wall; }
};

// Runs `step` in a child process, so that its peak memory is its own; the
// child sends back the figures it fills.
template <class Step>
Figures InChild(Step step) {
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
            step(f);
            f.peakKb = PeakMemoryKb();
        } catch (const std::exception& e) {
            std::cerr << "failed: " << e.what() << "\n";
            f.ok = false;
        }
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

Figures RunTesra(const std::string& input, const std::string& output) {
    return InChild([&](Figures& f) {
        CpuClock clock;
        auto file = std::make_unique<CifFile>();
        CifParser parser(*file);
        std::string diagnostics;
        parser.Parse(input, diagnostics, "/tmp/cif_bench-parser.log");
        f.parse = clock.Next();
        if (!diagnostics.empty()) {
            std::cerr << "diagnostics: " << diagnostics.substr(0, 500) << "\n";
        }
        file->Write(output);
        f.write = clock.Next();
        file.reset();
        f.free = clock.Next();
        f.ok = true;
    });
}

Figures RunBytes(const std::string& input) {
    return InChild([&](Figures& f) {
        CpuClock clock;
        const int fd = open(input.c_str(), O_RDONLY | O_CLOEXEC);
        std::vector<char> buffer(1 << 20);
        while (fd >= 0 && read(fd, buffer.data(), buffer.size()) > 0) {
        }
        if (fd >= 0) {
            close(fd);
        }
        f.parse = clock.Next();
        f.ok = fd >= 0;
    });
}

// A program that prints the seven figures of Figures on one line.
Figures RunCommand(const std::string& command) {
    Figures f;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return f;
    }
    const int n = std::fscanf(pipe, "%lf %lf %lf %lf %lf %lf %ld", &f.parse.cpu, &f.write.cpu,
                              &f.free.cpu, &f.parse.wall, &f.write.wall, &f.free.wall, &f.peakKb);
    f.ok = pclose(pipe) == 0 && n == 7;
    return f;
}

const char* const kPythonScript =
    "import resource,sys,time\n"
    "import gemmi\n"
    "def lap(s):\n"
    "  c=time.process_time(); w=time.perf_counter(); return c-s[0], w-s[1], (c, w)\n"
    "s=(time.process_time(), time.perf_counter())\n"
    "d=gemmi.cif.read_file(sys.argv[1]); pc,pw,s=lap(s)\n"
    "d.write_file(sys.argv[2]); wc,ww,s=lap(s)\n"
    "del d; fc,fw,s=lap(s)\n"
    "print(pc,wc,fc,pw,ww,fw,resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)\n";

Figures Median(const std::vector<Figures>& runs) {
    std::vector<const Figures*> ok;
    for (const Figures& f : runs) {
        if (f.ok) {
            ok.push_back(&f);
        }
    }
    Figures m;
    if (ok.empty()) {
        return m;
    }
    const auto median = [&ok](auto get) {
        std::vector<double> v;
        for (const Figures* f : ok) {
            v.push_back(get(*f));
        }
        std::sort(v.begin(), v.end());
        return v.size() % 2 == 1 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    // Read and write are kept as totals: parse holds the read, write the rest.
    m.parse.cpu = median([](const Figures& f) { return f.Read(); });
    m.write.cpu = median([](const Figures& f) { return f.ReadWrite(); }) - m.parse.cpu;
    m.parse.wall = median([](const Figures& f) { return f.ReadWriteWall(); });
    m.peakKb = static_cast<long>(median([](const Figures& f) { return double(f.peakKb); }));
    m.ok = true;
    return m;
}

struct Input {
    std::string label;
    std::string path;
    bool made;
};

struct Reader {
    const char* name;
    std::vector<Figures> runs;
};

void Report(const Input& input, const std::vector<Reader>& readers, int runs) {
    const double mb = FileSize(input.path) / (1024.0 * 1024.0);
    std::printf("\n%s (%s, %.1f MB), median of %d interleaved runs\n", input.label.c_str(),
                input.path.c_str(), mb, runs);
    std::printf("  %-10s %9s %12s %12s %9s\n", "", "read s", "read+write s", "r+w wall s",
                "peak MB");
    Figures tesra;
    for (const Reader& reader : readers) {
        const Figures m = Median(reader.runs);
        if (!m.ok) {
            std::printf("  %-10s not available\n", reader.name);
            continue;
        }
        if (std::strcmp(reader.name, "bytes") == 0) {
            std::printf("  %-10s %9.3f\n", reader.name, m.parse.cpu);
            continue;
        }
        if (std::strcmp(reader.name, "tesra") == 0) {
            tesra = m;
        }
        std::printf("  %-10s %9.3f %12.3f %12.3f %9.1f", reader.name, m.parse.cpu,
                    m.parse.cpu + m.write.cpu, m.parse.wall, m.peakKb / 1024.0);
        if (tesra.ok && std::strcmp(reader.name, "tesra") != 0) {
            std::printf("   tesra/%s: read %.2f, read+write %.2f, peak %.2f", reader.name,
                        tesra.parse.cpu / m.parse.cpu,
                        (tesra.parse.cpu + tesra.write.cpu) / (m.parse.cpu + m.write.cpu),
                        double(tesra.peakKb) / m.peakKb);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool python = true;
    bool keep = false;
    std::vector<Input> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--no-python") {
            python = false;
        } else if (arg == "--keep") {
            keep = true;
        } else {
            inputs.push_back({arg, arg, false});
        }
    }
    if (inputs.empty()) {
        const std::string data = TestDataDir();
        const Input made[] = {{"monomers-30MB", "/tmp/cif_bench_monomers_30.cif", true},
                              {"monomers-172MB", "/tmp/cif_bench_monomers_172.cif", true},
                              {"mmcif-2.9M", "/tmp/cif_bench_mmcif_2.9M.cif", true},
                              {"mmcif_pdbx.dic", data + "/dict/mmcif_pdbx.dic", false}};
        const long mib = 1024L * 1024;
        const bool ok =
            (FileSize(made[0].path) > 0 || MakeJoinedMonomers(data, 30 * mib, made[0].path)) &&
            (FileSize(made[1].path) > 0 || MakeJoinedMonomers(data, 172 * mib, made[1].path)) &&
            (FileSize(made[2].path) > 0 ||
             MakeRepeatedAtomSite(data + "/mmcif/1l2y.cif", 251, made[2].path));
        if (!ok) {
            std::cerr << "cannot make the inputs from " << data << "\n";
            return 1;
        }
        inputs.assign(std::begin(made), std::end(made));
    }

    // Every input is checked before the first run, so that a mistyped path ends the
    // program at once (status 1) and no figures are missing from a run that succeeds.
    bool readable = true;
    for (const Input& input : inputs) {
        if (FileSize(input.path) < 0) {
            std::cerr << "cannot read " << input.path << "\n";
            readable = false;
        }
    }
    if (!readable)
        return 1;

    const std::string peer = ProgramDir() + "/gemmi_cif_peer";
    const bool havePeer = access(peer.c_str(), X_OK) == 0;
    const std::string scriptPath = "/tmp/cif_bench_gemmi.py";
    std::ofstream(scriptPath) << kPythonScript;
    python = python && system("/usr/bin/python3 -c 'import gemmi' 2>/dev/null") == 0;
    const std::string output = "/tmp/cif_bench_output.cif";

    for (const Input& input : inputs) {
        std::vector<Reader> readers = {
            {"bytes", {}}, {"tesra", {}}, {"gemmi", {}}, {"gemmi-py", {}}};
        RunBytes(input.path);  // warms the page cache
        for (int i = 0; i < runs; ++i) {
            readers[0].runs.push_back(RunBytes(input.path));
            readers[1].runs.push_back(RunTesra(input.path, output));
            if (havePeer) {
                readers[2].runs.push_back(
                    RunCommand(peer + " '" + input.path + "' '" + output + "'"));
            }
            if (python) {
                readers[3].runs.push_back(RunCommand("/usr/bin/python3 " + scriptPath + " '" +
                                                     input.path + "' '" + output + "'"));
            }
        }
        Report(input, readers, runs);
    }
    std::remove(scriptPath.c_str());
    std::remove(output.c_str());
    std::remove("/tmp/cif_bench-parser.log");
    for (const Input& input : inputs) {
        if (input.made && !keep) {
            std::remove(input.path.c_str());
        }
    }
    return 0;
}
