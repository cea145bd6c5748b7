// Mandatory categories, and a dictionary block's own category keys and item
// categories.

#include <gtest/gtest.h>

#include "foundation/Exceptions.h"
#include "support/ExceptionText.h"
#include "validate/CheckTestSupport.h"

namespace {

struct MandatoryCase {
    std::string categories;  // rows of (id, mandatory_code)
    Strings tables;          // of the checked block, without rows
    std::string report;
    int status;
};

class MandatoryCategories : public testing::TestWithParam<MandatoryCase> {};

TEST_P(MandatoryCategories, AreTablesOfTheBlock) {
    const MandatoryCase& c = GetParam();
    std::unique_ptr<CifFile> dict =
        ReadCif("data_dict\nloop_\n_category.id\n_category.mandatory_code\n" + c.categories);
    Block block("b");
    for (const std::string& name : c.tables) {
        block.WriteTable(ColumnTable(name, "x", Strings()).release());
    }
    CifFileChecks checks;
    EXPECT_EQ(c.status, checks.MandatoryCategories(block, FirstBlock(*dict)));
    EXPECT_EQ(c.report, checks.out.str());
}

const char* const kAtomSiteMissing =
    "ERROR - category \"atom_site\" is mandatory, but it is not present in datablock \"b\"\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, MandatoryCategories,
    testing::Values(MandatoryCase{"atom_site yes\n", {}, kAtomSiteMissing, 0},
                    MandatoryCase{"atom_site yes\n", {"atom_site"}, "", 1},
                    MandatoryCase{"atom_site Yes\nentry no\n", {}, "", 1},
                    MandatoryCase{
                        "entry yes\natom_site yes\ncell no\n",
                        {"cell"},
                        "ERROR - category \"entry\" is mandatory, but it is not present in "
                        "datablock \"b\"\n" +
                            std::string(kAtomSiteMissing),
                        0}));

struct DefinitionCase {
    std::string block;  // a dictionary block checked as data
    std::string report;
};

class OwnDefinitions : public testing::TestWithParam<DefinitionCase> {};

TEST_P(OwnDefinitions, AreReportedRowByRow) {
    std::unique_ptr<CifFile> file = ReadCif("data_d\n" + GetParam().block);
    CifFileChecks checks;
    checks.CategoryKeys(FirstBlock(*file));
    checks.ItemCategories(FirstBlock(*file));
    EXPECT_EQ(GetParam().report, checks.out.str());
}

const char* const kItems =
    "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n"
    "'_a.id' a yes\n'_a.x' a no\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, OwnDefinitions,
    testing::Values(
        // An ordinary data block, and a clean definition.
        DefinitionCase{"_cell.length_a 1\n", ""},
        DefinitionCase{"_category.id a\n_category_key.id a\n_category_key.name '_a.y'\n"
                       "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n"
                       "'_a.y' a implicit-ordinal\n",
                       ""},
        // The first of two item rows decides.
        DefinitionCase{"_category.id a\n_category_key.id a\n_category_key.name '_a.id'\n"
                       "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n"
                       "'_a.id' a yes\n'_a.id' a no\n",
                       ""},
        DefinitionCase{"loop_\n_category_key.id\n_category_key.name\na ?\na '_a.gone'\na '_a.x'\n"
                       "_category.id a\n" +
                           std::string(kItems),
                       "ERROR - In block \"d\", for \"_category_key.id\" == \"a\", invalid value "
                       "\"_category_key.name\" == \"?\"\n"
                       "ERROR - In block \"d\", item \"_a.gone\" exists in category_key  but it "
                       "is not defined\n"
                       "ERROR - In block \"d\", key item \"_a.x\" is defined as non-mandatory\n"},
        DefinitionCase{"_category.id atom_site\n"
                       "_item.name '_atom_sites_alt.id'\n_item.category_id atom_site\n",
                       "ERROR - In block \"d\", category name mismatch between "
                       "\"_item.category_id\" == \"atom_site\" and \"_item.name\" == "
                       "\"_atom_sites_alt.id\" at row# 1 in \"item\" table\n"
                       "ERROR - In block \"d\", item \"_atom_sites_alt.id\" does not have its "
                       "category, \"atom_sites_alt\", defined.\n"}));

TEST(DictionaryChecks, MissingCategoryTablesAreNamed) {
    Block empty("e");
    std::unique_ptr<CifFile> items = ReadCif("data_d\n_item.name '_a.x'\n_item.category_id a\n");
    CifFileChecks checks;
    EXPECT_EQ(
        Line("Table \"category\" not found in block \"e\"", "CifFile::_CheckMandatoryCategories"),
        Thrown<NotFoundException>([&] { checks.MandatoryCategories(empty, empty); }));
    EXPECT_EQ(Line("Table \"category\" not found in block \"d\"", "CifFile::_CheckItemCategories"),
              Thrown<NotFoundException>([&] { checks.ItemCategories(FirstBlock(*items)); }));
    EXPECT_EQ("", checks.out.str());
}

}  // namespace
