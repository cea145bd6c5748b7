// CifParentChild: relations of small and real dictionaries, and the check of
// data rows against their parent rows.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <stdexcept>
#include <type_traits>

#include "foundation/Exceptions.h"
#include "support/Thrown.h"
#include "validate/CheckTestSupport.h"
#include "validate/CifParentChild.h"

namespace {

static_assert(!std::is_copy_constructible<ParentChild>::value, "it owns its tables");

// Builds from the block; `out` receives what construction printed.
std::unique_ptr<CifParentChild> Build(std::string& out, Block& block) {
    testing::internal::CaptureStdout();
    auto pc = std::make_unique<CifParentChild>(block);
    out = testing::internal::GetCapturedStdout();
    return pc;
}

// "parent keys <- child keys" per relation of the categories.
Strings Relations(const ParentChild& pc, const std::string& childCategories) {
    Strings lines;
    for (const std::string& category : Split(childCategories)) {
        std::vector<Strings> parKeys, childKeys;
        pc.GetCategoryRelations(parKeys, childKeys, category);
        for (size_t i = 0; i < parKeys.size(); ++i)
            lines.push_back(Join(parKeys[i]) + " <- " + Join(childKeys[i]));
    }
    return lines;
}

const char kList[] = "pdbx_item_linked_group_list";
const char kListColumns[] =
    "child_category_id link_group_id child_name parent_name parent_category_id";
const char kGroups[] = "pdbx_item_linked_group";

// item_linked adds parents to _t.b and _t.a (which group (t, 3) holds); _q.k
// repeats in groups; (w, 9) has no pairs; list group (e, 3) no group row;
// (d, 1) names _p.b first, which orders e's relation so too.
const std::vector<TableText> kDictionary{
    {"category", "id", "w t e"},
    {"item", "name category_id", "_t.a t _t.b t _t.b t"},
    {"item_linked", "child_name parent_name", "_t.b _p.a _t.a _p.b _t.b _q.k"},
    {kGroups, "link_group_id label category_id",
     "1 e:p:1 e 2 e:p:2 e 3 t:p:3 t 9 w:p:9 w 1 r:q:1 r 1 s:q:1 s 1 d:p:1 d 2 s:cca:2 s"},
    {kList, kListColumns,
     "e 1 _e.x _p.a p e 2 _e.x _p.a p e 2 _e.y _p.b p e 3 _e.z _p.a p t 3 _t.a _p.a p "
     "r 1 _r.x _q.k q r 1 _r.y _q.k q s 1 _s.n _q.k q s 1 _s.m _q.k q d 1 _d.y _p.b p "
     "d 1 _d.x _p.a p s 2 _s.c _chem_comp_atom.atom_id chem_comp_atom"}};

TEST(ParentChildTest, GroupsFromItemLinkedAndLabels) {
    Dictionary dict(kDictionary);
    std::string out;
    const auto pc = Build(out, dict.block);
    const auto info = [](const std::string& group, const std::string& parent) {
        return "Info: Creating a new group \"" + group + "\" for child category \"t\" for child " +
               "item \"_t.b\" and parent item \"" + parent +
               "\", from \"item_linked\" table, as these are not defined in group tables.\n";
    };
    EXPECT_EQ(out,
              "Warning: Link group \"9\" of category \"w\" not found in table "
              "\"pdbx_item_linked_group_list\" and this entry will be ignored.\n" +
                  info("4", "_p.a") + info("5", "_q.k"));
    EXPECT_EQ(Relations(*pc, "e s t"),
              (Strings{"_p.a <- _e.x", "_p.a <- _e.z", "_p.a _p.b <- _e.x _e.y",
                       "_p.b _p.a <- _e.y _e.x", "_chem_comp_atom.atom_id <- _s.c",
                       "_q.k _q.k <- _s.n _s.m", "_p.a <- _t.a", "_p.a <- _t.b", "_q.k <- _t.b"}));
    std::string label;  // of a created group
    pc->GetLinkGroupIdLabel(label, {"_q.k"}, {"_t.b"});
    EXPECT_EQ(label, "t:q:5");
}

// Group tables come in pairs.
TEST(ParentChildTest, RefusedDictionaries) {
    Dictionary dict({{"category", "id", "c"},
                     {"item", "name category_id", "_c.x c"},
                     {kGroups, "category_id link_group_id", "c 1"}});
    EXPECT_EQ(Thrown([&] { CifParentChild pc(dict.block); }),
              Throws("EmptyValueException", "Empty item linked group list table",
                     "CifParentChild::CifParentChild"));
}

// Every item_linked row of a child item in no group gets a group of its own,
// however many rows the item has; the notices come in row order.
TEST(ParentChildTest, EveryUngroupedItemLinkedRowKept) {
    Dictionary dict({{"category", "id", "c p q r"},
                     {"item", "name category_id", "_c.x c _c.y c"},
                     {"item_linked", "child_name parent_name",
                      "_c.x _p.a _c.x _q.b _c.y _p.a _c.x _r.c _c.x _p.d _c.x _q.e"}});
    std::string out;
    const auto pc = Build(out, dict.block);
    Strings created;
    for (size_t at = 0; (at = out.find("child item \"", at)) != std::string::npos;) {
        at += 12;
        const size_t parent = out.find("parent item \"", at) + 13;
        created.push_back(out.substr(at, out.find('"', at) - at) + ">" +
                          out.substr(parent, out.find('"', parent) - parent));
    }
    EXPECT_EQ(Join(created), "_c.x>_p.a _c.x>_q.b _c.x>_r.c _c.x>_p.d _c.x>_q.e _c.y>_p.a");
    EXPECT_EQ(Relations(*pc, "c"), (Strings{"_p.a <- _c.x", "_p.a <- _c.y", "_p.d <- _c.x",
                                            "_q.b <- _c.x", "_q.e <- _c.x", "_r.c <- _c.x"}));
}

// New groups of b, for its two item_linked pairs, are numbered after an
// existing group of b and after a list group of b without group row. A new
// id equal to an existing one would merge the pairs into one two-part key.
TEST(ParentChildTest, NewGroupIdsFollowTheExisting) {
    const struct {
        std::string id, listOnlyId, newIds, badId;
    } cases[] = {
        {"3", "", "4 5", ""},
        {"-1", "", "1 2", ""},
        {"2147483646", "", "2147483647 2147483648", ""},
        {"3", "4", "5 6", ""},
        {"abc", "", "", "abc"},
        {"1", "2147483648", "", "2147483648"},
    };
    for (const auto& c : cases) {
        std::string list = "b " + c.id + " _b.z _z.k z";
        if (!c.listOnlyId.empty())
            list += " b " + c.listOnlyId + " _b.w _a.p a";
        Dictionary dict({{"category", "id", "a b"},
                         {"item", "name category_id", "_b.x b _b.y b"},
                         {"item_linked", "child_name parent_name", "_b.x _a.p _b.y _a.q"},
                         {kGroups, "category_id link_group_id", "b " + c.id},
                         {kList, kListColumns, list}});
        if (!c.badId.empty()) {
            EXPECT_EQ(Thrown([&] { CifParentChild pc(dict.block); }),
                      Throws("InvalidStateException",
                             "Link group id \"" + c.badId +
                                 "\" of category \"b\" is not a 32-bit integer",
                             "CifParentChild::_GetMaxLinkGroupId"));
            continue;
        }
        std::string out;
        const auto pc = Build(out, dict.block);
        Strings ids;
        for (size_t at = 0; (at = out.find("group \"", at)) != std::string::npos;) {
            at += 7;
            ids.push_back(out.substr(at, out.find('"', at) - at));
        }
        EXPECT_EQ(Join(ids), c.newIds) << c.id;
        const Strings relations = Relations(*pc, "b");
        EXPECT_EQ(std::count(relations.begin(), relations.end(), "_a.q <- _b.y"), 1) << c.id;
    }
}

// A parent key list that comes back under another parent category (its
// group's first list row says so) stores its child key group once; each
// parent category then lists the relation.
TEST(ParentChildTest, RelationUnderTwoParentCategoriesStoredOnce) {
    Dictionary dict({{"category", "id", "c"},
                     {"item", "name category_id", "_c.x c"},
                     {kGroups, "category_id link_group_id", "c 1 c 2"},
                     {kList, kListColumns, "c 1 _c.x _p.a p c 2 _c.x _p.a x"}});
    std::string out;
    EXPECT_EQ(Relations(*Build(out, dict.block), "c"), (Strings{"_p.a <- _c.x", "_p.a <- _c.x"}));
}

// {list rows, each group's first list row also giving it a group row; child
// categories; relations}. Child keys line up with the parent key list name
// by name, a repeated name by occurrence, whatever order a group lists its
// pairs in. Groups come in the order in which the rows of the list's first
// name meet their child category and id, rows of another parent category
// included. A child key list given by two groups or two child categories is
// stored once.
TEST(ParentChildTest, ChildKeysFollowTheParentKeyList) {
    const struct {
        std::string list, categories;
        Strings relations;
    } cases[] = {
        {"c 1 _c.a _p.x p c 1 _c.b _p.y p c 1 _c.c _p.x p "
         "d 1 _d.a _p.y p d 1 _d.b _p.x p d 1 _d.c _p.x p",
         "c d",
         {"_p.x _p.y _p.x <- _c.a _c.b _c.c", "_p.y _p.x _p.x <- _c.b _c.a _c.c",
          "_p.x _p.y _p.x <- _d.b _d.a _d.c", "_p.y _p.x _p.x <- _d.a _d.b _d.c"}},
        {"c 2 _c.z _p.a q c 1 _c.x _p.a p c 2 _c.y _p.a p",
         "c",
         {"_p.a <- _c.y", "_p.a <- _c.x", "_p.a <- _c.y", "_p.a <- _c.x"}},
        {"c 1 _c.x _p.a p c 2 _c.x _p.a p a 1 _x.y _p.a p b 1 _x.y _p.a p",
         "c x",
         {"_p.a <- _c.x", "_p.a <- _x.y"}},
    };
    for (const auto& c : cases) {
        const Strings cells = Split(c.list);
        std::string groups;
        std::set<std::string> grouped;
        for (size_t i = 0; i < cells.size(); i += 5) {
            if (grouped.insert(cells[i] + " " + cells[i + 1]).second)
                groups += cells[i] + " " + cells[i + 1] + " ";
        }
        Dictionary dict({{"category", "id", "c"},
                         {"item", "name category_id", "_c.x c"},
                         {kGroups, "category_id link_group_id", groups},
                         {kList, kListColumns, c.list}});
        std::string out;
        EXPECT_EQ(Relations(*Build(out, dict.block), c.categories), c.relations) << c.list;
    }
}

TEST(ParentChildTest, KeyGroupsLineUpWithTheFirst) {
    Dictionary dict({{"keys", "childKeyCifItem keyGroup parKeyCifItem parCategory",
                      "_c.a 1 _p.x p _c.b 1 _p.y p _c.z 1 _q.z q _c.c 2 _p.y p"}});
    std::vector<Strings> childKeyLists;
    Strings parCifItems{"_p.stale"};
    ParentChild::GetKeyGroups("p", 3, *dict.block.GetTablePtr("keys"), childKeyLists, parCifItems);
    EXPECT_EQ(parCifItems, (Strings{"_p.x", "_p.y"}));
    EXPECT_EQ(childKeyLists,
              (std::vector<Strings>{{"_c.a", "_c.b"}, {"_c.a", "_c.c"}, {"_c.a", "_c.b"}}));
}

const std::string kBigTrouble = "BIG TROUBLE; linkGroupId not found!\n";
const std::string kMissingP =
    "++ERROR - In block \"b\", parent category \"p\", of category \"t\", is missing.\n";

// The result is 0 exactly when a row is unmatched or an attribute is
// undefined.
TEST(ParentRows, AreReported) {
    const std::vector<TableText> parents{{"p", "a b", "1 2 1 3"}, {"q", "k", "5"}};
    const struct {
        TableText checked;
        std::vector<TableText> parents;
        std::string report;
    } cases[] = {
        // Matched rows; all-null keys and a missing chem_comp_atom say nothing.
        {{"e", "x y z", "1 2 1 . . ."}, parents, ""},
        {{"s", "c", "A"}, parents, ""},
        // A relation stated in two orders reports once; partly null keys are
        // looked up on the others.
        {{"e", "x y", "1 9 9 ."},
         parents,
         Unmatched("b", "e:p:1", "e", 2, "p", "x>a=9") +
             Unmatched("b", "e:p:2", "e", 1, "p", "x>a=1 y>b=9") +
             Unmatched("b", "e:p:2", "e", 2, "p", "x>a=9")},
        // A list group without group row: reported without label, and on.
        {{"e", "z", "8 1 6"},
         parents,
         kBigTrouble + Unmatched("b", "", "e", 1, "p", "z>a=8") + kBigTrouble +
             Unmatched("b", "", "e", 3, "p", "z>a=6")},
        // Missing and empty parent tables, once per relation.
        {{"t", "a b", "1 1 2 2"},
         {{"q", "", ""}},
         kMissingP + kMissingP + "WARN - In block b category t parent table empty q\n"},
        // An undefined parent key attribute ends the check.
        {{"e", "x y", "1 2"},
         {{"p", "a", "1"}},
         "ERROR - In block \"b\", for child item \"_e.y\", parent key attribute \"b\" is not "
         "defined in parent category \"p\"\n"},
    };
    Dictionary dict(kDictionary);
    std::string notices;
    const auto relations = Build(notices, dict.block);
    for (const auto& c : cases) {
        std::vector<TableText> tables = c.parents;
        tables.insert(tables.begin(), c.checked);
        Dictionary data(tables, "b");
        std::ostringstream out;
        const int result =
            relations->CheckParentChild(data.block, *data.block.GetTablePtr(c.checked.name), out);
        EXPECT_EQ(c.report, out.str());
        EXPECT_EQ(c.report.find("PARCHILD") != std::string::npos ||
                      c.report.compare(0, 10, "ERROR - In") == 0,
                  result == 0);
    }
}

// Figures counted by a separate script: notices (new groups), relations,
// relations repeating another's pairs in another order, item_linked pairs in
// no relation (pdbx: one in a group whose first pair names another parent
// category, one in a list group without group row), group list rows written.
TEST(DictionaryRelations, MatchTheFile) {
    for (const std::string figures :
         {"mmcif_ddl.dic 47 47 0 0 47", "mmcif_pdbx.dic 0 736 71 13 1441"}) {
        const std::string name = figures.substr(0, figures.find(' '));
        const auto file = ReadCif(TESRA_TEST_DATA_DIR "/dict/" + name, true);
        Block& block = FirstBlock(*file);
        std::string out;
        const auto pc = Build(out, block);
        EXPECT_EQ(out.find("Warning"), std::string::npos);
        Strings categories;
        block.GetTablePtr("category")->GetColumn(categories, "id");
        std::set<std::set<Strings> > pairSets;
        std::set<Strings> relationPairs;
        size_t relations = 0, withoutRelation = 0;
        for (const std::string& category :
             std::set<std::string>(categories.begin(), categories.end())) {
            std::vector<Strings> parKeys, childKeys;
            pc->GetCategoryRelations(parKeys, childKeys, category);
            for (size_t i = 0; i < parKeys.size(); ++i, ++relations) {
                std::set<Strings> pairs;
                for (size_t k = 0; k < parKeys[i].size(); ++k) {
                    pairs.insert({childKeys[i][k], parKeys[i][k]});
                    relationPairs.insert({childKeys[i][k], parKeys[i][k]});
                }
                pairSets.insert(pairs);
            }
        }
        ISTable& linked = *block.GetTablePtr("item_linked");
        for (unsigned int row = 0; row < linked.GetNumRows(); ++row) {
            withoutRelation +=
                relationPairs.count({linked(row, "child_name"), linked(row, "parent_name")}) == 0;
        }
        Block written("w");
        pc->WriteGroupTables(written);
        std::ostringstream counted;
        counted << name << " " << std::count(out.begin(), out.end(), '\n') << " " << relations
                << " " << relations - pairSets.size() << " " << withoutRelation << " "
                << written.GetTablePtr(kList)->GetNumRows();
        EXPECT_EQ(counted.str(), figures);
    }
}

}  // namespace
