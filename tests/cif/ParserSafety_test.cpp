// Input that must not slip through the reader unreported, flood its
// diagnostics, or make its log touch files it does not own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "support/Files.h"

namespace {

using namespace std::string_literals;

std::string Parse(CifFile& file, const std::string& text) {
    CifParser parser(file);
    std::string diagnostics;
    parser.ParseString(text, diagnostics, "");
    return diagnostics;
}

std::vector<std::string> Column(Block& block, const std::string& table, const std::string& column) {
    std::vector<std::string> cells;
    if (ISTable* t = block.GetTablePtr(table))
        t->GetColumn(cells, column);
    return cells;
}

TEST(ParserSafetyTest, ReportsControlCharactersOutsideTextFieldsAndSkipsAByteOrderMark) {
    const auto ctl = [](int line, const char* hex) {
        return "ERROR - line " + std::to_string(line) + ": control character 0x" + hex +
               " is not allowed\n";
    };
    const std::string x40(40, 'x'), bom = "\xEF\xBB\xBF";
    const struct {
        std::string text, diagnostics, value;  // value: of _t.v
    } cases[] = {
        {bom + "data_a\n_t.v 1\n", "", "1"},
        {bom + ";\n", "ERROR - line 1: unterminated text field\n", ""},
        {"data_a\n_t.v a\x01z\n", ctl(2, "01"), "a\x01z"},
        {"data_a\n_t.v\n\0z\n"s, ctl(3, "00"), "\0z"s},
        {"data_a\n_t.v 'a \x1F'\n", ctl(2, "1F"), "a \x1F"},
        {"data_a\n_t.v\f1 # \x02\n", ctl(2, "0C") + ctl(2, "02"), "1"},
        {"data_a # \x7F\n\n_t.v 1 # \x02\n", ctl(3, "02"), "1"},
        {"data_a\n_t.v\n;\n\x01\t\v\n;\n", "", "\x01\t\v"},
        {"data_a\n_t.v 'caf\xC3\xA9\t\xE2\x82\xAC'\n", "", "caf\xC3\xA9\t\xE2\x82\xAC"},
        {"data_a\n_t.v '" + x40 + "yy\n1\n",
         "ERROR - line 2: unterminated quoted value \"'" + x40.substr(1) + "...\"\n", "1"},
        {"data_a\nloop_" + x40 + "\n_t.v 1\n",
         "ERROR - line 2: reserved word \"loop_" + x40.substr(5) + "...\" is not allowed\n", "1"},
    };
    for (const auto& c : cases) {
        CifFile file;
        EXPECT_EQ(Parse(file, c.text), c.diagnostics) << c.text;
        if (!c.value.empty() && file.IsBlockPresent("a")) {
            EXPECT_EQ(Column(file.GetBlock("a"), "t", "v"), std::vector<std::string>{c.value})
                << c.text;
        }
    }
}

// What the reader takes with a diagnostic is written so that it reads back
// clean, in a text field, or refused.
TEST(ParserSafetyTest, ControlCharactersAreWrittenInTextFieldsOrRefused) {
    CifFile file;
    EXPECT_NE(Parse(file, "data_a\nloop_\n_t.v\na\x01z '\x1F b' 'x\vy'\n"), "");
    std::ostringstream out;
    file.Write(out);
    CifFile back;
    EXPECT_EQ(Parse(back, out.str()), "") << out.str();
    EXPECT_EQ(Column(back.GetBlock("a"), "t", "v"),
              (std::vector<std::string>{"a\x01z", "\x1F b", "x\vy"}));
    for (const char* text :
         {"data_a\x02\n_t.v 1\n", "data_a\n_t.v\x03 1\n", "data_a\n_t\x04.v 1\n"}) {
        CifFile names;
        Parse(names, text);
        EXPECT_THROW(names.Write(out), std::runtime_error) << text;
    }
}

TEST(ParserSafetyTest, KeepsTheFirstThousandErrorsAndWarningsAndCountsTheRest) {
    std::string text = "data_a\n";
    for (int i = 0; i < 1500; ++i) text += "1 _._x 1\n";  // a stray value, an item of no category
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

// What is at the log's name stays as it was; a log that cannot be written
// safely is a message, and the parse goes on.
TEST(ParserSafetyTest, LogNeverFollowsALinkNorRemovesWhatIsNotARegularFile) {
    ScratchDir dir;
    const std::string target = dir.file("target"), absent = dir.file("absent");
    const struct {
        const char* kind;  // of the file at the log's name
        bool warnings, message;
    } cases[] = {
        {"link", false, false},        {"link", true, true},   {"dangling link", false, false},
        {"dangling link", true, true}, {"fifo", false, false}, {"/dev/null", true, false},
    };
    for (const auto& c : cases) {
        const std::string kind = c.kind;
        std::string log = dir.file("in.cif-parser.log");
        std::ofstream(target) << "keep\n";
        if (kind == "fifo") {
            ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
        } else if (kind == "/dev/null") {
            log = kind;
        } else {
            ASSERT_EQ(symlink((kind == "link" ? target : absent).c_str(), log.c_str()), 0);
        }
        struct stat before;
        ASSERT_EQ(lstat(log.c_str(), &before), 0);

        CifFile file;
        CifParser parser(file);
        std::string diagnostics;
        testing::internal::CaptureStderr();
        parser.ParseString(c.warnings ? "global_\ndata_a\n_t.v 1\n" : "data_a\n_t.v 1\n",
                           diagnostics, log);
        const std::string stderrText = testing::internal::GetCapturedStderr();
        EXPECT_EQ(diagnostics, "");
        EXPECT_EQ(stderrText.find("cannot write the log file") != std::string::npos, c.message)
            << kind << ": " << stderrText;
        EXPECT_EQ(Column(file.GetBlock("a"), "t", "v"), (std::vector<std::string>{"1"}));

        struct stat after;
        EXPECT_TRUE(lstat(log.c_str(), &after) == 0 &&
                    (after.st_mode & S_IFMT) == (before.st_mode & S_IFMT))
            << kind << " removed or replaced";
        EXPECT_EQ(read_text(target), "keep\n") << kind;
        EXPECT_NE(access(absent.c_str(), F_OK), 0) << kind;
        if (log != "/dev/null")
            unlink(log.c_str());
    }
}

}  // namespace
