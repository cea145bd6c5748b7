// ISTable in the binary block file: the current layout item by item, the
// older layouts, corrupted and truncated stored tables, and tables loaded
// on first use through a real file.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/BlockItems.h"
#include "foundation/Exceptions.h"
#include "foundation/mapped_ptr_vector.h"
#include "support/Files.h"
#include "support/Thrown.h"
#include "table/ISTable.h"
#include "table/TableTestSupport.h"

namespace {

typedef std::vector<Texts> Cells;

// The segment group of a row-wise segment: width, count, rows, orientation.
Items Group(const Cells& rows) {
    Items items{U(rows.empty() ? 0 : static_cast<UInt32>(rows[0].size())),
                U(static_cast<UInt32>(rows.size()))};
    for (const Texts& row : rows) items.push_back(Ss(row));
    return items + Items{U(1)};
}

// The column-wise items of the older layouts: names, numbers, flags, then
// one list per column of the rows (1 x) (2 y) (3 z).
Items ColumnWise(const Words& numbers, const std::string& flags) {
    return {Ss({"a", "b"}), Us(numbers), S(flags), Ss({"1", "2", "3"}), Ss({"x", "y", "z"})};
}
const Cells kRows{{"1", "x"}, {"2", "y"}, {"3", "z"}};

class TableStorage : public ::testing::Test {
protected:
    // Reads the table at item 0; returns the reader's code.
    int Read(const Items& items, ISTable& table) {
        WriteItems(dir.file("t.bin"), items);
        Serializer ser(dir.file("t.bin"), READ_MODE);
        return table.Read(0, &ser);
    }
    // The items the table writes now (the first is 0).
    Items Written(const ISTable& table, unsigned int& numItems) {
        {
            Serializer ser(dir.file("w.bin"), CREATE_MODE);
            EXPECT_EQ(table.Write(&ser, numItems), 0u);
        }
        Serializer ser(dir.file("w.bin"), READ_MODE);
        Items items;
        for (UInt32 n = 0; n < ser.GetNumIndices(); ++n) {
            const Item::Kind kinds[] = {Item::NUMBER, Item::NUMBERS, Item::TEXT, Item::TEXTS};
            for (const Item::Kind kind : kinds) {
                if (Thrown([&] { items.push_back(ReadItem(ser, kind, n)); }) == "nothing thrown")
                    break;
            }
        }
        return items;
    }
    // The table obeys its own rules after whatever befell it: every cell can
    // be reached, it takes a new column and row (unless an index refuses
    // them), and a round trip gives it back.
    void ExpectSound(ISTable& table) {
        Texts cells;
        for (const std::string& name : table.GetColumnNames()) {
            table.GetColumn(cells, name);
            EXPECT_EQ(cells.size(), table.GetNumRows());
        }
        if (table.GetNumIndices() == 0) {
            table.AddColumn("extra", Texts());
            table.AddRow(Texts(table.GetNumColumns(), "x"));
        }
        unsigned int numItems = 0;
        ISTable back("", CaseSensitive);
        EXPECT_EQ(Read(Written(table, numItems), back), 0);
        EXPECT_EQ(back.Compare(table), 0);
        EXPECT_EQ(back.GetNumIndices(), table.GetNumIndices());
    }

    ScratchDir dir;
};

}  // namespace

