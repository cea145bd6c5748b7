#ifndef TESRA_FOUNDATION_BLOCKIO_H
#define TESRA_FOUNDATION_BLOCKIO_H

#include <cstdint>
#include <string>

#include "foundation/FileMode.h"

typedef std::uint32_t UInt32;

// Sizes of the binary block file.
constexpr UInt32 UINT32_SIZE = 4;
constexpr UInt32 BLKSIZE = 8192;
// Block positions in the format are 32-bit byte offsets: at most 4 GiB.
constexpr UInt32 MAX_NUM_BLOCKS = 524288;

// One file descriptor and one block buffer; moves whole 8192-byte blocks
// between them. Owned by a Serializer, which lays its items into the buffer.
//
// The descriptor is this object's: CloseFile closes it and reports a failure,
// the destructor closes it (silently) if it is still open.
//
// Exactly one block is cached. Block number 0 in the buffered-block field
// means "no block", so the header block is never served from the cache.
class BlockIO {
public:
    // Checks the name and the mode (1 to 3), then opens the file.
    BlockIO(const std::string& fileName, FileMode mode);
    ~BlockIO();

    BlockIO(const BlockIO&) = delete;
    BlockIO& operator=(const BlockIO&) = delete;

    // Reads block n into the buffer and returns the byte count read (8192
    // without a read when the buffer already holds n). Only a whole block is
    // recorded as held: after a short or failed read no block is.
    UInt32 ReadBlock(UInt32 n);

    // Writes the buffer as block n, extending the file when needed, and
    // records n as held. A short or failed write throws FileException.
    void WriteBlock(UInt32 n);

    // Takes block n, which lies at or past the end of the file, as a fresh
    // block: the buffer is cleared and n recorded as held without a read.
    void NewBlock(UInt32 n);

    void ClearBuffer();

    void GetBuffer(char*& buffer) { buffer = _buffer; }

    // True when the buffer holds block n (never for block 0).
    bool IsBuffered(UInt32 n) const { return n != 0 && n == _bufferedBlock; }

    UInt32 GetBufferedBlock() const { return _bufferedBlock; }

    UInt32 GetNumBlocks() const { return _numBlocks; }

    // Closes the descriptor; a failure throws FileException. Idempotent.
    void CloseFile();

    // Words are stored little-endian on every host.
    static bool IsBigEndianHost();
    static void PutWord(char* dst, UInt32 value);
    static UInt32 GetWord(const char* src);

private:
    void _OpenFile(const std::string& fileName, FileMode mode);
    void _SeekToBlock(UInt32 n, const char* location);

    char _buffer[BLKSIZE];
    int _fd;
    UInt32 _numBlocks;
    UInt32 _bufferedBlock;
};

#endif
