// ISTable in the binary block file: the current layout item by item, round
// trips, the result codes, corrupted and truncated stored tables, and the
// lazily loading list reading tables through a real file.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "StoredTableItems.h"
#include "foundation/Exceptions.h"
#include "foundation/mapped_ptr_vector.h"
#include "table/ISTable.h"

using namespace stored_table_test;

namespace {

const unsigned int NO_SERIALIZER_HANDLE = 4294966891u;  // 2^32 - 405

// A table "t" with columns a and b and the rows (a<i>, b<i>).
ISTable MakeTable(unsigned int numRows, const std::string& name = "t") {
    ISTable table(name, CaseSensitive);
    table.AddColumn("a", Texts());
    table.AddColumn("b", Texts());
    for (unsigned int i = 0; i < numRows; ++i)
        table.AddRow(Texts{"a" + std::to_string(i), "b" + std::to_string(i)});
    return table;
}

// What a failed action threw, or "" when it returned.
std::string Failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const MirtException& exc) {
        return exc.what();
    } catch (const std::exception& exc) {
        return exc.what();
    }
    return "";
}

class TableStorage : public StoredTableTest {
protected:
    // Writes the table into a new file; returns the file's path.
    std::string Store(const ISTable& table, unsigned int& numItems,
                      const std::string& name = "table.bin") {
        const std::string path = Path(name);
        Serializer ser(path, CREATE_MODE);
        EXPECT_EQ(table.Write(&ser, numItems), 0u);
        return path;
    }

    // Reads every item of the file with the reader of the expected kind.
    void ExpectItems(const std::string& path, const Items& expected) {
        Serializer ser(path, READ_MODE);
        ASSERT_EQ(ser.GetNumIndices(), expected.size());
        for (UInt32 n = 0; n < expected.size(); ++n) {
            SCOPED_TRACE("item " + std::to_string(n));
            const Item& item = expected[n];
            Words words;
            std::string text;
            Texts texts;
            switch (item.kind) {
                case Item::NUMBER:
                    EXPECT_EQ(ser.ReadUInt32(n), item.number);
                    break;
                case Item::NUMBERS:
                    ser.ReadUInt32s(words, n);
                    EXPECT_EQ(words, item.numbers);
                    break;
                case Item::TEXT:
                    ser.ReadString(text, n);
                    EXPECT_EQ(text, item.text);
                    break;
                case Item::TEXTS:
                    ser.ReadStrings(texts, n);
                    EXPECT_EQ(texts, item.texts);
                    break;
            }
        }
    }
};

}  // namespace

TEST_F(TableStorage, RoundTripKeepsSegmentsFlagsAndIndices) {
    ISTable table("atoms", CaseInsensitive);
    table.AddColumn("id", Texts());
    table.AddColumn("name", Texts());
    table.AddColumn("n", Texts());
    for (unsigned int i = 0; i < 2500; ++i)
        table.AddRow(
            Texts{std::to_string(i), "Atom" + std::to_string(i % 7), std::to_string(2500 - i)});
    table.SetFlags("name", 0x01);
    table.SetFlags("n", COLUMN_TYPE_INTEGER);
    table.CreateIndex("by_n", Texts{"n"}, 0);
    table.CreateIndex("pair", std::vector<unsigned int>{1, 0}, 1);

    unsigned int numItems = 0;
    const std::string path = Store(table, numItems);
    // Tag, name, S; three groups; six column items; index names and flags;
    // one column list per index.
    EXPECT_EQ(numItems, 3u + 1003u + 1003u + 503u + 6u + 2u + 2u);

    ISTable back("", CaseSensitive);
    ASSERT_EQ(ReadTable(path, back), 0);
    EXPECT_EQ(back.GetName(), "atoms");
    EXPECT_EQ(back.GetColCompareType(), CaseInsensitive);
    EXPECT_EQ(back.Compare(table), 0);
    EXPECT_EQ(SegmentSizes(back), (std::vector<unsigned int>{1000, 1000, 500}));
    EXPECT_EQ(back.GetFlags("id"), 0x10);
    EXPECT_EQ(back.GetFlags("name"), 0x11);
    EXPECT_EQ(back.GetFlags("n"), 0x20);
    EXPECT_EQ(back.GetIndexNumber("by_n"), 0u);
    EXPECT_EQ(back.GetIndexNumber("pair"), 1u);

    // The indices are rebuilt with their flags: integer order, the
    // case-insensitive first column, and the unique flag.
    Texts ids;
    back.GetColumn(ids, "id", "by_n");
    EXPECT_EQ(ids.front(), "999");
    EXPECT_EQ(back.FindFirst(Texts{"ATOM3", "3"}, Texts{"name", "id"}, "pair"), 3u);
    EXPECT_THROW(back.AddRow(Texts{"x", "y", "1"}), AlreadyExistsException);
}

