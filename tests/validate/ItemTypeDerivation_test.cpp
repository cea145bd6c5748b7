// Type codes of a DDL block checked as data, derived from parent items.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "validate/CheckTestSupport.h"

namespace {

// A DDL block: items "_c.x" or "_c.x:int" (their categories in order of first
// appearance; no category table without items) and item_linked pairs
// "child>parent".
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
    if (!categories.empty()) {
        tables.push_back({"category", "id", categories});
    }
    return tables;
}

const std::string kError = "ERROR - In block \"d\", ";

std::string NoParents(const std::string& item) {
    return kError + "item \"" + item +
           "\" does not have item type code defined and has no parents.\n";
}

// Each case: items, links, whether untyped items are skipped, and the
// report, "+ " and each row added to item_type, and what is thrown.
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
        // An empty code is no code: nothing is appended, on any visit.
        {"_c.u _b.u _a.t:int", "_c.u>_b.u", false, NoParents("_b.u") + NoParents("_b.u")},
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
        const Strings rows = Rows(&itemType);
        for (auto row = rows.begin() + typed; row != rows.end(); ++row) {
            checks.out << "+ " << *row << "\n";
        }
        EXPECT_EQ(std::get<3>(c), checks.out.str() + thrown) << std::get<0>(c);
    }
}

}  // namespace
