// ISTable: lifecycle, segments, columns, rows, cells and their errors.

#include "table/ISTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "support/ExceptionText.h"
#include "table/TableTestSupport.h"

namespace {
typedef std::vector<std::string> Row;

// A table "t" with columns a and b (names only) and n rows ("a<i>", "b<i>").
ISTable MakeTable(unsigned int n) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("a", Row());
    table.AddColumn("b", Row());
    for (unsigned int i = 0; i < n; ++i) {
        table.AddRow(Row{"a" + std::to_string(i), "b" + std::to_string(i)});
    }
    return table;
}

}  // namespace

TEST(ISTableLifecycle, CopiesAreDeepAndAssignmentReplacesEverything) {
    ISTable table = MakeTable(1500);
    table.CreateIndex("ia", Row{"a"}, 0);
    Serializer* const serializer = reinterpret_cast<Serializer*>(0x10);
    table.SetSerializer(serializer);
    table.SetModified(true);

    ISTable copy(table);
    EXPECT_EQ(2u, copy.GetNumSegments());
    EXPECT_EQ(serializer, copy.GetSerializer());
    EXPECT_TRUE(copy.IsModified());
    copy.UpdateCell(1200, "a", "changed");
    EXPECT_EQ("a1200", table(1200, "a"));
    EXPECT_EQ(1200u, copy.FindFirst(Row{"changed"}, Row{"a"}, "ia"));
    EXPECT_EQ(1500u, table.FindFirst(Row{"changed"}, Row{"a"}, "ia"));

    ISTable other("other", CaseInsensitive);
    other = copy;
    EXPECT_EQ("t", other.GetName());
    EXPECT_EQ(CaseSensitive, other.GetColCompareType());
    EXPECT_EQ("changed", other(1200, "a"));
    EXPECT_EQ(serializer, other.GetSerializer());

    const ISTable& same = other;
    other = same;
    EXPECT_EQ(1500u, other.GetNumRows());

    ISTable moved(std::move(other));
    EXPECT_EQ(1500u, moved.GetNumRows());
    EXPECT_EQ(0u, other.GetNumRows());
    EXPECT_EQ(1u, other.GetNumSegments());
}

TEST(ISTableLifecycle, ClearLeavesOneFreshSegmentThatTakesNewRows) {
    ISTable table = MakeTable(2500);
    table.CreateIndex("ia", Row{"a"}, 0);
    table.SetSerializer(reinterpret_cast<Serializer*>(0x10));
    table.SetModified(true);
    table.Clear();

    EXPECT_EQ(0u, table.GetNumRows());
    EXPECT_EQ(0u, table.GetNumColumns());
    EXPECT_EQ(0u, table.GetNumIndices());
    EXPECT_EQ(1u, table.GetNumSegments());
    EXPECT_FALSE(table.IsModified());
    EXPECT_EQ("t", table.GetName());
    EXPECT_NE(nullptr, table.GetSerializer());

    // Rows after a clear land in order and are counted right.
    table.AddColumn("x", Row());
    for (int i = 0; i < 1200; ++i) {
        table.AddRow(Row{std::to_string(i)});
    }
    EXPECT_EQ(1200u, table.GetNumRows());
    EXPECT_EQ((std::vector<unsigned int>{1000, 200}), SegmentSizes(table));
    EXPECT_EQ("1100", table(1100, "x"));
}

