#ifndef TESRA_TESTS_SUPPORT_FILES_H
#define TESRA_TESTS_SUPPORT_FILES_H

// Files of the tests: a scratch directory per test, whole-file reads and
// writes (bytes as they are), and the real data under tests/data.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

inline std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A fresh directory under $TMPDIR (else /tmp), removed with its contents when
// the object goes.
class ScratchDir {
public:
    ScratchDir() {
        const char* const tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/tesra-XXXXXX";
        if (::mkdtemp(&pattern[0]) != nullptr)
            _path = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!_path.empty())
            std::filesystem::remove_all(_path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return _path; }
    std::string file(const std::string& name) const { return _path + "/" + name; }
    // Writes the named file; returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        write_text(file(name), text);
        return file(name);
    }

private:
    std::string _path;
};

// A file of the real data copied into tests/data.
inline std::string data_path(const std::string& relative) {
    return std::string(TESRA_TEST_DATA_DIR) + "/" + relative;
}

#endif
