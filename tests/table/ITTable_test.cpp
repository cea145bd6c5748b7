#include "table/ITTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "foundation/Exceptions.h"

namespace {

typedef std::vector<std::string> Strings;
typedef std::vector<unsigned int> Rows;

void ExpectOutOfRange(const std::function<void()>& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const std::out_of_range& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

template <class E>
void ExpectMirt(const std::function<void()>& action, const std::string& message,
                const std::string& location) {
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const E& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find(message), std::string::npos) << text;
        EXPECT_NE(text.find(location), std::string::npos) << text;
    }
}

const char* const REFUSAL = "Attempting to change the table that has a key search index";

// A row-wise segment whose rows are given cell by cell.
ITTable Segment(const std::vector<Strings>& rows, unsigned int numColumns) {
    ITTable t;
    for (unsigned int c = 0; c < numColumns; ++c) {
        Strings column;
        for (const Strings& row : rows) column.push_back(row[c]);
        t.CreateColumn(c, column);
    }
    return t;
}

Strings Column(const ITTable& t, unsigned int col) {
    Strings out;
    if (t.GetNumRows() > 0)
        t.GetColumn(out, col, 0, t.GetNumRows() - 1);
    return out;
}

Strings InIndexOrder(const ITTable& t, unsigned int col, unsigned int index) {
    Strings out;
    t.GetColumnInIndexOrder(out, col, index);
    return out;
}

Rows Find(const ITTable& t, const Strings& targets, const Rows& cols, unsigned int index,
          unsigned int type = ITTable::EQUAL) {
    Rows result{999};
    t.Search(result, targets, cols, index, type);
    return result;
}

// Every index holds one entry per row, and an equality search for a row's
// own cells finds that row.
void ExpectIndicesInStep(const ITTable& t) {
    for (unsigned int i = 0; i < t.GetNumIndices(); ++i) {
        const Rows& cols = t.GetIndexColumns(i);
        EXPECT_EQ(InIndexOrder(t, cols[0], i).size(), t.GetNumRows()) << "index " << i;
        for (unsigned int r = 0; r < t.GetNumRows(); ++r) {
            Strings targets;
            for (const unsigned int c : cols) targets.push_back(t(r, c));
            const Rows found = Find(t, targets, cols, i);
            EXPECT_NE(std::find(found.begin(), found.end(), r), found.end())
                << "index " << i << " row " << r;
        }
    }
}

}  // namespace

TEST(ITTable, MovesAreCheapAndCopiesDeep) {
    static_assert(std::is_nothrow_move_constructible<ITTable>::value, "");
    static_assert(std::is_nothrow_move_assignable<ITTable>::value, "");

    ITTable t = Segment({{"b"}, {"a"}}, 1);
    t.CreateIndex({0});
    ITTable copy(t);
    copy.UpdateCell("z", 0, 0);
    EXPECT_EQ(t(0, 0), "b");
    EXPECT_EQ(Find(t, {"b"}, {0}, 0), (Rows{0}));
    EXPECT_EQ(Find(copy, {"b"}, {0}, 0), (Rows{}));

    ITTable moved(std::move(copy));
    EXPECT_EQ(Find(moved, {"z"}, {0}, 0), (Rows{0}));
}

TEST(ITTable, RowInsertionAndDeletionRenumberEntries) {
    ITTable t;
    t.CreateColumn(0, Strings{"b"});
    t.CreateIndex({0});
    EXPECT_EQ(t.InsertRow(Strings{"a"}), 2u);
    EXPECT_EQ(t.InsertRow(Strings{"c"}), 3u);
    EXPECT_EQ(InIndexOrder(t, 0, 0), (Strings{"a", "b", "c"}));

    EXPECT_EQ(t.InsertRow(0, Strings{"d"}), 4u);
    const char* const letters[] = {"a", "b", "c", "d"};
    const Rows afterInsert[] = {{2}, {1}, {3}, {0}};
    const Rows afterDelete[] = {{1}, {}, {2}, {0}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Find(t, {letters[i]}, {0}, 0), afterInsert[i]) << letters[i];
    t.DeleteRow(1);  // b
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Find(t, {letters[i]}, {0}, 0), afterDelete[i]) << letters[i];
    t.DeleteRow(2);  // the last row: nothing to renumber
    ExpectIndicesInStep(t);

    t.DeleteRows({0, 1});  // deleted from the end of the list
    EXPECT_EQ(t.GetNumRows(), 0u);
    ExpectOutOfRange([&] { t.DeleteRow(0); }, "Invalid row index in ITTable::DeleteRow");
}