TEST(ISTableSegments, AppendsAndValuedColumnsFillSegmentsOfAThousandRows) {
    struct Case {
        unsigned int rows;
        std::vector<unsigned int> sizes;
    };
    const Case cases[] = {{999, {999}},
                          {1000, {1000}},
                          {1001, {1000, 1}},
                          {2000, {1000, 1000}},
                          {2500, {1000, 1000, 500}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        ISTable table("t", CaseSensitive);
        table.AddColumn("a", Row());
        table.AddColumn("b", Row());
        for (unsigned int i = 0; i < c.rows; ++i) {
            Row row{"a" + std::to_string(i), "b" + std::to_string(i)};
            ASSERT_EQ(i + 1, i % 2 ? table.AddRow(row) : table.AddRow(std::move(row)));
        }
        EXPECT_EQ(c.sizes, SegmentSizes(table));

        // A valued column on a table without rows cuts the same segments.
        ISTable byColumn("t", CaseSensitive);
        Row values;
        table.GetColumn(values, "b");
        byColumn.AddColumn("b", values);
        EXPECT_EQ(c.sizes, SegmentSizes(byColumn));
        EXPECT_EQ(values.back(), byColumn(c.rows - 1, "b"));
        for (unsigned int i = 0; i < c.rows; i += 7) {
            ASSERT_EQ("b" + std::to_string(i), table(i, "b"));
            ASSERT_EQ("a" + std::to_string(i), table.GetRow(i)[0]);
        }
        Row col;
        table.GetColumn(col, "a");
        ASSERT_EQ(c.rows, col.size());
        EXPECT_EQ("a" + std::to_string(c.rows - 1), col.back());
    }
}

TEST(ISTableSegments, ValuedColumnNextToNameOnlyColumnsGivesThemCells) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("a", Row());
    table.AddColumn("b", Row{"1", "2"});
    table.AddColumn("c", Row());
    EXPECT_EQ(2u, table.GetNumRows());
    EXPECT_EQ((Row{"", "2", ""}), table.GetRow(1));
    table.AddRow(Row{"x", "y", "z"});
    EXPECT_EQ((Row{"x", "y", "z"}), table.GetRow(2));
}

TEST(ISTableSegments, MiddleInsertionsGrowTheSegmentAndAppendsGoToTheLast) {
    ISTable table = MakeTable(1200);
    EXPECT_EQ(1201u, table.InsertRow(500, Row{"m500"}));
    EXPECT_EQ((std::vector<unsigned int>{1001, 200}), SegmentSizes(table));
    table.InsertRow(1000, Row{"m1000"});
    EXPECT_EQ((std::vector<unsigned int>{1002, 200}), SegmentSizes(table));
    table.AddRow(Row{"end"});
    EXPECT_EQ((std::vector<unsigned int>{1002, 201}), SegmentSizes(table));

    EXPECT_EQ("a499", table(499, "a"));
    EXPECT_EQ("m500", table(500, "a"));
    EXPECT_EQ("a500", table(501, "a"));
    EXPECT_EQ("m1000", table(1000, "a"));
    EXPECT_EQ("a999", table(1001, "a"));
    EXPECT_EQ("a1000", table(1002, "a"));
    EXPECT_EQ("end", table(1202, "a"));

    // A last segment grown past 1000 rows keeps taking appends.
    ISTable single = MakeTable(1000);
    single.InsertRow(10, Row{"m"});
    single.AddRow(Row{"end"});
    EXPECT_EQ((std::vector<unsigned int>{1002}), SegmentSizes(single));
}

TEST(ISTableSegments, DeletionsRemoveEmptiedSegments) {
    ISTable table = MakeTable(1001);
    table.DeleteRow(1000);
    EXPECT_EQ(1u, table.GetNumSegments());
    table.DeleteRow(0);
    EXPECT_EQ("a1", table(0, "a"));
    EXPECT_EQ("a999", table(998, "a"));

    ISTable small = MakeTable(2);
    small.CreateIndex("ib", Row{"b"}, 0);
    small.DeleteRow(1);
    small.DeleteRow(0);
    EXPECT_EQ(0u, small.GetNumRows());
    EXPECT_EQ(1u, small.GetNumSegments());
    EXPECT_EQ((Row{"a", "b"}), small.GetColumnNames());
    EXPECT_EQ(1u, small.AddRow(Row{"x", "y"}));
    EXPECT_EQ((Row{"x", "y"}), small.GetRow(0));
    // The first row after the deletions builds the index the table kept.
    EXPECT_EQ(0u, small.FindFirst(Row{"y"}, Row{"b"}, "ib"));
    EXPECT_EQ(1u, small.FindFirst(Row{"z"}, Row{"b"}, "ib"));

    // So does a column filled with values after the last row went.
    small.DeleteRow(0);
    small.FillColumn("b", Row{"p", "q"});
    EXPECT_EQ((Row{"", "q"}), small.GetRow(1));
    EXPECT_EQ(1u, small.FindFirst(Row{"q"}, Row{"b"}, "ib"));
    EXPECT_EQ(1u, small.GetNumIndices());
}

