#include "FileText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "TempFiles.h"

namespace {

std::string directory_of(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string base_name_of(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t mode_for(const std::string& path) {
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

[[noreturn]] void fail(const std::string& path, const std::string& what, int error) {
    throw std::runtime_error("cannot write " + path + ": " + what + " (" + std::strerror(error) + ")");
}

void write_all(int fd, const std::string& content, const std::string& path) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(path, "write failed", errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

}  // namespace

bool read_file_text(const std::string& path, std::string& content) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return false;
    content = buffer.str();
    return true;
}

void replace_file_text(const std::string& path, const std::string& content) {
    if (path.empty()) throw std::runtime_error("cannot write a file with an empty name");
    const std::string temp = make_temp_file(directory_of(path), "." + base_name_of(path) + ".tmp-");
    const int fd = open(temp.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0) {
        const int error = errno;
        remove_temp_file(temp);
        fail(path, "cannot open " + temp, error);
    }
    try {
        write_all(fd, content, path);
        if (fchmod(fd, mode_for(path)) != 0) fail(path, "cannot set permissions", errno);
    } catch (...) {
        close(fd);
        remove_temp_file(temp);
        throw;
    }
    if (close(fd) != 0) {
        const int error = errno;
        remove_temp_file(temp);
        fail(path, "close failed", error);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        remove_temp_file(temp);
        fail(path, "cannot rename " + temp + " to it", error);
    }
    release_temp_file(temp);
}
