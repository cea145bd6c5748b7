// The short cuts of the reader and the writer must give what the plain
// character-by-character logic gives: word-at-a-time scanning at every
// alignment, the scan-then-hash column lookup of wide categories, the first
// segment built straight from a table's first row, the index-free row
// append, the scanned short name lists, and the bare-value test of the
// writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "cif/CifScanner.h"
#include "cif/CifWriter.h"
#include "foundation/mapped_vector.h"
#include "table/ISTable.h"

namespace {

using Cells = std::vector<std::string>;

// Every value of the text, in order, with the line each starts on; a control
// character error as "!".
std::vector<std::pair<std::string, unsigned int>> Values(const std::string& text) {
    std::vector<std::pair<std::string, unsigned int>> values;
    CifScanner scanner(text.data(), text.data() + text.size());
    for (;;) {
        const CifToken& token = scanner.Next();
        if (token.type == CifTokenType::End) {
            return values;
        }
        if (token.type == CifTokenType::Error) {
            EXPECT_EQ(token.text.substr(0, 17), "control character");
            values.emplace_back("!", token.line);
            continue;
        }
        EXPECT_EQ(token.type, CifTokenType::Value) << token.text;
        values.emplace_back(std::string(token.text), token.line);
    }
}

TEST(FastPathsTest, ScannerSplitsAtEveryAlignment) {
    // Values and blank runs of every length up to beyond two words, with each
    // kind of whitespace as separator and bytes that only look like
    // separators to a word test (control characters, UTF-8) inside values.
    const char* const separators[] = {" ", "\t", "\v", "\f", "\n", "\r\n", "\r"};
    const std::string inner[] = {"x", "\x01", "\x1f", "\xc3\xa9", "!"};
    for (std::size_t shift = 0; shift < 9; ++shift) {
        std::string text(shift, ' ');
        std::vector<std::pair<std::string, unsigned int>> expected;
        unsigned int line = 1;
        bool gapControl = false;
        for (std::size_t n = 1; n <= 19; ++n) {
            std::string value(n, 'a');
            value[n / 2] = inner[n % 5][0];
            if (inner[n % 5].size() > 1 && n >= 2) {
                value.replace(n / 2, 1, inner[n % 5]);
            }
            value[0] = 'v';
            expected.emplace_back(value, line);
            // One report for the gap before the value and the value itself.
            if (gapControl || static_cast<unsigned char>(value[n / 2]) < 0x20) {
                expected.emplace_back("!", line);
            }
            text += value;
            const std::string separator = separators[n % 7];
            text.append(n % 11, ' ');
            text += separator;
            gapControl = separator == "\v" || separator == "\f";
            if (separator != " " && separator != "\t" && separator != "\v" && separator != "\f") {
                ++line;
            }
        }
        text.pop_back();  // the last value may end the text, or a blank run may
        ASSERT_EQ(Values(text), expected) << "shift " << shift;
        ASSERT_EQ(Values(text + "last"),
                  [&] {
                      auto more = expected;
                      more.emplace_back("last", line);
                      return more;
                  }())
            << "shift " << shift;
    }
}

// A category wider than the reader's scan limit, filled by name/value pairs
// in two save frames (the second adds columns to rows the first began) and a
// loop: every value lands in its own column.
TEST(FastPathsTest, WideCategoriesKeepEveryColumn) {
    const int kWidth = 45;
    std::ostringstream text;
    text << "data_d\nsave_one\n";
    for (int c = 0; c < kWidth; ++c) {
        text << "_wide.c" << c << " v" << c << "\n";
    }
    text << "save_\nsave_two\n";
    for (int c = kWidth + 4; c >= kWidth - 5; --c) {
        text << "_wide.c" << c << " w" << c << "\n";
    }
    text << "_wide.c0 w0\nsave_\nloop_\n";
    for (int c = 0; c < 3; ++c) {
        text << "_other.c" << c << "\n";
    }
    text << "1 2 3 4 5 6\n";
    CifFile file;
    CifParser parser(file);
    std::string diagnostics;
    parser.ParseString(text.str(), diagnostics, "");
    ASSERT_EQ(diagnostics, "");
    ISTable* wide = file.GetBlock("d").GetTablePtr("wide");
    ASSERT_NE(wide, nullptr);
    ASSERT_EQ(wide->GetNumRows(), 2u);
    ASSERT_EQ(wide->GetNumColumns(), static_cast<unsigned int>(kWidth + 5));
    for (int c = 0; c < kWidth + 5; ++c) {
        const std::string name = "c" + std::to_string(c);
        EXPECT_EQ((*wide)(0, name), c < kWidth ? "v" + std::to_string(c) : "?") << name;
        const bool given = c >= kWidth - 5 || c == 0;
        EXPECT_EQ((*wide)(1, name), given ? "w" + std::to_string(c) : "?") << name;
    }
    ISTable* other = file.GetBlock("d").GetTablePtr("other");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetRow(1), (Cells{"4", "5", "6"}));
}

