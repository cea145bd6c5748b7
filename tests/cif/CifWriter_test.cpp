// Writing CIF text: how each value is written, the two layouts, line
// lengths, and values that must read back as they were.

#include "cif/CifWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"

namespace {

using Cells = std::vector<std::string>;
using Form = CifWriter::Form;

// Adds to block "b" a table of the given columns and rows.
void AddTable(CifFile& file, const std::string& name, const Cells& columns,
              const std::vector<Cells>& rows) {
    auto table = std::make_unique<ISTable>(name, CaseSensitive);
    for (const std::string& column : columns) table->AddColumn(column, Cells());
    for (const Cells& row : rows) table->AddRow(row);
    (file.IsBlockPresent("b") ? file.GetBlock("b") : file.AddBlock("b"))
        .WriteTable(table.release());
}

std::string WriteText(CifFile& file) {
    std::ostringstream out;
    file.Write(out);
    return out.str();
}

}  // namespace

TEST(CifWriter, ClassifiesValues) {
    const Form B = Form::Bare, S = Form::SingleQuoted, D = Form::DoubleQuoted, T = Form::TextField,
               U = Form::Unwritable;
    const std::string longBare(81, 'x');
    const struct {
        Form form;
        std::vector<std::string> values;
    } cases[] = {
        {B,
         {"abc", "?", "1.5", "O5'", "a#b", "database", "d;", "x_y", "Save", "loopy", "stop", "G1",
          std::string(80, 'x')}},
        {S,
         {"a b", "ADENOSINE-5'-TRIPHOSPHATE ", "'lead", "\"lead", "_under", "#hash", "$ref",
          ";semi", "[x", "a[1]", "data_x", "LOOP_", "Save_frame", "global_", "stop_1", "a\tb", "",
          ";" + longBare}},  // too long, but a text field cannot hold it
        {D, {"O5' x", "x' \"y\"z"}},
        {T, {"x' y\" z", "two\nlines", longBare}},
        {U, {"two\n;lines", "cr\rinside"}}};
    for (const auto& c : cases)
        for (const std::string& value : c.values)
            EXPECT_EQ(CifWriter::Classify(value, 80), c.form) << value;
}

TEST(CifWriter, LayoutsAndLineLengths) {
    // Pairs for one row, a loop for more (or when asked), nothing for no rows;
    // empty cells as the null value; loops aligned when a row fits a line.
    CifFile file;
    AddTable(file, "one", {"id", "name"}, {{"ATP", "a b"}});
    AddTable(file, "two", {"id", "v"}, {{"1", "x"}, {"22", ""}});
    AddTable(file, "none", {"id"}, {});
    EXPECT_EQ(WriteText(file),
              "data_b\n_one.id   ATP\n_one.name 'a b'\nloop_\n_two.id\n_two.v\n1  x\n22 ?\n");
    file.SetLooping("one");
    EXPECT_EQ(WriteText(file).substr(0, 35), "data_b\nloop_\n_one.id\n_one.name\nATP ");

    CifFile narrow(30);
    AddTable(narrow, "t", {"a", "b", "c"},
             {{"aaaaaaaaaa", "bbbbbbbbbb", "cccccccccc"}, {"1", "2", "3"}});
    AddTable(narrow, "p", {"long_attribute_name"}, {{"value_that_fills_the_line"}});
    const std::string text = WriteText(narrow);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 30u) << line;
    EXPECT_NE(text.find("_p.long_attribute_name\nvalue_that_fills_the_line\n"), std::string::npos);

    // Aligned rows store short bare values and padding in fixed-size moves:
    // every length around the 16-byte move, short values held on the heap,
    // quoted values and pads of more than 32 blanks give the plain lines.
    std::vector<Cells> rows;
    for (std::size_t n = 1; n <= 20; ++n) {
        std::string heapShort;
        heapShort.reserve(64);
        heapShort.assign(n % 16 + 1, 'h');
        rows.push_back({std::string(n, 'a'), heapShort, n % 3 == 0 ? "x y" : "b",
                        std::string(21 - n, 'c'), "e"});
    }
    rows.push_back({"w", "", "z", std::string(34, 'd'), "e"});
    CifFile aligned;
    AddTable(aligned, "t", {"p", "q", "r", "s", "u"}, rows);
    const auto shown = [](const std::string& cell) {
        const std::string text = cell.empty() ? "?" : cell;
        return CifWriter::Classify(text, 80) == Form::Bare ? text : "'" + text + "'";
    };
    std::vector<std::size_t> widths(5, 0);
    for (const Cells& row : rows)
        for (std::size_t c = 0; c < 5; ++c) widths[c] = std::max(widths[c], shown(row[c]).size());
    std::string expected = "data_b\nloop_\n_t.p\n_t.q\n_t.r\n_t.s\n_t.u\n";
    for (const Cells& row : rows) {
        for (std::size_t c = 0; c < 4; ++c)
            expected += shown(row[c]) + std::string(widths[c] + 1 - shown(row[c]).size(), ' ');
        expected += shown(row[4]) + "\n";
    }
    EXPECT_EQ(WriteText(aligned), expected);
}

// Whatever the values, what is written reads back the same.
TEST(CifWriter, ValuesSurviveWriteAndRead) {
    Cells values;
    std::istringstream list(
        "plain|a b|O5'|O5' x|x' \"y\"z|x' y\" z|two\nlines|\nlead break|trail break\n|_under|#hash|"
        "data_x|loop_|'q'|\"q\"|a[1]|?|.|tab\there|end'|semi;colon| lead space|trail space |"
        "\u00fcn\u00efc\u00f8d\u00e9|Glob|D2'|global|sto|l'");
    for (std::string value; std::getline(list, value, '|');) values.push_back(value);
    values.push_back(std::string(200, 'z'));
    for (const unsigned int lineLength : {80u, 20u}) {
        CifFile file(lineLength);
        Cells columns;
        for (std::size_t i = 0; i < values.size(); ++i) columns.push_back("c" + std::to_string(i));
        AddTable(file, "pairs", columns, {values});
        AddTable(file, "loop", columns, {values, values});
        const std::string text = WriteText(file);
        CifFile back;
        std::string diagnostics;
        CifParser(back).ParseString(text, diagnostics, "");
        ASSERT_EQ(diagnostics, "") << text;
        for (const char* table : {"pairs", "loop"}) {
            ISTable* t = back.GetBlock("b").GetTablePtr(table);
            ASSERT_NE(t, nullptr);
            for (unsigned int r = 0; r < t->GetNumRows(); ++r)
                EXPECT_EQ(t->GetRow(r), values) << table << "\n" << text;
        }
    }
}
