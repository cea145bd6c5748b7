#include "table/TTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "foundation/Exceptions.h"

namespace
{

typedef std::vector<std::string> Strings;

void ExpectOutOfRange(const std::function<void()>& action,
                      const std::string& message)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected " << message;
    }
    catch (const std::out_of_range& e)
    {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TTable ThreeByThree()
{
    TTable t;
    t.AddTuple({"a0", "b0", "c0"});
    t.AddTuple({"a1", "b1", "c1"});
    t.AddTuple({"a2", "b2", "c2"});
    return t;
}

} // namespace

TEST(TTable, WidthRule)
{
    TTable t;
    ExpectOutOfRange([&] { t.GetCell(0, 0); },
                     "Invalid tuple index in TTable::GetCell");

    t.InsertTuple(0, Strings{"x", "y", "z"});
    EXPECT_EQ(t.GetWidth(), 3u);
    t.InsertTuple(1, Strings{"p", "q"});
    EXPECT_EQ(t.GetTuple(1), (Strings{"p", "q", ""}));
    ExpectOutOfRange([&] { t.InsertTuple(0, Strings{"1", "2", "3", "4"}); },
                     "Invalid tuple size in TTable::InsertTuple");
    ExpectOutOfRange([&] { t.InsertTuple(3, Strings{}); },
                     "Invalid tuple index in TTable::InsertTuple");
    const Strings v{"1", "2"};
    ExpectOutOfRange([&] { t.InsertTuple(0, v.end(), v.begin()); },
                     "Invalid tuple range in TTable::InsertTuple");
    EXPECT_EQ(t.GetNumTuples(), 2u);
    EXPECT_EQ(t.AddTuple(Strings{}), 3u); // appends a tuple of empty cells
    EXPECT_EQ(t.GetTuple(2), (Strings{"", "", ""}));

    // Deleting every tuple frees the width.
    t.DeleteTuple(0);
    t.DeleteTuple(0);
    t.DeleteTuple(0);
    EXPECT_EQ(t.GetWidth(), 0u);
    t.AddTuple({"1", "2", "3", "4", "5"});
    EXPECT_EQ(t.GetWidth(), 5u);
}

TEST(TTable, CellLessTuplesArePaddedWhenTheWidthIsFixed)
{
    TTable t;
    t.InsertTuple(0, Strings{});
    EXPECT_EQ(t.GetWidth(), 0u);
    ExpectOutOfRange([&] { t.InsertTuple(1, Strings{"a"}); },
                     "Previous tuple empty TTable::InsertTuple");

    t.InsertTuple(0, Strings{"a", "b"});
    EXPECT_EQ(t.GetWidth(), 2u);
    // The earlier cell-less tuple now holds width empty cells, so every
    // cell operation on it stays inside the tuple.
    EXPECT_EQ(t.GetTuple(1), (Strings{"", ""}));
    t.UpdateCell(1, 1) = "set";
    EXPECT_EQ(t.GetCell(1, 1), "set");
    t.InsertColumn(1, Strings{"n0", "n1"});
    EXPECT_EQ(t.GetTuple(1), (Strings{"", "n1", "set"}));
    t.FillTuple(1, {"f"}, 0);
    EXPECT_EQ(t.GetCell(1, 0), "f");
}

TEST(TTable, FillTuple)
{
    TTable t = ThreeByThree();
    t.FillTuple(1, {}, 99); // no values: nothing checked, nothing changed
    t.FillTuple(1, {"x", "y"}, 1);
    EXPECT_EQ(t.GetTuple(1), (Strings{"a1", "x", "y"}));
    ExpectOutOfRange([&] { t.FillTuple(0, {"v"}, 3); },
                     "Invalid tuple size in TTable::FillTuple");
    ExpectOutOfRange([&] { t.FillTuple(0, {"v"}, 4); },
                     "Invalid from column index in TTable::FillTuple");
    ExpectOutOfRange([&] { t.FillTuple(3, {"v"}, 0); },
                     "Invalid tuple index in TTable::FillTuple");

    // A tuple of a table without width has no cell to take a value.
    TTable empty;
    empty.AddTuple(Strings{});
    ExpectOutOfRange([&] { empty.FillTuple(0, {"v"}, 0); },
                     "Invalid tuple size in TTable::FillTuple");
    EXPECT_TRUE(empty.GetTuple(0).empty());
}