TEST(ITTable, RowSizesAndEmptySegments) {
    ITTable t;
    ExpectOutOfRange([&] { t.InsertRow(Strings{"x"}); }, "Invalid row size in ITTable::InsertRow");
    EXPECT_EQ(t.InsertRow(Strings{}), 0u);
    t.CreateColumn(0, Strings{});
    EXPECT_EQ(t.GetNumColumns(), 0u);
    t.CreateColumn(0, Strings{"1", "2", "3"});
    EXPECT_EQ(t.GetNumRows(), 3u);
    EXPECT_EQ(t.GetNumColumns(), 1u);

    t.CreateColumn(1, Strings{"x"});
    EXPECT_EQ(t.InsertRow(Strings{"4"}), 4u);  // short row: empty cells
    Strings row;
    t.GetRow(row, 3, 0, 1);
    EXPECT_EQ(row, (Strings{"4", ""}));
    ExpectOutOfRange([&] { t.InsertRow(6, Strings{"5"}); },
                     "Invalid tuple index in TTable::InsertTuple");
    ExpectOutOfRange(
        [&] {
            t.CreateColumn(0, Strings{"1", "2", "3", "4", "5"});
        },
        "Invalid column size in ITTable::FillColumn");
    EXPECT_EQ(t.GetNumRows(), 4u);
}

TEST(ITTable, CellChangesKeepIndicesInStep) {
    ITTable t = Segment({{"a", "1"}, {"b", "2"}, {"a", "3"}}, 2);
    t.CreateIndex({0});
    t.CreateIndex({1, 0});

    EXPECT_EQ(t.UpdateCell("b", 0, 0), 0);
    EXPECT_EQ(Find(t, {"b"}, {0}, 0), (Rows{0, 1}));
    EXPECT_EQ(Find(t, {"1", "b"}, {1, 0}, 1), (Rows{0}));
    t.FillRow(1, {"c"});  // later cells keep their values
    EXPECT_EQ(t(1, 1), "2");
    t.ClearRow(2);
    t.FillColumn(Strings{"x", "y"}, 0);  // row 2 keeps its cell
    EXPECT_EQ(Column(t, 0), (Strings{"x", "y", ""}));
    t.ClearColumn(1);
    EXPECT_EQ(Find(t, {"", "x"}, {1, 0}, 1), (Rows{0}));
    ExpectIndicesInStep(t);

    // Writes through the cell reference update no index until asked.
    t(0, 0) = "q";
    EXPECT_EQ(Find(t, {"q"}, {0}, 0), (Rows{}));
    t.UpdateIndices(0);
    EXPECT_EQ(Find(t, {"q"}, {0}, 0), (Rows{0}));
    EXPECT_EQ(Find(t, {"x"}, {0}, 0), (Rows{}));

    ExpectOutOfRange([&] { t.UpdateCell("v", 0, 3); }, "Invalid row index in ITTable::UpdateCell");
    ExpectOutOfRange([&] { t.UpdateCell("v", 2, 0); },
                     "Invalid column index in ITTable::operator()");
    ExpectOutOfRange(
        [&] {
            t.FillColumn(Strings{"1", "2", "3", "4"}, 0);
        },
        "Invalid column size in ITTable::FillColumn");
}

