// ISTable: the seven older stored layouts, each built item by item through
// the Serializer and read back, with the choice of the reader by the first
// item and the refusal of stored lists that disagree with their counts.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "StoredTableItems.h"
#include "foundation/Exceptions.h"
#include "table/ISTable.h"

using namespace stored_table_test;

namespace {

const std::vector<Texts> ROWS{{"1", "x"}, {"2", "y"}, {"3", "z"}};

// The column-wise items shared by the layouts after their header: names,
// numbers, flags, one Strings per column (of the rows above).
Items ColumnWise(const Words& numbers, const std::string& flags) {
    return Items{Ss({"a", "b"}), Us(numbers), S(flags), Ss({"1", "2", "3"}), Ss({"x", "y", "z"})};
}

class OldLayouts : public StoredTableTest {
protected:
    // The per-column numbers the table would store now.
    Words StoredNumbers(const ISTable& table) {
        const std::string path = Path("numbers.bin");
        unsigned int numItems = 0;
        {
            Serializer ser(path, CREATE_MODE);
            table.Write(&ser, numItems);
        }
        const unsigned int numIndices = table.GetNumIndices();
        const UInt32 item = numItems - 1 - (numIndices == 0 ? 2 : 4 + numIndices);
        Serializer ser(path, READ_MODE);
        Words numbers;
        ser.ReadUInt32s(numbers, item);
        return numbers;
    }

    // Reads the items as a table and checks the common outcome.
    void ExpectTable(const Items& items, const std::string& name, ISTable& table) {
        ASSERT_EQ(ReadTable(WriteFile(items), table), 0);
        EXPECT_EQ(table.GetName(), name);
        EXPECT_EQ(table.GetColumnNames(), (Texts{"a", "b"}));
        EXPECT_EQ(Rows(table), ROWS);
        EXPECT_EQ(table.GetNumSegments(), 1u);
    }
};

}  // namespace

TEST_F(OldLayouts, SegmentGroupLayouts) {
    // "V8": the "V9" items with one group and no segment count.
    ISTable v8("", CaseSensitive);
    ExpectTable(Items{S("V8"), S("eight")} + Group(ROWS) +
                    Items{U(1), U(2), Ss({"a", "b"}), Us({3, 4}), S("\x10\x11"), U(1), Ss({"k"}),
                          Us({0}), Us({1})},
                "eight", v8);
    EXPECT_EQ(v8.GetColCompareType(), CaseInsensitive);
    EXPECT_EQ(v8.GetFlags("b"), 0x11);
    EXPECT_EQ(StoredNumbers(v8), (Words{3, 4}));
    EXPECT_EQ(v8.GetIndexNumber("k"), 0u);
    EXPECT_EQ(v8.FindFirst(Texts{"Y"}, Texts{"b"}, "k"), 1u);

    // "V7": the column lists come before the flags.
    ISTable v7("", CaseSensitive);
    ExpectTable(Items{S("V7"), S("seven")} + Group(ROWS) +
                    Items{U(0), U(2), Ss({"a", "b"}), Us({3, 4}), S("\x10\x10"), U(1), Ss({"key"}),
                          Us({1, 0}), Us({1})},
                "seven", v7);
    EXPECT_EQ(v7.FindFirst(Texts{"z", "3"}, Texts{"b", "a"}, "key"), 2u);
    EXPECT_THROW(v7.AddRow(Texts{"4", "w"}), AlreadyExistsException);

    // Their count checks are those of "V9".
    ISTable short7("", CaseSensitive);
    EXPECT_EQ(ReadTable(WriteFile(Items{S("V7"), S("s")} + Group(ROWS) +
                                      Items{U(0), U(2), Ss({"a", "b"}), Us({3, 4}), S("\x10\x10"),
                                            U(1), Ss({"key"}), Us({1, 0}), Us({})},
                                  "short7.bin"),
                        short7),
              ISTable::COUNT_MISMATCH);
    ExpectSound(short7, Path("sound.bin"));
}

TEST_F(OldLayouts, VersionSixIsColumnWiseIntoOneSegment) {
    ISTable table("", CaseSensitive);
    ExpectTable(Items{S("V6"), S("six"), U(2), U(99)} + ColumnWise({7, 8}, "\x10\x11") +
                    Items{U(1), Ss({"k"}), Us({1}), Us({0})},
                "six", table);
    EXPECT_EQ(StoredNumbers(table), (Words{7, 8}));
    EXPECT_EQ(table.GetFlags("b"), 0x11);
    EXPECT_EQ(table.FindFirst(Texts{"Z"}, Texts{"b"}, "k"), 2u);

    // No columns ends the table right after the count.
    ISTable empty("", CaseSensitive);
    ASSERT_EQ(ReadTable(WriteFile(Items{S("V6"), S("none"), U(0)}, "e.bin"), empty), 0);
    EXPECT_EQ(empty.GetName(), "none");
    EXPECT_EQ(empty.GetNumColumns(), 0u);

    // However many rows, they all land in one segment.
    Texts ids;
    Texts names;
    for (unsigned int i = 0; i < 2500; ++i) {
        ids.push_back(std::to_string(i));
        names.push_back("n" + std::to_string(i));
    }
    ISTable big("", CaseSensitive);
    ASSERT_EQ(ReadTable(WriteFile(Items{S("V6"), S("big"), U(2), U(0), Ss({"a", "b"}), Us({15, 15}),
                                        S("\x10\x10"), Ss(ids), Ss(names), U(0)},
                                  "big.bin"),
                        big),
              0);
    EXPECT_EQ(big.GetNumRows(), 2500u);
    EXPECT_EQ(big.GetNumSegments(), 1u);
    EXPECT_EQ(big(2499, "b"), "n2499");
}

