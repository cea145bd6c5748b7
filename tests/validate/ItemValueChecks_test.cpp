// Item values against the type patterns, ranges and enumerations of a small
// dictionary, and the compiled type patterns themselves.

#include <gtest/gtest.h>

#include <clocale>

#include "validate/CheckTestSupport.h"
#include "validate/TypePattern.h"

namespace {

const char* const kDictionary =
    "data_dict\n"
    "loop_\n_item_type_list.code\n_item_type_list.primitive_code\n_item_type_list.construct\n"
    "int numb '[+-]?[0-9]+'\n"
    "float numb '-?(([0-9]+)[.]?|([0-9]*[.][0-9]+))([(][0-9]+[)])?([eE][+-]?[0-9]+)?'\n"
    "text char '[+-]?[0-9]+'\nucode uchar '[A-Za-z]+'\ncode char '[A-Za-z]+'\n"
    "bad char '?'\ndot char .\n"
    "loop_\n_item_type.name\n_item_type.code\n"
    "'_s.i' int\n'_s.t' text\n'_s.f' float\n'_s.n' int\n'_s.u' ucode\n'_s.c' code\n"
    "'_s.e' int\n'_s.g' float\n'_s.bad' bad\n'_s.nolist' nosuch\n'_s.dot' dot\n"
    "loop_\n_item_range.name\n_item_range.minimum\n_item_range.maximum\n"
    "'_s.i' . 5\n'_s.i' 5 ?\n'_s.f' 0.0 1.0\n'_s.f' 1.0 1.0\n'_s.f' 0.0 0.0\n'_s.n' . .\n"
    "'_s.c' a b\n"
    "loop_\n_item_enumeration.name\n_item_enumeration.value\n"
    "'_s.u' yes\n'_s.u' no\n'_s.c' abc\n'_s.e' 7\n'_s.g' 1\n'_s.nolist' x\n"
    "_item_aliases.name '_s.i'\n_item_aliases.alias_name '_s_i_old'\n";

struct ValueCase {
    std::string column;  // of table s
    Strings values;
    bool enumCaseSense;
    std::string report;
    int result;
};

class ItemValues : public testing::TestWithParam<ValueCase> {};

TEST_P(ItemValues, AreCheckedAgainstTheDictionary) {
    const ValueCase& c = GetParam();
    std::unique_ptr<CifFile> dict = ReadCif(kDictionary);
    Block block("b");
    std::unique_ptr<ISTable> table = ColumnTable("s", c.column, c.values);
    CifFileChecks checks;
    checks.file.SetEnumCaseSense(c.enumCaseSense);
    EXPECT_EQ(c.result, checks.ItemValues(block, *table, FirstBlock(*dict)));
    EXPECT_EQ(c.report, checks.out.str());
}

std::string Range(const std::string& value, const std::string& item, int row) {
    return "ERROR - In block \"b\", value \"" + value + "\" for \"" + item +
           "\" is out of range, in row #" + std::to_string(row) + "\n";
}

std::string Outside(const std::string& item, const std::string& value, const std::string& list) {
    return "ERROR - In block \"b\", for \"" + item + "\", value \"" + value +
           "\" is not defined in the enumeration list. Acceptable values are: " + list + "\n";
}

std::string NoMatch(const std::string& value, const std::string& item, int row) {
    return "ERROR - In block \"b\", data type pattern of value \"" + value + "\" for \"" + item +
           "\" does not match, in row #" + std::to_string(row) + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ItemValues,
    testing::Values(
        // Null cells are not tested; a value that fails to convert is in range.
        ValueCase{"i",
                  {"4", "6", "5", "12a", "?", ".", ""},
                  false,
                  Range("5", "_s.i", 3) +
                      "ERROR - In block \"b\", in item \"_s.i\" (its alias is: \"_s_i_old\"), in "
                      "row #4, value \"12a\" does not correspond to item's type. The expected "
                      "type is \"int\".\n",
                  1},
        ValueCase{"t", {"12a"}, false, "", 1},
        // Exclusive bounds, min == max rows; "1.5" matches the float pattern whole.
        ValueCase{"f",
                  {"0", "0.5", "1", "1.5", "-0.1", "abc"},
                  false,
                  Range("1.5", "_s.f", 4) + Range("-0.1", "_s.f", 5) + NoMatch("abc", "_s.f", 6),
                  1},
        ValueCase{"n", {"3"}, false, Range("3", "_s.n", 1), 0},
        ValueCase{"u", {"Yes", "maybe"}, false, Outside("_s.u", "maybe", "\"yes\", \"no\""), 0},
        ValueCase{"u", {"Yes"}, true, Outside("_s.u", "Yes", "\"yes\", \"no\""), 0},
        ValueCase{"c", {"ABC"}, false, Outside("_s.c", "ABC", "\"abc\""), 0},
        // An int that does not convert is outside the enumeration.
        ValueCase{"e",
                  {"007", "abc"},
                  false,
                  NoMatch("abc", "_s.e", 2) + Outside("_s.e", "abc", "\"7\""),
                  0},
        ValueCase{"g", {"1.0"}, false, "", 1}, ValueCase{"bad", {"x"}, false, "", 1},
        // A type code that item_type_list lacks: no pattern, byte-wise enumeration.
        ValueCase{"nolist", {"x", "X"}, false, Outside("_s.nolist", "X", "\"x\""), 0},
        ValueCase{"dot",
                  {"a", "ab"},
                  false,
                  "ERROR - In block \"b\", in item \"_s.dot\", in row #2, value \"ab\" does not "
                  "correspond to item's type. The expected type is \"dot\".\n",
                  0},
        ValueCase{"untyped", {"anything"}, false, "", 1}));

TEST(ItemValueChecks, AbsentTypeTablesReadAsEmpty) {
    std::unique_ptr<CifFile> dict = ReadCif(
        "data_d\n_item_type.name '_s.c'\n_item_type.code code\n"
        "_item_enumeration.name '_s.c'\n_item_enumeration.value abc\n");
    Block& d = FirstBlock(*dict);
    Block block("b");
    std::unique_ptr<ISTable> table = ColumnTable("s", "c", Strings{"abc", "1"});
    CifFileChecks checks;
    ISTable* enumeration = d.GetTablePtr("item_enumeration");
    EXPECT_EQ(
        1, checks.ItemValues(block, *table, "c", nullptr, nullptr, nullptr, enumeration, nullptr));
    EXPECT_EQ(0, checks.ItemValues(block, *table, "c", d.GetTablePtr("item_type"), nullptr, nullptr,
                                   enumeration, nullptr));
    EXPECT_EQ(Outside("_s.c", "1", "\"abc\""), checks.out.str());
}

struct PatternCase {
    std::string construct;
    std::string value;
    int match;  // -1: does not compile
};

class TypePatterns : public testing::TestWithParam<PatternCase> {};

TEST_P(TypePatterns, TranslateCompileAndMatch) {
    const PatternCase& c = GetParam();
    const TypePattern pattern(c.construct);
    ASSERT_EQ(c.match >= 0, pattern.IsCompiled());
    if (pattern.IsCompiled()) {
        EXPECT_EQ(c.match, pattern.Test(c.value));
    }
}

const char* const kFloat = "-?(([0-9]+)[.]?|([0-9]*[.][0-9]+))([(][0-9]+[)])?([eE][+-]?[0-9]+)?";

INSTANTIATE_TEST_SUITE_P(
    Rows, TypePatterns,
    testing::Values(PatternCase{kFloat, "1.5", TypePattern::WHOLE_MATCH},
                    PatternCase{kFloat, "-12.5(3)e-4", TypePattern::WHOLE_MATCH},
                    PatternCase{kFloat, "1.2.3", TypePattern::PART_MATCH},
                    PatternCase{"[0-9]*", "x", TypePattern::PART_MATCH},  // empty match at 0
                    PatternCase{"[0-9]+", "x", TypePattern::NO_MATCH},
                    PatternCase{"a\\tb", "a\tb", TypePattern::WHOLE_MATCH},
                    PatternCase{"[a\\n]+", "a\na", TypePattern::WHOLE_MATCH},
                    PatternCase{"x\\\\\\\\y", "x\\y", TypePattern::WHOLE_MATCH},
                    PatternCase{"a\\.b", "axb", TypePattern::NO_MATCH}, PatternCase{"", "", -1},
                    PatternCase{"?", "", -1}, PatternCase{"a\\", "", -1}));

// Bracket expressions mean bytes even when the caller works in UTF-8, and
// the caller's locale is left as it was.
TEST(TypePattern, MatchesBytesWhateverTheCallersLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) {
        GTEST_SKIP() << "no C.UTF-8 locale";
    }
    const TypePattern pattern("[^a]");
    EXPECT_EQ(TypePattern::PART_MATCH, pattern.Test("\xc3\xa9"));
    EXPECT_STREQ("C.UTF-8", std::setlocale(LC_ALL, nullptr));
    std::setlocale(LC_ALL, before.c_str());
}

}  // namespace
