#include "foundation/Serializer.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "foundation/Exceptions.h"

namespace {

constexpr UInt32 HEADER_WORDS = 8;
constexpr UInt32 ENTRY_SIZE = 32;
constexpr UInt32 ENTRIES_PER_BLOCK = BLKSIZE / ENTRY_SIZE;
constexpr std::uint64_t MAX_ITEM_LENGTH = 0xFFFFFFFFu;

std::uint64_t RoundUp4(std::uint64_t value) {
    return (value + 3) & ~static_cast<std::uint64_t>(3);
}

// The stored length of each item kind, the one place each is computed.
// UInt32: the word.
constexpr std::uint64_t UInt32Length() {
    return UINT32_SIZE;
}

// UInt32s: the count word, then the words.
std::uint64_t UInt32sLength(std::uint64_t count) {
    return UINT32_SIZE + static_cast<std::uint64_t>(UINT32_SIZE) * count;
}

// String: the size word, then the bytes.
std::uint64_t StringLength(std::uint64_t size) {
    return UINT32_SIZE + size;
}

// Strings: the count word and one size word per string (laid out as UInt32s),
// then the bytes of every string.
std::uint64_t StringsLength(const std::vector<std::string>& values) {
    std::uint64_t length = UInt32sLength(values.size());
    for (const auto& value : values) length += value.size();
    return length;
}

void PutEntry(char* dst, const Serializer::IndexEntry& entry) {
    const UInt32 words[HEADER_WORDS] = {entry.blockNumber, entry.offset,   entry.length,
                                        entry.dataType,    entry.vLength,  entry.reserved1,
                                        entry.reserved2,   entry.reserved3};
    for (UInt32 i = 0; i < HEADER_WORDS; ++i) BlockIO::PutWord(dst + i * UINT32_SIZE, words[i]);
}

Serializer::IndexEntry GetEntry(const char* src) {
    Serializer::IndexEntry entry;
    entry.blockNumber = BlockIO::GetWord(src);
    entry.offset = BlockIO::GetWord(src + 4);
    entry.length = BlockIO::GetWord(src + 8);
    entry.dataType = BlockIO::GetWord(src + 12);
    entry.vLength = BlockIO::GetWord(src + 16);
    entry.reserved1 = BlockIO::GetWord(src + 20);
    entry.reserved2 = BlockIO::GetWord(src + 24);
    entry.reserved3 = BlockIO::GetWord(src + 28);
    return entry;
}

// Why writing behind a live entry could damage other items, or nullptr. An
// update rewrites an item within its reservation and appends after the last
// one, so each reservation must hold at least the item's first word and its
// length, start where the writer would put it (within its block), lie after
// the reservation before it and end before the index (else an append grows
// the file by as much as the reservation claims).
const char* UnsoundEntry(const Serializer::IndexEntry& entry,
                         const Serializer::IndexEntry* previous, std::uint64_t indexStart) {
    const std::uint64_t start =
        static_cast<std::uint64_t>(entry.blockNumber) * BLKSIZE + entry.offset;
    if (entry.offset > BLKSIZE - UINT32_SIZE)
        return "starts past the last word of its block";
    if (entry.vLength < std::max(entry.length, UINT32_SIZE))
        return "reserves less than its length";
    if (previous != nullptr) {
        const std::uint64_t previousStart =
            static_cast<std::uint64_t>(previous->blockNumber) * BLKSIZE + previous->offset;
        if (start < previousStart)
            return "is out of item order";
        if (start < previousStart + previous->vLength)
            return "overlaps the item before it";
    }
    if (start + entry.vLength > indexStart)
        return "runs into the index";
    return nullptr;
}

}  // namespace

Serializer::Serializer(const std::string& fileName, FileMode mode, bool verbose)
    : _fileName(fileName),
      _verbose(verbose),
      _currentBlock(1),
      _currentOffset(0),
      _buffer(nullptr),
      _mode(mode),
      _blockIO(fileName, mode),
      _bufferDirty(false) {
    _indices.reserve(1024);

    // A log that cannot be opened only loses its lines.
    if (_verbose)
        _log.open("Serializer.log", std::ios::out | std::ios::app);

    _blockIO.GetBuffer(_buffer);

    // Fewer than 3 blocks hold no items: a new or empty file.
    if (_blockIO.GetNumBlocks() > 2)
        _ReadFileHeader();
}

