#include "cif/CifParser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "foundation/Exceptions.h"

namespace {

std::string Parse(CifFile& file, const std::string& text) {
    CifParser parser(file);
    std::string diagnostics;
    parser.ParseString(text, diagnostics, "");
    return diagnostics;
}

std::vector<std::string> Column(Block& block, const std::string& table, const std::string& column) {
    ISTable* t = block.GetTablePtr(table);
    EXPECT_NE(t, nullptr) << table;
    std::vector<std::string> cells;
    if (t != nullptr) {
        t->GetColumn(cells, column);
    }
    return cells;
}

using Cells = std::vector<std::string>;

TEST(CifParserTest, BuildsBlocksTablesColumnsAndRows) {
    CifFile file;
    const std::string diagnostics = Parse(file,
                                          "data_comp_list\n"
                                          "loop_\n_chem_comp.id\n_chem_comp.name\n"
                                          "ATP 'ADENOSINE-5'-TRIPHOSPHATE '\n"
                                          "GLY \"GLY'S\"\n"
                                          "data_comp_ATP\n"
                                          "_chem_comp.id ATP\n"
                                          "_chem_comp.name ?\n"
                                          "_other.x .\n"
                                          "_chem_comp.desc\n;\nline one\nline two\n;\n");
    EXPECT_EQ(diagnostics, "");
    std::vector<std::string> names;
    file.GetBlockNames(names);
    EXPECT_EQ(names, (Cells{"comp_list", "comp_ATP"}));

    Block& list = file.GetBlock("comp_list");
    EXPECT_EQ(Column(list, "chem_comp", "id"), (Cells{"ATP", "GLY"}));
    EXPECT_EQ(Column(list, "chem_comp", "name"), (Cells{"ADENOSINE-5'-TRIPHOSPHATE ", "GLY'S"}));

    Block& atp = file.GetBlock("comp_ATP");
    atp.GetTableNames(names);
    EXPECT_EQ(names, (Cells{"chem_comp", "other"}));
    ISTable* comp = atp.GetTablePtr("chem_comp");
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(comp->GetColumnNames(), (Cells{"id", "name", "desc"}));
    ASSERT_EQ(comp->GetNumRows(), 1u);
    EXPECT_EQ(comp->GetRow(0), (Cells{"ATP", "?", "line one\nline two"}));
    EXPECT_EQ(Column(atp, "other", "x"), (Cells{"."}));
}

TEST(CifParserTest, ReadsCrlfAndCrFilesLikeLfFiles) {
    const std::string lf = "data_a\n_t.v 'x y'\nloop_\n_l.a\n_l.b\n1 2\n;\ntext\n;\n3\n";
    for (const char* eol : {"\r\n", "\r"}) {
        std::string text;
        for (const char c : lf) {
            text += c == '\n' ? std::string(eol) : std::string(1, c);
        }
        CifFile file;
        EXPECT_EQ(Parse(file, text), "");
        Block& block = file.GetBlock("a");
        EXPECT_EQ(Column(block, "t", "v"), (Cells{"x y"}));
        EXPECT_EQ(Column(block, "l", "a"), (Cells{"1", "text"}));
        EXPECT_EQ(Column(block, "l", "b"), (Cells{"2", "3"}));
    }
}

// Each broken text gives one diagnostic line naming the line of the fault.
TEST(CifParserTest, ReportsStructuralErrorsWithTheirLines) {
    struct Case {
        const char* text;
        const char* expected;  // a piece of the diagnostic
    };
    const Case cases[] = {
        {"f#\ndata_a\n_t.v 1\n", "line 1: value \"f#\" before the first data_ line"},
        {"data_a\n_t.v\n_t.w 1\n", "line 2: data name \"_t.v\" without a value"},
        {"data_a\n_t.v 1\n_t.w\n", "line 3: data name \"_t.w\" without a value"},
        {"data_a\nloop_\n_t.a\n_t.b\n1 2 3\n", "line 2: loop_ of 2 data names holds 3 values"},
        {"data_a\n_t.v 1\ndata_a\n_t.v 2\n", "line 3: duplicate data block name \"a\""},
        {"data_a\n_t.v 1\n_t.v 2\n", "line 3: item \"_t.v\" given twice"},
        {"data_a\nloop_\n_t.a\n1\n\nloop_\n_t.a\n2\n", "line 6: category \"t\" given twice"},
        {"data_a\nloop_\n_t.a\n1\n_t.b 2\n", "line 5: category \"t\" given twice"},
        {"data_a\nloop_\n_t.a\n_u.b\n1 2\n", "line 2: loop_ mixes categories \"t\" and \"u\""},
        {"data_a\n_tv 1\n", "line 2: item name \"_tv\" without \".\""},
        {"data_a\n1\n", "line 2: value \"1\" without a data name"},
        {"data_a\n_t.v 'open\n", "line 2: unterminated quoted value"},
        {"data_a\n_t.v\n;\nopen\n", "line 3: unterminated text field"},
        {"data_a\nsave_x\n_item.name a\n", "line 2: save frame \"x\" is not closed"},
        {"data_a\nsave_\n", "line 2: save_ without an open save frame"},
    };
    for (const Case& c : cases) {
        CifFile file;
        const std::string diagnostics = Parse(file, c.text);
        EXPECT_NE(diagnostics.find(c.expected), std::string::npos)
            << c.text << "\n-> " << diagnostics;
    }
}

TEST(CifParserTest, KeepsTheValuesOfAShortLoopAndFillsTheRest) {
    CifFile file;
    const std::string diagnostics = Parse(file, "data_a\nloop_\n_t.a\n_t.b\n1 2 3\n");
    EXPECT_NE(diagnostics, "");
    EXPECT_EQ(Column(file.GetBlock("a"), "t", "a"), (Cells{"1", "3"}));
    EXPECT_EQ(Column(file.GetBlock("a"), "t", "b"), (Cells{"2", "?"}));
}

TEST(CifParserTest, SkipsGlobalSectionAndEmptyCategoryWithWarningsOnly) {
    CifFile file;
    CifParser parser(file);
    std::string diagnostics;
    parser.ParseString("global_\n_lib_name ?\n_lib.version 1\ndata_a\n_._x 1\n_t.v 2\n",
                       diagnostics, "");
    EXPECT_EQ(diagnostics, "");
    EXPECT_NE(parser.GetLog().find("line 1: global_ section skipped"), std::string::npos);
    EXPECT_NE(parser.GetLog().find("line 5: empty category name"), std::string::npos);
    std::vector<std::string> names;
    file.GetBlockNames(names);
    EXPECT_EQ(names, (Cells{"a"}));
    file.GetBlock("a").GetTableNames(names);
    EXPECT_EQ(names, (Cells{"t"}));
}

TEST(CifParserTest, EmptyLoopMakesATableWithoutRows) {
    CifFile file;
    EXPECT_EQ(Parse(file, "data_a\nloop_\n_t.a\n_t.b\nloop_\n_u.c\n1\n"), "");
    ISTable* t = file.GetBlock("a").GetTablePtr("t");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetNumRows(), 0u);
    EXPECT_EQ(t->GetColumnNames(), (Cells{"a", "b"}));
    EXPECT_EQ(Column(file.GetBlock("a"), "u", "c"), (Cells{"1"}));
}