// The segments made from a first row, and from the row that opens each
// later segment, carry the flags and indices the table had before.
TEST(FastPathsTest, SegmentsFromRowsKeepFlagsAndIndices) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("name", Cells());
    table.AddColumn("n", Cells());
    table.AddColumn("note", Cells());
    table.SetFlags("name", 0x11);  // case-insensitive text
    table.CreateIndex("by_name", Cells{"name"}, 0);
    const unsigned int kRows = 2 * ISTable::SEGMENT_ROWS + 7;
    for (unsigned int r = 0; r < kRows; ++r) {
        table.AddRow(r % 2 == 0 ? Cells{"Row" + std::to_string(r), std::to_string(r)}
                                : Cells{"ROW" + std::to_string(r), std::to_string(r), "x"});
    }
    ASSERT_EQ(table.GetNumRows(), kRows);
    ASSERT_EQ(table.GetNumSegments(), 3u);
    EXPECT_EQ(table.GetFlags("name"), 0x11);
    for (const unsigned int r :
         {0u, 1u, ISTable::SEGMENT_ROWS, ISTable::SEGMENT_ROWS + 1, kRows - 1}) {
        const Cells& row = table.GetRow(r);
        ASSERT_EQ(row.size(), 3u);
        EXPECT_EQ(row[2], r % 2 == 0 ? "" : "x") << r;
        std::vector<unsigned int> found;
        table.Search(found, "row" + std::to_string(r), "name", 0, 0, 0);
        EXPECT_EQ(found, std::vector<unsigned int>{r});
    }
}

// Name lists answer the same whether short (scanned) or long (indexed), and
// across the switch from one to the other.
TEST(FastPathsTest, NameListsAnswerAlikeShortAndLong) {
    for (const unsigned int count : {3u, 16u, 17u, 40u}) {
        mapped_vector names(CaseInsensitive);
        for (unsigned int i = 0; i < count; ++i) {
            names.push_back("Col" + std::to_string(i));
        }
        names.insert(1, "Middle");
        ASSERT_EQ(names.size(), count + 1) << count;
        EXPECT_EQ(names.find("MIDDLE"), 1u) << count;
        EXPECT_EQ(names.find("col0"), 0u) << count;
        EXPECT_EQ(names.find("COL" + std::to_string(count - 1)), count) << count;
        EXPECT_EQ(names.find("absent"), names.size()) << count;
        EXPECT_THROW(names.insert(0, "col2"), std::out_of_range) << count;

        names.erase("col0");
        EXPECT_EQ(names.find("Col0"), names.size()) << count;
        EXPECT_EQ(names.find("middle"), 0u) << count;
        EXPECT_EQ(names.find("Col1"), 1u) << count;
        EXPECT_THROW(names.erase("col0"), std::out_of_range) << count;

        const mapped_vector copy(names);
        mapped_vector moved(std::move(names));
        for (unsigned int i = 1; i < count; ++i) {
            const std::string name = "cOL" + std::to_string(i);
            EXPECT_EQ(copy.find(name), i) << count;
            EXPECT_EQ(moved.find(name), i) << count;
        }
        EXPECT_TRUE(names.empty());
        names.push_back("again");
        EXPECT_EQ(names.find("AGAIN"), 0u);
    }
}

