// ISTable: search indices and searches over several segments.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "support/ExceptionText.h"
#include "table/ISTable.h"

namespace {
typedef std::vector<std::string> Row;
typedef std::vector<unsigned int> Rows;

// Columns id (the row number) and k ("k" + row % 7), n appended rows.
ISTable MakeTable(unsigned int n) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("id", Row());
    table.AddColumn("k", Row());
    for (unsigned int i = 0; i < n; ++i) {
        table.AddRow(Row{std::to_string(i), "k" + std::to_string(i % 7)});
    }
    return table;
}

Rows RowsWithKey(unsigned int n, unsigned int key, unsigned int from, unsigned int to) {
    Rows rows;
    for (unsigned int i = from; i <= to && i < n; ++i) {
        if (i % 7 == key) {
            rows.push_back(i);
        }
    }
    return rows;
}
}  // namespace

TEST(ISTableSearch, EqualitySearchForwardAndBackwardOverSegments) {
    const unsigned int n = 2500;
    ISTable table = MakeTable(n);
    Rows result;

    struct Case {
        unsigned int from;
        unsigned int direction;
    };
    const Case cases[] = {{0, 0},    {2499, 1}, {999, 1},  {1000, 0},
                          {1700, 0}, {1700, 1}, {2500, 0}, {2500, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + (c.direction ? " back" : " fwd"));
        table.Search(result, Row{"k3"}, Row{"k"}, c.from, c.direction, 0, "");
        Rows expected =
            c.direction ? RowsWithKey(n, 3, 0, c.from) : RowsWithKey(n, 3, c.from, n - 1);
        if (c.direction) {
            std::reverse(expected.begin(), expected.end());
        }
        EXPECT_EQ(expected, result);
    }
    EXPECT_EQ((Row{"index_0"}).size(), table.GetNumIndices());

    EXPECT_THROW(table.Search(result, Row{"k3"}, Row{"k"}, 2501, 0, 0, ""), std::out_of_range);
    table.Search(result, Row{"k3"}, Row{"k"}, 0, 0, 5, "");
    EXPECT_TRUE(result.empty());

    // The one-column form uses the same index.
    table.Search(result, "k6", "k", 0, 0, 0);
    EXPECT_EQ(RowsWithKey(n, 6, 0, n - 1), result);
    EXPECT_EQ(1u, table.GetNumIndices());
}

TEST(ISTableSearch, RangeSearchesGoSegmentBySegmentInKeyOrder) {
    ISTable table = MakeTable(1400);
    Rows result;
    table.Search(result, Row{"k1"}, Row{"k"}, 0, 0, 1, "");  // less: k0 rows
    Rows expected;
    for (unsigned int seg = 0; seg < 2; ++seg) {
        for (unsigned int i = seg * 1000; i < std::min(1400u, seg * 1000 + 1000); ++i) {
            if (i % 7 == 0) {
                expected.push_back(i);
            }
        }
    }
    EXPECT_EQ(expected, result);

    table.Search(result, Row{"k5"}, Row{"k"}, 1390, 0, 3, "");  // greater
    EXPECT_EQ((Rows{1392, 1399}), result);
}

TEST(ISTableSearch, IndicesAreCreatedOnceAndNamedByTheirCount) {
    ISTable table = MakeTable(20);
    Rows result;
    table.Search(result, Row{"0", "k0"}, Row{"id", "k"}, 0, 0, 0, "");
    EXPECT_EQ(0u, table.GetIndexNumber("index_0"));
    table.Search(result, Row{"0", "k0"}, Row{"id", "k"}, 0, 0, 0, "");
    EXPECT_EQ(1u, table.GetNumIndices());
    table.Search(result, Row{"k0", "0"}, Row{"k", "id"}, 0, 0, 0, "");
    EXPECT_EQ(1u, table.GetIndexNumber("index_1"));
    EXPECT_EQ((Rows{0}), result);

    // An index that a search created stays current with later changes.
    table.UpdateCell(5, "k", "k0");
    table.AddRow(Row{"0", "k0"});
    table.Search(result, Row{"0", "k0"}, Row{"id", "k"}, 0, 0, 0, "");
    EXPECT_EQ((Rows{0, 20}), result);
    EXPECT_EQ(5u, table.FindFirst(Row{"k0", "5"}, Row{"k", "id"}, ""));

    // A user index named like the next automatic one blocks its creation.
    table.CreateIndex("index_3", Row{"id"}, 0);
    EXPECT_EQ(Line("Duplicate search index name", "ISTable::CreateIndex"),
              Thrown<AlreadyExistsException>(
                  [&] { table.Search(result, Row{"k1"}, Row{"k"}, 0, 0, 0, ""); }));
}