Serializer::~Serializer() {
    if (_mode == CREATE_MODE || _mode == UPDATE_MODE) {
        try {
            _WriteIndexAndHeader();
        } catch (const std::exception& exc) {
            const std::string text =
                "Serializer: could not complete the file \"" + _fileName + "\": " + exc.what();
            std::cerr << text << std::endl;
            _Log(text);
        } catch (...) {
            const std::string text =
                "Serializer: could not complete the file \"" + _fileName + "\"";
            std::cerr << text << std::endl;
            _Log(text);
        }
    }

    if (_verbose)
        _log.close();

    try {
        _blockIO.CloseFile();
    } catch (const std::exception& exc) {
        std::cerr << "Serializer: " << exc.what() << std::endl;
    }
}

// ---------------------------------------------------------------------------
// The buffered block

void Serializer::_FlushBuffer() {
    if (!_bufferDirty)
        return;
    // The buffer goes back only to the block that it holds.
    const UInt32 held = _blockIO.GetBufferedBlock();
    if (held != 0)
        _blockIO.WriteBlock(held);
    _bufferDirty = false;
}

UInt32 Serializer::_BringBlock(UInt32 k, bool forWrite) {
    if (_blockIO.IsBuffered(k)) {
        _currentBlock = k;
        return BLKSIZE;
    }

    _FlushBuffer();
    _currentBlock = k;

    if (k < _blockIO.GetNumBlocks() || !forWrite)
        return _blockIO.ReadBlock(k);  // past the end: out_of_range

    // A fresh block past the end of the file: nothing to read.
    _blockIO.NewBlock(k);
    return BLKSIZE;
}

void Serializer::_BringBlockForWrite(UInt32 k, const char* location) {
    const UInt32 bytesRead = _BringBlock(k, true);
    if (bytesRead < BLKSIZE) {
        if (std::strcmp(location, "Serializer::GetLastDataBuffer") == 0)
            _Log("**Quitting with bytesRead = " + std::to_string(bytesRead));
        throw FileException("Reading less than block size", location);
    }
}

// ---------------------------------------------------------------------------
// Writing item data at the cursor

void Serializer::_PutBytes(const char* src, std::size_t count) {
    while (count > 0) {
        if (_currentOffset >= BLKSIZE) {
            if (_currentBlock + 1 >= MAX_NUM_BLOCKS)
                throw FileException(
                    "Item runs beyond the 4 GiB limit of a "
                    "block file",
                    "Serializer::_PutBytes");
            ++_currentBlock;
            _currentOffset = 0;
        }
        // Never change the buffer unless it holds the cursor's block.
        if (!_blockIO.IsBuffered(_currentBlock))
            _BringBlockForWrite(_currentBlock, "Serializer::_PutBytes");

        const std::size_t chunk = std::min<std::size_t>(count, BLKSIZE - _currentOffset);
        std::memcpy(_buffer + _currentOffset, src, chunk);
        _bufferDirty = true;
        _currentOffset += static_cast<UInt32>(chunk);
        src += chunk;
        count -= chunk;
    }
}

void Serializer::_PutWord(UInt32 value) {
    char bytes[UINT32_SIZE];
    BlockIO::PutWord(bytes, value);
    _PutBytes(bytes, UINT32_SIZE);
}

void Serializer::_EndItem() {
    _currentOffset = static_cast<UInt32>(RoundUp4(_currentOffset));
    if (_currentOffset + UINT32_SIZE > BLKSIZE) {
        _FlushBuffer();
        ++_currentBlock;
        _currentOffset = 0;
    }
}

// ---------------------------------------------------------------------------
// Positioning

void Serializer::_AppendPosition(std::uint64_t& block, UInt32& offset) const {
    for (auto it = _indices.rbegin(); it != _indices.rend(); ++it) {
        if (it->blockNumber == 0)
            continue;
        const std::uint64_t end = RoundUp4(static_cast<std::uint64_t>(it->blockNumber) * BLKSIZE +
                                           it->offset + it->vLength);
        block = end / BLKSIZE;
        offset = static_cast<UInt32>(end % BLKSIZE);
        if (offset + UINT32_SIZE > BLKSIZE) {
            ++block;
            offset = 0;
        }
        return;
    }
    block = 1;
    offset = 0;
}

void Serializer::_CheckWritable(const char* location) const {
    if (_mode == READ_MODE)
        throw FileModeException("Write attempt in read-only file", location);
}

void Serializer::GetLastDataBuffer() {
    _CheckWritable("Serializer::GetLastDataBuffer");

    std::uint64_t block;
    UInt32 offset;
    _AppendPosition(block, offset);
    if (block >= MAX_NUM_BLOCKS)
        throw FileException(
            "Append position beyond the 4 GiB limit of a "
            "block file",
            "Serializer::GetLastDataBuffer");

    _currentOffset = offset;
    _BringBlockForWrite(static_cast<UInt32>(block), "Serializer::GetLastDataBuffer");
}

