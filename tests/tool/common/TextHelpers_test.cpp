#include "common/TextHelpers.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(TextHelpers, SplitJoinTrimAndNumbers) {
    const std::pair<std::string, Words> split[] = {
        {"", {}},          {"abc", {"abc"}},  {"a  b", {"a", "", "b"}},
        {" a", {"", "a"}}, {"a ", {"a", ""}}, {" ", {"", ""}},
    };
    for (const auto& c : split) {
        EXPECT_EQ(split_string(c.first, " "), c.second) << '"' << c.first << '"';
        if (!c.second.empty()) {
            EXPECT_EQ(join_strings(c.second, " "), c.first);
        }
    }
    EXPECT_EQ(split_string("x--y--", "--"), (Words{"x", "y", ""}));
    EXPECT_EQ(split_string("abc", ""), Words{"abc"});  // no endless loop
    const std::pair<std::string, Words> blanks[] = {
        {"  BOND   1", {"BOND", "1"}},
        {"BOND 1 ", {"BOND", "1", ""}},
        {"    ", {""}},
        {"BOND\t1 C1\r", {"BOND\t1", "C1\r"}},
    };
    for (const auto& c : blanks) EXPECT_EQ(split_at_blanks(c.first), c.second) << c.first;
    const std::pair<std::string, std::string> trims[] = {
        {"    ", ""}, {" C1' ", "C1'"}, {"\tC2 ", "\tC2"}, {" a b ", "a b"}, {"C3\r", "C3\r"}};
    for (const auto& c : trims) EXPECT_EQ(trim(c.first), c.second) << '"' << c.first << '"';

    EXPECT_EQ(float_to_string(109.47f, 1), "109.5");
    EXPECT_EQ(float_to_string(-0.0005f, 3), "-0.001");   // the float lies just below -0.0005
    EXPECT_EQ(float_to_string(3.4e38f, 1).size(), 41u);  // no fixed buffer to overflow
    std::string text;
    double_to_string(text, "%.3f", 12.3456);
    EXPECT_EQ(text, "12.346");
    double_to_string(text, "%.3f", 1e200);  // cut to the 100-byte buffer
    EXPECT_EQ(text.size(), 99u);
}

}  // namespace
