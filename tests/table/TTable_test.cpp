// The tuple store under a segment: its width rule and ranges.

#include "table/TTable.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

typedef std::vector<std::string> Strings;

TEST(TTable, TheFirstValuesFixTheWidthAndEveryTupleHoldsIt) {
    TTable t;
    t.InsertTuple(0, Strings{});  // no width yet: no cells
    EXPECT_THROW(t.InsertTuple(1, Strings{"a"}), std::out_of_range);
    EXPECT_THROW(t.FillTuple(0, {"v"}, 0), std::out_of_range);
    t.InsertTuple(0, Strings{"a", "b", "c"});
    EXPECT_EQ(t.GetWidth(), 3u);
    EXPECT_EQ(t.GetTuple(1), (Strings{"", "", ""}));  // padded once the width is fixed
    t.InsertTuple(2, Strings{"p", "q"});
    EXPECT_EQ(t.GetTuple(2), (Strings{"p", "q", ""}));
    t.UpdateCell(1, 1) = "set";
    t.InsertColumn(1, Strings{"n0", "n1"});  // a short column: empty cells
    EXPECT_EQ(t.GetTuple(1), (Strings{"", "n1", "set", ""}));
    EXPECT_EQ(t.GetTuple(2), (Strings{"p", "", "q", ""}));
    while (t.GetNumTuples() > 0) t.DeleteTuple(0);  // the last tuple frees the width
    EXPECT_EQ(t.GetWidth(), 0u);

    t.InsertColumn(Strings{"1", "2", "3"});
    EXPECT_EQ(t.InsertColumn(Strings{"x", "y"}), 2u);
    t.FillColumn(1, Strings{"f2"}, 2);
    Strings out{"stale"};
    t.GetColumn(out, 1, 0, 3);
    EXPECT_EQ(out, (Strings{"x", "y", "f2"}));
    t.GetTuple(out, 1, 1, 1);  // an empty range is no error
    EXPECT_TRUE(out.empty());
    EXPECT_THROW(t.GetTuple(out, 1, 0, 3), std::out_of_range);
    EXPECT_EQ(out, (Strings{"2", "y"}));  // cells before the failure stay
    std::ostringstream printed;
    printed << t;
    EXPECT_EQ(printed.str(),
              "         1          2          3 \n"
              "         x          y         f2 \n");
    t.DeleteColumn(0);
    t.DeleteColumn(0);
    EXPECT_EQ(t.GetWidth(), 0u);
    EXPECT_EQ(t.GetNumTuples(), 3u);  // tuples stay without cells
}