TEST_F(TableStorage, CurrentLayoutItemByItem) {
    struct Case {
        const char* what;
        std::function<ISTable()> make;
        Items expected;
    };
    const Case cases[] = {
        {"no columns, no rows",
         [] { return ISTable("e", CaseSensitive); },
         {S("V9"), S("e"), U(1), U(0), U(0), U(1), U(0), U(0)}},
        {"two columns, three rows", [] { return MakeTable(3); },
         Items{S("V9"), S("t"), U(1)} + Group({{"a0", "b0"}, {"a1", "b1"}, {"a2", "b2"}}) +
             Items{U(0), U(2), Ss({"a", "b"}), Us({15, 15}), S("\x10\x10"), U(0)}},
        {"a name with a layout suffix is just a name",
         [] { return MakeTable(0, "odd $$$3"); },
         {S("V9"), S("odd $$$3"), U(1), U(0), U(0), U(1), U(0), U(2), Ss({"a", "b"}), Us({15, 15}),
          S("\x10\x10"), U(0)}},
        {"a unique index over positions 1 and 0",
         [] {
             ISTable table = MakeTable(1);
             table.SetFlags("b", 0x11);
             table.CreateIndex("k", std::vector<unsigned int>{1, 0}, 1);
             return table;
         },
         Items{S("V9"), S("t"), U(1)} + Group({{"a0", "b0"}}) +
             Items{U(0), U(2), Ss({"a", "b"}), Us({15, 15}), S("\x10\x11"), U(1), Ss({"k"}),
                   Us({1}), Us({1, 0})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ISTable table = c.make();
        unsigned int numItems = 0;
        const std::string path = Store(table, numItems);
        EXPECT_EQ(numItems, c.expected.size());
        ExpectItems(path, c.expected);

        ISTable back("", CaseSensitive);
        ASSERT_EQ(ReadTable(path, back), 0);
        EXPECT_EQ(back.GetName(), table.GetName());
        EXPECT_EQ(back.Compare(table), 0);
        EXPECT_EQ(back.GetNumIndices(), table.GetNumIndices());
    }
}

TEST_F(TableStorage, OwnSerializerOrNone) {
    const std::string path = Path("own.bin");
    {
        Serializer ser(path, CREATE_MODE);
        ser.WriteString("something else first");
        ISTable table = MakeTable(2);
        EXPECT_EQ(table.Write(), NO_SERIALIZER_HANDLE);
        unsigned int numItems = 77;
        EXPECT_EQ(table.Write(nullptr, numItems), NO_SERIALIZER_HANDLE);
        EXPECT_EQ(numItems, 77u);
        EXPECT_EQ(ser.GetNumIndices(), 1u);
        table.SetSerializer(&ser);
        EXPECT_EQ(table.Write(), 1u);
    }
    Serializer ser(path, READ_MODE);
    ISTable back = MakeTable(1);
    EXPECT_EQ(back.Read(1), ISTable::NO_SERIALIZER);
    EXPECT_EQ(back.Read(1, nullptr), ISTable::NO_SERIALIZER);
    EXPECT_EQ(back.GetNumRows(), 1u);
    back.SetSerializer(&ser);
    EXPECT_EQ(back.Read(1), 0);
    EXPECT_EQ(back.GetSerializer(), &ser);
    EXPECT_EQ(back.Compare(MakeTable(2)), 0);
}

TEST_F(TableStorage, ColumnsWithoutRowsRoundTrip) {
    ISTable named = MakeTable(0);
    named.SetFlags("b", COLUMN_TYPE_INTEGER);
    named.CreateIndex("by_b", Texts{"b"}, 0);
    ISTable emptied = MakeTable(3);
    emptied.DeleteRows({0, 1, 2});

    for (ISTable* table : {&named, &emptied}) {
        unsigned int numItems = 0;
        const std::string path = Store(*table, numItems);
        ISTable back("", CaseSensitive);
        ASSERT_EQ(ReadTable(path, back), 0);
        EXPECT_EQ(back.GetColumnNames(), (Texts{"a", "b"}));
        EXPECT_EQ(back.GetNumRows(), 0u);
        EXPECT_EQ(back.GetFlags("b"), table->GetFlags("b"));
        EXPECT_EQ(back.GetNumIndices(), table->GetNumIndices());

        // The first row creates the cells and the index entries.
        back.AddRow(Texts{"x", "10"});
        back.AddRow(Texts{"y", "9"});
        EXPECT_EQ(back.GetNumRows(), 2u);
        EXPECT_EQ(back.FindFirst(Texts{"9"}, Texts{"b"}, ""), 1u);
    }
}

TEST_F(TableStorage, StoredFlagsAndCompareTypeAsStored) {
    const Items items =
        Items{S("V9"), S("t"), U(1)} + Group({{"x", "y"}}) +
        Items{U(1), U(2), Ss({"a", "b"}), Us({3, 4}), S(std::string("\x00\x45", 2)), U(0)};
    ISTable back("", CaseSensitive);
    ASSERT_EQ(ReadTable(WriteFile(items), back), 0);
    EXPECT_EQ(back.GetColCompareType(), CaseInsensitive);
    EXPECT_EQ(back.GetFlags("a"), 0x00);  // the table's byte as stored
    EXPECT_EQ(back.GetFlags("b"), 0x45);
    // Lookups keep the ordering the table was made with.
    EXPECT_FALSE(back.IsColumnPresent("A"));
}

TEST_F(TableStorage, CorruptedStoredTablesAreRefused) {
    // A good table: two columns, two rows, one index.
    const Items head{S("V9"), S("t"), U(1)};
    const Items group = Group({{"1", "x"}, {"2", "y"}});
    const Items columns{U(0), U(2), Ss({"a", "b"}), Us({15, 15}), S("\x10\x10")};
    const Items index{U(1), Ss({"k"}), Us({0}), Us({0})};

    struct Case {
        const char* what;
        Items items;
        int code;             // expected result when nothing is thrown
        const char* failure;  // expected start of an exception text, or ""
    };
    const Case cases[] = {
        {"the good table", head + group + columns + index, 0, ""},
        {"no segment", Items{S("V9"), S("t"), U(0)} + group + columns + index, -406, ""},
        {"more segments than the file holds",
         Items{S("V9"), S("t"), U(0xFFFFFFFF)} + group + columns + index, -406, ""},
        {"a second segment that is not there",
         Items{S("V9"), S("t"), U(2)} + group + columns + index, 0,
         "Message: \"Attempt to read non-Strings\""},
        {"more tuples than the file holds",
         head + Items{U(2), U(0x7FFFFFFF), Ss({"1", "x"})} + columns + index, 0,
         "Message: \"Stored tuple count 2147483647 exceeds"},
        {"rows wider than the columns",
         head + Group({{"1", "x", "z"}, {"2", "y", "z"}}) + columns + index, -406, ""},
        {"cells without any column", head + group + Items{U(0), U(0)}, -406, ""},
        {"fewer names than columns",
         head + group + Items{U(0), U(2), Ss({"a"}), Us({15, 15}), S("\x10\x10")} + index, -406,
         ""},
        {"a repeated name",
         head + group + Items{U(0), U(2), Ss({"a", "a"}), Us({15, 15}), S("\x10\x10")} + index,
         -406, ""},
        {"an empty name",
         head + group + Items{U(0), U(2), Ss({"a", ""}), Us({15, 15}), S("\x10\x10")} + index, -406,
         ""},
        {"no per-column numbers",
         head + group + Items{U(0), U(2), Ss({"a", "b"}), Us({}), S("\x10\x10")} + index, -406, ""},
        {"a short flags text",
         head + group + Items{U(0), U(2), Ss({"a", "b"}), Us({15, 15}), S("\x10")} + index, -406,
         ""},
        {"fewer index names than indices",
         head + group + columns + Items{U(3), Ss({"k"}), Us({0}), Us({0})}, -406, ""},
        {"a short index flags list",
         head + group + columns + Items{U(1), Ss({"k"}), Us({}), Us({0})}, -406, ""},
        {"an index over a column that is not there",
         head + group + columns + Items{U(1), Ss({"k"}), Us({0}), Us({2})}, 0,
         "Invalid column index"},
        {"an index over no column",
         head + group + columns + Items{U(1), Ss({"k"}), Us({0}), Us({})}, 0,
         "Message: \"Empty column indices\""},
        {"a repeated key in a unique index",
         head + Group({{"1", "x"}, {"1", "y"}}) + columns +
             Items{U(1), Ss({"k"}), Us({1}), Us({0})},
         0, "Message: \"Duplicate"},
        {"an item of another kind", Items{S("V9"), Ss({"t"}), U(1)} + group + columns + index, 0,
         "Message: \"Attempt to read non-string\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = WriteFile(c.items);
        ISTable table("", CaseSensitive);
        int code = 12345;
        const std::string failure = Failure([&] { code = ReadTable(path, table); });
        if (*c.failure != '\0') {
            EXPECT_EQ(failure.rfind(c.failure, 0), 0u) << failure;
        } else {
            EXPECT_EQ(failure, "");
            EXPECT_EQ(code, c.code);
        }
        ExpectSound(table, Path("sound.bin"));
    }
}

TEST_F(TableStorage, FailedCheckKeepsWhatIsSound) {
    const Items items =
        Items{S("V9"), S("t"), U(1)} + Group({{"1", "x"}, {"2", "y"}}) +
        Items{U(0), U(2), Ss({"a", "b"}), Us({15, 15}), S("\x10\x11"), U(2), Ss({"k"})};
    ISTable table("", CaseSensitive);
    EXPECT_EQ(ReadTable(WriteFile(items), table), ISTable::COUNT_MISMATCH);
    EXPECT_EQ(table.GetName(), "t");
    EXPECT_EQ(Rows(table), (std::vector<Texts>{{"1", "x"}, {"2", "y"}}));
    EXPECT_EQ(table.GetFlags("b"), 0x11);
    EXPECT_EQ(table.GetNumIndices(), 0u);
}

TEST_F(TableStorage, TruncatedStoredTableNeverReadsAsGood) {
    ISTable table = MakeTable(3);
    table.CreateIndex("k", Texts{"b", "a"}, 1);
    unsigned int numItems = 0;
    const std::string whole = Store(table, numItems);
    const std::string bytes = read_text(whole);

    for (UInt32 keep = 1; keep < numItems; ++keep) {
        SCOPED_TRACE("items kept: " + std::to_string(keep));
        const std::string path = Path("cut.bin");
        write_text(path, bytes);
        {
            Serializer ser(path, UPDATE_MODE);
            for (UInt32 n = keep; n < numItems; ++n) ser.Delete(n);
        }
        ISTable back("", CaseSensitive);
        int code = 0;
        const std::string failure = Failure([&] { code = ReadTable(path, back); });
        EXPECT_TRUE(!failure.empty() || code != 0);
        ExpectSound(back, Path("sound.bin"));
    }
}

TEST_F(TableStorage, LazilyLoadingListReadsTablesThroughTheFile) {
    typedef mapped_ptr_vector<ISTable> Tables;
    const std::string path = Path("block.bin");
    UInt32 firstHandle = 0;
    UInt32 secondHandle = 0;
    UInt32 brokenHandle = 0;
    {
        Serializer ser(path, CREATE_MODE);
        ISTable first = MakeTable(1200, "first");
        ISTable second = MakeTable(2, "second");
        ISTable unsaved = MakeTable(1, "unsaved");
        first.SetSerializer(&ser);
        second.SetSerializer(&ser);
        Tables tables(CaseSensitive);
        tables.push_back(&first);
        tables.push_back(&second);
        tables.push_back(&unsaved);
        firstHandle = tables.write("first");
        secondHandle = tables.write("second");
        EXPECT_EQ(tables.find("second").second, secondHandle);
        // A table without a Serializer writes nothing; its failure is not
        // recorded as an item number.
        EXPECT_THROW(tables.write("unsaved"), InvalidStateException);
        EXPECT_EQ(tables.find("unsaved").second, 0u);

        // A stored table that fails its count checks.
        brokenHandle = ser.GetNumIndices();
        for (const Item& item : Items{S("V9"), S("broken"), U(0)}) WriteItem(ser, item);
    }

    Serializer ser(path, READ_MODE);
    Tables tables(CaseSensitive);
    tables.push_back("first", firstHandle);
    tables.push_back("second", secondHandle);
    tables.push_back("broken", brokenHandle);

    std::unique_ptr<ISTable> second(tables.load(1, &ser, READ_MODE));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Compare(MakeTable(2, "second")), 0);
    EXPECT_EQ(second->GetName(), "second");
    EXPECT_EQ(second->GetSerializer(), &ser);
    EXPECT_EQ(tables.load(1, &ser, READ_MODE), second.get());

    std::unique_ptr<ISTable> first(tables.load(0, &ser, READ_MODE));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Compare(MakeTable(1200)), 0);
    EXPECT_EQ(first->GetNumSegments(), 2u);

    EXPECT_EQ(Failure([&] { tables.load(2, &ser, READ_MODE); }),
              "Message: \"Could not read object \"broken\" from the "
              "file, result code -406\" generated at: "
              "mapped_ptr_vector::read\n");
    EXPECT_EQ(tables[2], nullptr);
}