TEST(ITTable, ColumnChangesRenumberIndexColumns) {
    ITTable t = Segment({{"a", "b", "c"}, {"d", "e", "f"}}, 3);
    t.CreateIndex({1});
    t.CreateIndex({2, 1});
    t.CreateIndex({2});

    t.CreateColumn(0, Strings{"n0", "n1"});
    EXPECT_EQ(t.GetIndexColumns(0), (Rows{2}));
    EXPECT_EQ(t.GetIndexColumns(1), (Rows{3, 2}));
    EXPECT_EQ(Find(t, {"e"}, {2}, 0), (Rows{1}));

    t.AddColumn(4, Strings{"tail"});  // appended, rows beyond the values empty
    EXPECT_EQ(Column(t, 4), (Strings{"tail", ""}));

    t.DeleteColumn(2);  // held by indices 0 and 1
    EXPECT_EQ(t.GetNumIndices(), 1u);
    EXPECT_EQ(t.GetIndexColumns(0), (Rows{2}));
    EXPECT_EQ(Find(t, {"f"}, {2}, 0), (Rows{1}));
    EXPECT_EQ(t.GetNumColumns(), 4u);
    ExpectIndicesInStep(t);

    ExpectOutOfRange([&] { t.FillColumn(Strings{"x"}, 4); },
                     "Invalid column index in ITTable::FillColumn");
    ExpectOutOfRange([&] { t.DeleteColumn(4); }, "Invalid column index in TTable::DeleteColumn");
}

TEST(ITTable, UniqueIndexRefusesChangesAndKeepsTheSegment) {
    ITTable t = Segment({{"a", "1"}, {"b", "2"}}, 2);
    t.CreateIndex({0}, 1);
    const Strings before = Column(t, 0);

    struct Refusal {
        const char* what;
        const char* location;
        std::function<void()> action;
    };
    const Refusal refusals[] = {
        {"append", "ITTable::InsertEntry",
         [&] {
             t.InsertRow(Strings{"c", "3"});
         }},
        {"insert", "ITTable::InsertEntry", [&] { t.InsertRow(0, Strings{"c"}); }},
        {"update", "ITTable::UpdateIndicesOnCellUpdate", [&] { t.UpdateCell("z", 0, 0); }},
        {"fill row", "ITTable::UpdateIndices", [&] { t.FillRow(0, {"z"}); }},
        {"clear row", "ITTable::UpdateIndices", [&] { t.ClearRow(1); }},
        {"fill column", "ITTable::UpdateIndicesOnCellUpdate",
         [&] { t.FillColumn(Strings{"z"}, 1); }},
        {"clear column", "ITTable::UpdateIndicesOnCellUpdate", [&] { t.ClearColumn(0); }},
        {"entry", "ITTable::InsertEntry", [&] { t.InsertEntry(0, "z"); }},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        ExpectMirt<AlreadyExistsException>(r.action, REFUSAL, r.location);
        EXPECT_EQ(t.GetNumRows(), 2u);
        EXPECT_EQ(Column(t, 0), before);
        EXPECT_EQ(Column(t, 1), (Strings{"1", "2"}));
        ExpectIndicesInStep(t);
    }

    // A column added with values: the empty column stays, the fill is
    // refused.
    ExpectMirt<AlreadyExistsException>([&] { t.AddColumn(2, Strings{"v"}); }, REFUSAL,
                                       "ITTable::UpdateIndicesOnCellUpdate");
    EXPECT_EQ(t.GetNumColumns(), 3u);
    EXPECT_EQ(Column(t, 2), (Strings{"", ""}));

    // Deletions stay possible; removing the index lifts the refusals.
    t.DeleteRow(0);
    EXPECT_EQ(Find(t, {"b"}, {0}, 0), (Rows{0}));
    t.DeleteIndex(0);
    EXPECT_EQ(t.InsertRow(Strings{"b"}), 2u);
}

