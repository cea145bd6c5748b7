// Stored tables from arbitrary bytes. The bytes are used twice:
//  - as a binary block file as they are, which mostly tests what the
//    Serializer lets through;
//  - as a compact list of items (below), written through the Serializer,
//    so that the table readers see well-formed items with arbitrary
//    contents, counts and kinds.
// ISTable::Read then runs at every item. Each read must either work or fail
// with the library's exceptions (or std::out_of_range, or std::runtime_error
// of a number conversion); whatever table it leaves behind must be sound:
// every cell reachable, changes possible, and a round trip through a new
// block file must give back an equal table.
//
// Compact items: a kind byte (low two bits: 0 UInt32, 1 UInt32s, 2 String,
// 3 Strings), then
//   number:  one byte below 0xF0, else four little-endian bytes follow;
//   list:    a count byte, then that many numbers or texts;
//   text:    a length byte and the bytes; lengths 0xF8 to 0xFF stand for
//            the tags "V9", "V8", "V7", "V6", "t $$$3", "t $$$2", "t $$$1"
//            and the name "t".

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "foundation/Serializer.h"
#include "table/ISTable.h"

namespace {

const UInt32 MAX_ITEMS = 2048;
const UInt32 MAX_TABLES = 16;

class ScratchFiles {
public:
    ScratchFiles() {
        const std::string base = "/tmp/tesra-tableread-fuzz-" + std::to_string(::getpid());
        inputPath = base + "-input.bin";
        copyPath = base + "-copy.bin";
    }
    ~ScratchFiles() {
        std::remove(inputPath.c_str());
        std::remove(copyPath.c_str());
    }

    std::string inputPath;
    std::string copyPath;
};

ScratchFiles& Files() {
    static ScratchFiles files;
    return files;
}

template <typename Action>
bool Tolerate(Action action) {
    try {
        action();
        return true;
    } catch (const MirtException&) {
    } catch (const std::out_of_range&) {
    } catch (const std::runtime_error&) {
    }
    return false;
}

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : _data(data), _size(size) {}

    bool AtEnd() const { return _pos >= _size; }

    std::uint8_t Byte() { return _pos < _size ? _data[_pos++] : 0; }

    UInt32 Number() {
        const std::uint8_t first = Byte();
        if (first < 0xF0)
            return first;
        UInt32 value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<UInt32>(Byte()) << (8 * i);
        return value;
    }

    std::string Text() {
        static const char* const words[] = {"V9",     "V8",     "V7",     "V6",
                                            "t $$$3", "t $$$2", "t $$$1", "t"};
        const std::uint8_t length = Byte();
        if (length >= 0xF8)
            return words[length - 0xF8];
        std::string text;
        for (std::uint8_t i = 0; i < length && !AtEnd(); ++i)
            text.push_back(static_cast<char>(Byte()));
        return text;
    }

private:
    const std::uint8_t* _data;
    std::size_t _size;
    std::size_t _pos = 0;
};

void WriteCompactItems(const std::uint8_t* data, std::size_t size, const std::string& path) {
    Serializer ser(path, CREATE_MODE);
    ByteReader in(data, size);
    for (UInt32 n = 0; n < MAX_ITEMS && !in.AtEnd(); ++n) {
        const std::uint8_t kind = in.Byte() & 3;
        if (kind == 0) {
            ser.WriteUInt32(in.Number());
        } else if (kind == 1) {
            std::vector<UInt32> values(in.Byte());
            for (UInt32& value : values) value = in.Number();
            ser.WriteUInt32s(values);
        } else if (kind == 2) {
            ser.WriteString(in.Text());
        } else {
            std::vector<std::string> texts(in.Byte());
            for (std::string& text : texts) text = in.Text();
            ser.WriteStrings(texts);
        }
    }
}

// Every cell of the table is read, the table takes some changes, and it
// must come back equal from a new block file.
void ExpectSound(ISTable& table) {
    const unsigned int numRows = table.GetNumRows();
    const std::vector<std::string> names = table.GetColumnNames();
    std::vector<std::string> cells;
    for (const std::string& name : names) {
        table.GetColumn(cells, name);
        if (cells.size() != numRows)
            std::abort();
        for (unsigned int r = 0; r < numRows; ++r)
            if (table(r, name) != cells[r])
                std::abort();
        (void)table.GetFlags(name);
    }

    Tolerate([&] { table.AddColumn("fuzz extra", {"v"}); });
    Tolerate([&] { table.AddRow(std::vector<std::string>(1, "w")); });
    if (table.GetNumRows() > 1)
        Tolerate([&] { table.DeleteRow(table.GetNumRows() / 2); });
    if (!names.empty() && table.GetNumRows() > 0)
        Tolerate([&] { table.UpdateCell(0, names[0], "u"); });

    const std::string& path = Files().copyPath;
    {
        Serializer ser(path, CREATE_MODE);
        unsigned int numItems = 0;
        if (table.Write(&ser, numItems) != 0)
            std::abort();
    }
    Serializer ser(path, READ_MODE);
    ISTable back(std::string(), CaseSensitive);
    if (back.Read(0, &ser) != ISTable::READ_DONE || back.Compare(table) != 0 ||
        back.GetNumIndices() != table.GetNumIndices())
        std::abort();
}

void ReadTables(const std::string& path) {
    std::unique_ptr<Serializer> ser;
    if (!Tolerate([&] { ser = std::make_unique<Serializer>(path, READ_MODE); }))
        return;
    const UInt32 count = std::min(ser->GetNumIndices(), MAX_TABLES);
    for (UInt32 n = 0; n < count; ++n) {
        ISTable table(std::string(), CaseSensitive);
        Tolerate([&] { (void)table.Read(n, ser.get()); });
        if (table.GetName().empty() && table.GetNumColumns() == 0 && table.GetNumRows() == 0)
            continue;  // nothing was read (not a table's first item)
        // A table left unsound fails here, whatever it throws.
        try {
            ExpectSound(table);
        } catch (const std::exception& exc) {
            std::fprintf(stderr, "unsound table at item %u: %s\n", n, exc.what());
            std::abort();
        }
    }
}

void Store(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScratchFiles& files = Files();

    Store(files.inputPath, data, size);
    ReadTables(files.inputPath);

    if (Tolerate([&] { WriteCompactItems(data, size, files.inputPath); }))
        ReadTables(files.inputPath);
    return 0;
}
