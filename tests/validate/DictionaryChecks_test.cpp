// Mandatory categories, and a dictionary block's own category keys and item
// categories.

#include <gtest/gtest.h>

#include "foundation/Exceptions.h"
#include "support/ExceptionText.h"
#include "validate/CheckTestSupport.h"

namespace {

std::string Missing(const std::string& category) {
    return "ERROR - category \"" + category +
           "\" is mandatory, but it is not present in datablock \"b\"\n";
}

// "Yes" is no mandatory code; a table without rows is present.
TEST(DictionaryChecks, MandatoryCategoriesAreTablesOfTheBlock) {
    std::unique_ptr<CifFile> dict = ReadCif(
        "data_dict\nloop_\n_category.id\n_category.mandatory_code\n"
        "entry yes\natom_site yes\ncell yes\nexptl Yes\n");
    Block block("b");
    block.WriteTable(new ISTable("cell", CaseSensitive));
    CifFileChecks checks;
    EXPECT_EQ(0, checks.MandatoryCategories(block, FirstBlock(*dict)));
    EXPECT_EQ(Missing("entry") + Missing("atom_site"), checks.out.str());
    block.WriteTable(new ISTable("entry", CaseSensitive));
    block.WriteTable(new ISTable("atom_site", CaseSensitive));
    EXPECT_EQ(1, checks.MandatoryCategories(block, FirstBlock(*dict)));
}

struct DefinitionCase {
    std::string block;  // a dictionary block checked as data
    std::string report;
};

class OwnDefinitions : public testing::TestWithParam<DefinitionCase> {};

TEST_P(OwnDefinitions, AreReportedRowByRow) {
    std::unique_ptr<CifFile> file = ReadCif("data_d\n_category.id a\n" + GetParam().block);
    CifFileChecks checks;
    checks.CategoryKeys(FirstBlock(*file));
    checks.ItemCategories(FirstBlock(*file));
    EXPECT_EQ(GetParam().report, checks.out.str());
}

const std::string kError = "ERROR - In block \"d\", ";

INSTANTIATE_TEST_SUITE_P(
    Rows, OwnDefinitions,
    testing::Values(
        // The first of two item rows decides.
        DefinitionCase{"loop_\n_category_key.id\n_category_key.name\na '_a.id'\na '_a.y'\n"
                       "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n"
                       "'_a.id' a yes\n'_a.id' a no\n'_a.y' a implicit-ordinal\n",
                       ""},
        DefinitionCase{"loop_\n_category_key.id\n_category_key.name\na ?\na '_a.gone'\na '_a.x'\n"
                       "_item.name '_a.x'\n_item.category_id a\n_item.mandatory_code YES\n",
                       kError +
                           "for \"_category_key.id\" == \"a\", invalid value "
                           "\"_category_key.name\" == \"?\"\n" +
                           kError +
                           "item \"_a.gone\" exists in category_key  but it is not "
                           "defined\n" +
                           kError + "key item \"_a.x\" is defined as non-mandatory\n"},
        DefinitionCase{"_item.name '_atom_sites_alt.id'\n_item.category_id atom_site\n",
                       kError +
                           "category name mismatch between \"_item.category_id\" == "
                           "\"atom_site\" and \"_item.name\" == \"_atom_sites_alt.id\" at "
                           "row# 1 in \"item\" table\n" +
                           kError +
                           "item \"_atom_sites_alt.id\" does not have its category, "
                           "\"atom_sites_alt\", defined.\n"}));

TEST(DictionaryChecks, MissingCategoryTablesAreNamed) {
    Block empty("e");
    std::unique_ptr<CifFile> items = ReadCif("data_d\n_item.name '_a.x'\n_item.category_id a\n");
    CifFileChecks checks;
    EXPECT_EQ(
        Line("Table \"category\" not found in block \"e\"", "CifFile::_CheckMandatoryCategories"),
        Thrown<NotFoundException>([&] { checks.MandatoryCategories(empty, empty); }));
    EXPECT_EQ(Line("Table \"category\" not found in block \"d\"", "CifFile::_CheckItemCategories"),
              Thrown<NotFoundException>([&] { checks.ItemCategories(FirstBlock(*items)); }));
}

}  // namespace
