// The per-category checks: which key items a category gets, and which items
// count as defined.

#include <gtest/gtest.h>

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

}  // namespace