TEST(ISTableSearch, TablesWithoutRowsAnswerAtOnceButKnowTheirColumns) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("a", Row());
    Rows result{7};
    table.Search(result, Row{"x"}, Row{"a"}, 0, 0, 0, "");
    EXPECT_TRUE(result.empty());
    EXPECT_EQ(0u, table.FindFirst(Row{"x"}, Row{"a"}, ""));
    EXPECT_EQ(0u, table.GetNumIndices());
    const std::string missing =
        Line("Column \"nope\" not found in the table \"t\"", "ISTable::GetColumnIndex");
    EXPECT_EQ(missing, Thrown<NotFoundException>(
                           [&] { table.Search(result, Row{"x"}, Row{"nope"}, 0, 0, 0, ""); }));
    EXPECT_EQ(missing,
              Thrown<NotFoundException>([&] { table.FindFirst(Row{"x"}, Row{"nope"}, ""); }));
    EXPECT_EQ(missing + Line("Column not found", "ISTable::Search"),
              Thrown<NotFoundException>([&] { table.Search(result, "x", "nope", 0, 0, 0); }));
}

TEST(ISTableSearch, FindFirstReturnsTheLowestMatchingRow) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("v", Row());
    for (const char* v : {"a", "b", "a", "c"}) {
        table.AddRow(Row{v});
    }
    EXPECT_EQ(0u, table.FindFirst(Row{"a"}, Row{"v"}, ""));
    // Entries of rows inserted or re-keyed later come after older equal keys.
    table.InsertRow(0, Row{"a"});
    EXPECT_EQ(0u, table.FindFirst(Row{"a"}, Row{"v"}, ""));
    table.UpdateCell(1, "v", "z");
    table.UpdateCell(1, "v", "a");
    EXPECT_EQ(0u, table.FindFirst(Row{"a"}, Row{"v"}, "index_0"));
    EXPECT_EQ(4u, table.FindFirst(Row{"c"}, std::vector<unsigned int>{0}, ""));
    EXPECT_EQ(5u, table.FindFirst(Row{"none"}, Row{"v"}, ""));

    EXPECT_EQ("colNames and targets have different size in ISTable::FindFirst",
              Thrown<std::out_of_range>([&] {
                  table.FindFirst(Row{"a", "b"}, Row{"v"}, "");
              }));
    EXPECT_EQ(Line("Search index not found", "ISTable::FindFirst"),
              Thrown<NotFoundException>([&] { table.FindFirst(Row{"a"}, Row{"v"}, "other"); }));
    Rows result;
    EXPECT_EQ(
        Line("Empty column indices", "ISTable::CreateIndex"),
        Thrown<EmptyValueException>([&] { table.Search(result, Row(), Row(), 0, 0, 0, ""); }));
}

TEST(ISTableSearch, KeyIndexUniquenessAndRollback) {
    // Equal keys in different segments are allowed.
    ISTable apart = MakeTable(1500);
    apart.UpdateCell(1010, "id", "10");
    apart.CreateKeyIndex(Row{"id"});
    EXPECT_EQ(0u, apart.GetKeyIndexNumber());

    // Within one segment the build fails and leaves no trace of the index.
    ISTable table = MakeTable(1500);
    table.CreateIndex("ik", Row{"k"}, 0);
    table.UpdateCell(1020, "id", "1010");
    EXPECT_EQ(Line("Duplicate value on key index", "ITTable::InsertIndexEntry"),
              Thrown<AlreadyExistsException>([&] { table.CreateKeyIndex(Row{"id"}); }));
    EXPECT_EQ(ISTable::NO_INDEX, table.GetKeyIndexNumber());
    EXPECT_EQ(1u, table.GetNumIndices());
    EXPECT_EQ(1501u, table.AddRow(Row{"x", "k9"}));
    EXPECT_EQ(1500u, table.FindFirst(Row{"k9"}, Row{"k"}, "ik"));

    // A key index refuses appends and cell changes, not deletions.
    table.CreateKeyIndex(Row{"k", "id"});
    const std::string refusal = "Attempting to change the table that has a key search index";
    EXPECT_EQ(Line(refusal, "ITTable::InsertEntry"),
              Thrown<AlreadyExistsException>([&] { table.AddRow(Row{"y"}); }));
    EXPECT_EQ(Line(refusal, "ITTable::UpdateIndicesOnCellUpdate"),
              Thrown<AlreadyExistsException>([&] { table.UpdateCell(3, "id", "v"); }));
    table.DeleteRow(3);
    EXPECT_EQ(1500u, table.GetNumRows());
    EXPECT_EQ("4", table(3, "id"));
    table.DeleteKeyIndex();
    EXPECT_EQ(Line("Search index not found", "ISTable::DeleteIndex"),
              Thrown<NotFoundException>([&] { table.DeleteKeyIndex(); }));
}

