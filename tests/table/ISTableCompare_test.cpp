// ISTable: difference codes, merging through the key index, and the
// comparison report.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"
#include "table/ISTable.h"
#include "table/TableTestSupport.h"

namespace {

typedef std::vector<std::string> Texts;
typedef std::vector<Texts> Cells;

// A table with the unique key index "__key__" over the named columns.
ISTable Keyed(const std::string& name, const Texts& columns, const Cells& rows, const Texts& key) {
    ISTable table = MakeTable(name, columns, rows);
    table.CreateKeyIndex(key);
    return table;
}

}  // namespace

TEST(ISTableCompare, DifferenceCodesInTheirOrder) {
    const Texts columns{"id", "name", "value"};
    const Cells rows{{"1", "a", "x"}, {"2", "b", "y"}};
    const ISTable base = MakeTable("base", columns, rows);
    ISTable flagged = MakeTable("other name", columns, rows);
    flagged.SetFlags("name", 0x11);
    flagged.CreateIndex("i", Texts{"name"}, 1);
    Cells changed = rows, more = rows, wider = rows;
    changed[1][1] = "B";
    more.push_back({"3", "c", "z"});
    for (Texts& row : wider) row.push_back("w");
    ISTable far = MakeTable("far", {"n"}, {});
    for (unsigned int i = 0; i < 2500; ++i) far.AddRow({std::to_string(i)});
    ISTable farChanged(far);
    farChanged.UpdateCell(2499, "n", "changed");

    // Table names, flags and indices play no part; names and cells compare
    // byte for byte.
    const struct {
        ISTable mine, theirs;
        int code;
    } cases[] = {
        {base, flagged, 0},
        {base, MakeTable("t", columns, rows, CaseInsensitive), 1},
        {base, MakeTable("t", {"id", "name"}, {}), 2},
        {base, MakeTable("t", {"id", "name", "value", "more"}, wider), 3},
        {base, MakeTable("t", {"id", "value", "name"}, {}), 4},  // before any row count
        {base, MakeTable("t", {"id", "Name", "value"}, rows), 4},
        {base, MakeTable("t", columns, {rows[0]}), 5},
        {MakeTable("t", columns, {}), base, 6},
        {base, MakeTable("t", columns, more), 6},
        {base, MakeTable("t", columns, changed), 7},
        {MakeTable("t", columns, rows, CaseInsensitive),
         MakeTable("t", columns, changed, CaseInsensitive), 7},
        {far, farChanged, 7},
        {MakeTable("a", {}, {}), MakeTable("b", {}, {}), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.mine.Compare(c.theirs), c.code) << c.theirs.GetName();
}

TEST(ISTableMerge, ReplacesFillsAndAppendsThroughTheKey) {
    const ISTable mine =
        Keyed("mine", {"id", "name", "note"}, {{"K1", "a", ""}, {"K2", "", "?"}}, {"id"});
    // The other table needs no key index; its rows may repeat a key.
    const ISTable theirs =
        MakeTable("theirs", {"id", "name", "note", "extra"},
                  {{"K2", "B", "new", "e2"}, {"K3", "c", "n3", "e3"}, {"K3", "d", "", "e4"}});
    // Replaced as a whole, the extra column included, a repeated key
    // matching the row appended before it; or (merge type 1) only the ""
    // cells of this table's columns filled, "?" being a value.
    const Cells replaced{{"K1", "a", "", ""}, {"K2", "B", "new", "e2"}, {"K3", "d", "", "e4"}};
    const Cells filled{{"K1", "a", "", ""}, {"K2", "B", "?", ""}, {"K3", "c", "n3", "e3"}};
    for (const unsigned int mergeType : {0u, 7u, 1u}) {
        ISTable left(mine), right(theirs);
        std::unique_ptr<ISTable> merged(left.Merge(right, mergeType));
        EXPECT_EQ(merged->GetName(), "mine");
        EXPECT_EQ(merged->GetColumnNames(), (Texts{"id", "name", "note", "extra"}));
        EXPECT_EQ(AllRows(*merged), mergeType == 1 ? filled : replaced) << mergeType;
        EXPECT_EQ(merged->GetKeyIndexNumber(), ISTable::NO_INDEX);  // left with the search's own
        EXPECT_EQ(merged->GetIndexNumber("index_0"), 0u);
        EXPECT_EQ(left.Compare(mine), 0);
        EXPECT_EQ(right.Compare(theirs), 0);
        EXPECT_EQ(left.GetNumIndices(), 1u);
    }
    // A key over two columns in another order.
    ISTable keyed = Keyed("m", {"a", "b", "c"}, {{"1", "x", "old"}}, {"b", "a"});
    ISTable other =
        Keyed("t", {"c", "b", "a"}, {{"new", "x", "1"}, {"other", "y", "1"}}, {"b", "a"});
    std::unique_ptr<ISTable> merged(keyed.Merge(other, 0));
    EXPECT_EQ(AllRows(*merged), (Cells{{"1", "x", "new"}, {"1", "y", "other"}}));
    // With a column the other lacks: no table.
    ISTable unkeyed = MakeTable("u", {"id"}, {{"1"}});
    EXPECT_THROW(std::unique_ptr<ISTable>(keyed.Merge(unkeyed, 0)), NotFoundException);
    EXPECT_EQ(keyed.GetNumColumns(), 3u);
}

TEST(ISTableReport, DifferencesInColumnsRowsAndCells) {
    ISTable mine = Keyed("mine", {"id", "name", "x"},
                         {{"1", "a", "p"}, {"2", "b", "q"}, {"3", "c", "r"}}, {"id"});
    ISTable theirs = Keyed("theirs", {"name", "id", "y"},
                           {{"a", "1", "s"}, {"B", "2", "t"}, {"d", "4", "u"}}, {"id"});
    const std::string pad(19, ' ');
    testing::internal::CaptureStdout();
    EXPECT_EQ(mine.PrintComparison(theirs), 0);  // 1 when nothing differs
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "** Compares table mine and table theirs **\n"
              "----------------- Columns report -----------------\n"
              "    0" +
                  pad + "1    (id)\n    1" + pad + "0    (name)\n    2  < (x)\n" + pad +
                  "     2  < (y)\n\n"
                  "------------------ Rows report ------------------\n"
                  "    0         0\n    1  *\n    2  <\n              1  *\n\n");
    ISTable same(mine);
    testing::internal::CaptureStdout();
    EXPECT_EQ(mine.PrintComparison(same), 1);
    testing::internal::GetCapturedStdout();
    // Without a key index on either side, or keys of different widths:
    // refused before anything is printed.
    ISTable unkeyed = MakeTable("u", {"id", "name", "x"}, {{"1", "a", "p"}});
    ISTable twoKey = Keyed("w", {"id", "name"}, {{"1", "a"}}, {"id", "name"});
    for (const auto& pair : {std::make_pair(&unkeyed, &mine), std::make_pair(&mine, &unkeyed),
                             std::make_pair(&mine, &twoKey)}) {
        testing::internal::CaptureStdout();
        EXPECT_THROW(pair.first->PrintComparison(*pair.second), NotFoundException);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
}
