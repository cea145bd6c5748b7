#include "BenchSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"

Arguments::Arguments(int argc, char** argv, const char* usage) : _argc(argc), _argv(argv) {
    const std::string program = argc > 0 ? argv[0] : "bench";
    _name = program.substr(program.rfind('/') + 1);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usage, stdout);
            std::exit(0);
        }
    }
}

bool Arguments::Next() {
    if (_next >= _argc) {
        return false;
    }
    _current = _argv[_next++];
    return true;
}

std::string Arguments::Value() {
    const std::string option = _current;
    if (_next >= _argc) {
        Fail("option " + option + " needs a value");
    }
    _current = _argv[_next++];
    return _current;
}

long Arguments::Number(long least, long most) {
    const std::string option = _current;
    const std::string value = Value();
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0 || number < least || number > most) {
        Fail("option " + option + " takes a whole number from " + std::to_string(least) + " to " +
             std::to_string(most) + ", not \"" + value + "\"");
    }
    return number;
}

void Arguments::Refuse() const {
    Fail((IsOption() ? "unknown option " : "unexpected argument ") + _current);
}

void Arguments::Fail(const std::string& message) const {
    std::cerr << _name << ": " << message << " (" << _name << " --help shows the usage)\n";
    std::exit(2);
}

namespace {

// Fixed storage, so that the signal handler reaches the names without
// allocating.
constexpr int kMaxFiles = 32;
constexpr std::size_t kMaxName = 256;
constexpr std::size_t kMaxPath = 4096;
char g_directory[kMaxPath];
char g_files[kMaxFiles][kMaxName];
volatile sig_atomic_t g_fileCount = 0;
volatile sig_atomic_t g_owner = 0;  // the process that made the directory
volatile sig_atomic_t g_child = 0;
int g_directoryFd = -1;

// Removes the named files and the directory; safe inside a signal handler.
void RemoveNamed() {
    for (int i = 0; i < g_fileCount; ++i) {
        unlinkat(g_directoryFd, g_files[i], 0);
    }
    rmdir(g_directory);
}

extern "C" void RemoveOnSignal(int signalNumber) {
    // A forked child leaves the directory to the program that made it.
    if (g_owner == getpid()) {
        if (g_child > 0) {
            kill(g_child, SIGKILL);
        }
        RemoveNamed();
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

}  // namespace

std::string TempBase() {
    const char* const base = std::getenv("TMPDIR");
    return base != nullptr && base[0] != '\0' ? base : "/tmp";
}

ScratchDir::ScratchDir(const std::string& prefix) {
    if (g_owner != 0) {
        std::cerr << "one scratch directory per program\n";
        std::exit(1);
    }
    std::string pattern = TempBase() + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (pattern.size() >= kMaxPath || mkdtemp(name.data()) == nullptr) {
        std::cerr << "cannot make a scratch directory " << pattern << ": " << std::strerror(errno)
                  << "\n";
        std::exit(1);
    }
    _path = name.data();
    std::memcpy(g_directory, name.data(), name.size());
    g_directoryFd = open(g_directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    g_owner = getpid();
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        // A signal that the caller ignores (nohup) stays ignored.
        struct sigaction previous;
        if (sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
            continue;
        }
        std::signal(signalNumber, RemoveOnSignal);
    }
}

ScratchDir::~ScratchDir() {
    if (g_owner != getpid()) {
        return;
    }
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        std::signal(signalNumber, SIG_DFL);
    }
    // Whatever a step left besides the named files goes too.
    if (DIR* d = opendir(_path.c_str())) {
        while (const dirent* e = readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
                unlinkat(dirfd(d), e->d_name, 0);
            }
        }
        closedir(d);
    }
    RemoveNamed();
    close(g_directoryFd);
    g_owner = 0;
}

std::string ScratchDir::File(const std::string& name) {
    for (int i = 0; i < g_fileCount; ++i) {
        if (name == g_files[i]) {
            return _path + "/" + name;
        }
    }
    if (g_fileCount == kMaxFiles || name.size() >= kMaxName ||
        name.find('/') != std::string::npos) {
        std::cerr << "cannot name scratch file " << name << "\n";
        std::exit(1);
    }
    std::memcpy(g_files[g_fileCount], name.c_str(), name.size() + 1);
    ++g_fileCount;
    return _path + "/" + name;
}

void ScratchDir::Watch(pid_t child) {
    g_child = child;
}

unsigned int CountFindings(const std::string& logPath) {
    std::ifstream in(logPath);
    unsigned int findings = 0;
    for (std::string line; std::getline(in, line);) {
        findings += !line.empty() && line.compare(0, 2, "  ") != 0;
    }
    return findings;
}

bool ReadCif(CifFile& file, const std::string& path) {
    std::string diagnostics;
    try {
        CifParser(file).Parse(path, diagnostics);
    } catch (const std::exception& e) {
        std::cerr << path << ": " << e.what() << "\n";
        return false;
    }
    if (!diagnostics.empty()) {
        std::cerr << path << ": " << diagnostics << "\n";
    }
    return diagnostics.empty();
}
