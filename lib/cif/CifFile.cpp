#include "cif/CifFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cif/CifWriter.h"
#include "foundation/Exceptions.h"

namespace {

// An output file descriptor that is closed on every way out; Close reports
// whether the data reached the file.
class OutputFile {
public:
    explicit OutputFile(const std::string& fileName)
        : _name(fileName),
          _fd(::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
        if (_fd < 0) {
            throw FileException(
                "Cannot open file \"" + _name + "\" for writing: " + std::strerror(errno),
                "CifFile::Write");
        }
    }

    ~OutputFile() {
        if (_fd >= 0) {
            ::close(_fd);
        }
    }

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Append(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(_fd, data, size);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                throw FileException("Cannot write file \"" + _name +
                                        "\": " + (n < 0 ? std::strerror(errno) : "nothing written"),
                                    "CifFile::Write");
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    void Close() {
        const int fd = _fd;
        _fd = -1;
        if (::close(fd) != 0) {
            throw FileException("Cannot close file \"" + _name + "\": " + std::strerror(errno),
                                "CifFile::Write");
        }
    }

private:
    std::string _name;
    int _fd;
};

}  // namespace

CifFile::CifFile(unsigned int maxLineLength, const std::string& nullValue, CompareType compareType)
    : TableFile(compareType),
      _maxLineLength(maxLineLength),
      _nullValue(nullValue),
      _skipUntypedItems(false),
      _usePdbxItemTables(false) {}

CifFile::~CifFile() = default;

void CifFile::SetLooping(const std::string& tableName, bool looping) {
    if (looping) {
        _loopedTables.insert(tableName);
    } else {
        _loopedTables.erase(tableName);
    }
}

void CifFile::SetLoopingAll(bool looping) {
    _loopAll = looping;
    if (!looping) {
        _loopedTables.clear();
    }
}

bool CifFile::IsLooping(const std::string& tableName) const {
    return _loopAll || _loopedTables.count(tableName) != 0;
}

void CifFile::Write(const std::string& fileName) {
    OutputFile out(fileName);
    CifWriter writer(*this, [&out](const char* data, std::size_t size) { out.Append(data, size); });
    writer.Write();
    out.Close();
}

void CifFile::Write(std::ostream& out) {
    CifWriter writer(*this, [&out](const char* data, std::size_t size) {
        out.write(data, static_cast<std::streamsize>(size));
        if (!out) {
            throw FileException("Cannot write the output stream", "CifFile::Write");
        }
    });
    writer.Write();
    out.flush();
    if (!out) {
        throw FileException("Cannot write the output stream", "CifFile::Write");
    }
}
