// ISTable: difference codes, merging through the key index, and the
// comparison report.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "table/ISTable.h"
#include "table/TableTestSupport.h"

namespace {

typedef std::vector<std::string> Texts;

ISTable MakeTable(const std::string& name, const Texts& columns, const std::vector<Texts>& rows,
                  CompareType compareType = CaseSensitive) {
    ISTable table(name, compareType);
    for (const std::string& column : columns) table.AddColumn(column, Texts());
    for (const Texts& row : rows) table.AddRow(row);
    return table;
}

// A keyed table: the unique key index "__key__" over the named columns.
ISTable Keyed(const std::string& name, const Texts& columns, const std::vector<Texts>& rows,
              const Texts& key) {
    ISTable table = MakeTable(name, columns, rows);
    table.CreateKeyIndex(key);
    return table;
}

std::string Blanks(unsigned int n) {
    return std::string(n, ' ');
}

}  // namespace

TEST(ISTableCompare, DifferenceCodesInTheirOrder) {
    const Texts columns{"id", "name", "value"};
    const std::vector<Texts> rows{{"1", "a", "x"}, {"2", "b", "y"}};
    const ISTable base = MakeTable("base", columns, rows);

    ISTable flagged = MakeTable("other name", columns, rows);
    flagged.SetFlags("name", 0x11);
    flagged.CreateIndex("i", Texts{"name"}, 1);

    std::vector<Texts> changedCase = rows;
    changedCase[1][1] = "B";
    std::vector<Texts> moreRows = rows;
    moreRows.push_back({"3", "c", "z"});
    std::vector<Texts> wider = rows;
    for (Texts& row : wider) row.push_back("w");

    struct Case {
        const char* what;
        ISTable mine;
        ISTable theirs;
        int code;
    };
    const Case cases[] = {
        {"equal but for name, flags and indices", base, flagged, 0},
        {"compare types differ", base, MakeTable("t", columns, rows, CaseInsensitive), 1},
        {"more columns", base, MakeTable("t", {"id", "name"}, {}), 2},
        {"fewer columns", base, MakeTable("t", {"id", "name", "value", "more"}, wider), 3},
        {"names in another order (before any row count)", base,
         MakeTable("t", {"id", "value", "name"}, {}), 4},
        {"names differing only in case", base, MakeTable("t", {"id", "Name", "value"}, rows), 4},
        {"more rows", base, MakeTable("t", columns, {rows[0]}), 5},
        {"no rows against two", MakeTable("t", columns, {}), base, 6},
        {"fewer rows", base, MakeTable("t", columns, moreRows), 6},
        {"a cell differs only in case", base, MakeTable("t", columns, changedCase), 7},
        {"a cell differs in case-insensitive tables",
         MakeTable("t", columns, rows, CaseInsensitive),
         MakeTable("t", columns, changedCase, CaseInsensitive), 7},
        {"no columns, no rows", MakeTable("a", {}, {}), MakeTable("b", {}, {}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.mine.Compare(c.theirs), c.code);
    }
}

TEST(ISTableCompare, CellsAcrossSegments) {
    ISTable a("a", CaseSensitive);
    a.AddColumn("n", Texts());
    for (unsigned int i = 0; i < 2500; ++i) a.AddRow(Texts{std::to_string(i)});
    ISTable b(a);
    EXPECT_EQ(a.Compare(b), 0);
    b.UpdateCell(2499, "n", "changed");
    EXPECT_EQ(a.Compare(b), 7);
    EXPECT_EQ(b.Compare(a), 7);
}

TEST(ISTableMerge, ReplacesFillsAndAppendsThroughTheKey) {
    const Texts columns{"id", "name", "note"};
    const ISTable mine = Keyed("mine", columns, {{"K1", "a", ""}, {"K2", "", "?"}}, {"id"});
    // The other table's own key index plays no part; without one, its
    // rows may repeat a key.
    const ISTable theirs =
        MakeTable("theirs", {"id", "name", "note", "extra"},
                  {{"K2", "B", "new", "e2"}, {"K3", "c", "n3", "e3"}, {"K3", "d", "", "e4"}});

    struct Case {
        unsigned int mergeType;
        std::vector<Texts> expected;
    };
    const Case cases[] = {
        // Replaced as a whole, the extra column included; a repeated key
        // matches the row appended before it.
        {0, {{"K1", "a", "", ""}, {"K2", "B", "new", "e2"}, {"K3", "d", "", "e4"}}},
        {7, {{"K1", "a", "", ""}, {"K2", "B", "new", "e2"}, {"K3", "d", "", "e4"}}},
        // Only "" cells of this table's columns take the other's values:
        // "?" is a value, and the extra column is filled in appended rows.
        {1, {{"K1", "a", "", ""}, {"K2", "B", "?", ""}, {"K3", "c", "n3", "e3"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mergeType " + std::to_string(c.mergeType));
        ISTable left(mine);
        ISTable right(theirs);
        std::unique_ptr<ISTable> merged(left.Merge(right, c.mergeType));
        ASSERT_NE(merged, nullptr);
        EXPECT_EQ(merged->GetName(), "mine");
        EXPECT_EQ(merged->GetColumnNames(), (Texts{"id", "name", "note", "extra"}));
        EXPECT_EQ(Rows(*merged), c.expected);
        // The key index is gone; the search left its own index.
        EXPECT_EQ(merged->GetKeyIndexNumber(), ISTable::NO_INDEX);
        EXPECT_EQ(merged->GetIndexNumber("index_0"), 0u);
        EXPECT_EQ(left.Compare(mine), 0);
        EXPECT_EQ(right.Compare(theirs), 0);
        EXPECT_EQ(left.GetNumIndices(), 1u);
    }
}

TEST(ISTableMerge, KeyOverSeveralColumnsAndEmptyTables) {
    ISTable mine = Keyed("m", {"a", "b", "c"}, {{"1", "x", "old"}}, {"b", "a"});
    ISTable theirs =
        Keyed("t", {"c", "b", "a"}, {{"new", "x", "1"}, {"other", "y", "1"}}, {"b", "a"});
    std::unique_ptr<ISTable> merged(mine.Merge(theirs, 0));
    EXPECT_EQ(Rows(*merged), (std::vector<Texts>{{"1", "x", "new"}, {"1", "y", "other"}}));

    // Into a table without rows every row of the other is appended.
    ISTable empty = Keyed("e", {"a", "b", "c"}, {}, {"a", "b"});
    merged.reset(empty.Merge(theirs, 1));
    EXPECT_EQ(Rows(*merged), (std::vector<Texts>{{"1", "x", "new"}, {"1", "y", "other"}}));

    // From a table without rows nothing changes but the columns.
    ISTable none = Keyed("n", {"a", "d"}, {}, {"a"});
    merged.reset(mine.Merge(none, 0));
    EXPECT_EQ(merged->GetColumnNames(), (Texts{"a", "b", "c", "d"}));
    EXPECT_EQ(Rows(*merged), (std::vector<Texts>{{"1", "x", "old", ""}}));
}

TEST(ISTableMerge, RefusalsLeaveNoTable) {
    ISTable unkeyed = MakeTable("u", {"id"}, {{"1"}});
    ISTable keyed = Keyed("k", {"id", "name"}, {{"1", "a"}}, {"id"});
    ISTable narrow = Keyed("n", {"id"}, {{"2"}}, {"id"});

    try {
        std::unique_ptr<ISTable> merged(unkeyed.Merge(keyed, 0));
        ADD_FAILURE() << "merged without a key index";
    } catch (const NotFoundException& exc) {
        EXPECT_EQ(std::string(exc.what()),
                  "Message: \"Search index not found\" generated at: "
                  "ISTable::DeleteIndex\n");
    }
    // A column of this table that the other lacks.
    EXPECT_THROW(std::unique_ptr<ISTable>(keyed.Merge(narrow, 0)), NotFoundException);
    EXPECT_EQ(keyed.GetNumColumns(), 2u);
    EXPECT_EQ(narrow.GetNumColumns(), 1u);
}

TEST(ISTableReport, DifferencesInColumnsRowsAndCells) {
    ISTable mine = Keyed("mine", {"id", "name", "x"},
                         {{"1", "a", "p"}, {"2", "b", "q"}, {"3", "c", "r"}}, {"id"});
    ISTable theirs = Keyed("theirs", {"name", "id", "y"},
                           {{"a", "1", "s"}, {"B", "2", "t"}, {"d", "4", "u"}}, {"id"});

    testing::internal::CaptureStdout();
    const int result = mine.PrintComparison(theirs);
    const std::string text = testing::internal::GetCapturedStdout();

    EXPECT_EQ(result, 0);
    EXPECT_EQ(text,
              "** Compares table mine and table theirs **\n"
              "----------------- Columns report -----------------\n"
              "    0" +
                  Blanks(19) +
                  "1    (id)\n"
                  "    1" +
                  Blanks(19) +
                  "0    (name)\n"
                  "    2  < (x)\n" +
                  Blanks(24) +
                  "2  < (y)\n"
                  "\n"
                  "------------------ Rows report ------------------\n"
                  "    0         0\n"
                  "    1  *\n"
                  "    2  <\n" +
                  Blanks(14) +
                  "1  *\n"
                  "\n");
}

TEST(ISTableReport, IdenticalTablesAndRefusals) {
    ISTable mine = Keyed("t", {"id", "v"}, {{"1", "a"}, {"2", "b"}}, {"id"});
    ISTable same(mine);

    testing::internal::CaptureStdout();
    EXPECT_EQ(mine.PrintComparison(same), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "** Compares table t and table t **\n"
              "----------------- Columns report -----------------\n"
              "    0" +
                  Blanks(19) +
                  "0    (id)\n"
                  "    1" +
                  Blanks(19) +
                  "1    (v)\n"
                  "\n"
                  "------------------ Rows report ------------------\n"
                  "    0         0\n"
                  "    1         1\n"
                  "\n");

    // Without a key index on either side nothing is printed.
    ISTable unkeyed = MakeTable("u", {"id", "v"}, {{"1", "a"}});
    ISTable twoKey = Keyed("w", {"id", "v"}, {{"1", "a"}}, {"id", "v"});
    const std::function<void()> refusals[] = {
        [&] { unkeyed.PrintComparison(mine); },
        [&] { mine.PrintComparison(unkeyed); },
        [&] { mine.PrintComparison(twoKey); },
    };
    for (const auto& refusal : refusals) {
        testing::internal::CaptureStdout();
        EXPECT_THROW(refusal(), NotFoundException);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
}