TEST(TTable, ColumnOperations)
{
    TTable t;
    EXPECT_EQ(t.InsertColumn(Strings{"1", "2", "3"}), 1u);
    EXPECT_EQ(t.GetNumTuples(), 3u);
    EXPECT_EQ(t.InsertColumn(1, Strings{"x", "y"}), 2u);
    EXPECT_EQ(t.GetTuple(2), (Strings{"3", ""}));
    EXPECT_EQ(t.InsertColumn(0, Strings{"p"}), 3u);
    EXPECT_EQ(t.GetTuple(0), (Strings{"p", "1", "x"}));

    try
    {
        t.InsertColumn(Strings{});
        ADD_FAILURE();
    }
    catch (const EmptyValueException& e)
    {
        EXPECT_NE(std::string(e.what()).find("Empty column"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("TTable::InsertColumn"),
                  std::string::npos);
    }
    ExpectOutOfRange([&] { t.InsertColumn(4, Strings{"a"}); },
                     "Invalid column index in TTable::InsertColumn");
    ExpectOutOfRange([&] { t.InsertColumn(0, Strings{"a", "b", "c", "d"}); },
                     "Invalid column size in TTable::InsertColumn");

    t.FillColumn(1, Strings{"f1", "f2"}, 1);
    EXPECT_EQ(t.GetCell(1, 1), "f1");
    EXPECT_EQ(t.GetCell(2, 1), "f2");
    ExpectOutOfRange([&] { t.FillColumn(1, Strings{"a", "b", "c"}, 1); },
                     "Invalid column size in TTable::FillColumn");
    ExpectOutOfRange([&] { t.FillColumn(3, Strings{"a"}, 0); },
                     "Invalid column index in TTable::FillColumn");

    Strings column{"stale"};
    t.GetColumn(column, 1, 0, 3);
    EXPECT_EQ(column, (Strings{"1", "f1", "f2"}));
    ExpectOutOfRange([&] { t.GetColumn(column, 1, 2, 2); },
                     "Invalid tuple index range in TTable::GetColumn");
    EXPECT_TRUE(column.empty());
    ExpectOutOfRange([&] { t.GetColumn(column, 1, 0, 4); },
                     "Invalid to tuple index in TTable::GetColumn");

    t.ClearColumn(0);
    EXPECT_EQ(t.GetCell(0, 0), "");
    t.DeleteColumn(0);
    t.DeleteColumn(0);
    t.DeleteColumn(0);
    EXPECT_EQ(t.GetWidth(), 0u);
    EXPECT_EQ(t.GetNumTuples(), 3u);
    EXPECT_TRUE(t.GetTuple(0).empty());
    ExpectOutOfRange([&] { t.DeleteColumn(0); },
                     "Invalid column index in TTable::DeleteColumn");

    // Column cells of a table without tuples: nothing to fill, even empty.
    TTable none;
    ExpectOutOfRange([&] { none.FillColumn(0, Strings{}, 0); },
                     "Invalid column index in TTable::FillColumn");
}

TEST(TTable, GetTupleRanges)
{
    const TTable t = ThreeByThree();
    Strings out{"stale"};
    t.GetTuple(out, 1, 2, 2);
    EXPECT_TRUE(out.empty());
    t.GetTuple(out, 1, 1, 3);
    EXPECT_EQ(out, (Strings{"b1", "c1"}));
    ExpectOutOfRange([&] { t.GetTuple(out, 1, 0, 4); },
                     "Invalid column index in TTable::UpdateCell");
    EXPECT_EQ(out, (Strings{"a1", "b1", "c1"})); // cells before the failure stay
    ExpectOutOfRange([&] { t.GetTuple(out, 3, 0, 1); },
                     "Invalid tuple index in TTable::GetTuple");
    ExpectOutOfRange([&] { t.GetCell(0, 3); },
                     "Invalid column index in TTable::GetCell");
}

TEST(TTable, CopiesAreDeepAndMovesEmptyTheSource)
{
    static_assert(std::is_nothrow_move_constructible<TTable>::value, "");
    static_assert(std::is_nothrow_move_assignable<TTable>::value, "");

    TTable source = ThreeByThree();
    TTable copy(source);
    copy.UpdateCell(0, 0) = "changed";
    EXPECT_EQ(source.GetCell(0, 0), "a0");

    TTable& self = copy;
    copy = self;
    EXPECT_EQ(copy.GetCell(0, 0), "changed");

    TTable moved(std::move(source));
    EXPECT_EQ(moved.GetNumTuples(), 3u);
    EXPECT_EQ(source.GetNumTuples(), 0u);
    EXPECT_EQ(source.GetWidth(), 0u);

    Strings row{"m", "n", "o"};
    moved.AddTuple(std::move(row));
    EXPECT_EQ(moved.GetTuple(3), (Strings{"m", "n", "o"}));

    moved.Clear();
    EXPECT_EQ(moved.GetNumTuples(), 0u);
    EXPECT_EQ(moved.GetWidth(), 0u);
}

TEST(TTable, StreamOutputIsOneLinePerColumn)
{
    TTable t;
    t.AddTuple({"a", "bb"});
    t.AddTuple({"c", "d"});
    std::ostringstream out;
    out << t;
    EXPECT_EQ(out.str(), "         a          c \n"
                         "        bb          d \n");

    std::ostringstream none;
    none << TTable();
    EXPECT_EQ(none.str(), "");
}
