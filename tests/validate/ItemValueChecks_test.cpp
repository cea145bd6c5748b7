// Item values against type patterns, ranges and enumerations.

#include <gtest/gtest.h>

#include <clocale>

#include "support/Thrown.h"
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

// The read of the item_type_list row of a code that the list lacks.
const std::string kNoRow = "std::out_of_range: Invalid row index in ISTable::operator()";

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
        std::string thrown = "nothing thrown";
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
        // A type code that item_type_list lacks ends the check after the
        // lines of the items before it.
        {"c nolist i", "x|X", Outside("c", "x", "\"abc\"") + Outside("c", "X", "\"abc\""), false,
         kDictionary, kNoRow},
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
        int result = 0;
        EXPECT_EQ(c.thrown,
                  Thrown([&] { result = checks.ItemValues(block, table, FirstBlock(*dict)); }));
        EXPECT_TRUE(c.thrown != "nothing thrown" || c.report.empty() == (result == 1));
        EXPECT_EQ(c.report, checks.out.str()) << c.columns;
    }
    EXPECT_STREQ(utf8 ? "C.UTF-8" : before.c_str(), std::setlocale(LC_ALL, nullptr));
    std::setlocale(LC_ALL, before.c_str());
}

// Large ranges and enumerations, read once per item, and values decided once
// per distinct text: the findings are those of testing every row, the
// same column by column and table by table, the listed values in dictionary
// row order. Values recur apart and in other cases than before.
TEST(ItemValues, LargeDefinitionsDecideEachValue) {
    const int n = 2000;
    std::string ranges, enumeration, intList, floatList, wordList;
    const auto addEntry = [&](const std::string& item, const std::string& value,
                              std::string& list) {
        enumeration += " _s." + item + " " + value;
        list += (list.empty() ? "\"" : ", \"") + value + "\"";
    };
    const auto addRange = [&](const std::string& item, const std::string& minimum,
                              const std::string& maximum) {
        ranges += " _s." + item + " " + minimum + " " + maximum;
    };
    for (int i = 0; i < n - 1; ++i) {
        addEntry("e", "x" + std::to_string(i), intList);
    }
    addEntry("e", "5", intList);
    for (int i = n; i > 0; --i) {
        addEntry("f", std::to_string(i) + ".5", floatList);
    }
    addEntry("f", "0", floatList);
    addEntry("f", "one", floatList);
    for (int i = 0; i < n; ++i) {
        addEntry("u", "w" + std::to_string(i), wordList);
        enumeration += " _s.c w" + std::to_string(i);
    }
    addEntry("u", "yes", wordList);
    enumeration += " _s.c yes";
    for (int i = n; i-- > 0;) {
        addRange("r", std::to_string(4 * i), std::to_string(4 * i + 2));
    }
    for (const char* row : {"2 2", ". -100", "1e9 ?", "8e5 7e5", "100000 100010", "100005 100020",
                            "200000 200010", "200010 200020", "300000 300100", "300010 300020"}) {
        ranges += std::string(" _s.r ") + row;
    }
    for (int i = 0; i < n; ++i) {
        addRange("b", std::to_string(2 * i), std::to_string(2 * i + 1));
    }
    addRange("b", "x", "5");
    Dictionary dict(
        {{"category", "id", ""},
         {"category_key", "id name", ""},
         {"item", "name category_id", ""},
         {"item_type_list", "code primitive_code construct",
          "int numb [+-]?[0-9]+ float numb -?[0-9]*[.]?[0-9]+([eE][0-9]+)? "
          "ucode uchar [A-Za-z]+ code char [A-Za-z]+"},
         {"item_type", "name code", "_s.e int _s.f float _s.r float _s.b int _s.u ucode _s.c code"},
         {"item_range", "name minimum maximum", ranges},
         {"item_enumeration", "name value", enumeration}});
    const std::string words = "yes|Yes|y|YES|no|yes|NO|Yes|no";
    const auto notIn = [](const std::string& item, const std::string& values) {
        std::string lines;
        for (const std::string& value : Split(values)) lines += Outside(item, value, "<words>");
        return lines;
    };
    // The long lists in the lines, replaced by short marks.
    const auto shortened = [&](std::string text) {
        for (const auto& mark :
             {std::make_pair(intList, "<ints>"), std::make_pair(floatList, "<floats>"),
              std::make_pair(wordList, "<words>")}) {
            for (std::string::size_type at = 0;
                 (at = text.find(mark.first, at)) != std::string::npos;) {
                text.replace(at, mark.first.size(), mark.second);
            }
        }
        return text;
    };
    const struct {
        std::string item, values, report;
        bool enumCaseSense;
    } cases[] = {
        {"e", "5|6|abc|5|x3|05|6",
         Outside("e", "6", "<ints>") + NoMatch('3', "e", "abc") + Outside("e", "abc", "<ints>") +
             kError +
             "in item \"_s.e\", in row #5, value \"x3\" does not correspond to item's type. The "
             "expected type is \"int\".\n" +
             Outside("e", "x3", "<ints>") + Outside("e", "6", "<ints>"),
         false},
        {"f", "1.5|2.50|0.25|-0.0|one|1.5|0.25",
         Outside("f", "0.25", "<floats>") + NoMatch('5', "f", "one") +
             Outside("f", "one", "<floats>") + Outside("f", "0.25", "<floats>"),
         false},
        {"r", "1|2|3|4|5.5|-1|-200|750000|100015|100010|100020|200010|200005|2e9|3|300050|abc",
         Range('3', "r", "3") + Range('4', "r", "4") + Range('6', "r", "-1") +
             Range('8', "r", "750000") + kError +
             "value \"100020\" for \"_s.r\" is out of range, in row #11\n" + kError +
             "value \"200010\" for \"_s.r\" is out of range, in row #12\n" + kError +
             "value \"3\" for \"_s.r\" is out of range, in row #15\n" + kError +
             "data type pattern of value \"abc\" for \"_s.r\" does not match, in row #17\n",
         false},
        // A bound that is not a number admits every value.
        {"b", "1|9999|-7", "", false},
        {"u", words, notIn("u", "y no NO no"), false},
        {"u", words, notIn("u", "Yes y YES no NO Yes no"), true},
        {"c", words, notIn("c", "Yes y YES no NO Yes no"), false},
    };
    for (const auto& c : cases) {
        for (const bool wholeTable : {false, true}) {
            CifFileChecks checks;
            checks.file.SetEnumCaseSense(c.enumCaseSense);
            ISTable table("s", CaseSensitive);
            table.AddColumn(c.item, Strings());
            std::string::size_type from = 0;
            for (std::string::size_type bar = 0; bar != std::string::npos; from = bar + 1) {
                bar = c.values.find('|', from);
                table.AddRow(Strings{c.values.substr(from, bar - from)});
            }
            Block block("b");
            const int result = wholeTable ? checks.TableValues(block, table, dict.block)
                                          : checks.ItemValues(block, table, dict.block);
            EXPECT_EQ(c.report.empty(), result == 1) << c.item;
            EXPECT_EQ(c.report, shortened(checks.out.str())) << c.item << " " << wholeTable;
        }
    }
}