void Serializer::GetDataBufferAtIndex(UInt32 n) {
    _CheckWritable("Serializer::GetDataBufferAtIndex");
    if (n >= _indices.size())
        throw std::out_of_range("Invalid index in Serializer::GetDataBufferAtIndex");
    const IndexEntry& entry = _indices[n];
    // A deleted entry has no place; block 0 is the header.
    if (entry.blockNumber == 0)
        throw InvalidStateException("Attempt to position at deleted index",
                                    "Serializer::GetDataBufferAtIndex");

    // The item's block must be in the file (or in the buffer): a block past
    // the end would be a damaged entry, not a place to write.
    _currentOffset = entry.offset;
    const UInt32 bytesRead = _BringBlock(entry.blockNumber, false);
    if (bytesRead < BLKSIZE)
        throw FileException("Reading less than block size", "Serializer::GetDataBufferAtIndex");
}

// ---------------------------------------------------------------------------
// Appending and writing at an index

void Serializer::_PrepareWrite(UInt32 n, std::uint64_t length, UInt32 dataType,
                               const char* location) {
    _CheckWritable(location);
    if (n > _indices.size())
        throw std::out_of_range(std::string("Invalid index in ") + location);
    if (length > MAX_ITEM_LENGTH)
        throw std::out_of_range(std::string("Value too long in ") + location);

    if (n == _indices.size()) {
        // Refuse an append after which the index could not be written on
        // close: the file would silently keep its old index.
        std::uint64_t block;
        UInt32 offset;
        _AppendPosition(block, offset);
        const std::uint64_t end = block * BLKSIZE + offset + RoundUp4(length);
        const std::uint64_t indexBlocks =
            (static_cast<std::uint64_t>(n) + ENTRIES_PER_BLOCK) / ENTRIES_PER_BLOCK;
        if ((end + BLKSIZE - 1) / BLKSIZE + indexBlocks > MAX_NUM_BLOCKS)
            throw FileException(
                "File would grow beyond the 4 GiB limit of a "
                "block file",
                location);

        GetLastDataBuffer();
        _indices.emplace_back();
        // The reservation is set here, not by the caller, so that an append
        // through this operation is never overwritten by the next one.
        _indices.back().vLength = static_cast<UInt32>(RoundUp4(length));
    } else {
        const IndexEntry& old = _indices[n];
        if (old.blockNumber == 0)
            throw InvalidStateException("Attempt to write deleted index", location);
        // A larger value would run into the next item's data.
        if (length > old.vLength)
            throw InvalidStateException("Value does not fit the reserved length of the item",
                                        location);
        GetDataBufferAtIndex(n);
    }

    IndexEntry& entry = _indices[n];
    entry.blockNumber = _currentBlock;
    entry.offset = _currentOffset;
    entry.length = static_cast<UInt32>(length);
    entry.dataType = dataType;
}

void Serializer::WriteUInt32AtIndex(UInt32 value, UInt32 n) {
    _PrepareWrite(n, UInt32Length(), UINT32_TYPE, "Serializer::WriteUInt32AtIndex");
    _PutWord(value);
    _EndItem();
}

void Serializer::WriteUInt32sAtIndex(const std::vector<UInt32>& values, UInt32 n) {
    _PrepareWrite(n, UInt32sLength(values.size()), UINT32S_TYPE, "Serializer::WriteUInt32sAtIndex");
    _PutWord(static_cast<UInt32>(values.size()));
    for (const UInt32 value : values) _PutWord(value);
    _EndItem();
}

void Serializer::WriteStringAtIndex(const std::string& value, UInt32 n) {
    _PrepareWrite(n, StringLength(value.size()), STRING_TYPE, "Serializer::WriteStringAtIndex");
    _PutWord(static_cast<UInt32>(value.size()));
    _PutBytes(value.data(), value.size());
    _EndItem();
}

void Serializer::WriteStringsAtIndex(const std::vector<std::string>& values, UInt32 n) {
    _PrepareWrite(n, StringsLength(values), STRINGS_TYPE, "Serializer::WriteStringsAtIndex");
    _PutWord(static_cast<UInt32>(values.size()));
    for (const auto& value : values) _PutWord(static_cast<UInt32>(value.size()));
    for (const auto& value : values) _PutBytes(value.data(), value.size());
    _EndItem();
}

UInt32 Serializer::WriteUInt32(UInt32 value) {
    const UInt32 n = GetNumIndices();
    WriteUInt32AtIndex(value, n);
    return n;
}

