// ISTable against a plain model: random row, cell and column edits over many
// segments, with several search indices under different column flags and a
// unique key, every answer checked against brute force.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/Serializer.h"
#include "support/Files.h"
#include "support/Thrown.h"
#include "table/ISTable.h"
#include "table/TableTestSupport.h"

namespace {

typedef std::vector<std::string> Row;
typedef std::vector<unsigned int> Rows;

// id: unique values unless an edit copies one; t: text; n: integer; c:
// case-insensitive text. Texts with blanks make blank-joined keys collide.
const char* const kNames[] = {"id", "t", "n", "c"};
const ColumnFlags kFlags[] = {0x10, 0x10, 0x20, 0x11};
const Row kTexts = {"a", "b", "a b", "b c", "B", "A", ""};
const Row kIntegers = {"1", "-1", "10", "007", "7", "-20", ""};
// An index over c folds every text of its key, as c comes first.
const std::vector<Row> kIndices = {{"t"}, {"n"}, {"c", "t"}, {"n", "c"}};
const char* const kRefusal = "Attempting to change the table that has a key search index";

struct Model {
    Row columns{std::begin(kNames), std::end(kNames)};
    std::vector<Row> rows;
    std::vector<unsigned int> segments{0};  // rows per segment

    unsigned int Col(const std::string& name) const {
        return static_cast<unsigned int>(std::find(columns.begin(), columns.end(), name) -
                                         columns.begin());
    }
    // The segment holding row r, and the first row of that segment.
    unsigned int SegmentOf(unsigned int r, unsigned int& start) const {
        start = 0;
        unsigned int s = 0;
        while (s + 1 < segments.size() && r >= start + segments[s]) start += segments[s++];
        return s;
    }
    void Insert(unsigned int r, Row row) {
        row.resize(columns.size());
        unsigned int start = 0;
        if (rows.empty())
            segments = {1};
        else if (r < rows.size())
            ++segments[SegmentOf(r, start)];
        else if (segments.back() != ISTable::SEGMENT_ROWS)  // appends fill the last
            ++segments.back();
        else
            segments.push_back(1);
        rows.insert(rows.begin() + r, std::move(row));
    }
    void Delete(unsigned int r) {
        unsigned int start = 0;
        const unsigned int s = SegmentOf(r, start);
        if (--segments[s] == 0 && segments.size() > 1)
            segments.erase(segments.begin() + s);
        rows.erase(rows.begin() + r);
    }
    // A comparable key: integers by value, texts folded as the index folds them.
    Row Key(const Row& cells, const Row& names) const {
        Row key;
        for (std::size_t k = 0; k < names.size(); ++k) {
            std::string part = cells[k];
            if (names[k] == "n") {
                part = std::to_string((part.empty() ? 0LL : std::stoll(part)) + (1LL << 40));
            } else if (names[k] == "c" || (names[k] == "t" && names[0] == "c")) {
                std::transform(part.begin(), part.end(), part.begin(), ::tolower);
            }
            key.push_back(part);
        }
        return key;
    }
    Row Cells(unsigned int r, const Row& names) const {
        Row cells;
        for (const std::string& name : names) cells.push_back(rows[r][Col(name)]);
        return cells;
    }
};

struct Variant {
    unsigned int orientation;
    bool indexed;
};

class TableModel : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        table.reset(new ISTable("model", GetParam().orientation, CaseSensitive));
        AddColumnsAndIndices();
    }
    void AddColumnsAndIndices() {
        for (unsigned int c = 0; c < 4; ++c) {
            table->AddColumn(kNames[c], Row());
            table->SetFlags(kNames[c], kFlags[c]);
        }
        for (unsigned int i = 0; GetParam().indexed && i < kIndices.size(); ++i)
            table->CreateIndex("i" + std::to_string(i), kIndices[i], 0);
    }

    std::string Value(const std::string& column) {
        if (column == "id")
            return random() % 20 == 0 && !model.rows.empty()
                       ? model.rows[random() % model.rows.size()][0]
                       : "id" + std::to_string(nextId++);
        if (column == "n")
            return random() % 40 == 0 ? "?" : kIntegers[random() % kIntegers.size()];
        return kTexts[random() % kTexts.size()];
    }
    Row NewRow() {
        Row row;
        for (unsigned int c = 0, width = random() % 8 == 0 ? 2 : 4; c < width; ++c)
            row.push_back(Value(model.columns[c]));
        return row;
    }
    // A row number near a segment boundary or an end more often than not.
    unsigned int Position(unsigned int limit) {
        if (limit == 0)
            return 0;
        unsigned int start = 0, near = 0;
        const unsigned int s = random() % model.segments.size();
        for (unsigned int k = 0; k < s; ++k) start += model.segments[k];
        const unsigned int picks[] = {0, limit - 1, start, start + 1, start - 1, 999, 1000};
        near = picks[random() % 7];
        return (random() % 2 && near < limit) ? near : random() % limit;
    }
    // A change that a "?" in an indexed integer column makes fail: nothing
    // may change then.
    template <typename Change, typename Apply>
    void Try(const Row& written, Change change, Apply apply) {
        const bool refused =
            GetParam().indexed && std::find(written.begin(), written.end(), "?") != written.end();
        const std::string thrown = Thrown(change);
        if (refused) {
            ASSERT_EQ(thrown, Throws("std::runtime_error",
                                     "Could not convert \"?\" to a number in String::StringToInt"));
        } else {
            ASSERT_EQ(thrown, "nothing thrown");
            apply();
        }
    }
    // Only the key columns of the integer column may hold a "?".
    Row Written(unsigned int col, const std::string& value) {
        return model.columns[col] == "n" ? Row{value} : Row{};
    }

    void Edit(bool growing);
    void KeyPhase();
    void Check(bool full);

    std::mt19937 random{20240601};
    unsigned int nextId = 0;
    std::unique_ptr<ISTable> table;
    Model model;
};

