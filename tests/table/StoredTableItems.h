#ifndef TESRA_TESTS_TABLE_STOREDTABLEITEMS_H
#define TESRA_TESTS_TABLE_STOREDTABLEITEMS_H

// Helpers of the table storage tests: stored tables written item by item
// into a scratch block file, and the reading of a table back from one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/Serializer.h"
#include "support/Files.h"
#include "table/ISTable.h"
#include "table/TableTestSupport.h"

namespace stored_table_test {

typedef std::vector<std::string> Texts;
typedef std::vector<UInt32> Words;

// One item of the block file, of any of the four kinds.
struct Item {
    enum Kind { NUMBER, NUMBERS, TEXT, TEXTS };
    Kind kind;
    UInt32 number;
    Words numbers;
    std::string text;
    Texts texts;
};

inline Item U(UInt32 value) {
    return Item{Item::NUMBER, value, {}, "", {}};
}
inline Item Us(const Words& values) {
    return Item{Item::NUMBERS, 0, values, "", {}};
}
inline Item S(const std::string& value) {
    return Item{Item::TEXT, 0, {}, value, {}};
}
inline Item Ss(const Texts& values) {
    return Item{Item::TEXTS, 0, {}, "", values};
}

typedef std::vector<Item> Items;

inline Items operator+(Items a, const Items& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The segment group of a row-wise segment: width, count, rows, orientation.
inline Items Group(const std::vector<Texts>& rows, UInt32 orientation = 1) {
    Items items{U(rows.empty() ? 0 : static_cast<UInt32>(rows[0].size())),
                U(static_cast<UInt32>(rows.size()))};
    for (const Texts& row : rows) items.push_back(Ss(row));
    items.push_back(U(orientation));
    return items;
}

inline void WriteItem(Serializer& ser, const Item& item) {
    switch (item.kind) {
        case Item::NUMBER:
            ser.WriteUInt32(item.number);
            break;
        case Item::NUMBERS:
            ser.WriteUInt32s(item.numbers);
            break;
        case Item::TEXT:
            ser.WriteString(item.text);
            break;
        case Item::TEXTS:
            ser.WriteStrings(item.texts);
            break;
    }
}

// A scratch directory holding block files of stored tables.
class StoredTableTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir.file(name); }
    ScratchDir dir;

    // Writes the items into a new file; the first is item 0.
    std::string WriteFile(const Items& items, const std::string& name = "t.bin") {
        const std::string path = Path(name);
        Serializer ser(path, CREATE_MODE);
        for (const Item& item : items) WriteItem(ser, item);
        return path;
    }

    // Reads the table at item `handle` of the file into `table`; returns
    // the reader's code.
    static int ReadTable(const std::string& path, ISTable& table, UInt32 handle = 0) {
        Serializer ser(path, READ_MODE);
        return table.Read(handle, &ser);
    }
};

using ::Rows;
using ::SegmentSizes;

// The table obeys its own rules after whatever befell it: every column and
// cell can be reached, it takes a new column and row (unless an index
// refuses them), and it survives a round trip through scratchPath.
inline void ExpectSound(ISTable& table, const std::string& scratchPath) {
    const unsigned int numRows = table.GetNumRows();
    for (const std::string& name : table.GetColumnNames()) {
        Texts cells;
        table.GetColumn(cells, name);
        EXPECT_EQ(cells.size(), numRows);
        (void)table.GetFlags(name);
    }
    if (table.GetNumIndices() == 0) {
        table.AddColumn("extra", Texts());
        table.AddRow(Texts(table.GetNumColumns(), "x"));
        EXPECT_EQ(table.GetNumRows(), numRows + 1);
    }
    {
        Serializer ser(scratchPath, CREATE_MODE);
        unsigned int numItems = 0;
        EXPECT_EQ(table.Write(&ser, numItems), 0u);
    }
    Serializer ser(scratchPath, READ_MODE);
    ISTable back("", CaseSensitive);
    EXPECT_EQ(back.Read(0, &ser), 0);
    EXPECT_EQ(back.Compare(table), 0);
    EXPECT_EQ(back.GetNumIndices(), table.GetNumIndices());
}

}  // namespace stored_table_test

#endif