TEST_F(TableStorage, CurrentLayoutItemByItem) {
    ISTable named = MakeTable("odd $$$3", {"a", "b"}, {});  // a layout suffix is just a name
    ISTable indexed = MakeTable("t", {"a", "b"}, {{"a0", "b0"}});
    indexed.SetFlags("b", 0x11);
    indexed.CreateIndex("k", std::vector<unsigned int>{1, 0}, 1);
    const Items columns{U(0), U(2), Ss({"a", "b"}), Us({15, 15})};
    const struct {
        ISTable table;
        Items items;
    } cases[] = {
        {ISTable("e", CaseSensitive), {S("V9"), S("e"), U(1), U(0), U(0), U(1), U(0), U(0)}},
        {MakeTable("t", {"a", "b"}, {{"a0", "b0"}, {"a1", "b1"}}),
         Items{S("V9"), S("t"), U(1)} + Group({{"a0", "b0"}, {"a1", "b1"}}) + columns +
             Items{S("\x10\x10"), U(0)}},
        {named, Items{S("V9"), S("odd $$$3"), U(1), U(0), U(0), U(1)} + columns +
                    Items{S("\x10\x10"), U(0)}},
        {indexed, Items{S("V9"), S("t"), U(1)} + Group({{"a0", "b0"}}) + columns +
                      Items{S("\x10\x11"), U(1), Ss({"k"}), Us({1}), Us({1, 0})}},
    };
    for (const auto& c : cases) {
        unsigned int numItems = 0;
        const Items items = Written(c.table, numItems);
        EXPECT_TRUE(items == c.items) << c.table.GetName();
        EXPECT_EQ(numItems, c.items.size());
        ISTable back("", CaseSensitive);
        ASSERT_EQ(Read(items, back), 0);
        EXPECT_EQ(back.GetName(), c.table.GetName());
        EXPECT_EQ(back.Compare(c.table), 0);
        EXPECT_EQ(back.GetNumIndices(), c.table.GetNumIndices());
    }
    // The index comes back unique and with its flags.
    ISTable back("", CaseSensitive);
    ASSERT_EQ(Read(cases[3].items, back), 0);
    EXPECT_EQ(back.FindFirst(Texts{"B0", "a0"}, Texts{"b", "a"}, "k"), 0u);
    EXPECT_THROW(back.AddRow(Texts{"x", "y"}), AlreadyExistsException);
    // Stored flags bytes are taken as they are; the compare type as stored.
    ASSERT_EQ(
        Read(Items{S("V9"), S("t"), U(1)} + Group(kRows) +
                 Items{U(1), U(2), Ss({"a", "b"}), Us({3, 4}), S(std::string("\0\x45", 2)), U(0)},
             back),
        0);
    EXPECT_EQ(back.GetFlags("a"), 0x00);
    EXPECT_EQ(back.GetFlags("b"), 0x45);
    EXPECT_EQ(back.GetColCompareType(), CaseInsensitive);
    EXPECT_FALSE(back.IsColumnPresent("A"));  // lookups keep the stored ordering
}

