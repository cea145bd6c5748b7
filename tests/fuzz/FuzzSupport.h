#ifndef TESRA_TESTS_FUZZ_FUZZSUPPORT_H
#define TESRA_TESTS_FUZZ_FUZZSUPPORT_H

// Scratch files of the fuzzing process, and the library's refusals tolerated.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "foundation/Exceptions.h"

// Two files named after the target and the process, removed at exit.
struct ScratchFiles {
    explicit ScratchFiles(const std::string& target)
        : first("/tmp/tesra-" + target + "-fuzz-" + std::to_string(::getpid()) + "-1.bin"),
          second(first.substr(0, first.size() - 5) + "2.bin") {}
    ~ScratchFiles() {
        std::remove(first.c_str());
        std::remove(second.c_str());
    }
    const std::string first, second;
};

inline void Store(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the action; true when it returned. Its own exceptions, out_of_range and
// (with `numbers`) a conversion's runtime_error are refusals; others stop it.
template <typename Action>
bool Tolerate(Action action, bool numbers = false) {
    try {
        action();
        return true;
    } catch (const MirtException&) {
    } catch (const std::out_of_range&) {
    } catch (const std::runtime_error&) {
        if (!numbers)
            throw;
    }
    return false;
}

#endif