TEST(ISTableSearch, DeletingAnIndexRenumbersTheOthersEverywhere) {
    ISTable table = MakeTable(1200);
    table.CreateIndex("i0", Row{"id"}, 0);
    table.CreateIndex("i1", Row{"k"}, 0);
    table.CreateIndex("i2", Row{"k", "id"}, 0);
    table.DeleteIndex("i0");
    EXPECT_EQ(1u, table.GetIndexNumber("i2"));
    EXPECT_EQ(1105u, table.FindFirst(Row{"k6", "1105"}, Row{"k", "id"}, "i2"));
    EXPECT_EQ(1103u, table.FindFirst(Row{"k4", "1103"}, Row{"k", "id"}, ""));
    EXPECT_EQ(2u, table.GetNumIndices());
    EXPECT_EQ(ISTable::NO_INDEX, table.GetIndexNumber("I2"));

    // Reading a column in the key order of an index, segment by segment.
    ISTable small("s", CaseSensitive);
    small.AddColumn("v", Row());
    for (const char* v : {"c", "a", "b"}) {
        small.AddRow(Row{v});
    }
    small.CreateIndex("iv", Row{"v"}, 0);
    Row col;
    small.GetColumn(col, "v", "iv");
    EXPECT_EQ((Row{"a", "b", "c"}), col);
}

TEST(ISTableSearch, DuplicateRows) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("v", Row());
    table.AddColumn("w", Row());
    for (const char* v : {"x", "y", "x", "x", "y"}) {
        table.AddRow(Row{v, v});
    }
    std::vector<std::pair<unsigned int, unsigned int> > pairs;
    table.FindDuplicateRows(pairs, Row{"v", "w"}, true, false);
    EXPECT_EQ((std::vector<std::pair<unsigned int, unsigned int> >{{0, 2}, {0, 3}, {1, 4}}), pairs);
    table.FindDuplicateRows(pairs, Row{"v"}, true, true);
    EXPECT_EQ((std::vector<std::pair<unsigned int, unsigned int> >{{4, 1}, {3, 2}, {3, 0}}), pairs);
    EXPECT_EQ(5u, table.GetNumRows());

    table.FindDuplicateRows(pairs, Row{"v"}, false, false);
    EXPECT_EQ(2u, table.GetNumRows());
    EXPECT_EQ((Row{"x", "x"}), table.GetRow(0));
    EXPECT_EQ((Row{"y", "y"}), table.GetRow(1));

    EXPECT_EQ(
        Line("Column \"q\" not found in the table \"t\"", "ISTable::GetColumnIndex") +
            Line("Column not found", "ISTable::FindDuplicateRows"),
        Thrown<NotFoundException>([&] { table.FindDuplicateRows(pairs, Row{"q"}, true, false); }));
}

TEST(ISTableSearch, RowListSetOperations) {
    struct Case {
        Rows a, b, united, common;
    };
    const Case cases[] = {
        {{1, 3, 5}, {2, 3}, {1, 2, 3, 5}, {3}},
        {{}, {2, 3}, {2, 3}, {}},
        {{4}, {}, {4}, {}},
        {{}, {}, {}, {}},
        {{1, 1, 2}, {1}, {1, 1, 2}, {1}},
    };
    for (const Case& c : cases) {
        Rows result{99};
        ISTable::UniteRowIndices(c.a, c.b, result);
        EXPECT_EQ(c.united, result);
        ISTable::IntersectRowIndices(c.a, c.b, result);
        EXPECT_EQ(c.common, result);
    }
}