// Checked table by table, an item whose type code item_type_list lacks ends
// the check after the lines of the items before it, without the null rows;
// without any item_type_list its values are tested without a pattern.
TEST(ItemValues, TypeCodeMissingFromTheList) {
    const TableText keys[] = {{"category", "id", ""},
                              {"category_key", "id name", ""},
                              {"item", "name category_id", ""},
                              {"item_type", "name code", "_s.c code _s.m nosuch _s.i int"},
                              {"item_enumeration", "name value", "_s.m x _s.c abc"}};
    const TableText list = {"item_type_list", "code primitive_code construct",
                            "code char [a-z]+ int numb [0-9]+"};
    const struct {
        bool withList;
        std::string report, thrown;
    } cases[] = {
        {true, NoMatch('2', "c", "X") + Outside("c", "X", "\"abc\""), kNoRow},
        {false,
         Outside("c", "X", "\"abc\"") + Outside("m", "X", "\"x\"") +
             "WARNING - In block \"b\", in category \"s\", row 3 contains all null values.\n",
         "nothing thrown"},
    };
    for (const auto& c : cases) {
        std::vector<TableText> tables(std::begin(keys), std::end(keys));
        if (c.withList)
            tables.push_back(list);
        Dictionary dict(tables);
        CifFileChecks checks;
        ISTable table("s", CaseSensitive);
        for (const std::string& column : Split("c m i")) table.AddColumn(column, Strings());
        table.AddRow(Strings{"abc", "x", "1"});
        table.AddRow(Strings{"X", "X", "a"});
        table.AddRow(Strings{"?", "?", "?"});
        Block block("b");
        EXPECT_EQ(c.thrown, Thrown([&] { checks.TableValues(block, table, dict.block); }));
        EXPECT_EQ(c.report, checks.out.str()) << c.withList;
    }
}

}  // namespace
