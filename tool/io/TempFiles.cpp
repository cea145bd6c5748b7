#include "io/TempFiles.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// Fixed storage, so that the signal handler can reach the names without
// allocating. A run needs four files at most.
constexpr int max_files = 8;
constexpr std::size_t max_path = 4096;
char registered[max_files][max_path];
volatile sig_atomic_t in_use[max_files];

bool cleanup_installed = false;

extern "C" void remove_on_signal(int signal_number) {
    for (int i = 0; i < max_files; ++i) {
        if (in_use[i])
            unlink(registered[i]);
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void install_cleanup() {
    if (cleanup_installed)
        return;
    cleanup_installed = true;
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        // A signal that the caller ignores (nohup) stays ignored.
        struct sigaction previous;
        if (sigaction(signal_number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        std::signal(signal_number, remove_on_signal);
    }
}

int find(const std::string& path) {
    for (int i = 0; i < max_files; ++i) {
        if (in_use[i] && path == registered[i])
            return i;
    }
    return -1;
}

}  // namespace

std::string make_temp_file(const std::string& directory, const std::string& prefix) {
    install_cleanup();
    int slot = 0;
    while (slot < max_files && in_use[slot]) ++slot;
    std::string pattern =
        (directory.empty() ? std::string(".") : directory) + "/" + prefix + "XXXXXX";
    if (slot == max_files || pattern.size() >= max_path) {
        throw std::runtime_error("cannot create a temporary file in " + directory);
    }
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        throw std::runtime_error("cannot create a temporary file in " + directory + ": " +
                                 std::strerror(errno));
    }
    close(fd);
    std::memcpy(registered[slot], name.data(), name.size());
    in_use[slot] = 1;
    return std::string(name.data());
}

void remove_temp_file(const std::string& path) {
    const int slot = find(path);
    if (slot < 0)
        return;
    unlink(registered[slot]);
    in_use[slot] = 0;
}

void release_temp_file(const std::string& path) {
    const int slot = find(path);
    if (slot >= 0)
        in_use[slot] = 0;
}

void remove_all_temp_files() {
    for (int i = 0; i < max_files; ++i) {
        if (in_use[i]) {
            unlink(registered[i]);
            in_use[i] = 0;
        }
    }
}