UInt32 Serializer::WriteUInt32s(const std::vector<UInt32>& values) {
    const UInt32 n = GetNumIndices();
    WriteUInt32sAtIndex(values, n);
    return n;
}

UInt32 Serializer::WriteString(const std::string& value) {
    const UInt32 n = GetNumIndices();
    WriteStringAtIndex(value, n);
    return n;
}

UInt32 Serializer::WriteStrings(const std::vector<std::string>& values) {
    const UInt32 n = GetNumIndices();
    WriteStringsAtIndex(values, n);
    return n;
}

// ---------------------------------------------------------------------------
// Updating and deleting

namespace {

// The checks that every update makes, in their order, before anything
// changes. Returns the entry's reserved length.
UInt32 CheckUpdate(FileMode mode, const std::vector<Serializer::IndexEntry>& indices, UInt32 n,
                   UInt32 type1, UInt32 type2, const char* typeMessage, bool emptyList,
                   const char* emptyMessage, const char* location) {
    if (mode == READ_MODE)
        throw FileModeException("Update attempt in read-only file", location);
    if (n >= indices.size())
        throw std::out_of_range(std::string("Invalid index in ") + location);
    const Serializer::IndexEntry& entry = indices[n];
    if (entry.dataType != type1 && entry.dataType != type2)
        throw InvalidStateException(typeMessage, location);
    if (entry.blockNumber == 0)
        throw InvalidStateException("Attempt to update deleted index", location);
    if (emptyList)
        throw EmptyValueException(emptyMessage, location);
    return entry.vLength;
}

}  // namespace

UInt32 Serializer::UpdateUInt32(UInt32 value, UInt32 n) {
    const UInt32 room =
        CheckUpdate(_mode, _indices, n, UINT32_TYPE, OLD_UINT32_TYPE,
                    "Attempt to update non-UInt32", false, "", "Serializer::UpdateUInt32");
    if (UInt32Length() <= room) {
        WriteUInt32AtIndex(value, n);
        return n;
    }
    Delete(n);
    return WriteUInt32(value);
}

UInt32 Serializer::UpdateUInt32s(const std::vector<UInt32>& values, UInt32 n) {
    const UInt32 room = CheckUpdate(_mode, _indices, n, UINT32S_TYPE, OLD_UINT32S_TYPE,
                                    "Attempt to update non-UInt32s", values.empty(),
                                    "Empty words vector", "Serializer::UpdateUInt32s");
    const std::uint64_t length = UInt32sLength(values.size());
    if (length <= room) {
        WriteUInt32sAtIndex(values, n);
        return n;
    }
    if (length > MAX_ITEM_LENGTH)
        throw std::out_of_range("Value too long in Serializer::UpdateUInt32s");
    Delete(n);
    return WriteUInt32s(values);
}

UInt32 Serializer::UpdateString(const std::string& value, UInt32 n) {
    const UInt32 room =
        CheckUpdate(_mode, _indices, n, STRING_TYPE, STRING_TYPE, "Attempt to update non-String",
                    false, "", "Serializer::UpdateString");
    const std::uint64_t length = StringLength(value.size());
    if (length <= room) {
        WriteStringAtIndex(value, n);
        return n;
    }
    if (length > MAX_ITEM_LENGTH)
        throw std::out_of_range("Value too long in Serializer::UpdateString");
    Delete(n);
    return WriteString(value);
}

UInt32 Serializer::UpdateStrings(const std::vector<std::string>& values, UInt32 n) {
    const UInt32 room =
        CheckUpdate(_mode, _indices, n, STRINGS_TYPE, STRINGS_TYPE, "Attempt to update non-String",
                    values.empty(), "Empty strings vector", "Serializer::UpdateStrings");
    const std::uint64_t length = StringsLength(values);
    if (length <= room) {
        WriteStringsAtIndex(values, n);
        return n;
    }
    if (length > MAX_ITEM_LENGTH)
        throw std::out_of_range("Value too long in Serializer::UpdateStrings");
    Delete(n);
    return WriteStrings(values);
}

void Serializer::Delete(UInt32 n) {
    if (_mode == READ_MODE)
        throw FileModeException("Delete index attempt in read-only file", "Serializer::Delete");
    if (n >= _indices.size())
        throw std::out_of_range("Invalid index in Serializer::Delete");
    _indices[n].blockNumber = 0;
}

// ---------------------------------------------------------------------------
// Reading

void Serializer::_CheckReadable(UInt32 n, const char* location) const {
    if (_mode != READ_MODE && _mode != UPDATE_MODE)
        throw FileModeException("Read attempt in write-only file", location);
    if (n >= _indices.size())
        throw std::out_of_range(std::string("Invalid index in ") + location);
    if (_indices[n].blockNumber == 0)
        throw InvalidStateException("Attempt to read deleted index", location);
}

