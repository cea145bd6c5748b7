#include "foundation/BlockIO.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "foundation/Exceptions.h"

namespace {

bool DetectBigEndian() {
    const UInt32 one = 1;
    unsigned char firstByte = 0;
    std::memcpy(&firstByte, &one, 1);
    return firstByte != 1;
}

// Settles the byte-order flag before main, so that it is only read afterwards.
[[maybe_unused]] const bool byteOrderSettled = BlockIO::IsBigEndianHost();

UInt32 Swap(UInt32 value) {
    return ((value & 0x000000FFu) << 24) | ((value & 0x0000FF00u) << 8) |
           ((value & 0x00FF0000u) >> 8) | ((value & 0xFF000000u) >> 24);
}

off_t BlockPosition(UInt32 n) {
    return static_cast<off_t>(n) * static_cast<off_t>(BLKSIZE);
}

}  // namespace

bool BlockIO::IsBigEndianHost() {
    // A function-local static, so that a use during static initialisation in
    // another unit still sees the right answer.
    static const bool bigEndian = DetectBigEndian();
    return bigEndian;
}

void BlockIO::PutWord(char* dst, UInt32 value) {
    if (IsBigEndianHost())
        value = Swap(value);
    std::memcpy(dst, &value, UINT32_SIZE);
}

UInt32 BlockIO::GetWord(const char* src) {
    UInt32 value;
    std::memcpy(&value, src, UINT32_SIZE);
    return IsBigEndianHost() ? Swap(value) : value;
}

BlockIO::BlockIO(const std::string& fileName, FileMode mode)
    : _fd(-1), _numBlocks(0), _bufferedBlock(0) {
    ClearBuffer();

    if (fileName.empty())
        throw EmptyValueException("Empty file name", "BlockIO::BlockIO");
    if (mode != READ_MODE && mode != CREATE_MODE && mode != UPDATE_MODE)
        throw FileModeException("Invalid file mode: " + std::to_string(static_cast<int>(mode)),
                                "BlockIO::BlockIO");

    _OpenFile(fileName, mode);
}

BlockIO::~BlockIO() {
    if (_fd >= 0)
        ::close(_fd);
}

void BlockIO::_OpenFile(const std::string& fileName, FileMode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case READ_MODE:
            flags |= O_RDONLY;
            break;
        case CREATE_MODE:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
        default:
            flags |= O_RDWR | O_CREAT;
            break;
    }

    const int fd = ::open(fileName.c_str(), flags, 0600);
    if (fd < 0)
        throw FileException("Could not open file: " + fileName, "BlockIO::OpenFile");

    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0) {
        ::close(fd);
        throw FileException("Could not seek to the end of the file: " + fileName,
                            "BlockIO::OpenFile");
    }
    const off_t numBlocks = (size + BLKSIZE - 1) / BLKSIZE;
    if (numBlocks > static_cast<off_t>(MAX_NUM_BLOCKS)) {
        ::close(fd);
        throw FileException(
            "File is larger than the 4 GiB limit of a "
            "block file: " +
                fileName,
            "BlockIO::OpenFile");
    }
    if (::lseek(fd, 0, SEEK_SET) < 0) {
        ::close(fd);
        throw FileException("Could not seek in the file: " + fileName, "BlockIO::OpenFile");
    }

    _fd = fd;
    _numBlocks = static_cast<UInt32>(numBlocks);
    _bufferedBlock = 0;
}

void BlockIO::_SeekToBlock(UInt32 n, const char* location) {
    if (::lseek(_fd, BlockPosition(n), SEEK_SET) < 0)
        throw FileException("Could not seek in the file with fd: " + std::to_string(_fd), location);
}

UInt32 BlockIO::ReadBlock(UInt32 n) {
    if (IsBuffered(n))
        return BLKSIZE;
    if (n >= _numBlocks)
        throw std::out_of_range("Invalid block number in BlockIO::ReadBlock");

    // From here on the buffer no longer holds what was recorded.
    _bufferedBlock = 0;
    _SeekToBlock(n, "BlockIO::ReadBlock");

    UInt32 total = 0;
    while (total < BLKSIZE) {
        const ssize_t got = ::read(_fd, _buffer + total, BLKSIZE - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return 0;  // a failed read counts as nothing read
        }
        if (got == 0)
            break;  // end of file: a short last block
        total += static_cast<UInt32>(got);
    }

    if (total == BLKSIZE)
        _bufferedBlock = n;
    return total;
}

void BlockIO::WriteBlock(UInt32 n) {
    if (n >= MAX_NUM_BLOCKS)
        throw FileException(
            "Block number " + std::to_string(n) + " is beyond the 4 GiB limit of a block file",
            "BlockIO::WriteBlock");

    _SeekToBlock(n, "BlockIO::WriteBlock");

    UInt32 total = 0;
    while (total < BLKSIZE) {
        const ssize_t put = ::write(_fd, _buffer + total, BLKSIZE - total);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            const int error = (put < 0) ? errno : 0;
            // The block on disk is incomplete; what the buffer holds is
            // still the block's content, so it stays recorded.
            _bufferedBlock = n;
            throw FileException(
                "Could not write block " + std::to_string(n) +
                    " to the file with fd: " + std::to_string(_fd) +
                    (error != 0 ? std::string(": ") + std::strerror(error) : std::string()),
                "BlockIO::WriteBlock");
        }
        total += static_cast<UInt32>(put);
    }

    if (n >= _numBlocks)
        _numBlocks = n + 1;
    _bufferedBlock = n;
}

void BlockIO::NewBlock(UInt32 n) {
    ClearBuffer();
    _bufferedBlock = n;
}

void BlockIO::ClearBuffer() {
    std::memset(_buffer, 0, BLKSIZE);
}

void BlockIO::CloseFile() {
    if (_fd < 0)
        return;
    const int fd = _fd;
    _fd = -1;
    _bufferedBlock = 0;
    if (::close(fd) != 0)
        throw FileException("Could not close the file with fd: " + std::to_string(fd),
                            "BlockIO::CloseFile");
}
