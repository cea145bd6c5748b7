// ISTable: ranged column reads, row locations and the printed form.

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "table/ISTable.h"

namespace {
typedef std::vector<std::string> Row;

ISTable MakeTable(unsigned int n) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("a", Row());
    for (unsigned int i = 0; i < n; ++i) {
        table.AddRow(Row{std::to_string(i)});
    }
    return table;
}
}  // namespace

TEST(ISTableRangedReads, RowRangesAndRowLists) {
    ISTable table = MakeTable(2100);
    Row col;

    table.GetColumn(col, "a", 998u, 1001u);
    EXPECT_EQ((Row{"998", "999", "1000", "1001"}), col);
    table.GetColumn(col, "a", 3u, 2u);
    EXPECT_TRUE(col.empty());
    table.GetColumn(col, "a", std::vector<unsigned int>{2099, 2, 2, 1000});
    EXPECT_EQ((Row{"2099", "2", "2", "1000"}), col);

    // At the row count the segment refuses; above it the location does.
    // Either way the result is left empty.
    EXPECT_THROW(table.GetColumn(col, "a", 2099u, 2100u), std::out_of_range);
    EXPECT_TRUE(col.empty());
    try {
        table.GetColumn(col, "a", std::vector<unsigned int>{2101});
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ("Invalid row index in ISTable::CacheRowLocation", e.what());
    }
}

TEST(ISTableRangedReads, RowLocations) {
    ISTable table = MakeTable(2100);
    struct Case {
        unsigned int row, segment, offset;
    };
    // Backward and forward jumps, and the append position.
    const Case cases[] = {{1500, 1, 500}, {10, 0, 10}, {2099, 2, 99},  {999, 0, 999},
                          {1000, 1, 0},   {0, 0, 0},   {2100, 2, 100}, {2000, 2, 0}};
    std::pair<unsigned int, unsigned int> at;
    for (const Case& c : cases) {
        table.GetRowLocation(at, c.row);
        EXPECT_EQ(c.segment, at.first) << c.row;
        EXPECT_EQ(c.offset, at.second) << c.row;
    }
    EXPECT_THROW(table.GetRowLocation(at, 2101), std::out_of_range);
}

TEST(ISTableOutput, PrintedForm) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("a", Row());
    table.AddColumn("b", Row());
    table.AddRow(Row{"1", "2"});
    table.AddRow(Row{"a value longer than ten", ""});

    std::ostringstream out;
    out << table;
    EXPECT_EQ(
        "\n"
        "Table t  Columns: 2  Rows: 2\n"
        "\n"
        "RowNo         a          b \n"
        "    0         1          2 \n"
        "    1a value longer than ten            \n",
        out.str());
}
