// The per-category checks: which key items a category gets, and which items
// count as defined.

#include <gtest/gtest.h>

#include "support/Thrown.h"
#include "validate/CheckTestSupport.h"

namespace {

// category_key names its categories in another case than category does.
TEST(CategoryChecks, KeyItemsOfACategoryWhateverItsCase) {
    std::unique_ptr<CifFile> dict = ReadCif(
        "data_dict\nloop_\n_category.id\n_category.mandatory_code\nc no\nloop_\n"
        "_category_key.id\n_category_key.name\nC '_c.id'\n_item.name '_c.id'\n"
        "_item.category_id c\n_item.mandatory_code yes\n");
    std::unique_ptr<CifFile> data = ReadCif("data_b\nloop_\n_c.id\n1\n1\n");
    std::ostringstream out;
    data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dict), out, false, false);
    EXPECT_EQ(
        "ERROR - In block \"b\", in cateogory \"c\", values for key item(s):\n  \"id\",\n"
        "  in row #1 are repeated in row #2\n",
        out.str());
}

// {category, attribute, defined}: category_id and name both match, exactly.
TEST(CategoryChecks, IsItemDefined) {
    Dictionary dict({{"item", "name category_id", "_t.a t _T.b T _t.c u _u.d t"}});
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"t", "a", true},  {"T", "b", true},  {"t", "A", false},
        {"t", "b", false}, {"t", "c", false}, {"u", "c", false},
        {"u", "d", false}, {"t", "d", false}, {"t", "zz", false},
    };
    CifFileChecks checks;
    for (const auto& c : cases) {
        EXPECT_EQ(std::get<2>(c), checks.IsItemDefined(std::get<0>(c), std::get<1>(c),
                                                       *dict.block.GetTablePtr("item")))
            << std::get<0>(c) << "." << std::get<1>(c);
    }
}

// The values of a table are tested in one walk along its rows but reported
// item by item, each item's rows in order, and the null rows last; a
// definition that cannot be read ends the check after the items before it.
// Mandatory items are reported in the dictionary's order, each one's rows in
// order.
TEST(CategoryChecks, LinesComeItemByItem) {
    const std::string dict =
        "data_dict\n_category.id t\n_category.mandatory_code no\n_category_key.id t\n"
        "_category_key.name '_t.k'\nloop_\n_item.name\n_item.category_id\n"
        "_item.mandatory_code\n'_t.a' t yes\n'_t.gone' t yes\n'_t.b' t yes\n'_t.k' t yes\n"
        "loop_\n_item_type.name\n_item_type.code\n'_t.a' int\n'_t.b' int\n"
        "_item_type_list.code int\n_item_type_list.primitive_code numb\n"
        "_item_type_list.construct '[0-9]+'\n";
    const std::string data = "data_b\nloop_\n_t.k\n_t.a\n_t.b\n1 x ?\n2 ? y\n3 z w\n? ? ?\n";
    const std::string error = "ERROR - In block \"b\", ";
    const auto mandatory = [&](const std::string& item, const std::string& key) {
        return error + "mandatory item \"_t." + item +
               "\" has invalid value \"?\" in row: " + "\"_t.k\" == \"" + key + "\"\n";
    };
    const auto noMatch = [&](const std::string& item, const std::string& value, char row) {
        return error + "data type pattern of value \"" + value + "\" for \"_t." + item +
               "\" does not match, in row #" + row + "\n";
    };
    const std::string head = "ERROR - Key item \"_t.k\" has invalid value \"?\"\n" +
                             mandatory("a", "2") + mandatory("a", "?") + error +
                             "mandatory item \"gone\" is not in category \"t\"\n" +
                             mandatory("b", "1") + mandatory("b", "?") + error +
                             "mandatory item \"_t.k\" has invalid value \"?\"\n" +
                             noMatch("a", "x", '1') + noMatch("a", "z", '3');
    const struct {
        std::string dictTail, report;
    } cases[] = {
        {"", head + noMatch("b", "y", '2') + noMatch("b", "w", '3') + "WARNING - In block \"b\", " +
                 "in category \"t\", row 4 contains all null values.\n"},
        {"_item_range.name '_t.b'\n_item_range.maximum 5\n",
         head +
             Throws("NotFoundException", "Column \"minimum\" not found in the table \"item_range\"",
                    "ISTable::GetColumnIndex") +
             Line("Column not found", "ISTable::operator()")},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> file = ReadCif(data), dictionary = ReadCif(dict + c.dictTail);
        std::ostringstream out;
        const std::string thrown = Thrown([&] {
            file->BlockDataChecking(FirstBlock(*file), FirstBlock(*dictionary), out, false, false);
        });
        EXPECT_EQ(c.report, out.str() + (thrown == "nothing thrown" ? "" : thrown)) << c.dictTail;
    }
}

}  // namespace
