#ifndef TESRA_TESTS_TOOL_ROVIDEVRUN_H
#define TESRA_TESTS_TOOL_ROVIDEVRUN_H

// Runs the built tesra-rovidev in a scratch directory (end-to-end tests).

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace rovidevtest {

inline std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A directory removed with its contents at the end of the test.
class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/tesra-rovidev-test-XXXXXX";
        if (mkdtemp(name) != nullptr)
            _path = name;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(_path, ignored);
    }
    const std::string& path() const { return _path; }
    std::string file(const std::string& name) const { return _path + "/" + name; }

    // Writes `text` to the named file in the directory; returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        write_text(file(name), text);
        return file(name);
    }

private:
    std::string _path;
};

inline bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

inline std::string monomer(const std::string& code) {
    return TESRA_TEST_DATA_DIR "/monomers/" + code + ".cif";
}

#ifdef TESRA_ROVIDEV_BIN

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Variables to set for one run; nullptr unsets one.
using Environment = std::map<std::string, const char*>;

// Runs the tool in `dir`, which is also its TMPDIR, with KTW_home at the
// project's data/ directory unless `env` says otherwise.
inline RunResult run_rovidev(const std::string& dir, const std::vector<std::string>& args,
                             const Environment& env = {}) {
    const std::string out_path = dir + "/.stdout", err_path = dir + "/.stderr";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        dup2(open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        setenv("KTW_home", TESRA_SOURCE_DIR "/data", 1);
        setenv("TMPDIR", dir.c_str(), 1);
        unsetenv("TESRA_EXCEPTION_DICTIONARY");
        for (const auto& entry : env) {
            entry.second ? setenv(entry.first.c_str(), entry.second, 1)
                         : unsetenv(entry.first.c_str());
        }
        std::vector<char*> argv{const_cast<char*>(TESRA_ROVIDEV_BIN)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(TESRA_ROVIDEV_BIN, argv.data());
        _exit(127);
    }
    RunResult result;
    int wait_status = 0;
    if (pid > 0 && waitpid(pid, &wait_status, 0) == pid && WIFEXITED(wait_status)) {
        result.status = WEXITSTATUS(wait_status);
    }
    result.out = read_text(out_path);
    result.err = read_text(err_path);
    std::filesystem::remove(out_path);
    std::filesystem::remove(err_path);
    return result;
}

inline RunResult run_rovidev(const ScratchDir& dir, const std::vector<std::string>& args,
                             const Environment& env = {}) {
    return run_rovidev(dir.path(), args, env);
}
#endif

}  // namespace rovidevtest

#endif
