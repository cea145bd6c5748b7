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

    // Short type names, so that each row keeps to its line.
    const auto T = [](const char* type, const std::string& text, const std::string& at) {
        return Throws(type, text, at);
    };
    const char *Ec = "EmptyContainerException", *Ev = "EmptyValueException",
               *Ae = "AlreadyExistsException", *Nf = "NotFoundException",
               *Is = "InvalidStateException";
    const auto R = [](const std::string& text) { return Throws("std::out_of_range", text); };
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
    const std::string locked = "Attempting to change the table that has a key search index";
    const struct {
        std::function<void()> action;
        std::string thrown;
    } cases[] = {
        {[&] { empty.AddRow(Row{"x"}); }, T(Ec, "No columns in table", "ISTable::InsertRow")},
        {[&] { table.AddRow(wide); }, R("Invalid row size in ISTable::InsertRow")},
        {[&] { table.AddColumn("", Row()); }, T(Ev, "Empty column name", "ISTable::AddColumn")},
        {[&] { table.AddColumn("c", Row(4)); },
         R("In table \"t\", size of column \"c\", 4, is greater than the number of rows, 3, "
           "generated at: ISTable::AddColumn")},
        {[&] { table.AddColumn("a", Row()); }, dup("a")},
        {[&] { table.InsertColumn("c", "", Row()); },
         T(Ev, "Empty at column name", "ISTable::InsertColumn")},
        {[&] { table.InsertColumn("c", "nope", Row()); }, missing("ISTable::InsertColumn")},
        {[&] { table.InsertColumn("c", 0u, Row(4)); },
         R("Invalid column size in ISTable::InsertColumn")},
        {[&] { table.FillColumn("a", Row(4)); },
         R("Column size greater than number of rows in  ISTable::FillColumn")},
        {[&] { table.DeleteColumn("nope"); }, missing("ISTable::DeleteColumn")},
        // The name is checked before the row.
        {[&] { table(99, ""); }, T(Ev, "Empty column name", "ISTable::operator()")},
        {[&] { table(3, "nope"); }, R("Invalid row index in ISTable::operator()")},
        {[&] { table(0, "nope"); }, missing("ISTable::operator()")},
        {[&] { table.UpdateCell(3, "a", "v"); }, R("Invalid row index in ISTable::UpdateCell")},
        {[&] { table.GetRow(3); }, R("Invalid row index in ISTable::GetRow")},
        {[&] { table.GetRow(col, 0, "nope", ""); }, missing("ISTable::GetSubRow")},
        {[&] { table.DeleteRow(3); }, R("Invalid row index in ITTable::DeleteRow")},
        {[&] { table.DeleteRows(far); }, R("Invalid row index in ISTable::CacheRowLocation")},
        {[&] { table.FillRow(3, Row{"x"}); }, R("Invalid row index in ITTable::FillRow")},
        {[&] { table.GetColumn(col, "a", "noindex"); },
         T(Nf, "Search index not found", "ISTable::GetColumn")},
        {[&] { table.RenameColumn("", "x"); },
         T(Ev, "Empty old column name", "ISTable::RenameColumn")},
        {[&] { table.RenameColumn("a", "b"); },
         T(Ae, "Duplicate column name", "ISTable::RenameColumn")},
        {[&] { table.RenameColumn("nope", "x"); },
         "NotFoundException: " +
             Line("Column \"nope\" not found in the table \"t\"", "ISTable::GetColumnIndex") +
             Line("Old column not found", "ISTable::RenameColumn")},
        {[&] { columnWise.GetRow(0); },
         T(Is, "Cannot get row reference on column-wise oriented table", "ISTable::GetRow")},
        {[&] { table.Search(found, Row{"x"}, Row{"a"}, 4, 0, 0, ""); },
         R("Invalid row index in ISTable::CacheRowLocation")},
        {[&] { table.FindFirst(ab, Row{"a"}, ""); },
         R("colNames and targets have different size in ISTable::FindFirst")},
        // A table without rows still knows its columns.
        {[&] { rowless.Search(found, Row{"x"}, Row{"nope"}, 0, 0, 0, ""); }, missingOnly},
        {[&] { rowless.FindFirst(Row{"x"}, Row{"nope"}, ""); }, missingOnly},
        {[&] { table.FindFirst(Row{"a"}, Row{"a"}, "other"); },
         T(Nf, "Search index not found", "ISTable::FindFirst")},
        {[&] { table.Search(found, none, none, 0, 0, 0, ""); },
         T(Ev, "Empty column indices", "ISTable::CreateIndex")},
        {[&] { table.CreateIndex("index_0", Row{"a"}, 0); },
         T(Ae, "Duplicate search index name", "ISTable::CreateIndex")},
        {[&] { table.DeleteKeyIndex(); }, T(Nf, "Search index not found", "ISTable::DeleteIndex")},
        {[&] { table.FindDuplicateRows(pairs, Row{"nope"}, true, false); },
         missing("ISTable::FindDuplicateRows")},
        {[&] { std::unique_ptr<ISTable>(table.Merge(keyed, 0)); },
         T(Nf, "Search index not found", "ISTable::DeleteIndex")},
        {[&] { keyed.AddRow(Row{"3"}); }, T(Ae, locked, "ITTable::InsertEntry")},
        {[&] { keyed.UpdateCell(0, "a", "3"); },
         T(Ae, locked, "ITTable::UpdateIndicesOnCellUpdate")},
        {[&] { segment.CreateIndex({1}); },
         R("Invalid column index in  ITTable::VerifyColumnsIndices")},
        {[&] { segment.CreateIndex({}); }, T(Ev, "Empty column indices", "ITTable::CreateIndex")},
        {[&] { segment.FindFirst({"a"}, {0}, 9); },
         R("Invalid index number in ITTable::FindFirst")},
        {[&] { tuples.InsertTuple(3, Row{}); }, R("Invalid tuple index in TTable::InsertTuple")},
        {[&] { tuples.InsertTuple(0, wide); }, R("Invalid tuple size in TTable::InsertTuple")},
        {[&] { tuples.FillTuple(0, {"v"}, 2); }, R("Invalid tuple size in TTable::FillTuple")},
        {[&] { tuples.DeleteTuple(2); }, R("Invalid tuple index in TTable::DeleteTuple")},
        {[&] { tuples.InsertColumn(Row{}); }, T(Ev, "Empty column", "TTable::InsertColumn")},
        {[&] { table.AppendRows(std::vector<Row>(mixed)); },
         R("Invalid row size in ISTable::InsertRow")},
        {[&] { empty.AppendRows({Row{"x"}}); }, T(Ec, "No columns in table", "ISTable::InsertRow")},
        {[&] { keyed.AppendRows({Row{"3"}}); }, T(Ae, locked, "ITTable::InsertEntry")},
        {[&] { table.AddColumns(Row(ca)); }, dup("a")},
        {[&] { table.AddColumns(Row(cdc)); }, dup("c")},
        {[&] { table.AddColumns(Row(cBlank)); }, T(Ev, "Empty column name", "ISTable::AddColumn")},
    };
    for (const auto& c : cases) EXPECT_EQ(Thrown(c.action), c.thrown);
    EXPECT_EQ(table.GetColumnNames(), (Row{"a", "b"}));
    EXPECT_EQ(AllRows(table), (std::vector<Row>{{"a0", "b0"}, {"a1", "b1"}, {"a2", "b2"}}));
    EXPECT_EQ(AllRows(keyed), (std::vector<Row>{{"1"}, {"2"}}));
    EXPECT_EQ(tuples.GetTuple(1), (Row{"a1", "b1"}));
    EXPECT_EQ(tuples.GetNumTuples(), 2u);
}