TEST(ITTable, UniqueIndexBuildStopsAtTheFirstRepeatedKey) {
    ITTable t = Segment({{"p"}, {"q"}, {"x"}, {"r"}, {"s"}, {"x"}, {"t"}}, 1);
    ExpectMirt<AlreadyExistsException>([&] { t.CreateIndex({0}, 1); },
                                       "Duplicate value on key index", "ITTable::InsertIndexEntry");
    ASSERT_EQ(t.GetNumIndices(), 1u);
    EXPECT_EQ(InIndexOrder(t, 0, 0), (Strings{"p", "q", "r", "s", "x"}));

    // Under a case-insensitive first column the whole key folds, so rows
    // differing only in the case of a later column collide.
    ITTable ci = Segment({{"a", "X"}, {"A", "x"}}, 2);
    ci.SetFlags(0x11, 0);
    ExpectMirt<AlreadyExistsException>(
        [&] {
            ci.CreateIndex({0, 1}, 1);
        },
        "Duplicate value on key index", "ITTable::InsertIndexEntry");

    ITTable empty;
    ExpectMirt<EmptyValueException>([&] { empty.CreateIndex({}); }, "Empty column indices",
                                    "ITTable::CreateIndex");
    ExpectOutOfRange([&] { t.CreateIndex({1}); },
                     "Invalid column index in  ITTable::VerifyColumnsIndices");
}

