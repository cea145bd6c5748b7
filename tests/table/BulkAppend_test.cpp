// The bulk paths of a table (AppendRows, AddColumns, GetSegment) against the
// row-by-row and column-by-column ones they stand for.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "table/ISTable.h"
#include "table/TableTestSupport.h"

namespace {

using Row = std::vector<std::string>;

// Lists of rows of one to three cells, numbered from `first`.
std::vector<Row> MakeRows(unsigned int first, unsigned int count) {
    std::vector<Row> rows;
    for (unsigned int i = first; i < first + count; ++i) {
        rows.push_back(Row(1 + i % 3, "v" + std::to_string(i)));
    }
    return rows;
}

ISTable NewTable(bool indexed) {
    ISTable table("t", CaseSensitive);
    table.AddColumns({"a", "b", "c"});
    if (indexed) {
        table.CreateIndex("byA", std::vector<std::string>{"a"}, 0);
    }
    return table;
}

struct AppendCase {
    unsigned int before;              // rows added one by one first
    std::vector<unsigned int> lists;  // then lists of these sizes
    bool indexed;
};

class AppendRowsTest : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendRowsTest, SameRowsSegmentsAndSearchesAsAddRow) {
    const AppendCase& c = GetParam();
    ISTable bulk = NewTable(c.indexed);
    ISTable single = NewTable(c.indexed);
    for (const Row& row : MakeRows(0, c.before)) {
        bulk.AddRow(row);
        single.AddRow(row);
    }
    unsigned int next = c.before;
    for (const unsigned int size : c.lists) {
        std::vector<Row> rows = MakeRows(next, size);
        for (const Row& row : rows) single.AddRow(row);
        EXPECT_EQ(single.GetNumRows(), bulk.AppendRows(std::move(rows)));
        EXPECT_TRUE(rows.empty());
        next += size;
    }
    EXPECT_EQ(AllRows(single), AllRows(bulk));
    EXPECT_EQ(SegmentSizes(single), SegmentSizes(bulk));
    unsigned int walked = 0;
    for (unsigned int s = 0; s < bulk.GetNumSegments(); ++s) {
        const ITTable& segment = bulk.GetSegment(s);
        for (unsigned int r = 0; r < segment.GetNumRows(); ++r, ++walked) {
            EXPECT_EQ(bulk.GetRow(walked), segment.GetRow(r));
        }
    }
    EXPECT_EQ(bulk.GetNumRows(), walked);
    if (next > 0) {
        const std::string last = "v" + std::to_string(next - 1);
        EXPECT_EQ(next - 1, bulk.FindFirst({last}, std::vector<std::string>{"a"}, ""));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, AppendRowsTest,
    ::testing::Values(AppendCase{0, {1000, 1000, 7}, false},  // whole lists become segments
                      AppendCase{0, {2500}, false},           // one list split
                      AppendCase{990, {30, 1000}, false},     // the last segment filled first
                      AppendCase{0, {0, 3}, false}, AppendCase{5, {1200}, true}));

TEST(AppendRows, ARefusedListChangesNothing) {
    ISTable table = NewTable(false);
    table.AppendRows(MakeRows(0, 4));
    std::vector<Row> tooWide = MakeRows(4, 3);
    tooWide.push_back(Row(4, "x"));
    EXPECT_THROW(table.AppendRows(std::move(tooWide)), std::out_of_range);
    EXPECT_EQ(4u, table.GetNumRows());

    table.CreateKeyIndex(std::vector<std::string>{"a"});
    EXPECT_THROW(table.AppendRows(MakeRows(4, 2)), AlreadyExistsException);
    EXPECT_EQ(4u, table.GetNumRows());

    ISTable noColumns("n", CaseSensitive);
    EXPECT_THROW(noColumns.AppendRows(MakeRows(0, 1)), EmptyContainerException);
}

TEST(AddColumns, SameAsAddColumnAndARefusedListChangesNothing) {
    ISTable withRows("t", CaseInsensitive);
    withRows.AddColumn("a", {"1", "2"});
    withRows.AddColumns({"b", "c"});
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), withRows.GetColumnNames());
    EXPECT_EQ((std::vector<Row>{{"1", "", ""}, {"2", "", ""}}), AllRows(withRows));

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"d", "B"}, {"d", "e", "D"}, {"d", ""}}) {
        EXPECT_ANY_THROW(withRows.AddColumns(std::vector<std::string>(bad)));
        EXPECT_EQ(3u, withRows.GetNumColumns());
    }
}

}  // namespace
