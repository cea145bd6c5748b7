#include "table/TTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Exceptions.h"

namespace {

typedef std::vector<std::string> Strings;

TTable ThreeByThree() {
    TTable t;
    t.AddTuple({"a0", "b0", "c0"});
    t.AddTuple({"a1", "b1", "c1"});
    t.AddTuple({"a2", "b2", "c2"});
    return t;
}

std::vector<Strings> Contents(const TTable& t) {
    std::vector<Strings> tuples;
    for (unsigned int i = 0; i < t.GetNumTuples(); ++i) tuples.push_back(t.GetTuple(i));
    return tuples;
}

}  // namespace

TEST(TTable, WidthRule) {
    TTable t;
    t.InsertTuple(0, Strings{"x", "y", "z"});
    EXPECT_EQ(t.GetWidth(), 3u);
    t.InsertTuple(1, Strings{"p", "q"});
    EXPECT_EQ(t.GetTuple(1), (Strings{"p", "q", ""}));
    EXPECT_EQ(t.AddTuple(Strings{}), 3u);  // a tuple of empty cells
    EXPECT_EQ(t.GetTuple(2), (Strings{"", "", ""}));

    // Deleting every tuple frees the width.
    while (t.GetNumTuples() > 0) t.DeleteTuple(0);
    EXPECT_EQ(t.GetWidth(), 0u);
    t.AddTuple({"1", "2", "3", "4", "5"});
    EXPECT_EQ(t.GetWidth(), 5u);
}

TEST(TTable, CellLessTuplesArePaddedWhenTheWidthIsFixed) {
    TTable t;
    t.InsertTuple(0, Strings{});
    EXPECT_EQ(t.GetWidth(), 0u);
    EXPECT_THROW(t.InsertTuple(1, Strings{"a"}), std::out_of_range);

    t.InsertTuple(0, Strings{"a", "b"});
    // The earlier cell-less tuple now holds width empty cells, so every
    // cell operation on it stays inside the tuple.
    EXPECT_EQ(t.GetTuple(1), (Strings{"", ""}));
    t.UpdateCell(1, 1) = "set";
    t.InsertColumn(1, Strings{"n0", "n1"});
    EXPECT_EQ(t.GetTuple(1), (Strings{"", "n1", "set"}));

    // Without a width no tuple has a cell to take a value.
    TTable cellLess;
    cellLess.AddTuple(Strings{});
    EXPECT_THROW(cellLess.FillTuple(0, {"v"}, 0), std::out_of_range);
    EXPECT_TRUE(cellLess.GetTuple(0).empty());
}

TEST(TTable, RefusalsLeaveTheTableUnchanged) {
    const Strings v{"1", "2"};
    struct Case {
        const char* message;
        std::function<void(TTable&)> action;
    };
    const Case cases[] = {
        {"Invalid tuple index in TTable::InsertTuple",
         [](TTable& t) { t.InsertTuple(4, Strings{}); }},
        {"Invalid tuple range in TTable::InsertTuple",
         [&](TTable& t) { t.InsertTuple(0, v.end(), v.begin()); }},
        {"Invalid tuple size in TTable::InsertTuple",
         [](TTable& t) {
             t.InsertTuple(0, Strings{"1", "2", "3", "4"});
         }},
        {"Invalid tuple size in TTable::FillTuple", [](TTable& t) { t.FillTuple(0, {"v"}, 3); }},
        {"Invalid from column index in TTable::FillTuple",
         [](TTable& t) { t.FillTuple(0, {"v"}, 4); }},
        {"Invalid tuple index in TTable::ClearTuple", [](TTable& t) { t.ClearTuple(3); }},
        {"Invalid tuple index in TTable::DeleteTuple", [](TTable& t) { t.DeleteTuple(3); }},
        {"Invalid column index in TTable::InsertColumn",
         [](TTable& t) { t.InsertColumn(4, Strings{"a"}); }},
        {"Invalid column size in TTable::InsertColumn",
         [](TTable& t) {
             t.InsertColumn(0, Strings{"a", "b", "c", "d"});
         }},
        {"Invalid column size in TTable::FillColumn",
         [](TTable& t) {
             t.FillColumn(1, Strings{"a", "b", "c"}, 1);
         }},
        {"Invalid from tuple index in TTable::FillColumn",
         [](TTable& t) { t.FillColumn(1, Strings{}, 3); }},
        {"Invalid column index in TTable::DeleteColumn", [](TTable& t) { t.DeleteColumn(3); }},
        {"Invalid tuple index in TTable::UpdateCell", [](TTable& t) { t.UpdateCell(3, 0); }},
        {"Invalid column index in TTable::GetCell", [](TTable& t) { t.GetCell(0, 3); }},
    };
    for (const Case& c : cases) {
        TTable t = ThreeByThree();
        try {
            c.action(t);
            ADD_FAILURE() << "no exception: " << c.message;
        } catch (const std::out_of_range& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(Contents(t), Contents(ThreeByThree())) << c.message;
    }

    TTable t = ThreeByThree();
    try {
        t.InsertColumn(Strings{});
        ADD_FAILURE();
    } catch (const EmptyValueException& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("Empty column"), std::string::npos) << text;
        EXPECT_NE(text.find("TTable::InsertColumn"), std::string::npos) << text;
    }
}

TEST(TTable, ColumnsAndRanges) {
    TTable t;
    EXPECT_EQ(t.InsertColumn(Strings{"1", "2", "3"}), 1u);
    EXPECT_EQ(t.InsertColumn(1, Strings{"x", "y"}), 2u);
    EXPECT_EQ(t.GetTuple(2), (Strings{"3", ""}));  // short column: empty cell
    t.FillColumn(1, Strings{"f2"}, 2);

    Strings out{"stale"};
    t.GetColumn(out, 1, 0, 3);
    EXPECT_EQ(out, (Strings{"x", "y", "f2"}));
    EXPECT_THROW(t.GetColumn(out, 1, 2, 2), std::out_of_range);
    EXPECT_TRUE(out.empty());
    t.GetTuple(out, 1, 1, 1);  // an empty tuple range is no error
    EXPECT_TRUE(out.empty());
    EXPECT_THROW(t.GetTuple(out, 1, 0, 3), std::out_of_range);
    EXPECT_EQ(out, (Strings{"2", "y"}));  // cells before the failure stay

    t.DeleteColumn(0);
    t.DeleteColumn(0);
    EXPECT_EQ(t.GetWidth(), 0u);
    EXPECT_EQ(t.GetNumTuples(), 3u);  // tuples stay without cells
}

TEST(TTable, StreamOutputIsOneLinePerColumn) {
    TTable t;
    t.AddTuple({"a", "bb"});
    t.AddTuple({"c", "d"});
    std::ostringstream out;
    out << t;
    EXPECT_EQ(out.str(),
              "         a          c \n"
              "        bb          d \n");
}
