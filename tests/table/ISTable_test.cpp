// ISTable beyond the model test: column reads and renames, the indices that searches make,
// duplicate rows and row-list set operations.

#include "table/ISTable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "foundation/Exceptions.h"
#include "table/TableTestSupport.h"

namespace {

typedef std::vector<std::string> Row;
typedef std::vector<unsigned int> RowList;

// Columns a and b, n rows ("a<i>", "b<i>").
ISTable Numbered(unsigned int n) {
    ISTable table = MakeTable("t", {"a", "b"}, {});
    for (unsigned int i = 0; i < n; ++i)
        table.AddRow({"a" + std::to_string(i), "b" + std::to_string(i)});
    return table;
}

}  // namespace

TEST(ISTable, ColumnReadsRenamesAndRowsWithoutCells) {
    ISTable table = Numbered(2100);
    Row col{"stale"};
    table.GetColumn(col, "a", 998u, 1001u);
    EXPECT_EQ(col, (Row{"a998", "a999", "a1000", "a1001"}));
    table.GetColumn(col, "a", 3u, 2u);
    EXPECT_TRUE(col.empty());
    table.GetColumn(col, "a", RowList{2099, 2, 2, 1000});
    EXPECT_EQ(col, (Row{"a2099", "a2", "a2", "a1000"}));
    EXPECT_THROW(table.GetColumn(col, "a", 2099u, 2100u), std::out_of_range);
    EXPECT_TRUE(col.empty());  // a failed read leaves nothing
    table.GetRow(col, 5, "b", "");
    EXPECT_EQ(col, Row{"b5"});
    table.GetRow(col, 5, "b", "a");
    EXPECT_TRUE(col.empty());
    std::pair<unsigned int, unsigned int> at;
    table.GetRowLocation(at, 2100);  // the append position
    EXPECT_EQ(at, std::make_pair(2u, 100u));

    table.RenameColumn("b", "z");
    EXPECT_EQ(table.GetColumnNames(), (Row{"a", "z"}));
    EXPECT_EQ(table(2050, "z"), "b2050");
    table.ClearColumn("z");
    EXPECT_EQ(table(2050, "z"), "");
    table(3, 0u) = "direct";
    EXPECT_EQ(table(3, "a"), "direct");
    table.AddColumns({"c", "d"});  // every row gets the new cells
    EXPECT_EQ(table.GetRow(2099), (Row{"a2099", "", "", ""}));

    // Sorted by an index, segment by segment.
    ISTable small = MakeTable("s", {"v"}, {{"c"}, {"a"}, {"b"}});
    small.CreateIndex("iv", Row{"v"}, 0);
    small.GetColumn(col, "v", "iv");
    EXPECT_EQ(col, (Row{"a", "b", "c"}));
    EXPECT_EQ(MakeTable("e", {"a"}, {}).GetNumRows(), 0u);

    // A row-wise table keeps its rows without cells when its columns go; a
    // column-wise one loses them with its last column.
    ISTable rowWise("rw", CaseSensitive), columnWise("cw", 0u, CaseSensitive);
    for (ISTable* t : {&rowWise, &columnWise}) {
        t->AddColumn("a", Row{"1", "2"});
        t->DeleteColumn("a");
    }
    EXPECT_EQ(rowWise.GetNumRows(), 2u);
    EXPECT_TRUE(rowWise.GetRow(1).empty());
    EXPECT_THROW(rowWise.AddRow(Row()), EmptyContainerException);
    rowWise.AddColumn("z", Row{"v"});
    EXPECT_EQ(rowWise.GetRow(1), Row{""});
    EXPECT_EQ(columnWise.GetNumRows(), 0u);
}

// IsRowWise is what a reader in place relies on: a table (and each of its
// segments) that says so hands out its stored rows, another refuses.
TEST(ISTable, SaysWhetherItsRowsAreReadInPlace) {
    const struct {
        ISTable table;
        bool rowWise;
    } cases[] = {
        {ISTable("d", CaseSensitive), true},
        {ISTable("r", 1u, CaseSensitive), true},
        {ISTable("c", 0u, CaseSensitive), false},
    };
    for (const auto& c : cases) {
        ISTable table(c.table);
        table.AddColumn("a", Row{"1", "2"});
        for (unsigned int i = 0; i < 1500; ++i) table.AddRow(Row{std::to_string(i)});
        EXPECT_EQ(table.IsRowWise(), c.rowWise) << table.GetName();
        for (unsigned int s = 0; s < table.GetNumSegments(); ++s) {
            const ITTable& segment = table.GetSegment(s);
            EXPECT_EQ(segment.IsRowWise(), c.rowWise) << table.GetName() << s;
            if (c.rowWise) {
                EXPECT_EQ(segment.GetRows().size(), segment.GetNumRows());
            } else {
                EXPECT_THROW(segment.GetRows(), InvalidStateException);
            }
        }
        if (c.rowWise) {
            EXPECT_EQ(table.GetRow(1), Row{"2"});
        } else {
            EXPECT_THROW(table.GetRow(1), InvalidStateException);
        }
    }
}

