#include "io/FileText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "foundation/MirtFile.h"
#include "io/TempFiles.h"

namespace {

std::string directory_of(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
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
    throw std::runtime_error("cannot write " + path + ": " + what + " (" + std::strerror(error) +
                             ")");
}

void write_all(int fd, const std::string& content, const std::string& path) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(path, "write failed", errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

// The file that `path` names once symbolic links are followed, so that a link
// keeps pointing at the replaced file instead of being replaced itself. The
// target need not exist yet.
std::string final_target(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat link;
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return path;
        char buffer[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
        if (length < 0)
            fail(path, "cannot read the symbolic link", errno);
        if (static_cast<std::size_t>(length) == sizeof buffer)
            fail(path, "symbolic link too long", ENAMETOOLONG);
        const std::string target(buffer, static_cast<std::size_t>(length));
        path =
            !target.empty() && target.front() == '/' ? target : directory_of(path) + "/" + target;
    }
    fail(path, "too many symbolic links", ELOOP);
}

}  // namespace

bool read_file_text(const std::string& path, std::string& content) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return false;
    content = buffer.str();
    return true;
}

FileReplacement::FileReplacement(const std::string& named_path) {
    if (named_path.empty())
        throw std::runtime_error("cannot write a file with an empty name");
    // A device or a pipe (/dev/null, a named pipe, a terminal) cannot be
    // replaced by rename; it takes the text as a stream.
    struct stat existing;
    if (stat(named_path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
        !S_ISDIR(existing.st_mode)) {
        _path = named_path;
        _fd = open(_path.c_str(), O_WRONLY | O_TRUNC);
        if (_fd < 0)
            fail(_path, "cannot open", errno);
        return;
    }
    _path = final_target(named_path);
    // The name is cut so that the temporary name stays within the 255 bytes
    // a directory entry may have, however long the output's own name is.
    std::string base_name;
    MirtFile::GetBaseName(base_name, _path);
    _temp = make_temp_file(directory_of(_path), "." + base_name.substr(0, 200) + ".tmp-");
    _fd = open(_temp.c_str(), O_WRONLY | O_TRUNC);
    if (_fd < 0) {
        const int error = errno;
        remove_temp_file(_temp);
        fail(_path, "cannot open " + _temp, error);
    }
}

FileReplacement::~FileReplacement() {
    if (_fd >= 0)
        close(_fd);
    if (!_temp.empty())
        remove_temp_file(_temp);
}

void FileReplacement::commit(const std::string& content) {
    if (_fd < 0)
        throw std::logic_error("FileReplacement::commit called twice");
    write_all(_fd, content, _path);
    if (!_temp.empty()) {
        if (fchmod(_fd, mode_for(_path)) != 0)
            fail(_path, "cannot set permissions", errno);
        // On the disk before the rename, so that a crash after it cannot
        // leave an empty or partial file under the name.
        if (fsync(_fd) != 0)
            fail(_path, "cannot sync " + _temp, errno);
    }
    const int fd = _fd;
    _fd = -1;
    if (close(fd) != 0)
        fail(_path, "close failed", errno);
    if (_temp.empty())
        return;
    if (std::rename(_temp.c_str(), _path.c_str()) != 0)
        fail(_path, "cannot rename " + _temp + " to it", errno);
    release_temp_file(_temp);
    _temp.clear();
}

void replace_file_text(const std::string& path, const std::string& content) {
    FileReplacement(path).commit(content);
}
