// A dictionary block's own category keys and item categories, checked as
// data.

#include <gtest/gtest.h>

#include "foundation/Exceptions.h"
#include "support/ExceptionText.h"
#include "validate/CheckTestSupport.h"

namespace {

const std::string kError = "ERROR - In block \"d\", ";

TEST(DictionaryChecks, OwnDefinitionsAreReportedRowByRow) {
    const std::pair<std::string, std::string> cases[] = {
        // The first of two item rows decides.
        {"_category.id a\nloop_\n_category_key.id\n_category_key.name\na '_a.id'\na '_a.y'\n"
         "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n"
         "'_a.id' a yes\n'_a.id' a no\n'_a.y' a implicit-ordinal\n",
         ""},
        {"_category.id a\nloop_\n_category_key.id\n_category_key.name\na ?\na '_a.gone'\n"
         "a '_a.x'\n_item.name '_a.x'\n_item.category_id a\n_item.mandatory_code YES\n",
         kError +
             "for \"_category_key.id\" == \"a\", invalid value \"_category_key.name\" == "
             "\"?\"\n" +
             kError + "item \"_a.gone\" exists in category_key  but it is not defined\n" + kError +
             "key item \"_a.x\" is defined as non-mandatory\n"},
        {"_category.id a\n_item.name '_atom_sites_alt.id'\n_item.category_id atom_site\n",
         kError +
             "category name mismatch between \"_item.category_id\" == \"atom_site\" and "
             "\"_item.name\" == \"_atom_sites_alt.id\" at row# 1 in \"item\" table\n" +
             kError +
             "item \"_atom_sites_alt.id\" does not have its category, \"atom_sites_alt\", "
             "defined.\n"},
        {"_item.name '_a.x'\n_item.category_id a\n",
         Line("Table \"category\" not found in block \"d\"", "CifFile::_CheckItemCategories")},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> file = ReadCif("data_d\n" + c.first);
        CifFileChecks checks;
        const std::string thrown = Thrown<NotFoundException>([&] {
            checks.CategoryKeys(FirstBlock(*file));
            checks.ItemCategories(FirstBlock(*file));
        });
        EXPECT_EQ(c.second, checks.out.str() + (thrown == "<nothing thrown>" ? "" : thrown));
    }
}

}  // namespace
