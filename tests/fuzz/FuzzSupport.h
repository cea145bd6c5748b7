#ifndef TESRA_TESTS_FUZZ_FUZZSUPPORT_H
#define TESRA_TESTS_FUZZ_FUZZSUPPORT_H

// What the fuzz targets share: scratch files of the fuzzing process, and the
// tolerance of the library's refusals.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "foundation/Exceptions.h"

// Two files named after the target and the process, removed at exit.
struct ScratchFiles {
    explicit ScratchFiles(const std::string& target)
        : first("/tmp/tesra-" + target + "-fuzz-" + std::to_string(::getpid()) + "-1.bin"),
          second("/tmp/tesra-" + target + "-fuzz-" + std::to_string(::getpid()) + "-2.bin") {}
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

// Runs the action; true when it returned. The library's refusals (its own
// exceptions, std::out_of_range, and with `numbers` the std::runtime_error of
// a number conversion) are tolerated; anything else stops the fuzzer.
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
