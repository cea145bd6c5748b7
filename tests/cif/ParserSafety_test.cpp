// Input that must not slip through the reader unreported, flood its
// diagnostics, or make its log touch files it does not own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cif/CifFile.h"
#include "cif/CifParser.h"

namespace {

using namespace std::string_literals;

std::string Parse(CifFile& file, const std::string& text) {
    CifParser parser(file);
    std::string diagnostics;
    parser.ParseString(text, diagnostics, "");
    return diagnostics;
}

TEST(ParserSafetyTest, ReportsControlCharactersOutsideTextFieldsAndSkipsAByteOrderMark) {
    struct Case {
        std::string text;
        std::string diagnostics;
        std::string value;  // of _t.v
    };
    const std::string x40(40, 'x');
    const Case cases[] = {
        {"\xEF\xBB\xBF"
         "data_a\n_t.v 1\n",
         "", "1"},
        {"\xEF\xBB\xBF;\n", "ERROR - line 1: unterminated text field\n", ""},
        {"data_a\n_t.v a\x01z\n", "ERROR - line 2: control character 0x01 is not allowed\n",
         "a\x01z"},
        {"data_a\n_t.v\n\0z\n"s, "ERROR - line 3: control character 0x00 is not allowed\n", "\0z"s},
        {"data_a\n_t.v 'a \x1F'\n", "ERROR - line 2: control character 0x1F is not allowed\n",
         "a \x1F"},
        {"data_a\n_t.v\f1 # \x02\n",
         "ERROR - line 2: control character 0x0C is not allowed\n"
         "ERROR - line 2: control character 0x02 is not allowed\n",
         "1"},
        {"data_a # \x7F\n\n_t.v 1 # \x02\n",
         "ERROR - line 3: control character 0x02 is not allowed\n", "1"},
        {"data_a\n_t.v\n;\n\x01\t\v\n;\n", "", "\x01\t\v"},
        {"data_a\n_t.v 'caf\xC3\xA9\t\xE2\x82\xAC'\n", "", "caf\xC3\xA9\t\xE2\x82\xAC"},
        {"data_a\n_t.v '" + x40 + "yy\n1\n",
         "ERROR - line 2: unterminated quoted value \"'" + x40.substr(1) + "...\"\n", "1"},
        {"data_a\nloop_" + x40 + "\n_t.v 1\n",
         "ERROR - line 2: reserved word \"loop_" + x40.substr(5) + "...\" is not allowed\n", "1"},
    };
    for (const Case& c : cases) {
        CifFile file;
        EXPECT_EQ(Parse(file, c.text), c.diagnostics) << c.text;
        if (!c.value.empty()) {
            std::vector<std::string> cells;
            file.GetBlock("a").GetTablePtr("t")->GetColumn(cells, "v");
            EXPECT_EQ(cells, std::vector<std::string>{c.value}) << c.text;
        }
    }
}

TEST(ParserSafetyTest, KeepsTheFirstThousandErrorsAndWarningsAndCountsTheRest) {
    std::string text = "data_a\n";
    for (int i = 0; i < 1500; ++i) {
        text += "1 _._x 1\n";  // a stray value, then an item of no category
    }
    CifFile file;
    CifParser parser(file);
    std::string diagnostics;
    parser.ParseString(text, diagnostics, "");
    const auto lines = [](const std::string& s) { return std::count(s.begin(), s.end(), '\n'); };
    EXPECT_EQ(lines(diagnostics), 1001);
    EXPECT_EQ(diagnostics.substr(diagnostics.rfind("ERROR", diagnostics.size() - 2)),
              "ERROR - 500 more errors not shown\n");
    EXPECT_EQ(lines(parser.GetLog()), 2002);
    const std::string tail =
        "WARNING - line 1001: empty category name in \"_._x\"; item skipped\n"
        "ERROR - 500 more errors not shown\n"
        "WARNING - 500 more warnings not shown\n";
    EXPECT_EQ(parser.GetLog().substr(parser.GetLog().size() - tail.size()), tail);
}

}  // namespace