TEST(ITTable, SearchTypes) {
    // Rows c a b a d; re-keying row 1 moves it behind row 3 among the a
    // keys, and the range types keep that key order.
    ITTable t = Segment({{"c"}, {"a"}, {"b"}, {"a"}, {"d"}}, 1);
    t.CreateIndex({0});
    t.UpdateCell("a", 0, 1);

    struct Case {
        const char* target;
        unsigned int type;
        Rows rows;
    };
    const Case cases[] = {
        {"a", ITTable::EQUAL, {1, 3}},
        {"b", ITTable::LESS_THAN, {3, 1}},
        {"b", ITTable::LESS_THAN_OR_EQUAL, {3, 1, 2}},
        {"b", ITTable::GREATER_THAN, {0, 4}},
        {"b", ITTable::GREATER_THAN_OR_EQUAL, {2, 0, 4}},
        {"bb", ITTable::GREATER_THAN_OR_EQUAL, {0, 4}},
        {"zz", ITTable::EQUAL, {}},
        {"a", 5, {}},
        {"a", 7, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(t, {c.target}, {0}, 0, c.type), c.rows) << c.target << " type " << c.type;

    Rows one{42};
    t.Search(one, "d", 0, 0);
    EXPECT_EQ(one, (Rows{4}));
}

TEST(ITTable, PartialKeysAndIntegerColumns) {
    ITTable t = Segment({{"10", "x"}, {"9", "y"}, {"-3", "z"}, {"10", "w"}}, 2);
    t.SetFlags(0x20, 0);
    t.CreateIndex({0, 1});

    // One target over a two-column index: a one-component key.
    EXPECT_EQ(Find(t, {"10"}, {0, 1}, 0), (Rows{}));
    EXPECT_EQ(Find(t, {"10"}, {0, 1}, 0, ITTable::GREATER_THAN_OR_EQUAL), (Rows{3, 0}));
    EXPECT_EQ(Find(t, {"9"}, {0, 1}, 0, ITTable::LESS_THAN), (Rows{2}));
    EXPECT_EQ(Find(t, {"10", "x"}, {0, 1}, 0), (Rows{0}));

    ExpectOutOfRange(
        [&] {
            Find(t, {"1", "2", "3"}, {0, 1}, 0);
        },
        "Invalid search target range in ITTable::Search");
    ExpectOutOfRange(
        [&] {
            Find(t, {}, {0, 1}, 0);
        },
        "Invalid search target range in ITTable::Search");
    ExpectOutOfRange([&] { Find(t, {"1"}, {5}, 0); },
                     "Invalid column index in  ITTable::VerifyColumnsIndices");

    // A value that has no integer key makes the search fail.
    EXPECT_THROW(Find(t, {"?"}, {0, 1}, 0), std::runtime_error);
}

TEST(ITTable, FindFirstAndFindIndex) {
    ITTable t = Segment({{"b"}, {"a"}, {"b"}}, 1);
    t.CreateIndex({0});
    t.UpdateCell("b", 0, 0);  // row 0 now follows row 2 among the b keys
    EXPECT_EQ(t.FindFirst({"b"}, {0}, 0), 2u);
    EXPECT_EQ(t.FindFirst({"a"}, {0}, 0), 1u);
    EXPECT_EQ(t.FindFirst({"zz"}, {0}, 0), 3u);

    ExpectMirt<EmptyValueException>([&] { t.FindFirst({"a"}, {}, 0); }, "Empty column indices",
                                    "ITTable::FindFirst");
    ExpectOutOfRange(
        [&] {
            t.FindFirst({"a", "b"}, {0}, 0);
        },
        "Invalid search target range in ITTable::FindFirst");

    EXPECT_EQ(t.FindIndex({0}), 0u);
    t.SetFlags(0x11, 0);  // a new index would now fold case
    EXPECT_EQ(t.FindIndex({0}), ITTable::NO_INDEX);
    t.CreateIndex({0});
    EXPECT_EQ(t.FindIndex({0}), 1u);
    EXPECT_EQ(t.FindFirst({"A"}, {0}, 1), 1u);

    // A column-wise segment keeps its columns when its rows go.
    ITTable empty(0);
    empty.CreateColumn(0, Strings{"x"});
    empty.CreateIndex({0});
    empty.DeleteRow(0);
    EXPECT_EQ(empty.FindFirst({"x"}, {0}, 0), 0u);
    ExpectOutOfRange([&] { t.FindFirst({"a"}, {0}, 9); },
                     "Invalid index number in ITTable::FindFirst");
}

TEST(ITTable, FindDuplicateRows) {
    struct Case {
        bool fromLast;
        std::vector<std::pair<unsigned int, unsigned int>> pairs;
        Strings left;
    };
    const Case cases[] = {
        {false, {{2, 0}, {3, 0}}, {"a", "b"}},
        {true, {{2, 3}, {0, 3}}, {"b", "a"}},
    };
    for (const Case& c : cases) {
        ITTable t = Segment({{"a"}, {"b"}, {"a"}, {"a"}}, 1);
        t.CreateIndex({0});
        std::vector<std::pair<unsigned int, unsigned int>> pairs;
        t.FindDuplicateRows({0}, pairs, true, c.fromLast);
        EXPECT_EQ(pairs, c.pairs);
        EXPECT_EQ(t.GetNumRows(), 4u);
        t.FindDuplicateRows({0}, pairs, false, c.fromLast);
        EXPECT_EQ(Column(t, 0), c.left);
        ExpectIndicesInStep(t);
    }
}

TEST(ITTable, ReadsAndOrientation) {
    std::ostringstream printed;
    printed << Segment({{"a", "bb"}}, 2);
    EXPECT_EQ(printed.str(), "    0         a         bb \n");
    // Column-wise: each tuple is a column; rows behave alike.
    ITTable cw(0);
    cw.CreateColumn(0, Strings{"x", "y"});
    cw.CreateColumn(1, Strings{"1"});
    cw.CreateIndex({0});
    EXPECT_EQ(cw.InsertRow(1, Strings{"z", "2"}), 3u);
    EXPECT_EQ(Column(cw, 0), (Strings{"x", "z", "y"}));
    EXPECT_EQ(Find(cw, {"y"}, {0}, 0), (Rows{2}));
    cw.DeleteRow(0);
    EXPECT_EQ(Find(cw, {"y"}, {0}, 0), (Rows{1}));
    ExpectIndicesInStep(cw);
    ExpectMirt<InvalidStateException>([&] { cw.GetRow(0); },
                                      "Cannot get row reference on column-wise oriented table",
                                      "ITTable::GetRow");
    ExpectMirt<EmptyValueException>([&] { cw.InsertRow(Strings{}); }, "Empty column",
                                    "TTable::InsertColumn");
}

TEST(ITTable, FlagsAndPublicKeys) {
    ITTable t = Segment({{"A b", "7"}}, 2);
    ExpectOutOfRange([&] { t.SetFlags(0x11, 2); }, "Invalid column index in ITTable::SetFlags");
    EXPECT_EQ(t.SetFlags(0x13, 0), 0);
    t.SetFlags(0x20, 1);

    std::string key;
    t.MakeRowKey(key, {0, 1}, 0);
    EXPECT_EQ(key, "ab 00000000007 ");
    t.MakeSearchKey(key, {"AB"}, {0, 1});
    EXPECT_EQ(key, "ab ");
    t.MakeRawRowKey(key, {0, 1}, 0);
    EXPECT_EQ(key, "A b 7 ");
    ExpectOutOfRange([&] { t.MakeRowKey(key, {0}, 1); },
                     "Invalid row index in ITTable::operator()");
}

TEST(ITTable, InsertEntryBuildsValueByValue) {
    ITTable t;
    t.InsertEntry(0, Strings{"a", "b"});  // a new column brings the rows
    t.InsertEntry(1, "x");                // a new column in a segment with rows
    EXPECT_EQ(Column(t, 1), (Strings{"x", ""}));
    t.CreateIndex({0});
    t.InsertEntry(0, Strings{"c", "a"});  // one new row per value
    EXPECT_EQ(Column(t, 0), (Strings{"a", "b", "c", "a"}));
    EXPECT_EQ(Find(t, {"a"}, {0}, 0), (Rows{0, 3}));
    ExpectIndicesInStep(t);
    ExpectOutOfRange([&] { t.InsertEntry(5, "v"); },
                     "Invalid column index in TTable::InsertColumn");
}

// ---- regressions

TEST(ITTable, KeyFailureOnInsertionLeavesTheSegmentUnchanged) {
    ITTable t = Segment({{"a", "1"}, {"b", "2"}}, 2);
    t.SetFlags(0x20, 1);
    t.CreateIndex({0});
    t.CreateIndex({1});  // the second index cannot key "?"

    for (const unsigned int at : {2u, 0u}) {
        EXPECT_THROW(t.InsertRow(at, Strings{"c", "?"}), std::runtime_error);
        EXPECT_EQ(t.GetNumRows(), 2u);
        EXPECT_EQ(Column(t, 0), (Strings{"a", "b"}));
        EXPECT_EQ(Find(t, {"c"}, {0}, 0), (Rows{}));
        EXPECT_EQ(Find(t, {"b"}, {0}, 0), (Rows{1}));
        ExpectIndicesInStep(t);
    }
}

TEST(ITTable, KeyFailureOnChangeLeavesTheSegmentUnchanged) {
    ITTable t = Segment({{"a", "1"}, {"b", "2"}}, 2);
    t.SetFlags(0x20, 1);
    t.CreateIndex({0});
    t.CreateIndex({1});

    const std::function<void()> changes[] = {
        [&] { t.UpdateCell("?", 1, 0); },
        [&] {
            t.FillRow(1, {"z", "?"});
        },
        [&] {
            t.FillColumn(Strings{"3", "?"}, 1);
        },
    };
    for (const auto& change : changes) {
        EXPECT_THROW(change(), std::runtime_error);
        EXPECT_EQ(Column(t, 0), (Strings{"a", "b"}));
        EXPECT_EQ(Column(t, 1), (Strings{"1", "2"}));
        ExpectIndicesInStep(t);
    }
}

TEST(ITTable, CellsWithBlanksDoNotCollide) {
    ITTable t = Segment({{"a b", "c"}, {"a", "b c"}}, 2);
    t.CreateIndex({0, 1});
    EXPECT_EQ(Find(t, {"a b", "c"}, {0, 1}, 0), (Rows{0}));
    EXPECT_EQ(Find(t, {"a", "b c"}, {0, 1}, 0), (Rows{1}));
    EXPECT_EQ(t.FindFirst({"a", "b c"}, {0, 1}, 0), 1u);
    EXPECT_EQ(Find(t, {"a", "b c"}, {0, 1}, 0, ITTable::LESS_THAN), (Rows{}));
    EXPECT_EQ(Find(t, {"a", "b c"}, {0, 1}, 0, ITTable::GREATER_THAN), (Rows{0}));

    // Not duplicates: a unique index takes both rows.
    t.DeleteIndex(0);
    EXPECT_NO_THROW(t.CreateIndex({0, 1}, 1));

    std::vector<std::pair<unsigned int, unsigned int>> pairs;
    t.FindDuplicateRows({0, 1}, pairs, false, false);
    EXPECT_TRUE(pairs.empty());
    EXPECT_EQ(t.GetNumRows(), 2u);
}

TEST(ITTable, RandomEditsAgreeWithBruteForce) {
    // Columns: text, integer, case-insensitive text. Values hold no blanks,
    // so the public blank-joined keys order rows as the index does.
    std::mt19937 random(12345);
    auto pick = [&](unsigned int n) { return static_cast<unsigned int>(random() % n); };
    const Strings texts = {"a", "b", "ab", "B", ""};
    const Strings integers = {"1", "-1", "10", "007", "-20", ""};
    auto value = [&](unsigned int c) {
        return c == 1 ? integers[pick(integers.size())] : texts[pick(texts.size())];
    };
    auto makeRow = [&] { return Strings{value(0), value(1), value(2)}; };

    ITTable t = Segment({makeRow(), makeRow()}, 3);
    t.SetFlags(0x20, 1);
    t.SetFlags(0x11, 2);
    const std::vector<Rows> indexColumns = {{0}, {1}, {2, 0}, {1, 2}};
    for (const Rows& cols : indexColumns) t.CreateIndex(cols);

    // Deletions keep at least one row.
    for (int step = 0; step < 400; ++step) {
        const unsigned int rows = t.GetNumRows();
        const unsigned int c = pick(3);
        Strings column;
        switch (pick(7)) {
            case 0:
                t.InsertRow(makeRow());
                break;
            case 1:
                t.InsertRow(pick(rows + 1), makeRow());
                break;
            case 2:
                if (rows > 1)
                    t.DeleteRow(pick(rows));
                break;
            case 3:
                t.UpdateCell(value(c), c, pick(rows));
                break;
            case 4:
                t.FillRow(pick(rows), {value(0), value(1)});
                break;
            case 5:
                t.ClearRow(pick(rows));
                break;
            default:
                for (unsigned int r = 0; r < rows / 2; ++r) column.push_back(value(c));
                t.FillColumn(column, c);
        }

        for (unsigned int i = 0; i < indexColumns.size(); ++i) {
            const Rows& cols = indexColumns[i];
            const StringLess less(t.IsCaseInsensitive(cols) ? CaseInsensitive : CaseSensitive);
            const unsigned int r = pick(t.GetNumRows());
            Strings targets;
            for (const unsigned int col : cols) targets.push_back(t(r, col));
            std::string target, key;
            t.MakeSearchKey(target, targets, cols);

            Rows equal, lessRows;
            for (unsigned int row = 0; row < t.GetNumRows(); ++row) {
                t.MakeRowKey(key, cols, row);
                if (less(key, target))
                    lessRows.push_back(row);
                else if (!less(target, key))
                    equal.push_back(row);
            }
            ASSERT_EQ(Find(t, targets, cols, i), equal) << "step " << step << " index " << i;
            Rows found = Find(t, targets, cols, i, ITTable::LESS_THAN);
            std::sort(found.begin(), found.end());
            ASSERT_EQ(found, lessRows) << "step " << step << " index " << i;
        }
    }
}