TEST(CifParserTest, MergesSaveFramesAndFillsImplicitKeys) {
    const std::string dictionary =
        "data_dict\n"
        "_datablock.id dict\n"
        "save_atom\n"
        "  _category.id atom\n"
        "  _category.mandatory_code no\n"
        "  loop_\n  _category_key.name\n  '_atom.id'\n  '_atom.x'\n"
        "save_\n"
        "save_GROUP\n"
        "  _category.mandatory_code yes\n"
        "save_\n"
        "save__atom.id\n"
        "  _item_description.description 'the id'\n"
        "  _item.mandatory_code yes\n"
        "  _item_type.code code\n"
        "save_\n"
        "save__atom.x\n"
        "  loop_\n  _item.name\n  _item.mandatory_code\n"
        "  '_atom.x' no\n  '_site.atom_x' no\n"
        "  _item_range.minimum 0\n"
        "  _item_range.maximum 1\n"
        "  _item_units.code angstroms\n"
        "save_\n";
    CifFile file;
    EXPECT_EQ(Parse(file, dictionary), "");
    std::vector<std::string> names;
    file.GetBlockNames(names);
    ASSERT_EQ(names, (Cells{"dict"}));
    Block& block = file.GetBlock("dict");
    block.GetTableNames(names);
    EXPECT_EQ(names, (Cells{"datablock", "category", "category_key", "item_description", "item",
                            "item_type", "item_range", "item_units"}));

    EXPECT_EQ(Column(block, "category", "id"), (Cells{"atom", "GROUP"}));
    EXPECT_EQ(Column(block, "category", "mandatory_code"), (Cells{"no", "yes"}));
    EXPECT_EQ(Column(block, "category_key", "id"), (Cells{"atom", "atom"}));
    EXPECT_EQ(Column(block, "category_key", "name"), (Cells{"_atom.id", "_atom.x"}));

    EXPECT_EQ(Column(block, "item_description", "name"), (Cells{"_atom.id"}));
    EXPECT_EQ(Column(block, "item", "name"), (Cells{"_atom.id", "_atom.x", "_site.atom_x"}));
    EXPECT_EQ(Column(block, "item", "category_id"), (Cells{"atom", "atom", "site"}));
    EXPECT_EQ(Column(block, "item", "mandatory_code"), (Cells{"yes", "no", "no"}));
    EXPECT_EQ(Column(block, "item_type", "name"), (Cells{"_atom.id"}));
    EXPECT_EQ(Column(block, "item_range", "name"), (Cells{"_atom.x"}));
    EXPECT_EQ(Column(block, "item_range", "minimum"), (Cells{"0"}));
    EXPECT_EQ(Column(block, "item_units", "name"), (Cells{"_atom.x"}));
}