TEST_F(TableStorage, OwnSerializerColumnsWithoutRowsAndLoadingOnFirstUse) {
    ISTable table = MakeTable("first", {"a", "b"}, {});
    table.SetFlags("b", COLUMN_TYPE_INTEGER);
    table.CreateIndex("by_b", Texts{"b"}, 0);
    const std::string path = dir.file("block.bin");
    UInt32 handles[3];
    {
        Serializer ser(path, CREATE_MODE);
        ser.WriteString("something else first");
        ISTable second = MakeTable("second", {"a"}, {});
        for (unsigned int i = 0; i < 1200; ++i) second.AddRow({std::to_string(i)});
        mapped_ptr_vector<ISTable> tables(CaseSensitive);
        for (ISTable* t : {&table, &second}) {
            t->SetSerializer(&ser);
            tables.push_back(t);
        }
        handles[0] = tables.write("first");
        handles[1] = tables.write("second");
        EXPECT_EQ(handles[0], 1u);
        EXPECT_EQ(tables.find("second").second, handles[1]);
        handles[2] = ser.GetNumIndices();  // a stored table that fails its count checks
        for (const Item& item : Items{S("V9"), S("broken"), U(0)})
            PutItem(ser, item, ser.GetNumIndices());
    }
    Serializer ser(path, READ_MODE);
    mapped_ptr_vector<ISTable> tables(CaseSensitive);
    for (const char* name : {"first", "second", "broken"})
        tables.push_back(name, handles[tables.size()]);
    tables.push_back("gone", 99999);
    EXPECT_EQ(tables.load(1, &ser, VIRTUAL_MODE), nullptr);  // nothing to read from
    EXPECT_EQ(tables.load(1, &ser, CREATE_MODE), nullptr);
    std::unique_ptr<ISTable> second(tables.load(1, &ser, READ_MODE));
    EXPECT_EQ(tables.load(1, &ser, READ_MODE), second.get());  // read once
    EXPECT_EQ(second->GetSerializer(), &ser);
    EXPECT_EQ(second->GetNumSegments(), 2u);
    EXPECT_EQ((*second)(1199, "a"), "1199");
    std::unique_ptr<ISTable> first(tables.load(0, &ser, READ_MODE));
    EXPECT_EQ(first->GetColumnNames(), (Texts{"a", "b"}));
    EXPECT_EQ(first->GetFlags("b"), COLUMN_TYPE_INTEGER);
    // The first row creates the cells and the index entries.
    first->AddRow(Texts{"x", "10"});
    first->AddRow(Texts{"y", "9"});
    EXPECT_EQ(first->FindFirst(Texts{"9"}, Texts{"b"}, "by_b"), 1u);
    // A failed read leaves the slot empty, and a standard exception is
    // turned into the library's.
    const std::string prefix = "Could not read object \"";
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(Thrown([&] { tables.load(2, &ser, READ_MODE); }),
                  Throws("FileException", prefix + "broken\" from the file, result code -406",
                         "mapped_ptr_vector::read"));
        EXPECT_EQ(tables[2], nullptr);
    }
    EXPECT_EQ(Thrown([&] { tables.load(3, &ser, READ_MODE); }),
              Throws("FileException",
                     prefix + "gone\" from the file: Invalid index in Serializer::ReadString",
                     "mapped_ptr_vector::read"));
}