void TableModel::Edit(bool growing) {
    const unsigned int numRows = static_cast<unsigned int>(model.rows.size());
    const unsigned int action = random() % 100;
    if (numRows == 0 && action >= 55 && action < (growing ? 88u : 90u))
        return;  // deletions and cell changes need a row
    if (action < (growing ? 40u : 10u)) {
        // Row by row, or as one list (long ones at times, split over segments).
        const unsigned int count = random() % 64 == 0 ? 200 + random() % 1000 : 1 + random() % 12;
        if (random() % 2) {
            std::vector<Row> rows;
            for (unsigned int k = 0; k < count; ++k) rows.push_back(NewRow());
            for (Row& row : rows)
                std::replace(row.begin(), row.end(), std::string("?"), std::string("1"));
            for (const Row& row : rows) model.Insert(model.rows.size(), row);
            ASSERT_EQ(table->AppendRows(std::move(rows)), model.rows.size());
            return;
        }
        for (unsigned int k = 0; k < count && k < 12; ++k) {
            Row row = NewRow();
            Try(
                row, [&] { table->AddRow(row); }, [&] { model.Insert(model.rows.size(), row); });
        }
    } else if (action < 55) {
        const Row row = NewRow();
        const unsigned int at = Position(numRows + 1);
        Try(
            row, [&] { table->InsertRow(at, row); }, [&] { model.Insert(at, row); });
    } else if (action < (growing ? 65u : 90u)) {
        Rows doomed;
        for (unsigned int k = growing ? 1 : 1 + random() % 30; k > 0; --k)
            doomed.push_back(Position(numRows));
        doomed.push_back(doomed.front());  // a repeated number deletes its row once
        if (random() % 2) {
            table->DeleteRows(doomed);
        } else {
            std::sort(doomed.begin(), doomed.end());
            doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
            for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) table->DeleteRow(*it);
        }
        std::sort(doomed.begin(), doomed.end());
        doomed.erase(std::unique(doomed.begin(), doomed.end()), doomed.end());
        for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) model.Delete(*it);
    } else if (action < 80) {
        const unsigned int r = Position(numRows), c = random() % model.columns.size();
        const std::string value = Value(model.columns[c]);
        Try(
            Written(c, value), [&] { table->UpdateCell(r, model.columns[c], value); },
            [&] { model.rows[r][c] = value; });
    } else if (action < 88) {
        const unsigned int r = Position(numRows);
        const bool clear = random() % 4 == 0;  // as FillRow with every cell ""
        Row values = NewRow();
        values.resize(clear ? model.columns.size() : 1 + random() % 4);
        if (clear)
            std::fill(values.begin(), values.end(), "");
        Try(
            values, [&] { clear ? table->ClearRow(r) : table->FillRow(r, values); },
            [&] { std::copy(values.begin(), values.end(), model.rows[r].begin()); });
    } else if (action < 94) {
        // A valued column on a table without rows makes its rows.
        const unsigned int count = numRows == 0 ? random() % 2500 : random() % (numRows + 1);
        Row values;
        for (unsigned int k = 0; k < count; ++k) values.push_back(Value("t"));
        table->FillColumn("t", values);
        for (unsigned int k = 0; k < count; ++k) {
            if (numRows == 0)
                model.Insert(k, Row());  // segments cut as appends cut them
            model.rows[k][model.Col("t")] = values[k];
        }
    } else if (action < 97) {
        // A column before the indexed ones moves their numbers; so does its deletion.
        const unsigned int x = model.Col("x");
        if (x < model.columns.size()) {
            table->DeleteColumn("x");
            model.columns.erase(model.columns.begin() + x);
            for (Row& row : model.rows) row.erase(row.begin() + x);
        } else {
            const unsigned int at = 1 + random() % 3;
            Row values(random() % (numRows + 1), "xv");
            table->InsertColumn("x", model.columns[at], values);
            model.columns.insert(model.columns.begin() + at, "x");
            for (unsigned int r = 0; r < numRows; ++r)
                model.rows[r].insert(model.rows[r].begin() + at, r < values.size() ? "xv" : "");
        }
    } else {
        KeyPhase();
    }
}

