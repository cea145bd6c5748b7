#ifndef TESRA_FOUNDATION_SERIALIZER_H
#define TESRA_FOUNDATION_SERIALIZER_H

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/BlockIO.h"
#include "foundation/FileMode.h"

// The item store of the binary block file: numbered items (a number, a list
// of numbers, a string, a list of strings) laid one after the other into
// 8192-byte blocks from block 1 on, an index of 32-byte entries after the
// data, and a header of 8 words in block 0.
//
// Whoever creates a Serializer owns it. Destroying it completes the file
// (modes 2 and 3 write the buffer, the index and the header) and closes it;
// the destructor never throws and reports a failure on standard error.
//
// Opening a file for update refuses it (FileException, file unchanged) when a
// live index entry would make a write land on another item or past the
// index; reading refuses only what it cannot read.
//
// Item numbers are positions in the index. They never change while the
// Serializer lives; deleted entries vanish, and later items are renumbered,
// when the file is opened again.
class Serializer {
public:
    // Item kind codes stored in an entry's dataType word.
    enum DataType : UInt32 {
        STRINGS_TYPE = 1,
        STRING_TYPE = 2,
        OLD_UINT32_TYPE = 7,   // read and updated as UInt32, never written
        OLD_UINT32S_TYPE = 8,  // read and updated as UInt32s, never written
        UINT32_TYPE = 9,
        UINT32S_TYPE = 10
    };

    struct IndexEntry {
        UInt32 blockNumber = 0;  // 0 marks a deleted entry
        UInt32 offset = 0;
        UInt32 length = 0;
        UInt32 dataType = 0;
        UInt32 vLength = 0;  // room the item may fill in place
        UInt32 reserved1 = 0;
        UInt32 reserved2 = 0;
        UInt32 reserved3 = 0;
    };

    struct FileHeader {
        UInt32 fileIndexBlock = 2;
        UInt32 fileIndexNumBlocks = 1;
        UInt32 fileIndexLength = 0;
        UInt32 numIndices = 0;
        UInt32 reserved1 = 0;
        UInt32 reserved2 = 0;
        UInt32 reserved3 = 0;
        UInt32 reserved4 = 1;
    };

    Serializer(const std::string& fileName, FileMode mode, bool verbose = false);
    ~Serializer();

    Serializer(const Serializer&) = delete;
    Serializer& operator=(const Serializer&) = delete;

    // Appending: each returns the new item's number.
    UInt32 WriteUInt32(UInt32 value);
    UInt32 WriteUInt32s(const std::vector<UInt32>& values);
    UInt32 WriteString(const std::string& value);
    UInt32 WriteStrings(const std::vector<std::string>& values);

    // Writing at item n: n equal to the entry count appends; a smaller n
    // rewrites a live item in place, which the value must fit.
    void WriteUInt32AtIndex(UInt32 value, UInt32 n);
    void WriteUInt32sAtIndex(const std::vector<UInt32>& values, UInt32 n);
    void WriteStringAtIndex(const std::string& value, UInt32 n);
    void WriteStringsAtIndex(const std::vector<std::string>& values, UInt32 n);

    // Rewrite item n in place when the value fits its reserved length,
    // otherwise delete it and append. Returns the item number now valid.
    UInt32 UpdateUInt32(UInt32 value, UInt32 n);
    UInt32 UpdateUInt32s(const std::vector<UInt32>& values, UInt32 n);
    UInt32 UpdateString(const std::string& value, UInt32 n);
    UInt32 UpdateStrings(const std::vector<std::string>& values, UInt32 n);

    UInt32 ReadUInt32(UInt32 n);
    void ReadUInt32s(std::vector<UInt32>& values, UInt32 n);
    void ReadString(std::string& value, UInt32 n);
    void ReadStrings(std::vector<std::string>& values, UInt32 n);

    void Delete(UInt32 n);

    // Cursor positioning: to the append position, or to item n.
    void GetLastDataBuffer();
    void GetDataBufferAtIndex(UInt32 n);

    // Number of index entries, deleted ones included.
    UInt32 GetNumIndices() const { return static_cast<UInt32>(_indices.size()); }

    // Log output ("Serializer.log"), written only when verbose. PrintData
    // reads every live item in any case.
    void PrintIndex();
    void PrintIndex(UInt32 n);
    void PrintData();

private:
    // One item's bytes as the reader walks them through the buffer.
    struct ReadCursor {
        std::uint64_t block;
        std::uint64_t lastBlock;
        UInt32 offset;
        UInt32 bytesRead;
    };

    void _ReadFileHeader();
    void _WriteIndexAndHeader();

    // The append position: after the reservation of the last live entry.
    void _AppendPosition(std::uint64_t& block, UInt32& offset) const;

    void _CheckWritable(const char* location) const;
    void _CheckReadable(UInt32 n, const char* location) const;
    // The checks and the entry of a write at item n; positions the cursor.
    void _PrepareWrite(UInt32 n, std::uint64_t length, UInt32 dataType, const char* location);

    // The one rule for changing the buffered block.
    void _FlushBuffer();
    UInt32 _BringBlock(UInt32 k, bool forWrite);
    void _BringBlockForWrite(UInt32 k, const char* location);

    void _PutBytes(const char* src, std::size_t count);
    void _PutWord(UInt32 value);
    void _EndItem();

    void _StartRead(ReadCursor& cursor, const IndexEntry& entry);
    void _GetBytes(ReadCursor& cursor, char* dst, std::size_t count, const char* shortMessage,
                   const char* overrunMessage, const char* location);
    UInt32 _GetWord(ReadCursor& cursor, const char* shortMessage, const char* overrunMessage,
                    const char* location);

    void _PrintEntry(UInt32 n);
    void _Log(const std::string& line);

    std::string _fileName;
    FileHeader _fileHeader;
    std::vector<IndexEntry> _indices;
    std::ofstream _log;
    bool _verbose;
    UInt32 _currentBlock;
    UInt32 _currentOffset;
    char* _buffer;
    FileMode _mode;
    BlockIO _blockIO;
    bool _bufferDirty;
};

#endif