// AddColumns refuses a list with a name equal (under the table's column
// ordering) to a present one or to an earlier one of the list, naming the
// first such name in list order as written; an empty name earlier in the
// list wins. Long lists are checked by another method than short ones: both
// lengths give the same answers.
TEST(TableErrors, RepeatedNamesInAddedColumns) {
    typedef std::vector<std::string> Row;
    // "x0" .. "x19" (longer than a pairwise-checked list), then the tail.
    const auto longList = [](const Row& tail) {
        Row names;
        for (int i = 0; i < 20; ++i) names.push_back("x" + std::to_string(i));
        names.insert(names.end(), tail.begin(), tail.end());
        return names;
    };
    const auto dup = [](const std::string& name) {
        return Throws("AlreadyExistsException",
                      "Duplicate column name \"" + name + "\" in table \"t\"",
                      "ISTable::CreateColumn");
    };
    const std::string ok = "nothing thrown";
    const std::string blank =
        Throws("EmptyValueException", "Empty column name", "ISTable::AddColumn");
    const struct {
        CompareType compare;
        Row names;
        std::string thrown;
    } cases[] = {
        {CaseSensitive, {"c", "C"}, ok},
        {CaseInsensitive, {"c", "C"}, dup("C")},
        {CaseInsensitive, {"c", "b"}, dup("b")},  // the table's "B"
        {CaseSensitive, longList({"X3", "b"}), ok},
        {CaseInsensitive, longList({"X3"}), dup("X3")},
        {CaseInsensitive, longList({"c", "b"}), dup("b")},
        {CaseSensitive, longList({"B"}), dup("B")},
        // The first repeat in list order, not in name order.
        {CaseSensitive, longList({"x9", "x1"}), dup("x9")},
        {CaseInsensitive, longList({"y", "X5", "x5", "Y"}), dup("X5")},
        {CaseSensitive, longList({"", "x0"}), blank},
        {CaseSensitive, longList({"x0", ""}), dup("x0")},
        {CaseSensitive, longList({"", ""}), blank},
        {Numeric, {"1", "01"}, dup("01")},
        {Numeric, {"1", "0200"}, dup("0200")},
        {Numeric,
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16",
          "17", "18", "007"},
         dup("007")},
    };
    for (const auto& c : cases) {
        // A numeric ordering takes numbers only.
        const Row present = c.compare == Numeric ? Row{"100", "200"} : Row{"a", "B"};
        ISTable table("t", c.compare);
        for (const std::string& name : present) table.AddColumn(name, Row());
        Row names = c.names;
        EXPECT_EQ(Thrown([&] { table.AddColumns(std::move(names)); }), c.thrown) << c.names.back();
        Row expected = present;
        if (c.thrown == ok)
            expected.insert(expected.end(), c.names.begin(), c.names.end());
        EXPECT_EQ(table.GetColumnNames(), expected) << c.names.back();
    }
}