TEST_F(TableStorage, OlderLayouts) {
    const Items three =
        Items{U(5), U(2), U(0)} + ColumnWise({}, "\x10\x10") + Items{U(0), Ss({}), Us({})};
    const Items oldest = Items{U(2), U(0), U(0), U(0), U(0), Us({})} + ColumnWise({}, "\x10\x10");
    // " $$$2": row 1 marked as deleted; the flags list covers one of two indices.
    const Items marked = Items{U(2), U(3), U(0), U(0), Ss({"a", "b"}), Us({}), S("\x10\x10")} +
                         Items{Ss({"a", "b", "c"}), Ss({"x", "y", "z"}), Us({0, 1, 0}), U(2)} +
                         Items{Ss({"i", "j"}), Us({1}), Us({0}), Us({1})};
    const Cells kept{{"a", "x"}, {"c", "z"}};
    // "V8": the "V9" items with one group and no segment count; "V7": the
    // column lists before the flags; "V6": column by column into one segment.
    const Items v8 = Items{S("V8"), S("eight")} + Group(kRows) +
                     Items{U(1), U(2),      Ss({"a", "b"}), Us({3, 4}), S("\x10\x11"),
                           U(1), Ss({"k"}), Us({0}),        Us({1})};
    const Items v7 = Items{S("V7"), S("seven")} + Group(kRows) +
                     Items{U(0), U(2),        Ss({"a", "b"}), Us({3, 4}), S("\x10\x10"),
                           U(1), Ss({"key"}), Us({1, 0}),     Us({1})};
    const Items v6 = Items{S("V6"), S("six"), U(2), U(99)} + ColumnWise({7, 8}, "\x10\x11") +
                     Items{U(1), Ss({"k"}), Us({1}), Us({0})};
    // " $$$3": the first entries of longer lists; index items even without an index.
    const Items v3 = Items{S("three $$$3"), U(5), U(2), U(0)} +
                     ColumnWise({7, 8, 9}, "\x10\x11\x20") + Items{U(0), Ss({}), Us({})};
    const Items v3i = Items{S("three $$$3"), U(5), U(2), U(0)} + ColumnWise({}, "\x10\x10") +
                      Items{U(1), Ss({"k"}), Us({1}), Us({1, 0})};
    // " $$$1" and the oldest skip their trailing items.
    const Items v1 = Items{S("one $$$1"), U(0), Us({}), U(2), U(0), U(0), U(0), U(1), Us({})} +
                     ColumnWise({}, "\x10\x11") + Items{Us({4})};
    const Items v0 = Items{S("oldest"), U(2), U(0), U(0), U(0), U(2), Us({})} +
                     ColumnWise({5, 6, 7}, "\x10\x10") + Items{Us({1}), Us({2})};
    const Items two = Items{S("two $$$2")};
    const struct {
        Items items;
        std::string name;
        Cells rows;
        Words numbers;
        ColumnFlags flagsOfB;
        unsigned int numIndices;
        bool unique;
    } cases[] = {
        {v8, "eight", kRows, {3, 4}, 0x11, 1, false},
        {v7, "seven", kRows, {3, 4}, 0x10, 1, true},
        {v6, "six", kRows, {7, 8}, 0x11, 1, false},
        {{S("V6"), S("none"), U(0)}, "none", {}, {}, 0, 0, false},
        {v3, "three", kRows, {7, 8}, 0x11, 0, false},
        {v3i, "three", kRows, {15, 15}, 0x10, 1, true},
        // " $$$2": variant 5, and variants 3 and 4 with two more items.
        {two + Items{U(5)} + marked, "two", kept, {15, 15}, 0x10, 2, true},
        {two + Items{U(3), U(0), Us({9})} + marked, "two", kept, {15, 15}, 0x10, 2, true},
        {two + Items{U(4), U(0), Us({9})} + marked, "two", kept, {15, 15}, 0x10, 2, true},
        {v1, "one", kRows, {15, 15}, 0x11, 0, false},
        {v0, "oldest", kRows, {5, 6}, 0x10, 0, false},
        // The first item chooses the reader: suffixes from the end, " $$$3" first.
        {Items{S("abc $$$3xyz")} + three, "abc", kRows, {15, 15}, 0x10, 0, false},
        {Items{S("a $$$1 b $$$3 c")} + three, "a $$$1 b", kRows, {15, 15}, 0x10, 0, false},
        {Items{S("a $$$3 b $$$1")} + three, "a", kRows, {15, 15}, 0x10, 0, false},
        {Items{S("x $$$3 y $$$3")} + three, "x $$$3 y", kRows, {15, 15}, 0x10, 0, false},
        {Items{S("v9")} + oldest, "v9", kRows, {15, 15}, 0x10, 0, false},
        {Items{S("V10")} + oldest, "V10", kRows, {15, 15}, 0x10, 0, false},
        {Items{S("")} + oldest, "", kRows, {15, 15}, 0x10, 0, false},
    };
    for (const auto& c : cases) {
        ISTable table("", CaseSensitive);
        ASSERT_EQ(Read(c.items, table), 0) << c.name;
        EXPECT_EQ(table.GetName(), c.name);
        EXPECT_EQ(AllRows(table), c.rows) << c.name;
        EXPECT_EQ(table.GetNumSegments(), 1u);
        EXPECT_EQ(table.GetNumIndices(), c.numIndices) << c.name;
        if (c.rows.empty())
            continue;
        EXPECT_EQ(table.GetFlags("b"), c.flagsOfB) << c.name;
        unsigned int numItems = 0;
        const Items items = Written(table, numItems);
        EXPECT_EQ(items[items.size() - (c.numIndices == 0 ? 3 : 5 + c.numIndices)].numbers,
                  c.numbers)
            << c.name;
        // The index keys follow the stored flags.
        std::string last = AllRows(table).back()[1];
        if (c.flagsOfB == 0x11)
            last[0] = static_cast<char>(last[0] - 'a' + 'A');
        EXPECT_EQ(table.FindFirst({last}, Texts{"b"}, ""), table.GetNumRows() - 1) << c.name;
        const std::string added = Thrown([&] { table.AddRow(Texts{"4", "w"}); });
        EXPECT_EQ(added.rfind("AlreadyExists", 0) == 0, c.unique) << c.name;
    }
    // However many rows, "V6" puts them in one segment.
    Texts ids(2500, "i"), names(2500, "n");
    ISTable big("", CaseSensitive);
    ASSERT_EQ(Read(Items{S("V6"), S("big"), U(2), U(0), Ss({"a", "b"}), Us({15, 15}), S("\x10\x10"),
                         Ss(ids), Ss(names), U(0)},
                   big),
              0);
    EXPECT_EQ(big.GetNumRows(), 2500u);
    EXPECT_EQ(big.GetNumSegments(), 1u);
}

