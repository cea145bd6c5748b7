// Item values against type patterns, ranges and enumerations.

#include <gtest/gtest.h>

#include <clocale>

#include "validate/CheckTestSupport.h"

namespace {

const char* const kDictionary =
    "data_dict\n"
    "loop_\n_item_type_list.code\n_item_type_list.primitive_code\n_item_type_list.construct\n"
    "int numb '[+-]?[0-9]+'\nbyte char '[^a]'\n"
    "float numb '-?(([0-9]+)[.]?|([0-9]*[.][0-9]+))([(][0-9]+[)])?([eE][+-]?[0-9]+)?'\n"
    "text char '[+-]?[0-9]+'\nucode uchar '[A-Za-z]+'\ncode char '[A-Za-z]+'\nbad char '?'\n"
    "dot char .\nempty char ''\ntrail char 'a\\'\nesc char 'a\\tb|[a\\n]+|x\\\\\\\\y|a\\.b'\n"
    "loop_\n_item_type.name\n_item_type.code\n'_s.i' int\n'_s.t' text\n'_s.f' float\n'_s.n' int\n"
    "'_s.u' ucode\n'_s.c' code\n'_s.e' int\n'_s.g' float\n'_s.bad' bad\n'_s.byte' byte\n"
    "'_s.nolist' nosuch\n'_s.dot' dot\n'_s.empty' empty\n'_s.trail' trail\n'_s.esc' esc\n"
    "loop_\n_item_range.name\n_item_range.minimum\n_item_range.maximum\n'_s.i' . 5\n"
    "'_s.i' 5 ?\n'_s.f' 0.0 1.0\n'_s.f' 1.0 1.0\n'_s.n' . .\n'_s.c' a b\n"
    "loop_\n_item_enumeration.name\n_item_enumeration.value\n'_s.u' yes\n'_s.u' no\n"
    "'_s.c' abc\n'_s.e' 7\n'_s.g' 1\n'_s.nolist' x\n"
    "_item_aliases.name '_s.i'\n_item_aliases.alias_name '_s_i_old'\n";

const std::string kError = "ERROR - In block \"b\", ";

// Findings about the value v of item _s.c in row r.
std::string Range(char r, const std::string& c, const std::string& v) {
    return kError + "value \"" + v + "\" for \"_s." + c + "\" is out of range, in row #" + r + "\n";
}
std::string NoMatch(char r, const std::string& c, const std::string& v) {
    return kError + "data type pattern of value \"" + v + "\" for \"_s." + c +
           "\" does not match, in row #" + r + "\n";
}
std::string NoType(char r, const std::string& c, const std::string& v) {
    return kError + "in item \"_s." + c + "\", in row #" + r + ", value \"" + v +
           "\" does not correspond to item's type. The expected type is \"" + c + "\".\n";
}
std::string Outside(const std::string& c, const std::string& v, const std::string& list) {
    return kError + "for \"_s." + c + "\", value \"" + v +
           "\" is not defined in the enumeration list. Acceptable values are: " + list + "\n";
}

const std::string kEnumeration = "_item_enumeration.name '_s.c'\n_item_enumeration.value abc\n";

// The result is 1 exactly when nothing is reported. Null cells are not
// tested; a failed conversion in a range test counts as in range. Bracket
// expressions mean bytes whatever the caller's locale, which stays as it was.
TEST(ItemValues, AreCheckedAgainstTheDictionary) {
    const struct {
        std::string columns;  // of table s, each with the same values
        std::string values;   // one per row, split at "|"
        std::string report;
        bool enumCaseSense = false;
        std::string dictionary = kDictionary;
    } cases[] = {
        {"i", "4|6|5|12a|?|.|",
         Range('3', "i", "5") + kError +
             "in item \"_s.i\" (its alias is: \"_s_i_old\"), in row #4, value \"12a\" does not "
             "correspond to item's type. The expected type is \"int\".\n"},
        {"f", "0|0.5|1|1.5|-0.1|abc",
         Range('1', "f", "0") + Range('4', "f", "1.5") + Range('5', "f", "-0.1") +
             NoMatch('6', "f", "abc")},
        {"n", "3", Range('1', "n", "3")},
        {"u", "Yes|maybe", Outside("u", "maybe", "\"yes\", \"no\"")},
        {"u", "Yes", Outside("u", "Yes", "\"yes\", \"no\""), true},
        {"c", "ABC", Outside("c", "ABC", "\"abc\"")},
        // An int that does not convert is outside the enumeration.
        {"e", "007|abc", NoMatch('2', "e", "abc") + Outside("e", "abc", "\"7\"")},
        // Text takes part matches; uncompilable constructs test nothing.
        {"t bad empty trail g untyped", "1.0", ""},
        // Only \\\\, \\t and \\n are translated.
        {"esc", "a\tb|a\na|x\\y|a.b|axb", NoType('5', "esc", "axb")},
        // A type code that item_type_list lacks: no pattern, exact enumeration.
        {"nolist", "x|X", Outside("nolist", "X", "\"x\"")},
        {"dot", "a|ab", NoType('2', "dot", "ab")},
        {"byte", "\xc3\xa9", NoType('1', "byte", "\xc3\xa9")},
        // Absent type tables read as empty; a later pass keeps the result 0.
        {"c", "1", "", false, "data_d\n" + kEnumeration},
        {"c", "1|abc", Outside("c", "1", "\"abc\""), false,
         "data_d\n_item_type.name '_s.c'\n_item_type.code code\n" + kEnumeration},
    };
    const std::string before = std::setlocale(LC_ALL, nullptr);
    const bool utf8 = std::setlocale(LC_ALL, "C.UTF-8") != nullptr;
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> dict = ReadCif(c.dictionary);
        CifFileChecks checks;
        checks.file.SetEnumCaseSense(c.enumCaseSense);
        ISTable table("s", CaseSensitive);
        const Strings columns = Split(c.columns);
        for (const std::string& column : columns) table.AddColumn(column, Strings());
        std::string::size_type from = 0;
        for (std::string::size_type bar = 0; bar != std::string::npos; from = bar + 1) {
            bar = c.values.find('|', from);
            table.AddRow(Strings(columns.size(), c.values.substr(from, bar - from)));
        }
        Block block("b");
        EXPECT_EQ(c.report.empty(), checks.ItemValues(block, table, FirstBlock(*dict)) == 1);
        EXPECT_EQ(c.report, checks.out.str()) << c.columns;
    }
    EXPECT_STREQ(utf8 ? "C.UTF-8" : before.c_str(), std::setlocale(LC_ALL, nullptr));
    std::setlocale(LC_ALL, before.c_str());
}

}  // namespace