void Serializer::_StartRead(ReadCursor& cursor, const IndexEntry& entry) {
    cursor.block = entry.blockNumber;
    cursor.offset = entry.offset;
    // The block of the item's last byte bounds the walk.
    const std::uint64_t span =
        static_cast<std::uint64_t>(entry.offset) + std::max<UInt32>(entry.length, 1) - 1;
    cursor.lastBlock = cursor.block + span / BLKSIZE;
    cursor.bytesRead = _BringBlock(entry.blockNumber, false);
}

void Serializer::_GetBytes(ReadCursor& cursor, char* dst, std::size_t count,
                           const char* shortMessage, const char* overrunMessage,
                           const char* location) {
    while (count > 0) {
        if (cursor.offset >= BLKSIZE) {
            if (cursor.block + 1 > cursor.lastBlock)
                throw InvalidStateException(overrunMessage, location);
            ++cursor.block;
            cursor.offset = 0;
            cursor.bytesRead = _BringBlock(static_cast<UInt32>(cursor.block), false);
        }
        const std::size_t chunk = std::min<std::size_t>(count, BLKSIZE - cursor.offset);
        if (static_cast<std::uint64_t>(cursor.offset) + chunk > cursor.bytesRead)
            throw FileException(shortMessage, location);
        if (dst != nullptr) {
            std::memcpy(dst, _buffer + cursor.offset, chunk);
            dst += chunk;
        }
        cursor.offset += static_cast<UInt32>(chunk);
        count -= chunk;
    }
}

UInt32 Serializer::_GetWord(ReadCursor& cursor, const char* shortMessage,
                            const char* overrunMessage, const char* location) {
    char bytes[UINT32_SIZE];
    _GetBytes(cursor, bytes, UINT32_SIZE, shortMessage, overrunMessage, location);
    return BlockIO::GetWord(bytes);
}

namespace {

// Appends count bytes of an item to a string chunk by chunk, so that a
// corrupt byte count never allocates more than the file really holds.
template <typename GetChunk>
void AppendInChunks(std::string& value, std::size_t count, GetChunk getChunk) {
    char chunk[BLKSIZE];
    while (count > 0) {
        const std::size_t size = std::min<std::size_t>(count, BLKSIZE);
        getChunk(chunk, size);
        value.append(chunk, size);
        count -= size;
    }
}

}  // namespace

UInt32 Serializer::ReadUInt32(UInt32 n) {
    static const char* const location = "Serializer::ReadUInt32";
    _Log("ReadUInt32() index = " + std::to_string(n));
    _CheckReadable(n, location);
    const IndexEntry& entry = _indices[n];
    if (entry.dataType != UINT32_TYPE && entry.dataType != OLD_UINT32_TYPE)
        throw InvalidStateException("Attempt to read non-UInt32", location);

    const UInt32 bytesRead = _BringBlock(entry.blockNumber, false);
    if (entry.offset > BLKSIZE - UINT32_SIZE || bytesRead < entry.offset + UINT32_SIZE)
        throw FileException("Reading less that than needed for UInt32", location);
    return BlockIO::GetWord(_buffer + entry.offset);
}

void Serializer::ReadUInt32s(std::vector<UInt32>& values, UInt32 n) {
    static const char* const location = "Serializer::ReadUInt32s";
    static const char* const shortMessage = "Reading less that than needed for UInt32s";
    static const char* const overrunMessage = "Invalid number of UInt32s";

    values.clear();
    _Log("ReadUInt32s() index = " + std::to_string(n));
    _CheckReadable(n, location);
    const IndexEntry entry = _indices[n];
    if (entry.dataType != UINT32S_TYPE && entry.dataType != OLD_UINT32S_TYPE)
        throw InvalidStateException("Attempt to read non-UInt32s", location);

    ReadCursor cursor;
    _StartRead(cursor, entry);
    const std::uint64_t first = entry.offset;
    if (cursor.bytesRead < first + UINT32_SIZE)
        throw FileException(shortMessage, location);
    const UInt32 count = _GetWord(cursor, shortMessage, overrunMessage, location);
    if (count == 0)
        return;

    const std::uint64_t length = UInt32sLength(count);
    if (cursor.bytesRead != BLKSIZE && cursor.bytesRead < first + length)
        throw FileException(shortMessage, location);
    if (entry.length != length)
        throw InvalidStateException("Invalid index length", location);

    // Reserve only what the file can hold; a lie is found while reading.
    const std::uint64_t fileWords =
        static_cast<std::uint64_t>(_blockIO.GetNumBlocks()) * (BLKSIZE / UINT32_SIZE);
    values.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, fileWords)));
    for (UInt32 i = 0; i < count; ++i)
        values.push_back(_GetWord(cursor, shortMessage, overrunMessage, location));
}

