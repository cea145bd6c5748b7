#include <gtest/gtest.h>

#include <sstream>

#include "TextHelpers.h"

namespace {

TEST(SplitString, PiecesBetweenSeparators) {
    struct Case {
        std::string text;
        std::string separator;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"", " ", {}},
        {"abc", " ", {"abc"}},
        {"a b", " ", {"a", "b"}},
        {"a  b", " ", {"a", "", "b"}},
        {" a", " ", {"", "a"}},
        {"a ", " ", {"a", ""}},
        {" ", " ", {"", ""}},
        {"a|b||c", "|", {"a", "b", "", "c"}},
        {"x--y--", "--", {"x", "y", ""}},
        {"abc", "", {"abc"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split_string(c.text, c.separator), c.pieces) << '"' << c.text << '"';
    }
}

TEST(JoinStrings, SeparatorOnlyBetween) {
    EXPECT_EQ(join_strings({"a"}, ","), "a");
    EXPECT_EQ(join_strings({"a", "", "b"}, ", "), "a, , b");
    EXPECT_EQ(join_strings({}, ","), "");
    const std::vector<std::string> parts = {"x", "", "y", ""};
    EXPECT_EQ(split_string(join_strings(parts, " "), " "), parts);
}

TEST(Trim, SpacesOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},         {"    ", ""},         {" C1' ", "C1'"},  {"N", "N"},
        {"\tC2 ", "\tC2"}, {" a b ", "a b"},     {"C3\r", "C3\r"},
    };
    for (const auto& c : cases) EXPECT_EQ(trim(c.first), c.second) << '"' << c.first << '"';
    EXPECT_EQ(trim_spaces("  H1  "), "H1");
}

TEST(NumberText, FixedPointOfTheWidenedValue) {
    EXPECT_EQ(float_to_string(1.5f, 3), "1.500");
    EXPECT_EQ(float_to_string(109.47f, 1), "109.5");
    EXPECT_EQ(float_to_string(-0.0005f, 3), "-0.001");  // the float lies just below -0.0005
    EXPECT_EQ(float_to_string(2.0f, 0), "2");
    EXPECT_EQ(float_to_string(3.4e38f, 1).size(), 41u);  // no fixed buffer to overflow

    std::string text;
    double_to_string(text, "%.3f", 12.3456);
    EXPECT_EQ(text, "12.346");
    double_to_string(text, "%.1f", -7.25);
    EXPECT_EQ(text, "-7.2");
    double_to_string(text, "%.3f", static_cast<double>(12.3456f));
    EXPECT_EQ(text, "12.346");
    double_to_string(text, "%.3f", 1e200);  // cut to the 100-byte buffer
    EXPECT_EQ(text.size(), 99u);

    EXPECT_EQ(int_to_string(-42), "-42");
    EXPECT_EQ(int_to_string(0), "0");
}

TEST(PrintWords, EachWordFollowedByABlank) {
    std::ostringstream out;
    print_words(out, {"BOND", "C1", "", "N2"}) << '|';
    EXPECT_EQ(out.str(), "BOND C1  N2 |");
}

}  // namespace