TEST(ISTable, SearchesMakeTheIndicesTheyNeedOnce) {
    ISTable table = MakeTable("t", {"id", "k"}, {});
    for (unsigned int i = 0; i < 1200; ++i)
        table.AddRow({std::to_string(i), "k" + std::to_string(i % 7)});
    RowList result;
    table.Search(result, Row{"0", "k0"}, Row{"id", "k"}, 0, 0, 0, "");
    table.Search(result, Row{"0", "k0"}, Row{"id", "k"}, 0, 0, 0, "");
    EXPECT_EQ(table.GetNumIndices(), 1u);
    EXPECT_EQ(table.GetIndexNumber("index_0"), 0u);
    table.Search(result, "k6", "k", 1190, 1, 0);  // the one-column form, backward
    EXPECT_EQ(result.front(), 1189u);
    EXPECT_EQ(result.back(), 6u);
    EXPECT_EQ(table.GetIndexNumber("index_1"), 1u);
    EXPECT_EQ(table.FindFirst(Row{"k6", "1105"}, Row{"k", "id"}, ""), 1105u);
    EXPECT_EQ(table.GetNumIndices(), 3u);
    table.Search(result, Row{"k3"}, Row{"k"}, 0, 0, 5, "");  // an unknown search type
    EXPECT_TRUE(result.empty());

    // An index named like the next automatic one (a user's, or one left
    // after a deletion) makes the new index take the next free name.
    table.CreateIndex("index_4", Row{"id"}, 0);
    table.Search(result, Row{"k1", "k1"}, Row{"k", "k"}, 0, 0, 0, "");
    EXPECT_EQ(table.GetIndexNumber("index_5"), 4u);
    table.DeleteIndex("index_5");
    // Deleting an index renumbers the others in every segment.
    table.DeleteIndex("index_0");
    EXPECT_EQ(table.GetIndexNumber("index_2"), 1u);
    EXPECT_EQ(table.FindFirst(Row{"k4", "1103"}, Row{"k", "id"}, "index_2"), 1103u);
    EXPECT_EQ(table.GetIndexNumber("INDEX_2"), ISTable::NO_INDEX);

    // A table without rows answers at once, without an index.
    ISTable empty = MakeTable("e", {"a"}, {});
    empty.Search(result, Row{"x"}, Row{"a"}, 0, 0, 0, "");
    EXPECT_TRUE(result.empty());
    EXPECT_EQ(empty.FindFirst(Row{"x"}, Row{"a"}, ""), 0u);
    EXPECT_EQ(empty.GetNumIndices(), 0u);
}

TEST(ISTable, DuplicateRows) {
    ISTable table =
        MakeTable("t", {"v", "w"}, {{"x", "x"}, {"y", "y"}, {"x", "x"}, {"x", "x"}, {"y", "y"}});
    std::vector<std::pair<unsigned int, unsigned int>> pairs;
    table.FindDuplicateRows(pairs, Row{"v", "w"}, true, false);
    EXPECT_EQ(pairs, (decltype(pairs){{0, 2}, {0, 3}, {1, 4}}));
    table.FindDuplicateRows(pairs, Row{"v"}, true, true);
    EXPECT_EQ(pairs, (decltype(pairs){{4, 1}, {3, 2}, {3, 0}}));
    EXPECT_EQ(table.GetNumRows(), 5u);
    table.FindDuplicateRows(pairs, Row{"v"}, false, false);
    EXPECT_EQ(AllRows(table), (std::vector<Row>{{"x", "x"}, {"y", "y"}}));
    // Cells with blanks are not duplicates of others that join alike.
    ISTable blanks = MakeTable("b", {"v", "w"}, {{"a b", "c"}, {"a", "b c"}});
    blanks.FindDuplicateRows(pairs, Row{"v", "w"}, false, false);
    EXPECT_TRUE(pairs.empty());

    const struct {
        RowList a, b, united, common;
    } lists[] = {{{1, 3, 5}, {2, 3}, {1, 2, 3, 5}, {3}},
                 {{}, {2, 3}, {2, 3}, {}},
                 {{1, 1, 2}, {1}, {1, 1, 2}, {1}}};
    for (const auto& c : lists) {
        RowList result{99};
        ISTable::UniteRowIndices(c.a, c.b, result);
        EXPECT_EQ(result, c.united);
        ISTable::IntersectRowIndices(c.a, c.b, result);
        EXPECT_EQ(result, c.common);
    }
}