void Serializer::ReadString(std::string& value, UInt32 n) {
    static const char* const location = "Serializer::ReadString";
    static const char* const shortMessage = "Reading less that than needed for String";
    static const char* const overrunMessage = "Invalid number of String octets";

    value.clear();
    _Log("ReadString() index = " + std::to_string(n));
    _CheckReadable(n, location);
    const IndexEntry entry = _indices[n];
    if (entry.dataType != STRING_TYPE)
        throw InvalidStateException("Attempt to read non-string", location);

    ReadCursor cursor;
    _StartRead(cursor, entry);
    const std::uint64_t first = entry.offset;
    if (cursor.bytesRead < first + UINT32_SIZE) {
        _Log(" -X0---------------------------------------------------");
        _Log("UINT32_SIZE   =              " + std::to_string(UINT32_SIZE));
        _Log("BLKSIZE     =             " + std::to_string(BLKSIZE));
        _Log("_indices[index].offset  = " + std::to_string(entry.offset));
        _Log("bytesRead   =             " + std::to_string(cursor.bytesRead));
        throw FileException(shortMessage, location);
    }
    const UInt32 size = _GetWord(cursor, shortMessage, overrunMessage, location);

    const std::uint64_t length = StringLength(size);
    if (cursor.bytesRead != BLKSIZE && cursor.bytesRead < first + length)
        throw FileException(shortMessage, location);
    if (entry.length != length)
        throw InvalidStateException("Invalid index length", location);
    if (size == 0)
        return;

    try {
        AppendInChunks(value, size, [&](char* dst, std::size_t count) {
            _GetBytes(cursor, dst, count, shortMessage, overrunMessage, location);
        });
    } catch (...) {
        value.clear();
        throw;
    }
}

void Serializer::ReadStrings(std::vector<std::string>& values, UInt32 n) {
    static const char* const location = "Serializer::ReadStrings";
    static const char* const shortMessage = "Reading less that than needed for Strings";
    static const char* const overrunMessage = "Invalid index length";

    values.clear();
    _Log("ReadStrings() index = " + std::to_string(n));
    _CheckReadable(n, location);
    const IndexEntry entry = _indices[n];
    if (entry.dataType != STRINGS_TYPE)
        throw InvalidStateException("Attempt to read non-Strings", location);

    ReadCursor cursor;
    _StartRead(cursor, entry);
    if (cursor.bytesRead < static_cast<std::uint64_t>(entry.offset) + UINT32_SIZE)
        throw FileException(shortMessage, location);
    const UInt32 count = _GetWord(cursor, shortMessage, overrunMessage, location);
    if (count == 0)
        return;

    // The lengths must add up to the entry's length before anything is
    // built; the counts themselves are bounded by the entry's length.
    std::uint64_t length = UInt32sLength(count);  // grows to StringsLength of the values
    if (length > entry.length)
        throw InvalidStateException("Invalid index length", location);
    const std::uint64_t fileWords =
        static_cast<std::uint64_t>(_blockIO.GetNumBlocks()) * (BLKSIZE / UINT32_SIZE);
    std::vector<UInt32> sizes;
    sizes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, fileWords)));
    for (UInt32 i = 0; i < count; ++i) {
        sizes.push_back(_GetWord(cursor, shortMessage, overrunMessage, location));
        length += sizes.back();
    }
    if (length != entry.length)
        throw InvalidStateException("Invalid index length", location);

    values.resize(count);
    for (UInt32 i = 0; i < count; ++i) {
        AppendInChunks(values[i], sizes[i], [&](char* dst, std::size_t size) {
            _GetBytes(cursor, dst, size, shortMessage, overrunMessage, location);
        });
    }
}

// ---------------------------------------------------------------------------
// Header and index

