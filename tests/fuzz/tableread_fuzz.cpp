// Stored tables from arbitrary bytes, taken as a block file and as compact
// items (below) written through the Serializer, so that the table readers
// see well-formed items of any contents, counts and kinds. ISTable::Read runs
// at every item, works or refuses, and leaves a sound table: every cell
// reachable, changes possible, a round trip giving an equal table.
//
// Compact items: a kind byte (low two bits: 0 UInt32, 1 UInt32s, 2 String,
// 3 Strings), then
//   number:  one byte below 0xF0, else four little-endian bytes follow;
//   list:    a count byte, then that many numbers or texts;
//   text:    a length byte and the bytes; lengths 0xF8 to 0xFF stand for
//            the tags "V9", "V8", "V7", "V6", "t $$$3", "t $$$2", "t $$$1"
//            and the name "t".

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "foundation/Serializer.h"
#include "table/ISTable.h"

namespace {

struct ByteReader {
    const std::uint8_t *data, *const end;
    bool AtEnd() const { return data >= end; }
    std::uint8_t Byte() { return data < end ? *data++ : 0; }
    UInt32 Number() {
        UInt32 value = Byte();
        if (value >= 0xF0) {
            value = 0;
            for (int i = 0; i < 4; ++i) value |= static_cast<UInt32>(Byte()) << (8 * i);
        }
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
};

void WriteCompactItems(const std::uint8_t* data, std::size_t size, const std::string& path) {
    Serializer ser(path, CREATE_MODE);
    ByteReader in{data, data + size};
    for (UInt32 n = 0; n < 2048 && !in.AtEnd(); ++n) {
        const std::uint8_t kind = in.Byte() & 3;
        std::vector<UInt32> values(kind == 1 ? in.Byte() : 0);
        std::vector<std::string> texts(kind == 3 ? in.Byte() : 0);
        for (UInt32& value : values) value = in.Number();
        for (std::string& text : texts) text = in.Text();
        if (kind == 0)
            ser.WriteUInt32(in.Number());
        else if (kind == 2)
            ser.WriteString(in.Text());
        else
            kind == 1 ? ser.WriteUInt32s(values) : ser.WriteStrings(texts);
    }
}

// Every cell is read, the table takes some changes, and it comes back equal
// from a new block file.
void ExpectSound(ISTable& table, const std::string& path) {
    const std::vector<std::string> names = table.GetColumnNames();
    std::vector<std::string> cells;
    for (const std::string& name : names) {
        table.GetColumn(cells, name);
        if (cells.size() != table.GetNumRows() || (!cells.empty() && table(0, name) != cells[0]))
            std::abort();
    }
    Tolerate([&] { table.AddColumn("fuzz extra", {"v"}); }, true);
    Tolerate([&] { table.AddRow(std::vector<std::string>(1, "w")); }, true);
    if (table.GetNumRows() > 1)
        Tolerate([&] { table.DeleteRow(table.GetNumRows() / 2); }, true);
    if (!names.empty() && table.GetNumRows() > 0)
        Tolerate([&] { table.UpdateCell(0, names[0], "u"); }, true);
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

void ReadTables(const std::string& path, const std::string& scratch) {
    std::unique_ptr<Serializer> ser;
    if (!Tolerate([&] { ser = std::make_unique<Serializer>(path, READ_MODE); }))
        return;
    for (UInt32 n = 0; n < std::min<UInt32>(ser->GetNumIndices(), 16); ++n) {
        ISTable table(std::string(), CaseSensitive);
        Tolerate([&] { (void)table.Read(n, ser.get()); }, true);
        if (table.GetName().empty() && table.GetNumColumns() == 0 && table.GetNumRows() == 0)
            continue;                 // nothing was read (not a table's first item)
        ExpectSound(table, scratch);  // an unsound table aborts or throws past the fuzzer
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFiles files("tableread");
    Store(files.first, data, size);
    ReadTables(files.first, files.second);
    if (Tolerate([&] { WriteCompactItems(data, size, files.first); }))
        ReadTables(files.first, files.second);
    return 0;
}
