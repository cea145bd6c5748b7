// The exact error texts of the table layer in one table; none of the
// refusals may change anything.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/Thrown.h"
#include "table/ISTable.h"
#include "table/TTable.h"
#include "table/TableTestSupport.h"

TEST(TableErrors, ExactTexts) {
    typedef std::vector<std::string> Row;
    ISTable table = MakeTable("t", {"a", "b"}, {{"a0", "b0"}, {"a1", "b1"}, {"a2", "b2"}});
    ISTable empty("e", CaseSensitive), columnWise("cw", 0u, CaseSensitive);
    columnWise.AddColumn("a", Row{"1"});
    ISTable keyed = MakeTable("k", {"a"}, {{"1"}, {"2"}});
    keyed.CreateKeyIndex(Row{"a"});
    ITTable segment;
    segment.CreateColumn(0, Row{"x", "y"});
    TTable tuples;
    tuples.AddTuple({"a0", "b0"});
    tuples.AddTuple({"a1", "b1"});
    Row col;
    const Row wide{"1", "2", "3"}, ab{"a", "b"}, none, ca{"c", "a"}, cdc{"c", "d", "c"},
        cBlank{"c", ""};
    const std::vector<Row> mixed{{"1", "2"}, wide};
    const std::vector<unsigned int> far{0, 5000};
    std::vector<unsigned int> found;
    std::vector<std::pair<unsigned int, unsigned int>> pairs;

    const auto range = [](const std::string& text) { return Throws("std::out_of_range", text); };
    const auto missing = [](const std::string& location) {
        return "NotFoundException: " +
               Line("Column \"nope\" not found in the table \"t\"", "ISTable::GetColumnIndex") +
               Line("Column not found", location);
    };
    ISTable rowless("t", CaseSensitive);
    rowless.AddColumn("a", Row());
    const std::string missingOnly =
        "NotFoundException: " +
        Line("Column \"nope\" not found in the table \"t\"", "ISTable::GetColumnIndex");
    const auto dup = [](const std::string& name) {
        return Throws("AlreadyExistsException",
                      "Duplicate column name \"" + name + "\" in table \"t\"",
                      "ISTable::CreateColumn");
    };
    const std::string refusal = "Attempting to change the table that has a key search index";
    const struct {
        std::function<void()> action;
        std::string thrown;
    } cases[] = {
        {[&] { empty.AddRow(Row{"x"}); },
         Throws("EmptyContainerException", "No columns in table", "ISTable::InsertRow")},
        {[&] { table.AddRow(wide); }, range("Invalid row size in ISTable::InsertRow")},
        {[&] { table.AddColumn("", Row()); },
         Throws("EmptyValueException", "Empty column name", "ISTable::AddColumn")},
        {[&] { table.AddColumn("c", Row(4)); },
         range("In table \"t\", size of column \"c\", 4, is greater than the number of rows, 3, "
               "generated at: ISTable::AddColumn")},
        {[&] { table.AddColumn("a", Row()); }, dup("a")},
        {[&] { table.InsertColumn("c", "", Row()); },
         Throws("EmptyValueException", "Empty at column name", "ISTable::InsertColumn")},
        {[&] { table.InsertColumn("c", "nope", Row()); }, missing("ISTable::InsertColumn")},
        {[&] { table.InsertColumn("c", 0u, Row(4)); },
         range("Invalid column size in ISTable::InsertColumn")},
        {[&] { table.FillColumn("a", Row(4)); },
         range("Column size greater than number of rows in  ISTable::FillColumn")},
        {[&] { table.DeleteColumn("nope"); }, missing("ISTable::DeleteColumn")},
        {[&] { table(99, ""); },  // the name is checked before the row
         Throws("EmptyValueException", "Empty column name", "ISTable::operator()")},
        {[&] { table(3, "nope"); }, range("Invalid row index in ISTable::operator()")},
        {[&] { table(0, "nope"); }, missing("ISTable::operator()")},
        {[&] { table.UpdateCell(3, "a", "v"); }, range("Invalid row index in ISTable::UpdateCell")},
        {[&] { table.GetRow(3); }, range("Invalid row index in ISTable::GetRow")},
        {[&] { table.GetRow(col, 0, "nope", ""); }, missing("ISTable::GetSubRow")},
        {[&] { table.DeleteRow(3); }, range("Invalid row index in ITTable::DeleteRow")},
        {[&] { table.DeleteRows(far); }, range("Invalid row index in ISTable::CacheRowLocation")},
        {[&] { table.FillRow(3, Row{"x"}); }, range("Invalid row index in ITTable::FillRow")},
        {[&] { table.GetColumn(col, "a", "noindex"); },
         Throws("NotFoundException", "Search index not found", "ISTable::GetColumn")},
        {[&] { table.RenameColumn("", "x"); },
         Throws("EmptyValueException", "Empty old column name", "ISTable::RenameColumn")},
        {[&] { table.RenameColumn("a", "b"); },
         Throws("AlreadyExistsException", "Duplicate column name", "ISTable::RenameColumn")},
        {[&] { table.RenameColumn("nope", "x"); },
         "NotFoundException: " +
             Line("Column \"nope\" not found in the table \"t\"", "ISTable::GetColumnIndex") +
             Line("Old column not found", "ISTable::RenameColumn")},
        {[&] { columnWise.GetRow(0); },
         Throws("InvalidStateException", "Cannot get row reference on column-wise oriented table",
                "ISTable::GetRow")},
        {[&] { table.Search(found, Row{"x"}, Row{"a"}, 4, 0, 0, ""); },
         range("Invalid row index in ISTable::CacheRowLocation")},
        {[&] { table.FindFirst(ab, Row{"a"}, ""); },
         range("colNames and targets have different size in ISTable::FindFirst")},
        // A table without rows still knows its columns.
        {[&] { rowless.Search(found, Row{"x"}, Row{"nope"}, 0, 0, 0, ""); }, missingOnly},
        {[&] { rowless.FindFirst(Row{"x"}, Row{"nope"}, ""); }, missingOnly},
        {[&] { table.FindFirst(Row{"a"}, Row{"a"}, "other"); },
         Throws("NotFoundException", "Search index not found", "ISTable::FindFirst")},
        {[&] { table.Search(found, none, none, 0, 0, 0, ""); },
         Throws("EmptyValueException", "Empty column indices", "ISTable::CreateIndex")},
        {[&] { table.CreateIndex("index_0", Row{"a"}, 0); },
         Throws("AlreadyExistsException", "Duplicate search index name", "ISTable::CreateIndex")},
        {[&] { table.DeleteKeyIndex(); },
         Throws("NotFoundException", "Search index not found", "ISTable::DeleteIndex")},
        {[&] { table.FindDuplicateRows(pairs, Row{"nope"}, true, false); },
         missing("ISTable::FindDuplicateRows")},
        {[&] { std::unique_ptr<ISTable>(table.Merge(keyed, 0)); },
         Throws("NotFoundException", "Search index not found", "ISTable::DeleteIndex")},
        {[&] { keyed.AddRow(Row{"3"}); },
         Throws("AlreadyExistsException", refusal, "ITTable::InsertEntry")},
        {[&] { keyed.UpdateCell(0, "a", "3"); },
         Throws("AlreadyExistsException", refusal, "ITTable::UpdateIndicesOnCellUpdate")},
        {[&] { segment.CreateIndex({1}); },
         range("Invalid column index in  ITTable::VerifyColumnsIndices")},
        {[&] { segment.CreateIndex({}); },
         Throws("EmptyValueException", "Empty column indices", "ITTable::CreateIndex")},
        {[&] { segment.FindFirst({"a"}, {0}, 9); },
         range("Invalid index number in ITTable::FindFirst")},
        {[&] { tuples.InsertTuple(3, Row{}); },
         range("Invalid tuple index in TTable::InsertTuple")},
        {[&] { tuples.InsertTuple(0, wide); }, range("Invalid tuple size in TTable::InsertTuple")},
        {[&] { tuples.FillTuple(0, {"v"}, 2); }, range("Invalid tuple size in TTable::FillTuple")},
        {[&] { tuples.DeleteTuple(2); }, range("Invalid tuple index in TTable::DeleteTuple")},
        {[&] { tuples.InsertColumn(Row{}); },
         Throws("EmptyValueException", "Empty column", "TTable::InsertColumn")},
        {[&] { table.AppendRows(std::vector<Row>(mixed)); },
         range("Invalid row size in ISTable::InsertRow")},
        {[&] { empty.AppendRows({Row{"x"}}); },
         Throws("EmptyContainerException", "No columns in table", "ISTable::InsertRow")},
        {[&] { keyed.AppendRows({Row{"3"}}); },
         Throws("AlreadyExistsException", refusal, "ITTable::InsertEntry")},
        {[&] { table.AddColumns(Row(ca)); }, dup("a")},
        {[&] { table.AddColumns(Row(cdc)); }, dup("c")},
        {[&] { table.AddColumns(Row(cBlank)); },
         Throws("EmptyValueException", "Empty column name", "ISTable::AddColumn")},
    };
    for (const auto& c : cases) EXPECT_EQ(Thrown(c.action), c.thrown);
    EXPECT_EQ(table.GetColumnNames(), (Row{"a", "b"}));
    EXPECT_EQ(AllRows(table), (std::vector<Row>{{"a0", "b0"}, {"a1", "b1"}, {"a2", "b2"}}));
    EXPECT_EQ(AllRows(keyed), (std::vector<Row>{{"1"}, {"2"}}));
    EXPECT_EQ(tuples.GetTuple(1), (Row{"a1", "b1"}));
    EXPECT_EQ(tuples.GetNumTuples(), 2u);
}