void Serializer::_ReadFileHeader() {
    static const char* const location = "Serializer::_ReadFileHeader";

    const UInt32 bytesRead = _blockIO.ReadBlock(0);
    if (bytesRead < HEADER_WORDS * UINT32_SIZE)
        throw FileException("Read file header is too short", location);

    _fileHeader.fileIndexBlock = BlockIO::GetWord(_buffer);
    _fileHeader.fileIndexNumBlocks = BlockIO::GetWord(_buffer + 4);
    _fileHeader.fileIndexLength = BlockIO::GetWord(_buffer + 8);
    _fileHeader.numIndices = BlockIO::GetWord(_buffer + 12);
    _fileHeader.reserved1 = BlockIO::GetWord(_buffer + 16);
    _fileHeader.reserved2 = BlockIO::GetWord(_buffer + 20);
    _fileHeader.reserved3 = BlockIO::GetWord(_buffer + 24);
    _fileHeader.reserved4 = BlockIO::GetWord(_buffer + 28);

    const FileHeader& header = _fileHeader;
    if (header.numIndices == 0)
        return;

    if (header.fileIndexLength / ENTRY_SIZE != header.numIndices || header.fileIndexBlock < 2 ||
        header.fileIndexNumBlocks < 1)
        throw FileException("Read file header size is inconsistent", location);

    const std::uint64_t indexStart = static_cast<std::uint64_t>(header.fileIndexBlock) * BLKSIZE;
    for (UInt32 j = 0; j < header.fileIndexNumBlocks; ++j) {
        const std::uint64_t block = static_cast<std::uint64_t>(header.fileIndexBlock) + j;
        if (block >= _blockIO.GetNumBlocks())
            throw std::out_of_range("Invalid block number in BlockIO::ReadBlock");
        const UInt32 got = _blockIO.ReadBlock(static_cast<UInt32>(block));

        // Wraps below zero for a header that claims too many blocks; the
        // size test below then refuses it.
        const UInt32 entries =
            (j + 1 < header.fileIndexNumBlocks)
                ? ENTRIES_PER_BLOCK
                : header.numIndices - ENTRIES_PER_BLOCK * (header.fileIndexNumBlocks - 1);
        if (got < static_cast<std::uint64_t>(ENTRY_SIZE) * entries)
            throw FileException("File header content is inconsistent", location);

        for (UInt32 i = 0; i < entries; ++i) {
            const IndexEntry entry = GetEntry(_buffer + i * ENTRY_SIZE);
            if (entry.blockNumber == 0)
                continue;
            // Writes go where the live entries say; a reader only refuses
            // what it cannot read. The entry is named by its place in the
            // file's index, deleted entries counted.
            if (_mode == UPDATE_MODE) {
                const char* const fault =
                    UnsoundEntry(entry, _indices.empty() ? nullptr : &_indices.back(), indexStart);
                if (fault != nullptr)
                    throw FileException("Index entry " + std::to_string(j * ENTRIES_PER_BLOCK + i) +
                                            " " + fault + " in file: " + _fileName,
                                        location);
            }
            _indices.push_back(entry);
        }
    }

    std::uint64_t block;
    UInt32 offset;
    _AppendPosition(block, offset);
    if (_mode == UPDATE_MODE) {
        GetLastDataBuffer();
    } else if (block < MAX_NUM_BLOCKS) {
        _currentBlock = static_cast<UInt32>(block);
        _currentOffset = offset;
    }
}

void Serializer::_WriteIndexAndHeader() {
    static const char* const location = "Serializer::~Serializer";

    _FlushBuffer();

    const std::uint64_t count = _indices.size();
    if (count * ENTRY_SIZE > MAX_ITEM_LENGTH)
        throw FileException("Too many items for a block file", location);

    _fileHeader.numIndices = static_cast<UInt32>(count);
    _fileHeader.fileIndexNumBlocks =
        static_cast<UInt32>((count + ENTRIES_PER_BLOCK - 1) / ENTRIES_PER_BLOCK);
    _fileHeader.fileIndexLength = static_cast<UInt32>(count * ENTRY_SIZE);

    std::uint64_t block;
    UInt32 offset;
    _AppendPosition(block, offset);
    if (offset != 0)
        ++block;
    // With no live item the append position is block 1, but a reader wants
    // the index at block 2 or later whenever there are entries.
    if (count > 0 && block < 2)
        block = 2;
    if (block + _fileHeader.fileIndexNumBlocks > MAX_NUM_BLOCKS)
        throw FileException("Index beyond the 4 GiB limit of a block file", location);
    _fileHeader.fileIndexBlock = static_cast<UInt32>(block);
    _currentBlock = static_cast<UInt32>(block);
    _currentOffset = 0;

    // Block 1 always exists, even in a file without items.
    if (_blockIO.GetNumBlocks() < 2) {
        _blockIO.NewBlock(1);
        _blockIO.WriteBlock(1);
    }

    for (std::size_t first = 0; first < count; first += ENTRIES_PER_BLOCK) {
        const std::size_t last = std::min<std::size_t>(count, first + ENTRIES_PER_BLOCK);
        _blockIO.ClearBuffer();
        for (std::size_t i = first; i < last; ++i)
            PutEntry(_buffer + (i - first) * ENTRY_SIZE, _indices[i]);
        _blockIO.WriteBlock(_currentBlock);
        ++_currentBlock;
    }

    const UInt32 words[HEADER_WORDS] = {_fileHeader.fileIndexBlock,  _fileHeader.fileIndexNumBlocks,
                                        _fileHeader.fileIndexLength, _fileHeader.numIndices,
                                        _fileHeader.reserved1,       _fileHeader.reserved2,
                                        _fileHeader.reserved3,       _fileHeader.reserved4};
    _blockIO.ClearBuffer();
    for (UInt32 i = 0; i < HEADER_WORDS; ++i) BlockIO::PutWord(_buffer + i * UINT32_SIZE, words[i]);
    _blockIO.WriteBlock(0);
}

