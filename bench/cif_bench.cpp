// Reads CIF files into a CifFile and writes them back, side by side with
// gemmi: its C++ reader and writer (gemmi_cif_peer, built beside this program
// when gemmi's headers are installed) and python3-gemmi when it is installed.
// Runs are interleaved; each figure is the median of its runs. The usage
// below says what is measured.
#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
    ScratchDir::Watch(pid);
    close(fds[1]);
    Figures f;
    if (read(fds[0], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) {
        f.ok = false;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ScratchDir::Watch(0);
    return f;
}

Figures RunTesra(const std::string& input, const std::string& output, const std::string& log) {
    return InChild([&](Figures& f) {
        CpuClock clock;
        auto file = std::make_unique<CifFile>();
        CifParser parser(*file);
        std::string diagnostics;
        parser.Parse(input, diagnostics, log);
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

const char* const kUsage =
    "usage: cif_bench [--runs N] [--no-python] [--keep] [FILE...]\n"
    "Times reading and writing CIF files beside gemmi's C++ reader (when built beside this\n"
    "program) and python3-gemmi (when installed). Each figure is the median of N\n"
    "interleaved runs (default 5).\n"
    "\n"
    "Without files, four inputs (about 450 MB made from tests/data in a scratch directory\n"
    "under $TMPDIR or /tmp, removed when the program ends or is interrupted):\n"
    "  monomers-30MB   the monomer dictionaries joined, block names made unique, repeated\n"
    "                  to about 30 MB;\n"
    "  monomers-172MB  the same to about 172 MB;\n"
    "  mmcif-2.9M      1l2y.cif with its atom_site loop repeated, new ids, to about\n"
    "                  2.9 million atoms;\n"
    "  mmcif_pdbx.dic  the PDBx dictionary as it is.\n"
    "\n"
    "  --runs N       runs per input and reader (1 to 1000)\n"
    "  --no-python    leaves out python3-gemmi\n"
    "  --keep         keeps the three made inputs as $TMPDIR/cif_bench_*.cif (or /tmp) and\n"
    "                 takes them from there in later runs with --keep\n"
    "\n"
    "Columns, per input and reader: read s (parse and free) and read+write s (parse, write\n"
    "and free) in processor seconds (user + system: on a shared machine the wall clock\n"
    "measures the neighbours as much as the program), r+w wall s, and peak MB, the peak\n"
    "resident memory of the process. \"bytes\" is the floor: reading the file in 1 MiB\n"
    "pieces. An input that cannot be read ends the program with status 1.\n";

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool python = true;
    bool keep = false;
    std::vector<Input> inputs;
    Arguments args(argc, argv, kUsage);
    while (args.Next()) {
        if (args.Is("--runs")) {
            runs = static_cast<int>(args.Number(1, 1000));
        } else if (args.Is("--no-python")) {
            python = false;
        } else if (args.Is("--keep")) {
            keep = true;
        } else if (args.IsOption()) {
            args.Refuse();
        } else {
            inputs.push_back({args.Current(), args.Current()});
        }
    }
    ScratchDir scratch("cif_bench.");
    if (inputs.empty()) {
        const std::string data = TestDataDir();
        const long mib = 1024L * 1024;
        const struct {
            const char* label;
            const char* name;
            bool (*make)(const std::string& data, const std::string& path);
        } made[] = {
            {"monomers-30MB", "cif_bench_monomers_30.cif",
             [](const std::string& data, const std::string& path) {
                 return MakeJoinedMonomers(data, 30 * mib, path);
             }},
            {"monomers-172MB", "cif_bench_monomers_172.cif",
             [](const std::string& data, const std::string& path) {
                 return MakeJoinedMonomers(data, 172 * mib, path);
             }},
            {"mmcif-2.9M", "cif_bench_mmcif_2.9M.cif",
             [](const std::string& data, const std::string& path) {
                 return MakeRepeatedAtomSite(data + "/mmcif/1l2y.cif", 251, path);
             }},
        };
        for (const auto& m : made) {
            // A kept input is complete: it is moved into place only once written.
            const std::string kept = TempBase() + "/" + m.name;
            if (keep && FileSize(kept) > 0) {
                inputs.push_back({m.label, kept});
                continue;
            }
            const std::string path = scratch.File(m.name);
            if (!m.make(data, path)) {
                std::cerr << "cannot make the inputs from " << data << " in " << scratch.Path()
                          << "\n";
                return 1;
            }
            if (keep && std::rename(path.c_str(), kept.c_str()) != 0) {
                std::cerr << "cannot keep " << kept << ": " << std::strerror(errno) << "\n";
                return 1;
            }
            inputs.push_back({m.label, keep ? kept : path});
        }
        inputs.push_back({"mmcif_pdbx.dic", data + "/dict/mmcif_pdbx.dic"});
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
    const std::string scriptPath = scratch.File("gemmi.py");
    std::ofstream(scriptPath) << kPythonScript;
    python = python && system("/usr/bin/python3 -c 'import gemmi' 2>/dev/null") == 0;
    const std::string output = scratch.File("output.cif");
    const std::string log = scratch.File("parser.log");

    for (const Input& input : inputs) {
        std::vector<Reader> readers = {
            {"bytes", {}}, {"tesra", {}}, {"gemmi", {}}, {"gemmi-py", {}}};
        RunBytes(input.path);  // warms the page cache
        for (int i = 0; i < runs; ++i) {
            readers[0].runs.push_back(RunBytes(input.path));
            readers[1].runs.push_back(RunTesra(input.path, output, log));
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
    return 0;
}