TEST(CifParserTest, FramesWithDifferentColumnsFillTheGapsWithUnknown) {
    CifFile file;
    EXPECT_EQ(Parse(file,
                    "data_d\n"
                    "save_a\n_category.id a\n_category.description one\nsave_\n"
                    "save_b\n_category.id b\n_category.mandatory_code yes\nsave_\n"),
              "");
    Block& block = file.GetBlock("d");
    EXPECT_EQ(Column(block, "category", "description"), (Cells{"one", "?"}));
    EXPECT_EQ(Column(block, "category", "mandatory_code"), (Cells{"?", "yes"}));
}

TEST(CifParserTest, MissingFileThrowsNotFound) {
    CifFile file;
    CifParser parser(file);
    std::string diagnostics;
    try {
        parser.Parse("/nonexistent/dir/x.cif", diagnostics);
        FAIL() << "no exception";
    } catch (const NotFoundException& e) {
        EXPECT_NE(std::string(e.what()).find("File \"/nonexistent/dir/x.cif\" cannot be opened"),
                  std::string::npos);
        EXPECT_NE(std::string(e.what()).find("CifParser::Parse"), std::string::npos);
    }
    EXPECT_THROW(parser.Parse("/tmp", diagnostics), NotFoundException);
}

TEST(CifParserTest, WritesTheLogOnlyWhenThereIsSomethingToSay) {
    char dirTemplate[] = "/tmp/cifparser_test_XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    const std::string good = dir + "/good.cif";
    const std::string bad = dir + "/bad.cif";
    std::ofstream(good) << "data_a\n_t.v 1\n";
    std::ofstream(bad) << "global_\n_x 1\ndata_a\n_t.v\n";
    const std::string goodLog = dir + "/good.cif-parser.log";
    const std::string badLog = dir + "/bad.cif-parser.log";
    std::ofstream(goodLog) << "stale\n";

    CifFile file;
    CifParser parser(file);
    std::string diagnostics;
    parser.Parse(good, diagnostics, goodLog);
    EXPECT_EQ(diagnostics, "");
    EXPECT_NE(access(goodLog.c_str(), F_OK), 0) << "an empty log must not stay";

    CifFile other;
    CifParser otherParser(other);
    otherParser.Parse(bad, diagnostics, badLog);
    EXPECT_NE(diagnostics.find("line 4"), std::string::npos);
    std::ifstream in(badLog);
    std::stringstream log;
    log << in.rdbuf();
    EXPECT_NE(log.str().find("global_ section skipped"), std::string::npos);
    EXPECT_NE(log.str().find("line 4"), std::string::npos);

    std::remove(good.c_str());
    std::remove(bad.c_str());
    std::remove(badLog.c_str());
    rmdir(dir.c_str());
}

}  // namespace