// Appends to a table without indices pad short rows and refuse long ones
// without a change, in every segment.
TEST(FastPathsTest, IndexFreeAppendsPadAndRefuse) {
    ISTable table("t", CaseSensitive);
    table.AddColumn("a", Cells());
    table.AddColumn("b", Cells());
    const unsigned int kRows = ISTable::SEGMENT_ROWS + 3;
    for (unsigned int r = 0; r < kRows; ++r) {
        EXPECT_EQ(table.AddRow(r % 2 == 0 ? Cells{std::to_string(r)} : Cells{"x", "y"}), r + 1);
    }
    EXPECT_THROW(table.AddRow(Cells{"1", "2", "3"}), std::out_of_range);
    ASSERT_EQ(table.GetNumRows(), kRows);
    for (const unsigned int r : {0u, 1u, ISTable::SEGMENT_ROWS, kRows - 1}) {
        EXPECT_EQ(table.GetRow(r), (r % 2 == 0 ? Cells{std::to_string(r), ""} : Cells{"x", "y"}))
            << r;
    }
}

// The writer's quick bare test agrees with the full decision; a file of
// such values writes as before and reads back the same.
TEST(FastPathsTest, QuickBareValuesMatchTheFullDecision) {
    const Cells values = {"a",  "ATOM", "dog",  "data",   "data_",  "loopy", "loop_x", "Save",
                          "s",  "g",    "glob", "global", "d;",     "l'",    "x_y",    "1.5e-3",
                          "?x", ".",    "sto",  "stop",   "stop_1", "G1",    "D2'",    "a#"};
    CifFile file(20);
    auto table = std::make_unique<ISTable>("t", CaseSensitive);
    table->AddColumn("v", Cells());
    for (const std::string& value : values) {
        table->AddRow(Cells{value});
    }
    file.AddBlock("b").WriteTable(table.release());
    std::ostringstream out;
    file.Write(out);
    std::istringstream lines(out.str());
    std::string line;
    for (int skip = 0; skip < 3; ++skip) {
        std::getline(lines, line);
    }
    for (const std::string& value : values) {
        ASSERT_TRUE(std::getline(lines, line));
        const CifWriter::Form form = CifWriter::Classify(value, 20);
        EXPECT_EQ(line, form == CifWriter::Form::Bare ? value : "'" + value + "'") << value;
    }
}

// Aligned loop rows: short bare values and padding are stored in fixed-size
// moves. Every value length around the 16-byte move, short values held in a
// heap block, quoted values and pads on both sides of 32 blanks must give
// exactly the plainly padded lines.
TEST(FastPathsTest, AlignedRowsArePaddedExactly) {
    std::vector<Cells> rows;
    for (std::size_t n = 1; n <= 20; ++n) {
        std::string heapShort;
        heapShort.reserve(64);  // storage on the heap, value still short
        heapShort.assign(n % 16 + 1, 'h');
        rows.push_back(Cells{std::string(n, 'a'), heapShort, n % 3 == 0 ? "x y" : "b",
                             std::string(21 - n, 'c'), "e"});
    }
    rows.push_back(Cells{"w", "", "z", std::string(34, 'd'), "e"});  // pads over 32
    CifFile file;
    auto table = std::make_unique<ISTable>("t", CaseSensitive);
    for (const char* column : {"p", "q", "r", "s", "u"}) {
        table->AddColumn(column, Cells());
    }
    for (const Cells& row : rows) {
        table->AddRow(row);
    }
    file.AddBlock("b").WriteTable(table.release());
    std::ostringstream out;
    file.Write(out);

    // The same lines built the plain way: forms, column widths, blanks.
    const auto shown = [&file](const std::string& cell) {
        const std::string& text = cell.empty() ? file.GetNullValue() : cell;
        return CifWriter::Classify(text, file.GetMaxLineLength()) == CifWriter::Form::Bare
                   ? text
                   : "'" + text + "'";
    };
    std::vector<std::size_t> widths(5, 0);
    for (const Cells& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], shown(row[c]).size());
        }
    }
    std::string expected = "data_b\nloop_\n_t.p\n_t.q\n_t.r\n_t.s\n_t.u\n";
    for (const Cells& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            std::string text = shown(row[c]);
            if (c + 1 < row.size()) {
                text.resize(widths[c], ' ');
                text += ' ';
            }
            expected += text;
        }
        expected += '\n';
    }
    EXPECT_EQ(out.str(), expected);
}

}  // namespace