// A unique key over id: refused when one segment holds a repeated id (equal
// ids in different segments are allowed); while it stands every change but
// a deletion is refused and changes nothing.
void TableModel::KeyPhase() {
    bool repeated = false;
    for (std::size_t s = 0, start = 0; s < model.segments.size(); start += model.segments[s++]) {
        Row ids;
        for (std::size_t r = start; r < start + model.segments[s]; ++r)
            ids.push_back(model.rows[r][0]);
        std::sort(ids.begin(), ids.end());
        repeated = repeated || std::adjacent_find(ids.begin(), ids.end()) != ids.end();
    }
    const unsigned int numIndices = table->GetNumIndices();
    const std::string thrown = Thrown([&] { table->CreateKeyIndex(Row{"id"}); });
    if (repeated) {
        ASSERT_EQ(thrown, Throws("AlreadyExistsException", "Duplicate value on key index",
                                 "ITTable::InsertIndexEntry"));
        ASSERT_EQ(table->GetKeyIndexNumber(), ISTable::NO_INDEX);
        ASSERT_EQ(table->GetNumIndices(), numIndices);
        return;
    }
    ASSERT_EQ(thrown, "nothing thrown");
    const unsigned int numRows = static_cast<unsigned int>(model.rows.size());
    const unsigned int r = Position(numRows);
    const std::function<void()> refused[] = {
        [&] { table->AddRow(Row{"k"}); },
        [&] { table->AppendRows(std::vector<Row>{Row{"k"}}); },
        [&] { table->InsertRow(r, Row{"k"}); },
        [&] { table->UpdateCell(r, "t", "k"); },
        [&] { table->FillRow(r, Row{"k"}); },
        [&] { table->ClearRow(r); },
        [&] { table->AddColumn("k", Row()); },
    };
    for (std::size_t k = 0; k < (numRows == 0 ? 2u : 7u); ++k) {
        const std::string text = Thrown(refused[k]);
        ASSERT_EQ(text.rfind("AlreadyExistsException: ", 0), 0u) << k << ": " << text;
        ASSERT_NE(text.find(kRefusal), std::string::npos) << text;
    }
    Check(true);
    if (numRows > 0) {
        table->DeleteRow(r);
        model.Delete(r);
    }
    table->DeleteKeyIndex();
}

