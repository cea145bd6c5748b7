// Relations of the two real DDL2 dictionaries. The expected figures were
// counted from the dictionary files by a separate script, not by this code.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "foundation/CifString.h"
#include "validate/CifParentChild.h"

namespace {

using Names = std::vector<std::string>;

struct Figures {
    const char* file;
    unsigned int newGroups;          // "Info" lines: item_linked pairs without a group
    unsigned int relations;          // over all child categories
    unsigned int reorderedRepeats;   // relations whose pairs another relation has in another order
    unsigned int pairsWithoutGroup;  // item_linked pairs in no group list row
    unsigned int pairsWithoutRelation;
};

class DictionaryRelations : public testing::TestWithParam<Figures> {};

unsigned int CountLines(const std::string& text, const std::string& start) {
    std::istringstream in(text);
    unsigned int count = 0;
    for (std::string line; std::getline(in, line);) {
        count += line.compare(0, start.size(), start) == 0 ? 1 : 0;
    }
    return count;
}

TEST_P(DictionaryRelations, MatchTheFile) {
    const Figures& f = GetParam();
    CifFile file;
    CifParser parser(file);
    std::string diagnostics;
    parser.Parse(std::string(TESRA_TEST_DATA_DIR) + "/dict/" + f.file, diagnostics, "");
    ASSERT_EQ(diagnostics, "");
    Block& block = file.GetBlock(file.GetFirstBlockName());
    ISTable* groupsBefore = block.GetTablePtr("pdbx_item_linked_group_list");

    testing::internal::CaptureStdout();
    CifParentChild pc(block);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(CountLines(out, "Info: Creating a new group "), f.newGroups);
    EXPECT_EQ(CountLines(out, "Warning: "), 0u);

    std::vector<std::string> categories;
    block.GetTablePtr("category")->GetColumn(categories, "id");
    std::set<Names> pairSets;
    std::set<std::pair<std::string, std::string> > relationPairs;
    unsigned int relations = 0;
    for (const std::string& category :
         std::set<std::string>(categories.begin(), categories.end())) {
        std::vector<Names> parKeys;
        std::vector<Names> childKeys;
        pc.GetCategoryRelations(parKeys, childKeys, category);
        relations += parKeys.size();
        for (size_t i = 0; i < parKeys.size(); ++i) {
            Names pairs;
            for (size_t k = 0; k < parKeys[i].size(); ++k) {
                pairs.push_back(childKeys[i][k] + " " + parKeys[i][k]);
                relationPairs.insert({childKeys[i][k], parKeys[i][k]});
            }
            std::sort(pairs.begin(), pairs.end());
            pairSets.insert(pairs);
        }
    }
    EXPECT_EQ(relations, f.relations);
    EXPECT_EQ(relations - pairSets.size(), f.reorderedRepeats);

    ISTable& itemLinked = *block.GetTablePtr("item_linked");
    unsigned int withoutGroup = 0;
    unsigned int withoutRelation = 0;
    for (unsigned int row = 0; row < itemLinked.GetNumRows(); ++row) {
        const Names pair{itemLinked(row, "child_name"), itemLinked(row, "parent_name")};
        withoutGroup += groupsBefore == nullptr ||
                        groupsBefore->FindFirst(pair, Names{"child_name", "parent_name"}, "") ==
                            groupsBefore->GetNumRows();
        withoutRelation += relationPairs.count({pair[0], pair[1]}) == 0;
    }
    EXPECT_EQ(withoutGroup, f.pairsWithoutGroup);
    EXPECT_EQ(withoutRelation, f.pairsWithoutRelation);
}

// mmcif_ddl.dic has no group tables: each item_linked pair becomes a group of
// its own. In mmcif_pdbx.dic two pairs that do have a group row lie in no
// relation: one belongs to a group whose first pair names another parent
// category, the other to a list group without a group row.
INSTANTIATE_TEST_SUITE_P(Dictionaries, DictionaryRelations,
                         testing::Values(Figures{"mmcif_ddl.dic", 47, 47, 0, 47, 0},
                                         Figures{"mmcif_pdbx.dic", 0, 736, 71, 11, 13}));

}  // namespace
