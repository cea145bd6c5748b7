#include "common/TextHelpers.h"

#include <gtest/gtest.h>

namespace {

TEST(TextHelpers, SplitAndJoin) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},          {"abc", {"abc"}},  {"a  b", {"a", "", "b"}},
        {" a", {"", "a"}}, {"a ", {"a", ""}}, {" ", {"", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split_string(c.first, " "), c.second) << '"' << c.first << '"';
        if (!c.second.empty()) {
            EXPECT_EQ(join_strings(c.second, " "), c.first);
        }
    }
    EXPECT_EQ(split_string("x--y--", "--"), (std::vector<std::string>{"x", "y", ""}));
    EXPECT_EQ(split_string("abc", ""), std::vector<std::string>{"abc"});  // no endless loop
}

TEST(SplitAtBlanks, SplitsAtRunsOfTheBlankOnly) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"BOND 1 2", {"BOND", "1", "2"}},
        {"  BOND   1", {"BOND", "1"}},
        {"BOND 1 ", {"BOND", "1", ""}},
        {"", {""}},
        {"    ", {""}},
        {"BOND\t1 C1\r", {"BOND\t1", "C1\r"}},
    };
    for (const auto& c : cases) EXPECT_EQ(split_at_blanks(c.first), c.second) << c.first;
}

TEST(TextHelpers, TrimTakesSpacesOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},          {"    ", ""},     {" C1' ", "C1'"},
        {"\tC2 ", "\tC2"}, {" a b ", "a b"}, {"C3\r", "C3\r"},
    };
    for (const auto& c : cases) EXPECT_EQ(trim(c.first), c.second) << '"' << c.first << '"';
}

TEST(TextHelpers, NumberTexts) {
    EXPECT_EQ(float_to_string(109.47f, 1), "109.5");
    EXPECT_EQ(float_to_string(-0.0005f, 3), "-0.001");   // the float lies just below -0.0005
    EXPECT_EQ(float_to_string(3.4e38f, 1).size(), 41u);  // no fixed buffer to overflow
    std::string text;
    double_to_string(text, "%.3f", 12.3456);
    EXPECT_EQ(text, "12.346");
    double_to_string(text, "%.3f", 1e200);  // cut to the 100-byte buffer
    EXPECT_EQ(text.size(), 99u);
    EXPECT_EQ(int_to_string(-42), "-42");
}

}  // namespace