TEST_F(TableStorage, DamagedStoredTablesAreRefusedAndLeaveASoundTable) {
    const Items head{S("V9"), S("t"), U(1)};
    const Items group = Group({{"1", "x"}, {"2", "y"}});
    const Items columns{U(0), U(2), Ss({"a", "b"}), Us({15, 15}), S("\x10\x10")};
    const Items index{U(1), Ss({"k"}), Us({0}), Us({0})};
    const Items wide = Group({{"1", "x", "z"}, {"2", "y", "z"}});
    const auto columnsWith = [](const Texts& names, const Words& numbers,
                                const std::string& flags) {
        return Items{U(0), U(2), Ss(names), Us(numbers), S(flags)};
    };
    const auto v6 = [](const Words& numbers, const std::string& flags) {
        return Items{S("V6"), S("t"), U(2), U(0)} + ColumnWise(numbers, flags);
    };
    const auto v3 = Items{S("t $$$3"), U(0), U(2), U(0)};
    // A code of -406: a count disagrees with what the file holds; else the
    // start of what is thrown.
    const struct {
        Items items;
        std::string thrown;
    } cases[] = {
        {Items{S("V9"), S("t"), U(0xFFFFFFFF)} + group + columns + index, "-406"},
        {Items{S("V9"), S("t"), U(2)} + group + columns + index,
         "InvalidStateException: Message: \"Attempt to read non-Strings\""},
        {head + Items{U(2), U(0x7FFFFFFF), Ss({"1", "x"})} + columns + index,
         "FileException: Message: \"Stored tuple count 2147483647 exceeds"},
        {head + wide + columns + index, "-406"},
        {head + group + Items{U(0), U(0)}, "-406"},
        {head + group + columnsWith({"a"}, {15, 15}, "\x10\x10") + index, "-406"},
        {head + group + columnsWith({"a", "a"}, {15, 15}, "\x10\x10") + index, "-406"},
        {head + group + columnsWith({"a", "b"}, {}, "\x10\x10") + index, "-406"},
        {head + group + columnsWith({"a", "b"}, {15, 15}, "\x10") + index, "-406"},
        {head + group + columns + Items{U(3), Ss({"k"}), Us({0}), Us({0})}, "-406"},
        {head + group + columns + Items{U(1), Ss({"k"}), Us({}), Us({0})}, "-406"},
        {head + group + columns + Items{U(1), Ss({"k"}), Us({0}), Us({2})},
         "std::out_of_range: Invalid column index"},
        {head + group + columns + Items{U(1), Ss({"k"}), Us({0}), Us({})},
         "EmptyValueException: Message: \"Empty column indices\""},
        {head + Group({{"1", "x"}, {"1", "y"}}) + columns +
             Items{U(1), Ss({"k"}), Us({1}), Us({0})},
         "AlreadyExistsException: Message: \"Duplicate"},
        {Items{S("V9"), Ss({"t"}), U(1)} + group + columns + index,
         "InvalidStateException: Message: \"Attempt to read non-string\""},
        {Items{S("V7"), S("s")} + Group(kRows) +
             Items{U(0), U(2), Ss({"a", "b"}), Us({3, 4}), S("\x10\x10"), U(1), Ss({"key"}),
                   Us({1, 0}), Us({})},
         "-406"},
        {v6({1, 2, 3}, "\x10\x10") + Items{U(0)}, "-406"},
        {v6({1, 2}, "\x10\x10\x10") + Items{U(0)}, "-406"},
        {v6({1, 2}, "\x10\x10") + Items{U(2), Ss({"k"}), Us({0}), Us({0}), Us({0, 0})}, "-406"},
        {Items{S("V6"), S("t"), U(2), U(0), Ss({"a", "b"}), Us({1, 2}), S("\x10\x10"), Ss({"1"}),
               Ss({"x", "y"}), U(0)},
         "std::out_of_range: "},  // a column longer than the first
        {v3 + ColumnWise({}, "\x10") + Items{U(0), Ss({}), Us({})}, "-406"},
        {v3 + ColumnWise({}, "\x10\x10") + Items{U(1), Ss({"k"}), Us({}), Us({0})}, "-406"},
        {v3 + ColumnWise({}, "\x10\x10") + Items{U(0)}, "std::out_of_range: "},  // no index items
        {Items{S("t $$$2"), U(5), U(2), U(3), U(0), U(0)} + ColumnWise({}, "\x10\x10") +
             Items{Us({0, 0}), U(0), Ss({}), Us({})},
         "-406"},
        {Items{S("t $$$2"), U(5), U(2), U(2), U(0), U(0)} + ColumnWise({}, "\x10\x10") +
             Items{Us({0, 0, 0}), U(0), Ss({}), Us({})},
         "-406"},
        {Items{S("t $$$1"), U(0), Us({}), U(2), U(0), U(0), U(0), U(0), Us({})} +
             ColumnWise({4}, "\x10\x10"),
         "-406"},
        {Items{S("t"), U(1), U(0), U(0), U(0), U(0), Us({})} + ColumnWise({}, "\x10\x10"), "-406"},
    };
    for (const auto& c : cases) {
        ISTable table("", CaseSensitive);
        int code = 0;
        const std::string thrown = Thrown([&] { code = Read(c.items, table); });
        if (c.thrown == "-406")
            EXPECT_EQ(code, ISTable::COUNT_MISMATCH) << thrown;
        else
            EXPECT_EQ(thrown.rfind(c.thrown, 0), 0u) << thrown;
        ExpectSound(table);
    }
    // What is consistent stays: name, rows and flags, without the indices.
    ISTable table("", CaseSensitive);
    EXPECT_EQ(
        Read(head + group + columnsWith({"a", "b"}, {15, 15}, "\x10\x11") + Items{U(2), Ss({"k"})},
             table),
        ISTable::COUNT_MISMATCH);
    EXPECT_EQ(table.GetName(), "t");
    EXPECT_EQ(AllRows(table), (Cells{{"1", "x"}, {"2", "y"}}));
    EXPECT_EQ(table.GetFlags("b"), 0x11);
    EXPECT_EQ(table.GetNumIndices(), 0u);

    // A stored table cut short after any item never reads as good.
    ISTable whole = MakeTable("t", {"a", "b"}, {{"1", "x"}, {"2", "y"}, {"3", "z"}});
    whole.CreateIndex("k", Texts{"b", "a"}, 1);
    unsigned int numItems = 0;
    const Items items = Written(whole, numItems);
    for (std::size_t keep = 1; keep < items.size(); ++keep) {
        ISTable back("", CaseSensitive);
        int code = 0;
        const std::string thrown =
            Thrown([&] { code = Read(Items(items.begin(), items.begin() + keep), back); });
        EXPECT_TRUE(thrown != "nothing thrown" || code != 0) << keep;
        ExpectSound(back);
    }
}
