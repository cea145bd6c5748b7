// A dictionary block checked as data: its own category keys and item
// categories, and type codes derived from parent items.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "foundation/Exceptions.h"
#include "support/Thrown.h"
#include "validate/CheckTestSupport.h"

namespace {

// A DDL block: items "_c.x" or "_c.x:int", item_linked pairs "child>parent";
// no category table without items.
std::vector<TableText> Ddl(const std::string& items, std::string links) {
    std::string categories, itemCells, typeCells;
    for (const std::string& item : Split(items)) {
        const size_t colon = item.find(':');
        const std::string name = item.substr(0, colon);
        const std::string category = name.substr(1, name.find('.') - 1);
        categories += categories.find(category) == std::string::npos ? " " + category : "";
        itemCells += " " + name + " " + category;
        typeCells += colon == std::string::npos ? "" : " " + name + " " + item.substr(colon + 1);
    }
    std::replace(links.begin(), links.end(), '>', ' ');
    std::vector<TableText> tables{{"item", "name category_id", itemCells},
                                  {"item_type", "name code", typeCells},
                                  {"item_linked", "child_name parent_name", links}};
    if (!categories.empty())
        tables.push_back({"category", "id", categories});
    return tables;
}

const std::string kError = "ERROR - In block \"d\", ";

std::string NoParents(const std::string& item) {
    return kError + "item \"" + item +
           "\" does not have item type code defined and has no parents.\n";
}

// {items, links, skip untyped, report + "+ " added item_type rows + thrown}
TEST(ItemTypes, AreDerivedFromParents) {
    const std::tuple<std::string, std::string, bool, std::string> cases[] = {
        {"", "", false, "CRITICAL: CANNOT FIND DDL CATEGORY: category\n"},
        // Depth first: the parent's row comes first; its own visit finds it.
        {"_c.x _b.x _a.x:int", "_c.x>_b.x _b.x>_a.x", false, "+ _b.x int\n+ _c.x int\n"},
        {"_c.x _c.y:int", "", false, NoParents("_c.x")},
        {"_c.x _c.y:int", "", true, ""},
        {"_c.y:code _a.x:int", "_c.y>_a.x", false,
         kError + "child item \"_c.y\" has item type code \"code\", while its parent(s) have "
                  "item type code \"int\"\n"},
        {"_c.z _a.x:int _a.y:Int", "_c.z>_a.x _c.z>_a.y", false,
         "ERROR - Item \"_c.z\" has parents with different types:\n"
         "  Parent item \"_a.x\" has item type code \"int\"\n"
         "  Parent item \"_a.y\" has item type code \"Int\"\n" +
             kError +
             "item \"_c.z\" does not have item type code defined and its item type code  cannot "
             "be deducted from its parents.\n"},
        // An empty code is no code: nothing is appended; the parent is reported once.
        {"_c.u _b.u _a.t:int", "_c.u>_b.u", false, NoParents("_b.u")},
        {"_c.s:int", "_c.s>_c.s", false,
         "ERROR - Parent and child key have the same value \"_c.s\""},
        {"_c.p _b.p _a.p:int", "_c.p>_b.p _b.p>_a.p _a.p>_b.p", false,
         "ERROR - Parent and child keys form a cycle \"_b.p\" -> \"_a.p\" -> \"_b.p\""},
    };
    for (const auto& c : cases) {
        Dictionary ddl(Ddl(std::get<0>(c), std::get<1>(c)));
        ISTable& itemType = *ddl.block.GetTablePtr("item_type");
        const unsigned int typed = itemType.GetNumRows();
        CifFileChecks checks;
        testing::internal::CaptureStdout();
        std::string thrown;
        try {
            checks.ItemTypes(ddl.block, std::get<2>(c));
        } catch (const std::runtime_error& e) {
            thrown = e.what();
        }
        testing::internal::GetCapturedStdout();
        for (unsigned int row = typed; row < itemType.GetNumRows(); ++row)
            checks.out << "+ " << Join(itemType.GetRow(row)) << "\n";
        EXPECT_EQ(std::get<3>(c), checks.out.str() + thrown) << std::get<0>(c);
    }
}

TEST(DictionaryChecks, OwnDefinitionsAreReportedRowByRow) {
    const std::pair<std::string, std::string> cases[] = {
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
         Throws("NotFoundException", "Table \"category\" not found in block \"d\"",
                "CifFile::_CheckItemCategories")},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> file = ReadCif("data_d\n" + c.first);
        CifFileChecks checks;
        const std::string thrown = Thrown([&] {
            checks.CategoryKeys(FirstBlock(*file));
            checks.ItemCategories(FirstBlock(*file));
        });
        EXPECT_EQ(c.second, checks.out.str() + (thrown == "nothing thrown" ? "" : thrown));
    }
}

}  // namespace