TEST(ISTableSegments, ColumnWiseTablesAndRowsWithoutCells) {
    ISTable columnWise("cw", 0u, CaseSensitive);
    columnWise.AddColumn("a", Row{"1", "2"});
    columnWise.AddColumn("b", Row());
    EXPECT_EQ(3u, columnWise.AddRow(Row{"3", "x"}));
    columnWise.DeleteRow(0);
    EXPECT_EQ("3", columnWise(1, "a"));
    EXPECT_EQ("x", columnWise(1, "b"));
    // A column-wise table loses its rows with its last column.
    columnWise.DeleteColumn("a");
    columnWise.DeleteColumn("b");
    EXPECT_EQ(0u, columnWise.GetNumRows());
    columnWise.AddColumn("c", Row());
    for (int i = 0; i < 1500; ++i) {
        columnWise.AddRow(Row{std::to_string(i)});
    }
    EXPECT_EQ(2u, columnWise.GetNumSegments());
    EXPECT_EQ(1200u, columnWise.FindFirst(Row{"1200"}, Row{"c"}, ""));

    // A row-wise table keeps its rows, without cells.
    ISTable rowWise("rw", CaseSensitive);
    rowWise.AddColumn("a", Row{"1", "2"});
    rowWise.DeleteColumn("a");
    EXPECT_EQ(2u, rowWise.GetNumRows());
    EXPECT_TRUE(rowWise.GetRow(1).empty());
    EXPECT_THROW(rowWise.AddRow(Row()), EmptyContainerException);
    rowWise.AddColumn("z", Row{"v"});
    EXPECT_EQ((Row{""}), rowWise.GetRow(1));
}

TEST(ISTableSegments, DeleteRowsDeletesEachListedRowOnce) {
    ISTable table = MakeTable(1010);
    table.DeleteRows(std::vector<unsigned int>{1005, 3, 1005, 3, 999});
    EXPECT_EQ(1007u, table.GetNumRows());
    EXPECT_EQ("a2", table(2, "a"));
    EXPECT_EQ("a4", table(3, "a"));
    EXPECT_EQ("a998", table(997, "a"));
    EXPECT_EQ("a1000", table(998, "a"));
    EXPECT_EQ("a1004", table(1002, "a"));
    EXPECT_EQ("a1006", table(1003, "a"));

    // A bad row number deletes nothing.
    EXPECT_THROW(table.DeleteRows(std::vector<unsigned int>{0, 5000}), std::out_of_range);
    EXPECT_EQ(1007u, table.GetNumRows());
}

TEST(ISTableColumns, AddInsertFillAndDeleteColumns) {
    ISTable table = MakeTable(5);
    table.AddColumn("c", Row{"c0", "c1"});
    EXPECT_EQ((Row{"a2", "b2", ""}), table.GetRow(2));
    EXPECT_EQ((Row{"a1", "b1", "c1"}), table.GetRow(1));

    table.InsertColumn("x", "b", Row{"x0"});
    EXPECT_EQ((Row{"a", "x", "b", "c"}), table.GetColumnNames());
    EXPECT_EQ((Row{"a0", "x0", "b0", "c0"}), table.GetRow(0));

    table.FillColumn("x", Row{"y0", "y1", "y2"});
    EXPECT_EQ("y2", table(2, "x"));
    EXPECT_EQ("", table(3, "x"));

    table.DeleteColumn("a");
    EXPECT_EQ((Row{"x", "b", "c"}), table.GetColumnNames());
    EXPECT_EQ((Row{"y1", "b1", "c1"}), table.GetRow(1));

    table.RenameColumn("b", "z");
    EXPECT_EQ((Row{"x", "z", "c"}), table.GetColumnNames());
    EXPECT_EQ("b4", table(4, "z"));
    EXPECT_FALSE(table.IsColumnPresent("b"));

    table.ClearColumn("z");
    EXPECT_EQ("", table(4, "z"));

    // A column created at a position of a table with rows and no values
    // still gets a cell in every row (no misnumbered columns).
    table.CreateColumn("first", 0, Row());
    EXPECT_EQ((Row{"", "y1", "", "c1"}), table.GetRow(1));
}

