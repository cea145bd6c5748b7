#ifndef TESRA_TESTS_FOUNDATION_BLOCKFILETESTUTIL_H
#define TESRA_TESTS_FOUNDATION_BLOCKFILETESTUTIL_H

// Helpers shared by the block file tests: a scratch directory and byte-level
// access to the files written there.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/ExceptionText.h"

namespace blockfile_test {

typedef std::vector<unsigned char> Bytes;

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The little-endian word at (block, offset).
inline std::uint32_t WordAt(const Bytes& bytes, std::uint32_t block, std::uint32_t offset) {
    const std::size_t at = static_cast<std::size_t>(block) * 8192 + offset;
    EXPECT_LE(at + 4, bytes.size());
    if (at + 4 > bytes.size())
        return 0xDEADBEEF;
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

inline void PutWordAt(Bytes& bytes, std::uint32_t block, std::uint32_t offset,
                      std::uint32_t value) {
    const std::size_t at = static_cast<std::size_t>(block) * 8192 + offset;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

inline std::vector<std::uint32_t> WordsAt(const Bytes& bytes, std::uint32_t block,
                                          std::uint32_t offset, std::uint32_t count) {
    std::vector<std::uint32_t> words;
    for (std::uint32_t i = 0; i < count; ++i) words.push_back(WordAt(bytes, block, offset + 4 * i));
    return words;
}

// A fresh directory per test, removed afterwards.
class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tesra-blockfile-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        dir = made;
    }

    void TearDown() override {
        const std::string command = "rm -rf '" + dir + "'";
        (void)std::system(command.c_str());
    }

    std::string Path(const std::string& name) const { return dir + "/" + name; }

    std::string dir;
};

template <typename Exc, typename Action>
std::string TextOf(Action action) {
    try {
        action();
    } catch (const Exc& exc) {
        return exc.what();
    }
    return "no exception of the expected class";
}

using ::Line;

}  // namespace blockfile_test

#endif
