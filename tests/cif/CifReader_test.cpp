// Reading CIF text: what each text gives as blocks, tables and cells, and
// the diagnostics with their line numbers; the scanner's tokens underneath.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cif/CifDump.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "cif/CifScanner.h"
#include "support/Files.h"

namespace {

typedef std::vector<std::string> Texts;

// The dump and the diagnostics of a text.
std::string Read(const std::string& text, std::string* log = nullptr) {
    CifFile file;
    CifParser parser(file);
    std::string diagnostics;
    parser.ParseString(text, diagnostics, "");
    if (log != nullptr)
        *log = parser.GetLog();
    return Dump(file) + diagnostics;
}

std::string Error(unsigned int line, const std::string& message) {
    return "ERROR - line " + std::to_string(line) + ": " + message + "\n";
}

}  // namespace

TEST(CifReader, BlocksTablesAndValues) {
    const struct {
        std::string text, read;
    } cases[] = {
        {"data_comp_list\nloop_\n_chem_comp.id\n_chem_comp.name\n"
         "ATP 'ADENOSINE-5'-TRIPHOSPHATE '\nGLY \"GLY'S\"\n"
         "data_comp_ATP\n_chem_comp.id ATP\n_chem_comp.name ?\n_other.x .\n"
         "_chem_comp.desc\n;\nline one\nline two\n;\n",
         "data_comp_list\nchem_comp: id name\n  ATP|ADENOSINE-5'-TRIPHOSPHATE \n  GLY|GLY'S\n"
         "data_comp_ATP\nchem_comp: id name desc\n  ATP|?|line one\nline two\nother: x\n  .\n"},
        // A loop without values makes a table without rows; a short one
        // keeps what it read and fills the rest.
        {"data_a\nloop_\n_t.a\n_t.b\nloop_\n_u.c\n1\n", "data_a\nt: a b\nu: c\n  1\n"},
        {"data_a\nloop_\n_t.a\n_t.b\n1 2 3\n",
         "data_a\nt: a b\n  1|2\n  3|?\n" +
             Error(2, "loop_ of 2 data names holds 3 values, not a multiple of 2")},
        // Reserved words in any case; a value may hold # and ; (and start
        // with ; away from the start of a line).
        {"DATA_x\nLOOP_\n_t.v\na#b ;b\nx;y\n", "data_x\nt: v\n  a#b\n  ;b\n  x;y\n"},
        // Save frames merge into the block; frames with other columns leave "?".
        {"data_d\nsave_a\n_category.id a\n_category.description one\nsave_\n"
         "save_b\n_category.id b\n_category.mandatory_code yes\nsave_\n",
         "data_d\ncategory: id description mandatory_code\n  a|one|?\n  b|?|yes\n"},
        // Implicit keys: a category frame's rows take its id (or name), an
        // item frame's take their own item name, else the frame's.
        {"data_dict\nsave_atom\n_category.id atom\nloop_\n_category_key.name\n'_atom.id'\n"
         "save_\nsave_GROUP\n_category.mandatory_code yes\nsave_\n"
         "save__atom.x\nloop_\n_item.name\n_item.mandatory_code\n'_atom.x' no\n'_site.x' no\n"
         "_item_range.minimum 0\nsave_\n",
         "data_dict\ncategory: id mandatory_code\n  atom|?\n  GROUP|yes\n"
         "category_key: name id\n  _atom.id|atom\nitem: name mandatory_code category_id\n"
         "  _atom.x|no|atom\n  _site.x|no|site\nitem_range: minimum name\n  0|_atom.x\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.text), c.read) << c.text;
}

TEST(CifReader, ValueForms) {
    // A quote closes only before whitespace or the end; a text field drops
    // the line breaks that frame it.
    const std::pair<const char*, const char*> quoted[] = {
        {"abc", "abc"},     {"'a b'", "a b"},   {"\"a b\"", "a b"},
        {"\"O5'\"", "O5'"}, {"'O5''", "O5'"},   {"'it's'", "it's"},
        {"''", ""},         {"'a\"b'", "a\"b"}, {"a'b", "a'b"}};
    const std::pair<const char*, const char*> fields[] = {
        {";\nline1\nline2\n;", "line1\nline2"},
        {";first\nsecond\n;", "first\nsecond"},
        {";\n;", ""},
        {";\n\n\n;", "\n"},
        {";\r\nline1\r\nline2\r\n;", "line1\nline2"},
        {";\rline1\rline2\r;", "line1\nline2"},
        {";\n a;b\n ;c\n;", " a;b\n ;c"}};
    std::vector<std::pair<const char*, const char*>> cases(std::begin(quoted), std::end(quoted));
    cases.insert(cases.end(), std::begin(fields), std::end(fields));
    for (const auto& c : cases)
        EXPECT_EQ(Read("data_a\n_t.v\n" + std::string(c.first) + "\n"),
                  "data_a\nt: v\n  " + std::string(c.second) + "\n")
            << c.first;
}

TEST(CifReader, DiagnosticsNameTheirLines) {
    const std::string withoutValue = Error(2, "data name \"_t.v\" without a value"),
                      twice = "category \"t\" given twice in data block \"a\"";
    const std::pair<const char*, std::string> cases[] = {
        {"f#\ndata_a\n_t.v 1\n", Error(1, "value \"f#\" before the first data_ line")},
        {"data_a\n_t.v\n_t.w 1\n", withoutValue},
        {"data_a\n_t.v 1\n_t.w\n", Error(3, "data name \"_t.w\" without a value")},
        {"data_a\n_t.v 1\ndata_a\n_t.v 2\n", Error(3, "duplicate data block name \"a\"")},
        {"data_a\n_t.v 1\n_t.v 2\n", Error(3, "item \"_t.v\" given twice")},
        {"data_a\nloop_\n_t.a\n1\n\nloop_\n_t.a\n2\n", Error(6, twice)},
        {"data_a\nloop_\n_t.a\n1\n_t.b 2\n", Error(5, twice)},
        {"data_a\nloop_\n_t.a\n_u.b\n1 2\n", Error(2, "loop_ mixes categories \"t\" and \"u\"")},
        {"data_a\n_tv 1\n", Error(2, "item name \"_tv\" without \".\"")},
        {"data_a\n1\n", Error(2, "value \"1\" without a data name")},
        {"data_a\n_t.v 'open\n", Error(2, "unterminated quoted value \"'open\"") + withoutValue},
        {"data_a\n_t.v\n;\nopen\n", Error(3, "unterminated text field") + withoutValue},
        {"data_a\nsave_x\n_item.name a\n", Error(2, "save frame \"x\" is not closed")},
        {"data_a\nsave_\n", Error(2, "save_ without an open save frame")},
        {"data_a\nloop_a\n", Error(2, "reserved word \"loop_a\" is not allowed")},
        {"data_a\nstop_\n", Error(2, "reserved word \"stop_\" is not allowed")},
        {"data_a\n_t.v 1\ndata_\n", Error(3, "data_ without a block name")},
        // Lines are counted through comments and text fields, for every line end.
        {"data_a\n# 'unclosed\n_x.y\n;\nt1\nt2\n;\n\nlast\n",
         Error(9, "value \"last\" without a data name")},
        {"data_a\r\n# 'unclosed\r\n_x.y\r\n;\r\nt1\r\n;\r\n\rlast\r",
         Error(8, "value \"last\" without a data name")},
        {"data_a\n_x.y\n;\rt1\nt2\r\n;\nlast\n", Error(7, "value \"last\" without a data name")},
    };
    for (const auto& c : cases) {
        const std::string read = Read(c.first);
        EXPECT_EQ(read.substr(std::min(read.find("ERROR"), read.size())), c.second) << c.first;
    }
    // Warnings go to the log only.
    std::string log;
    EXPECT_EQ(Read("global_\n_lib_name ?\n_lib.version 1\ndata_a\n_._x 1\n_t.v 2\n", &log),
              "data_a\nt: v\n  2\n");
    EXPECT_EQ(log,
              "WARNING - line 1: global_ section skipped\n"
              "WARNING - line 5: empty category name in \"_._x\"; item skipped\n");
}

TEST(CifReader, TheLogIsWrittenOnlyWhenThereIsSomethingToSay) {
    ScratchDir dir;
    const std::string good = dir.write("good.cif", "data_a\n_t.v 1\n");
    const std::string bad = dir.write("bad.cif", "global_\n_x 1\ndata_a\n_t.v\n");
    const std::string goodLog = dir.write("good.log", "stale\n");
    CifFile file, other;
    std::string diagnostics;
    CifParser(file).Parse(good, diagnostics, goodLog);
    EXPECT_EQ(diagnostics, "");
    EXPECT_FALSE(std::ifstream(goodLog).good());  // no stale log stays
    CifParser(other).Parse(bad, diagnostics, dir.file("bad.log"));
    EXPECT_EQ(diagnostics, Error(4, "data name \"_t.v\" without a value"));
    EXPECT_EQ(read_text(dir.file("bad.log")),
              "WARNING - line 1: global_ section skipped\n" + diagnostics);
}

// A category wider than the reader's scan limit, filled by pairs in two save
// frames (the second adds columns to rows the first began) and by a loop:
// every value lands in its own column.
TEST(CifReader, WideCategoriesKeepEveryColumn) {
    std::ostringstream text;
    text << "data_d\nsave_one\n";
    for (int c = 0; c < 45; ++c) text << "_wide.c" << c << " v" << c << "\n";
    text << "save_\nsave_two\n";
    for (int c = 49; c >= 40; --c) text << "_wide.c" << c << " w" << c << "\n";
    text << "_wide.c0 w0\nsave_\nloop_\n_other.c0\n_other.c1\n_other.c2\n1 2 3 4 5 6\n";
    CifFile file;
    std::string diagnostics;
    CifParser(file).ParseString(text.str(), diagnostics, "");
    ASSERT_EQ(diagnostics, "");
    const ISTable& wide = *file.GetBlock("d").GetTablePtr("wide");
    ASSERT_EQ(wide.GetNumRows(), 2u);
    ASSERT_EQ(wide.GetNumColumns(), 50u);
    for (int c = 0; c < 50; ++c) {
        const std::string name = "c" + std::to_string(c);
        EXPECT_EQ(wide(0, name), c < 45 ? "v" + std::to_string(c) : "?") << name;
        EXPECT_EQ(wide(1, name), c >= 40 || c == 0 ? "w" + std::to_string(c) : "?") << name;
    }
    EXPECT_EQ(file.GetBlock("d").GetTablePtr("other")->GetRow(1), (Texts{"4", "5", "6"}));
}

// Categories of tens of thousands of columns, one given item by item and one
// by a loop of a single row (each column new when it comes): every value in
// its column, and a repeated item still found at that width.
TEST(CifReader, CategoriesOfManyColumns) {
    const int width = 30000;
    std::string text = "data_w\n";
    for (int c = 0; c < width; ++c)
        text += "_pairs.c" + std::to_string(c) + " v" + std::to_string(c) + "\n";
    text += "_pairs.c7 again\nloop_\n";
    for (int c = 0; c < width; ++c) text += "_looped.c" + std::to_string(c) + "\n";
    for (int c = 0; c < width; ++c) text += "w" + std::to_string(c) + "\n";
    CifFile file;
    std::string diagnostics;
    CifParser(file).ParseString(text, diagnostics, "");
    EXPECT_EQ(diagnostics, Error(width + 2, "item \"_pairs.c7\" given twice"));
    Block& block = file.GetBlock("w");
    for (const char* name : {"pairs", "looped"}) {
        const ISTable& table = *block.GetTablePtr(name);
        ASSERT_EQ(table.GetNumRows(), 1u) << name;
        const Texts& columns = table.GetColumnNames();
        ASSERT_EQ(columns.size(), std::size_t(width)) << name;
        const Texts& row = table.GetRow(0);
        const std::string prefix = name[0] == 'p' ? "v" : "w";
        for (int c = 0; c < width; ++c) {
            ASSERT_EQ(columns[c], "c" + std::to_string(c)) << name;
            ASSERT_EQ(row[c], prefix + std::to_string(c)) << name;
        }
    }
}

TEST(CifScanner, QuotedValuesAtEveryAlignment) {
    // Quoted values of every length past two words, each holding a byte that
    // a word test must tell apart (a quote that does not close, the other
    // quote, a tab, bytes above 0x7F, control characters) at every place and
    // start alignment. A control character is reported right after its value.
    const std::string inner[] = {"'x", "\"", "\t", "\xc3\xa9", "\x01", "\x1f"};
    for (std::size_t shift = 0; shift < 9; ++shift) {
        std::string scanned(shift, ' '), expected;
        for (std::size_t n = 1; n <= 19; ++n) {
            std::string value(n, 'a');
            value.replace(n / 2, 1, inner[n % 6]);
            scanned += "'" + value + "'" + std::string(n % 3, ' ') + (n % 4 == 0 ? "\n" : " ");
            expected += value + (n % 6 >= 4 ? " ! " : " ");
        }
        scanned.pop_back();  // the last value may end the text
        CifScanner words(scanned.data(), scanned.data() + scanned.size());
        std::string got;
        for (const CifToken* t = &words.Next(); t->type != CifTokenType::End; t = &words.Next())
            got += (t->type == CifTokenType::Value ? std::string(t->text) : "!") + " ";
        EXPECT_EQ(got, expected) << "shift " << shift;
    }
}

TEST(CifScanner, ValuesAtEveryAlignment) {
    // Values and blank runs of every length past two words, each kind of
    // separator, and bytes that only look like separators to a word test,
    // at every start alignment. A control character in a value, or a VT/FF
    // in the gap before it, is reported once, right after that value ("!").
    const char* const separators[] = {" ", "\t", "\v", "\f", "\n", "\r\n", "\r"};
    const std::string inner[] = {"x", "\x01", "\x1f", "\xc3\xa9", "!"};
    for (std::size_t shift = 0; shift < 9; ++shift) {
        std::string scanned(shift, ' '), expected;
        unsigned int line = 1;
        bool gapControl = false;
        for (std::size_t n = 1; n <= 19; ++n) {
            std::string value = "v" + std::string(n - 1, 'a');
            value.replace(n / 2, 1, n >= 2 ? inner[n % 5] : "v");
            expected += value + "@" + std::to_string(line) + " ";
            if (gapControl || static_cast<unsigned char>(value[n / 2]) < 0x20)
                expected += "!@" + std::to_string(line) + " ";
            scanned += value + std::string(n % 11, ' ') + separators[n % 7];
            gapControl = n % 7 == 2 || n % 7 == 3;
            line += n % 7 >= 4;
        }
        scanned.pop_back();  // the last value may end the text
        CifScanner words(scanned.data(), scanned.data() + scanned.size());
        std::string got;
        for (const CifToken* t = &words.Next(); t->type != CifTokenType::End; t = &words.Next())
            got += (t->type == CifTokenType::Value ? std::string(t->text) : "!") + "@" +
                   std::to_string(t->line) + " ";
        EXPECT_EQ(got, expected) << "shift " << shift;
    }
}