TEST_F(OldLayouts, SuffixThreeReadsIndexItemsEvenWithoutIndices) {
    ISTable table("", CaseSensitive);
    // Longer numbers and flags lists: their first entries are taken.
    ExpectTable(Items{S("three $$$3"), U(5), U(2), U(0)} + ColumnWise({7, 8, 9}, "\x10\x11\x20") +
                    Items{U(0), Ss({}), Us({})},
                "three", table);
    EXPECT_EQ(StoredNumbers(table), (Words{7, 8}));
    EXPECT_EQ(table.GetFlags("b"), 0x11);
    EXPECT_EQ(table.GetNumIndices(), 0u);

    // Without the two index items the table is not complete.
    ISTable cut("", CaseSensitive);
    EXPECT_THROW(ReadTable(WriteFile(Items{S("three $$$3"), U(5), U(2), U(0)} +
                                         ColumnWise({7, 8}, "\x10\x10") + Items{U(0)},
                                     "cut.bin"),
                           cut),
                 std::out_of_range);

    // With an index, flags before the column lists.
    ISTable indexed("", CaseSensitive);
    ExpectTable(Items{S("three $$$3"), U(5), U(2), U(0)} + ColumnWise({}, "\x10\x10") +
                    Items{U(1), Ss({"k"}), Us({1}), Us({1, 0})},
                "three", indexed);
    EXPECT_EQ(StoredNumbers(indexed), (Words{15, 15}));
    EXPECT_THROW(indexed.AddRow(Texts{"4", "w"}), AlreadyExistsException);
}

TEST_F(OldLayouts, SuffixTwoDropsMarkedRowsAndReadsItsVariants) {
    // Variant 5: the column count follows the variant word; row 1 is
    // marked; the flags list covers only the first of two indices.
    const Items body{U(2),
                     U(3),
                     U(0),
                     U(0),
                     Ss({"a", "b"}),
                     Us({}),
                     S("\x10\x10"),
                     Ss({"a", "b", "c"}),
                     Ss({"x", "y", "z"}),
                     Us({0, 1, 0}),
                     U(2),
                     Ss({"i", "j"}),
                     Us({1}),
                     Us({0}),
                     Us({1})};
    ISTable five("", CaseSensitive);
    ASSERT_EQ(ReadTable(WriteFile(Items{S("two $$$2"), U(5)} + body), five), 0);
    EXPECT_EQ(five.GetName(), "two");
    EXPECT_EQ(Rows(five), (std::vector<Texts>{{"a", "x"}, {"c", "z"}}));
    EXPECT_EQ(StoredNumbers(five), (Words{15, 15}));
    EXPECT_EQ(five.GetIndexNumber("j"), 1u);
    EXPECT_EQ(five.FindFirst(Texts{"z"}, Texts{"b"}, "j"), 1u);
    EXPECT_THROW(five.AddRow(Texts{"d", "w"}), AlreadyExistsException);

    // Variants 3 and 4 hold two more items before the column count.
    for (const UInt32 variant : {3u, 4u}) {
        ISTable table("", CaseSensitive);
        ASSERT_EQ(ReadTable(WriteFile(Items{S("two $$$2"), U(variant), U(0), Us({9})} + body,
                                      "v" + std::to_string(variant) + ".bin"),
                            table),
                  0);
        EXPECT_EQ(Rows(table), Rows(five));
        EXPECT_EQ(table.GetNumIndices(), 2u);
    }
}

TEST_F(OldLayouts, SuffixOneAndTheOldestSkipTheirTrailingItems) {
    ISTable one("", CaseSensitive);
    ExpectTable(Items{S("one $$$1"), U(0), Us({}), U(2), U(0), U(0), U(0), U(1), Us({})} +
                    ColumnWise({}, "\x10\x11") + Items{Us({4})},
                "one", one);
    EXPECT_EQ(StoredNumbers(one), (Words{15, 15}));
    EXPECT_EQ(one.GetFlags("b"), 0x11);

    ISTable oldest("", CaseSensitive);
    ExpectTable(Items{S("oldest"), U(2), U(0), U(0), U(0), U(2), Us({})} +
                    ColumnWise({5, 6, 7}, "\x10\x10") + Items{Us({1}), Us({2})},
                "oldest", oldest);
    EXPECT_EQ(StoredNumbers(oldest), (Words{5, 6}));
}