TEST(ISTableColumns, ColumnFlags) {
    ISTable table = MakeTable(3);
    table.SetFlags("a", 0x01);
    EXPECT_EQ(0x11, table.GetFlags("a"));
    EXPECT_EQ(1u, table.GetDataType("a"));
    table.SetFlags("b", 0x2F);
    EXPECT_EQ(2u, table.GetDataType("b"));

    // A column in name only takes the table's byte with its first row: the
    // index over it then finds values regardless of case.
    ISTable named("t", CaseSensitive);
    named.AddColumn("k", Row());
    named.SetFlags("k", 0x11);
    named.AddRow(Row{"ABC"});
    EXPECT_EQ(0u, named.FindFirst(Row{"abc"}, Row{"k"}, ""));
}

TEST(ISTableColumns, GetColumnOfATableWithoutRowsIsEmpty) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("a", Row());
    Row col{"stale"};
    table.GetColumn(col, "a");
    EXPECT_TRUE(col.empty());
}

TEST(ISTableColumns, InsertingBeforeIndexedColumnsKeepsIndicesOnTheirColumns) {
    ISTable table = MakeTable(1000);
    table.CreateIndex("ib", Row{"b"}, 0);
    table.InsertColumn("x", "a", Row());

    // Rows appended now open a new segment built from the table's own index
    // lists, which must still point at b.
    table.AddRow(Row{"", "a1000", "needle"});
    EXPECT_EQ(1000u, table.FindFirst(Row{"needle"}, Row{"b"}, "ib"));
    EXPECT_EQ(7u, table.FindFirst(Row{"b7"}, Row{"b"}, "ib"));

    // Deleting the new column keeps the index; deleting b removes it.
    table.DeleteColumn("x");
    EXPECT_EQ(1000u, table.FindFirst(Row{"needle"}, Row{"b"}, "ib"));
    table.DeleteColumn("b");
    EXPECT_EQ(ISTable::NO_INDEX, table.GetIndexNumber("ib"));
}

TEST(ISTableColumns, ColumnRefusedByAKeyIndexIsRolledBack) {
    ISTable table = MakeTable(1500);
    table.CreateKeyIndex(Row{"a"});
    EXPECT_THROW(table.AddColumn("c", Row()), AlreadyExistsException);
    EXPECT_EQ((Row{"a", "b"}), table.GetColumnNames());
    EXPECT_EQ((Row{"a1200", "b1200"}), table.GetRow(1200));
    EXPECT_EQ((Row{"a3", "b3"}), table.GetRow(3));
    EXPECT_EQ(1200u, table.FindFirst(Row{"a1200"}, Row{"a"}, "__key__"));
}

TEST(ISTableRows, RowKeyBuildFailureLeavesCountAndSegmentsInStep) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("n", Row());
    table.SetFlags("n", 0x20);  // integer keys
    table.AddRow(Row{"1"});
    table.CreateIndex("in", Row{"n"}, 0);
    EXPECT_THROW(table.AddRow(Row{"?"}), std::runtime_error);
    EXPECT_THROW(table.InsertRow(0, Row{"?"}), std::runtime_error);
    EXPECT_EQ(1u, table.GetNumRows());
    EXPECT_EQ(2u, table.AddRow(Row{"2"}));
    Row col;
    table.GetColumn(col, "n");
    EXPECT_EQ((Row{"1", "2"}), col);
    EXPECT_EQ(1u, table.FindFirst(Row{"2"}, Row{"n"}, "in"));
}

