#include "foundation/MirtFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "foundation/Exceptions.h"

namespace {

const std::string PathSeparator = "/";

// A name with an embedded NUL would stand for some other, shorter name.
bool HasNul(const std::string& fileName) {
    return fileName.find('\0') != std::string::npos;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : _fd(fd) {}
    ~Descriptor() {
        if (_fd >= 0) {
            ::close(_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return _fd; }

private:
    const int _fd;
};

}  // namespace

void MirtFile::Delete(const std::string& fileName) {
    if (HasNul(fileName) || std::remove(fileName.c_str()) != 0) {
        throw NotFoundException("File \"" + fileName + "\" not found", "MirtFile::Delete");
    }
}

bool MirtFile::RemoveRegularFile(const std::string& fileName) {
    struct stat info;
    return !HasNul(fileName) && ::lstat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::unlink(fileName.c_str()) == 0;
}

bool MirtFile::WriteNoFollow(const std::string& fileName, const std::string& text) {
    if (HasNul(fileName)) {
        return false;
    }
    // No O_TRUNC: nothing is cut before the kind of file is known. O_NONBLOCK
    // makes a FIFO without a reader fail instead of waiting for one.
    const Descriptor fd(::open(fileName.c_str(),
                               O_WRONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC,
                               0666));
    struct stat info;
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0) {
        return false;
    }
    if (S_ISREG(info.st_mode)) {
        if (::ftruncate(fd.Get(), 0) != 0) {
            return false;
        }
    } else if (!S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode)) {
        return false;
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return false;
    }
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd.Get(), p, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool MirtFile::IsStreamEmpty(std::ostream& out) {
    out.seekp(0, std::ios_base::end);
    return out.tellp() == std::streampos(0);
}

void MirtFile::GetBaseName(std::string& baseName, const std::string& path) {
    baseName.clear();
    if (path.empty()) {
        return;
    }
    const std::string::size_type separator = path.rfind(PathSeparator);
    if (separator == std::string::npos) {
        baseName = path;
    } else {
        baseName.assign(path, separator + PathSeparator.size(), std::string::npos);
    }
}
