#include "common/ExceptionDictionary.h"

#include <gtest/gtest.h>

#include <string>

#include "tool/OpsTestSupport.h"

namespace {

using opstest::TempDir;

ExceptionDictionary load_text(const TempDir& dir, const std::string& text) {
    return load_exception_dictionary(dir.write("exceptions.dat", text));
}

TEST(ExceptionDictionaryLoad, CommentsAndEmptyLinesGiveAnEnabledEmptyDictionary) {
    TempDir dir;
    for (const char* text : {"", "NOTE only a comment\n\nNOTE another\n", "\n\n"}) {
        const ExceptionDictionary dictionary = load_text(dir, text);
        EXPECT_TRUE(dictionary.enabled) << text;
        EXPECT_TRUE(dictionary.bond_overrides.empty());
        EXPECT_TRUE(dictionary.angle_overrides.empty());
    }
}

TEST(ExceptionDictionaryLoad, StoredInBothDirectionsAndTheLastLineWins) {
    TempDir dir;
    const ExceptionDictionary dictionary = load_text(
        dir, "BOND T1 T2 1.45 0.02\nANGLE T1 T2 T3 109.47 1.5 extra words\nBOND T2 T1 1.50 0.03\n");
    EXPECT_EQ(dictionary.bond_overrides.size(), 2u);
    for (const auto& key : {std::make_pair(std::string("T1"), std::string("T2")),
                            std::make_pair(std::string("T2"), std::string("T1"))}) {
        ASSERT_EQ(dictionary.bond_overrides.count(key), 1u);
        EXPECT_EQ(dictionary.bond_overrides.at(key).value, 1.5f);
        EXPECT_EQ(dictionary.bond_overrides.at(key).esd, 0.03f);
    }
    EXPECT_EQ(dictionary.angle_overrides.count({"T1", "T2", "T3"}), 1u);
    EXPECT_EQ(dictionary.angle_overrides.count({"T2", "T1", "T3"}), 0u);
    EXPECT_EQ(dictionary.angle_overrides.at({"T3", "T2", "T1"}).value, 109.47f);
}

TEST(ExceptionDictionaryLoad, WordsAreCutAtEverySingleBlank) {
    TempDir dir;
    // Two blanks: the first type is empty and every later word shifts by one.
    ExceptionDictionary dictionary = load_text(dir, "BOND  T1 T2 1.45\n");
    ASSERT_EQ(dictionary.bond_overrides.count({"", "T1"}), 1u);
    EXPECT_EQ(dictionary.bond_overrides.at({"", "T1"}).value, 0.0f);
    EXPECT_EQ(dictionary.bond_overrides.at({"", "T1"}).esd, 1.45f);
    // A carriage return after a number is not part of it.
    dictionary = load_text(dir, "BOND A B 1.25 0.5\r\n");
    EXPECT_EQ(dictionary.bond_overrides.at({"B", "A"}).esd, 0.5f);
}

struct RefusedLine {
    const char* text;
    const char* line;
};

class ExceptionDictionaryRefusal : public ::testing::TestWithParam<RefusedLine> {};

TEST_P(ExceptionDictionaryRefusal, EndsWithStatus93AndNamesTheLine) {
    TempDir dir;
    const std::string path = dir.write("bad.dat", GetParam().text);
    EXPECT_RUN_END(load_exception_dictionary(path), 93,
                   std::string("Can't handle line\n  ") + GetParam().line + "\nin file " + path);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ExceptionDictionaryRefusal,
    ::testing::Values(RefusedLine{"NOTE fine\nbond A B 1 1\n", "bond A B 1 1"},
                      RefusedLine{"NOTE: comment\n", "NOTE: comment"}, RefusedLine{"   \n", "   "},
                      RefusedLine{" BOND A B 1 1\n", " BOND A B 1 1"},
                      // Too short to hold their numbers: refused, never read past.
                      RefusedLine{"BOND A B 1.5\n", "BOND A B 1.5"}, RefusedLine{"BOND\n", "BOND"},
                      RefusedLine{"ANGLE A B C 109.5\n", "ANGLE A B C 109.5"}));

TEST(ExceptionDictionaryLoad, MissingFileEndsWithStatus1) {
    EXPECT_RUN_END(load_exception_dictionary("/nonexistent/tesra-exceptions.dat"), 1,
                   " Problem opening /nonexistent/tesra-exceptions.dat");
    EXPECT_RUN_END(load_exception_dictionary(""), 1, " Problem opening \n");
}

}  // namespace