TEST(ISTableRows, SubRowsAndCellsByNumber) {
    ISTable table = MakeTable(2);
    table.AddColumn("c", Row{"c0", "c1"});
    Row row;
    table.GetRow(row, 1, "", "");
    EXPECT_EQ((Row{"a1", "b1", "c1"}), row);
    table.GetRow(row, 1, "b", "");
    EXPECT_EQ((Row{"b1", "c1"}), row);
    table.GetRow(row, 1, "c", "a");
    EXPECT_TRUE(row.empty());

    table(0, 1u) = "direct";
    EXPECT_EQ("direct", table(0, "b"));
    table.UpdateCell("upd", 2, 1);
    EXPECT_EQ("upd", table(1, "c"));
    table.FillRow(1, Row{"f1"});
    EXPECT_EQ((Row{"f1", "b1", "upd"}), table.GetRow(1));
    table.ClearRow(1);
    EXPECT_EQ((Row{"", "", ""}), table.GetRow(1));
}

TEST(ISTableErrors, MessagesAndLocations) {
    const std::string notFoundA =
        Line("Column \"nope\" not found in the table \"t\"", "ISTable::GetColumnIndex");
    ISTable table = MakeTable(5);
    ISTable empty("e", CaseSensitive);
    Row col;

    struct Case {
        const char* what;
        std::string expected;
        std::string got;
    };
    const Case cases[] = {
        {"row without columns", Line("No columns in table", "ISTable::InsertRow"),
         Thrown<EmptyContainerException>([&] { empty.AddRow(Row{"x"}); })},
        {"row too long", "Invalid row size in ISTable::InsertRow", Thrown<std::out_of_range>([&] {
             table.AddRow(Row{"1", "2", "3"});
         })},
        {"AddColumn empty name", Line("Empty column name", "ISTable::AddColumn"),
         Thrown<EmptyValueException>([&] { table.AddColumn("", Row()); })},
        {"AddColumn too long",
         "In table \"t\", size of column \"c\", 6, is greater than the number "
         "of rows, 5, generated at: ISTable::AddColumn",
         Thrown<std::out_of_range>([&] { table.AddColumn("c", Row(6)); })},
        {"AddColumn duplicate",
         Line("Duplicate column name \"a\" in table \"t\"", "ISTable::CreateColumn"),
         Thrown<AlreadyExistsException>([&] { table.AddColumn("a", Row()); })},
        {"InsertColumn empty at", Line("Empty at column name", "ISTable::InsertColumn"),
         Thrown<EmptyValueException>([&] { table.InsertColumn("c", "", Row()); })},
        {"InsertColumn unknown at", notFoundA + Line("Column not found", "ISTable::InsertColumn"),
         Thrown<NotFoundException>([&] { table.InsertColumn("c", "nope", Row()); })},
        {"InsertColumn too long", "Invalid column size in ISTable::InsertColumn",
         Thrown<std::out_of_range>([&] { table.InsertColumn("c", 0u, Row(6)); })},
        {"CreateColumn position", "Invalid column index in ISTable::CreateColumn",
         Thrown<std::out_of_range>([&] { table.CreateColumn("c", 3, Row()); })},
        {"FillColumn too long", "Column size greater than number of rows in  ISTable::FillColumn",
         Thrown<std::out_of_range>([&] { table.FillColumn("a", Row(6)); })},
        {"FillColumn unknown", notFoundA + Line("Column not found", "ISTable::FillColumn"),
         Thrown<NotFoundException>([&] { table.FillColumn("nope", Row(1)); })},
        {"DeleteColumn unknown", notFoundA + Line("Column not found", "ISTable::DeleteColumn"),
         Thrown<NotFoundException>([&] { table.DeleteColumn("nope"); })},
        {"cell: empty name before bad row", Line("Empty column name", "ISTable::operator()"),
         Thrown<EmptyValueException>([&] { table(99, ""); })},
        {"cell: bad row before unknown name", "Invalid row index in ISTable::operator()",
         Thrown<std::out_of_range>([&] { table(5, "nope"); })},
        {"cell: unknown name", notFoundA + Line("Column not found", "ISTable::operator()"),
         Thrown<NotFoundException>([&] { table(0, "nope"); })},
        {"UpdateCell: unknown name before bad row",
         notFoundA + Line("Column not found", "ISTable::UpdateCell"),
         Thrown<NotFoundException>([&] { table.UpdateCell(99, "nope", "v"); })},
        {"UpdateCell bad row", "Invalid row index in ISTable::UpdateCell",
         Thrown<std::out_of_range>([&] { table.UpdateCell(5, "a", "v"); })},
        {"GetRow bad row", "Invalid row index in ISTable::GetRow",
         Thrown<std::out_of_range>([&] { table.GetRow(5); })},
        {"sub-row unknown name", notFoundA + Line("Column not found", "ISTable::GetSubRow"),
         Thrown<NotFoundException>([&] { table.GetRow(col, 0, "nope", ""); })},
        {"DeleteRow at the row count", "Invalid row index in ITTable::DeleteRow",
         Thrown<std::out_of_range>([&] { table.DeleteRow(5); })},
        {"DeleteRow above the row count", "Invalid row index in ISTable::CacheRowLocation",
         Thrown<std::out_of_range>([&] { table.DeleteRow(6); })},
        {"InsertRow above the row count", "Invalid row index in ISTable::CacheRowLocation",
         Thrown<std::out_of_range>([&] { table.InsertRow(6, Row{"x"}); })},
        {"FillRow at the row count", "Invalid row index in ITTable::FillRow",
         Thrown<std::out_of_range>([&] { table.FillRow(5, Row{"x"}); })},
        {"GetColumn unknown", notFoundA + Line("Column not found", "ISTable::GetColumn"),
         Thrown<NotFoundException>([&] { table.GetColumn(col, "nope"); })},
        {"GetColumn unknown index", Line("Search index not found", "ISTable::GetColumn"),
         Thrown<NotFoundException>([&] { table.GetColumn(col, "a", "noindex"); })},
        {"rename: empty old", Line("Empty old column name", "ISTable::RenameColumn"),
         Thrown<EmptyValueException>([&] { table.RenameColumn("", "x"); })},
        {"rename: empty new", Line("Empty new column name", "ISTable::RenameColumn"),
         Thrown<EmptyValueException>([&] { table.RenameColumn("a", ""); })},
        {"rename: new exists", Line("Duplicate column name", "ISTable::RenameColumn"),
         Thrown<AlreadyExistsException>([&] { table.RenameColumn("a", "b"); })},
        {"rename: old unknown", notFoundA + Line("Old column not found", "ISTable::RenameColumn"),
         Thrown<NotFoundException>([&] { table.RenameColumn("nope", "x"); })},
        {"SetFlags unknown", notFoundA + Line("Column not found", "ISTable::SetFlags"),
         Thrown<NotFoundException>([&] { table.SetFlags("nope", 0x11); })},
        {"GetDataType empty", Line("Empty column name", "ISTable::GetDataType"),
         Thrown<EmptyValueException>([&] { table.GetDataType(""); })},
        {"ValidateOptions", "Invalid column index in ISTable::ValidateOptions",
         Thrown<std::out_of_range>([&] { table.ValidateOptions(2); })},
        {"IsColumnPresent of an empty name", Line("Empty column name", "ISTable::GetColumnIndex"),
         Thrown<EmptyValueException>([&] { table.IsColumnPresent(""); })},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.got) << c.what;
    }
    // None of the refusals changed the table.
    EXPECT_EQ(5u, table.GetNumRows());
    EXPECT_EQ((Row{"a", "b"}), table.GetColumnNames());
    EXPECT_EQ((Row{"a4", "b4"}), table.GetRow(4));

    ISTable columnWise("cw", 0u, CaseSensitive);
    columnWise.AddColumn("a", Row{"1"});
    EXPECT_EQ(Line("Cannot get row reference on column-wise oriented table", "ISTable::GetRow"),
              Thrown<InvalidStateException>([&] { columnWise.GetRow(0); }));
    EXPECT_EQ("1", columnWise(0, "a"));
}