TEST_F(OldLayouts, FirstItemChoosesTheReader) {
    const Items three =
        Items{U(5), U(2), U(0)} + ColumnWise({}, "\x10\x10") + Items{U(0), Ss({}), Us({})};
    const Items oldest = Items{U(2), U(0), U(0), U(0), U(0), Us({})} + ColumnWise({}, "\x10\x10");
    struct Case {
        const char* tag;
        const Items& body;
        const char* name;
    };
    const Case cases[] = {
        {"abc $$$3xyz", three, "abc"},
        {"a $$$1 b $$$3 c", three, "a $$$1 b"},
        {"a $$$3 b $$$1", three, "a"},
        {"x $$$3 y $$$3", three, "x $$$3 y"},
        {"v9", oldest, "v9"},
        {"V10", oldest, "V10"},
        {"", oldest, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        ISTable table("", CaseSensitive);
        ExpectTable(Items{S(c.tag)} + c.body, c.name, table);
    }
}

TEST_F(OldLayouts, StoredListsThatDisagreeWithTheirCountsAreRefused) {
    struct Case {
        const char* what;
        Items items;
    };
    const Case cases[] = {
        {"V6: a numbers list longer than the columns",
         Items{S("V6"), S("t"), U(2), U(0)} + ColumnWise({1, 2, 3}, "\x10\x10") + Items{U(0)}},
        {"V6: no numbers",
         Items{S("V6"), S("t"), U(2), U(0)} + ColumnWise({}, "\x10\x10") + Items{U(0)}},
        {"V6: a flags text longer than the columns",
         Items{S("V6"), S("t"), U(2), U(0)} + ColumnWise({1, 2}, "\x10\x10\x10") + Items{U(0)}},
        {"V6: fewer index names than indices",
         Items{S("V6"), S("t"), U(2), U(0)} + ColumnWise({1, 2}, "\x10\x10") +
             Items{U(2), Ss({"k"}), Us({0}), Us({0}), Us({0, 0})}},
        {"$$$3: a short flags text", Items{S("t $$$3"), U(0), U(2), U(0)} + ColumnWise({}, "\x10") +
                                         Items{U(0), Ss({}), Us({})}},
        {"$$$3: a short index flags list", Items{S("t $$$3"), U(0), U(2), U(0)} +
                                               ColumnWise({}, "\x10\x10") +
                                               Items{U(1), Ss({"k"}), Us({}), Us({0})}},
        {"$$$2: fewer marks than stored rows", Items{S("t $$$2"), U(5), U(2), U(3), U(0), U(0)} +
                                                   ColumnWise({}, "\x10\x10") +
                                                   Items{Us({0, 0}), U(0), Ss({}), Us({})}},
        {"$$$2: a cell without its mark", Items{S("t $$$2"), U(5), U(2), U(2), U(0), U(0)} +
                                              ColumnWise({}, "\x10\x10") +
                                              Items{Us({0, 0, 0}), U(0), Ss({}), Us({})}},
        {"$$$1: a numbers list shorter than the columns",
         Items{S("t $$$1"), U(0), Us({}), U(2), U(0), U(0), U(0), U(0), Us({})} +
             ColumnWise({4}, "\x10\x10")},
        {"oldest: more names than columns",
         Items{S("t"), U(1), U(0), U(0), U(0), U(0), Us({})} + ColumnWise({}, "\x10\x10")},
        {"oldest: a repeated name",
         Items{S("t"), U(2), U(0), U(0), U(0), U(0), Us({}), Ss({"a", "a"}), Us({}), S("\x10\x10"),
               Ss({"1"}), Ss({"2"})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ISTable table("", CaseSensitive);
        EXPECT_EQ(ReadTable(WriteFile(c.items), table), ISTable::COUNT_MISMATCH);
        ExpectSound(table, Path("sound.bin"));
    }
}

TEST_F(OldLayouts, UnevenColumnsFailAsTheSegmentRefusesThem) {
    // Column 1 longer than column 0: the segment refuses it, and the table
    // is left without cells that no column holds.
    ISTable table("", CaseSensitive);
    EXPECT_THROW(ReadTable(WriteFile(Items{S("V6"), S("t"), U(2), U(0), Ss({"a", "b"}), Us({1, 2}),
                                           S("\x10\x10"), Ss({"1"}), Ss({"x", "y"}), U(0)}),
                           table),
                 std::out_of_range);
    EXPECT_EQ(table.GetName(), "t");
    ExpectSound(table, Path("sound.bin"));
}