void TableModel::Check(bool full) {
    const unsigned int numRows = static_cast<unsigned int>(model.rows.size());
    ASSERT_EQ(table->GetNumRows(), numRows);
    ASSERT_EQ(SegmentSizes(*table), model.segments);
    ASSERT_EQ(table->GetColumnNames(), model.columns);
    Row cells;
    for (unsigned int s = 0, r = 0; full && GetParam().orientation && s < table->GetNumSegments();
         ++s)
        for (unsigned int k = 0; k < table->GetSegment(s).GetNumRows() && r < numRows; ++k, ++r)
            ASSERT_EQ(table->GetSegment(s).GetRow(k), table->GetRow(r)) << "segment " << s;
    for (unsigned int c = 0; full && c < model.columns.size(); ++c) {
        table->GetColumn(cells, model.columns[c]);
        for (unsigned int r = 0; r < numRows; ++r)
            ASSERT_EQ(cells[r], model.rows[r][c]) << "row " << r << " column " << model.columns[c];
    }
    for (unsigned int k = 0; k < 4 && numRows > 0; ++k) {
        const unsigned int r = Position(numRows);
        table->GetRow(cells, r, "", "");
        ASSERT_EQ(cells, model.rows[r]) << "row " << r;
    }
    if (!GetParam().indexed)
        return;
    for (unsigned int i = 0; i < kIndices.size(); ++i) {
        const Row& names = kIndices[i];
        Row targets = numRows > 0 && random() % 4 ? model.Cells(Position(numRows), names) : Row();
        for (std::size_t k = targets.size(); k < names.size(); ++k)
            targets.push_back(names[k] == "n" ? kIntegers[random() % 6] : kTexts[random() % 6]);
        const Row target = model.Key(targets, names);
        const unsigned int from = Position(numRows + 1), backward = random() % 2;
        std::vector<Row> keys;
        for (unsigned int r = 0; r < numRows; ++r)
            keys.push_back(model.Key(model.Cells(r, names), names));
        for (const unsigned int type : {0u, 1u, 4u}) {
            Rows expected, found;
            unsigned int first = numRows;
            for (unsigned int r = 0; r < numRows; ++r) {
                if (keys[r] == target)
                    first = std::min(first, r);
                const bool match = type == 0   ? keys[r] == target
                                   : type == 1 ? keys[r] < target
                                               : !(keys[r] < target);
                if (match && (backward ? r <= from : r >= from))
                    expected.push_back(r);
            }
            table->Search(found, targets, names, from, backward, type, "i" + std::to_string(i));
            if (backward)
                std::reverse(expected.begin(), expected.end());
            if (type != 0) {  // segment by segment in key order
                std::sort(expected.begin(), expected.end());
                std::sort(found.begin(), found.end());
            }
            ASSERT_EQ(found, expected) << "index " << i << " type " << type << " from " << from;
            ASSERT_EQ(
                type != 0 || table->FindFirst(targets, names, "i" + std::to_string(i)) == first,
                true);
        }
    }
}

}  // namespace

TEST_P(TableModel, RandomEditsAgreeWithBruteForce) {
    // Grow past several segments, shrink to nothing, grow again.
    for (int step = 0; step < 1800; ++step) {
        const bool growing = step < 700 || step >= 1500 || model.rows.empty();
        Edit(growing);
        Check(step % 20 == 0);
        if (HasFatalFailure())
            FAIL() << "step " << step;
    }
    Check(true);

    // Assigned over another table (name and compare type too), assigned to
    // itself and moved on, it is the same table; a copy is a deep one.
    auto other = std::make_unique<ISTable>("other", CaseInsensitive);
    *other = *table;
    EXPECT_EQ(other->Compare(*table), 0);
    *other = static_cast<const ISTable&>(*other);
    table = std::make_unique<ISTable>(std::move(*other));
    EXPECT_EQ(other->GetNumRows() + other->GetNumColumns(), 0u);
    Check(true);
    ISTable copy(*table);
    if (!model.rows.empty()) {
        copy.UpdateCell(0, "t", "copy only");
        EXPECT_EQ((*table)(0, "t"), model.rows[0][model.Col("t")]);
    }
    ScratchDir dir;
    {
        Serializer ser(dir.file("model.bin"), CREATE_MODE);
        unsigned int numItems = 0;
        ASSERT_EQ(table->Write(&ser, numItems), 0u);
    }
    Serializer ser(dir.file("model.bin"), READ_MODE);
    table.reset(new ISTable("", CaseSensitive));
    ASSERT_EQ(table->Read(0, &ser), ISTable::READ_DONE);
    EXPECT_EQ(table->GetName(), "model");
    for (unsigned int c = 0; c < 4; ++c) EXPECT_EQ(table->GetFlags(kNames[c]), kFlags[c]);
    Check(true);

    // Cleared, it takes columns, indices and rows from scratch.
    table->Clear();
    ASSERT_EQ(table->GetNumColumns() + table->GetNumIndices(), 0u);
    model = Model();
    AddColumnsAndIndices();
    for (int step = 0; step < 300; ++step) Edit(true);
    Check(true);
}

INSTANTIATE_TEST_SUITE_P(Variants, TableModel,
                         ::testing::Values(Variant{1, true}, Variant{0, true}, Variant{1, false}),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                             return std::string(info.param.orientation ? "RowWise" : "ColumnWise") +
                                    (info.param.indexed ? "" : "WithoutIndices");
                         });