// ---------------------------------------------------------------------------
// Log output

void Serializer::_Log(const std::string& line) {
    if (_verbose)
        _log << line << std::endl;
}

void Serializer::_PrintEntry(UInt32 n) {
    const IndexEntry& entry = _indices[n];
    _Log("Serializer Position " + std::to_string(n) + " blockNumber " +
         std::to_string(entry.blockNumber) + " offset      " + std::to_string(entry.offset) +
         " length      " + std::to_string(entry.length) + " vLength     " +
         std::to_string(entry.vLength) + " dataType    " + std::to_string(entry.dataType));
}

void Serializer::PrintIndex() {
    if (!_verbose)
        return;
    static const char* const banner =
        "Serializer::PrintIndex*Serializer::PrintIndex*Serializer::PrintIndex";

    _Log(std::string(84, '+'));
    _Log(banner);
    _Log("File Navigator Index");
    _Log("_fileName:         " + _fileName);
    _Log("_mode:             " + std::to_string(static_cast<int>(_mode)));
    _Log("_currentBlock:     " + std::to_string(_currentBlock));
    _Log("_currentOffset:    " + std::to_string(_currentOffset));
    _Log("_fileHeader.fileIndexBlock:     " + std::to_string(_fileHeader.fileIndexBlock));
    _Log("_fileHeader.fileIndexNumBlocks: " + std::to_string(_fileHeader.fileIndexNumBlocks));
    _Log("_fileHeader.fileIndexLength:    " + std::to_string(_fileHeader.fileIndexLength));
    _Log("------------------------------------------------------");
    for (UInt32 i = 0; i < _indices.size(); ++i) _PrintEntry(i);
    _Log(banner);
    std::string eod = "eod";
    for (int i = 1; i < 20; ++i) eod += "+eod";
    _Log(eod);
    _Log("");
}

void Serializer::PrintIndex(UInt32 n) {
    if (n >= _indices.size())
        throw std::out_of_range("Invalid index in Serializer::PrintIndex");
    _PrintEntry(n);
}

void Serializer::PrintData() {
    for (UInt32 i = 0; i < _indices.size(); ++i) {
        const IndexEntry entry = _indices[i];
        _Log(std::string(65, '+'));
        _Log("File Position [" + std::to_string(i) + "] blockNumber " +
             std::to_string(entry.blockNumber) + " dataType    " + std::to_string(entry.dataType) +
             " offset      " + std::to_string(entry.offset) + " length      " +
             std::to_string(entry.length) + " vLength     " + std::to_string(entry.vLength));

        if (entry.blockNumber == 0) {
            _Log("Data deleted");
            continue;
        }
        switch (entry.dataType) {
            case STRINGS_TYPE: {
                std::vector<std::string> values;
                ReadStrings(values, i);
                _Log("   Strings = " + std::to_string(values.size()));
                for (std::size_t j = 0; j < values.size(); ++j)
                    _Log("   [" + std::to_string(j) + "] " + values[j]);
                break;
            }
            case STRING_TYPE: {
                std::string value;
                ReadString(value, i);
                if (value.empty())
                    _Log("   String is NULL");
                else
                    _Log("   String[" + std::to_string(value.size()) + "] = " + value);
                break;
            }
            case UINT32_TYPE:
                _Log("   UInt32 = " + std::to_string(ReadUInt32(i)));
                break;
            case UINT32S_TYPE: {
                std::vector<UInt32> values;
                ReadUInt32s(values, i);
                _Log("   UInt32s = " + std::to_string(values.size()));
                for (std::size_t j = 0; j < values.size(); ++j)
                    _Log("   [" + std::to_string(j) + "] " + std::to_string(values[j]));
                break;
            }
            default:
                _Log("No method for data type " + std::to_string(entry.dataType));
                break;
        }
    }
    std::string eod;
    for (int i = 0; i < 17; ++i) eod += "+eod";
    _Log(eod + "+");
}
