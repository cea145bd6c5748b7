// CifParentChild: link groups derived from item_linked alone, the tables
// written out, refused dictionaries, and the queries of ParentChild.

#include "validate/CifParentChild.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/Thrown.h"
#include "validate/CheckTestSupport.h"

namespace {

const char kGroups[] = "pdbx_item_linked_group";
const char kList[] = "pdbx_item_linked_group_list";
const char kListColumns[] =
    "child_category_id link_group_id child_name parent_name parent_category_id";

// "parent keys <- child keys" per relation of the category.
Strings Relations(const ParentChild& pc, const std::string& childCategory) {
    Strings lines;
    std::vector<Strings> parKeys, childKeys;
    pc.GetCategoryRelations(parKeys, childKeys, childCategory);
    for (size_t i = 0; i < parKeys.size(); ++i)
        lines.push_back(Join(parKeys[i]) + " <- " + Join(childKeys[i]));
    return lines;
}

// t: two children of _p.id (two groups), a composite key of q (one group);
// s: parents in p and r, those of _s.d listed out of order; n: no parents.
const std::vector<TableText> kCategories{
    {"category", "id", "t s n p q r"},
    {"item", "name category_id",
     "_t.a t _t.b t _t.x t _t.y t _s.c s _s.d s _n.m n _p.id p _q.k1 q _q.k2 q _r.a r _r.b r"}};
const TableText kItemLinked{"item_linked", "child_name parent_name",
                            "_t.a _p.id _t.b _p.id _t.y _q.k2 _t.x _q.k1 _s.d _r.b _s.d _r.a "
                            "_s.c _p.id"};

TEST(CifParentChildFromItemLinked, KeyGroupsBecomeLinkGroups) {
    Dictionary dict(kCategories);
    Dictionary linked({kItemLinked});
    testing::internal::CaptureStdout();
    CifParentChild pc(dict.block, linked.block.GetTablePtr("item_linked"));
    EXPECT_EQ("", testing::internal::GetCapturedStdout());

    Block written("w");
    pc.WriteGroupTables(written);
    EXPECT_EQ("category_id link_group_id label context condition_id",
              Join(written.GetTablePtr(kGroups)->GetColumnNames()));
    EXPECT_EQ("s 1 s:p:1 . .\ns 2 s:r:2 . .\nt 1 t:p:1 . .\nt 2 t:p:2 . .\nt 3 t:q:3 . .\n",
              Rows(written.GetTablePtr(kGroups)));
    EXPECT_EQ(kListColumns, Join(written.GetTablePtr(kList)->GetColumnNames()));
    EXPECT_EQ(
        "s 1 _s.c _p.id p\ns 2 _s.d _r.a r\ns 2 _s.d _r.b r\nt 1 _t.a _p.id p\n"
        "t 2 _t.b _p.id p\nt 3 _t.x _q.k1 q\nt 3 _t.y _q.k2 q\n",
        Rows(written.GetTablePtr(kList)));

    EXPECT_EQ((Strings{"_p.id <- _t.a", "_p.id <- _t.b", "_q.k1 _q.k2 <- _t.x _t.y"}),
              Relations(pc, "t"));
    EXPECT_EQ((Strings{}), Relations(pc, "n"));
    std::string label;
    pc.GetLinkGroupIdLabel(label, {"_q.k1", "_q.k2"}, {"_t.x", "_t.y"});
    EXPECT_EQ("t:q:3", label);

    // Cleared first, row order, repeats kept; nothing for an item without rows.
    Strings parents{"_stale.x"};
    pc.GetParentCifItems(parents, "_s.d");
    EXPECT_EQ((Strings{"_r.b", "_r.a"}), parents);
    pc.GetParentCifItems(parents, "_n.m");
    EXPECT_EQ(Strings{}, parents);

    // Without item_linked: no groups, nothing written.
    CifParentChild none(dict.block, nullptr);
    Block empty("e");
    none.WriteGroupTables(empty);
    EXPECT_EQ(0u, empty.GetNumTables());
}

// {tables, what construction throws}, for both constructors.
TEST(CifParentChildFromItemLinked, RefusedDictionaries) {
    const std::pair<std::vector<TableText>, std::string> cases[] = {
        {{kCategories[1]},
         Throws("NotFoundException", "Table \"category\" not found in block \"d\"",
                "CifParentChild::_ReadCategoryItems")},
        {{kCategories[0]},
         Throws("NotFoundException", "Table \"item\" not found in block \"d\"",
                "CifParentChild::_ReadCategoryItems")},
    };
    Dictionary linked({kItemLinked});
    for (const auto& c : cases) {
        Dictionary dict(c.first);
        EXPECT_EQ(c.second, Thrown([&] { CifParentChild pc(dict.block); }));
        EXPECT_EQ(c.second, Thrown([&] {
                      CifParentChild pc(dict.block, linked.block.GetTablePtr("item_linked"));
                  }));
    }
    Dictionary listOnly(
        {kCategories[0], kCategories[1], {kList, kListColumns, "t 1 _t.a _p.id p"}});
    EXPECT_EQ(Throws("EmptyValueException", "Empty item linked group table",
                     "CifParentChild::CifParentChild"),
              Thrown([&] { CifParentChild pc(listOnly.block); }));
}

// c: (_c.x, _c.y) -> (_p.a, _p.b); d: _d.x -> _p.a.
std::unique_ptr<CifParentChild> Small(Dictionary& dict) {
    return std::make_unique<CifParentChild>(dict.block);
}
const std::vector<TableText> kSmall{
    {"category", "id", "c d p"},
    {"item", "name category_id", "_c.x c _c.y c _d.x d"},
    {kGroups, "category_id link_group_id label", "c 1 c:p:1 d 1 d:p:1"},
    {kList, kListColumns, "c 1 _c.x _p.a p c 1 _c.y _p.b p d 1 _d.x _p.a p"}};

TEST(ParentChildQueries, ParentKeys) {
    Dictionary dict(kSmall);
    const auto pc = Small(dict);
    const std::tuple<std::string, std::string, bool> keyOf[] = {
        {"_p.a _p.b", "c", true}, {"_p.a _p.b", "d", false}, {"_p.b _p.a", "c", false},
        {"_p.a", "d", true},      {"_p.a", "c", false},      {"_c.x", "c", false},
    };
    for (const auto& c : keyOf) {
        EXPECT_EQ(std::get<2>(c), pc->IsParentKeyOf(Split(std::get<0>(c)), std::get<1>(c)))
            << std::get<0>(c) << " of " << std::get<1>(c);
    }
    const std::pair<std::string, bool> parentItem[] = {
        {"_p.a", true}, {"_p.b", true}, {"_p.z", false}, {"_c.x", false}};
    for (const auto& c : parentItem) {
        EXPECT_EQ(c.second, pc->IsParentCifItem(c.first)) << c.first;
    }
}

// The lists handed out are the stored ones; what is changed through them is
// what later queries see.
TEST(ParentChildQueries, WritableLists) {
    const std::vector<Strings> stored{{"_p.a", "_p.b"}, {"_p.a"}};
    const std::vector<std::vector<Strings> > groups{{{"_c.x", "_c.y"}}};
    const std::pair<std::function<void(ParentChild&)>, Strings> cases[] = {
        {[](ParentChild&) {}, {"_p.a _p.b <- _c.x _c.y"}},
        {[](ParentChild& pc) { pc.GetChildKeyGroups({"_p.a"}).push_back({{"_c.y"}}); },
         {"_p.a _p.b <- _c.x _c.y", "_p.a <- _c.y"}},
        {[](ParentChild& pc) {
             pc.GetParentKeys("q").push_back({"_p.a", "_p.b"});
         },
         {"_p.a _p.b <- _c.x _c.y", "_p.a _p.b <- _c.x _c.y"}},
    };
    for (const auto& c : cases) {
        Dictionary dict(kSmall);
        const auto pc = Small(dict);
        EXPECT_EQ(Strings{"_p.a _p.b <- _c.x _c.y"}, Relations(*pc, "c"));
        c.first(*pc);
        EXPECT_EQ(c.second, Relations(*pc, "c"));
    }
    Dictionary dict(kSmall);
    const auto pc = Small(dict);
    EXPECT_EQ(stored, pc->GetParentKeys("p"));
    EXPECT_EQ(groups, pc->GetChildKeyGroups({"_p.a", "_p.b"}));
    EXPECT_TRUE(pc->GetParentKeys("z").empty());
    EXPECT_TRUE(pc->GetChildKeyGroups({"_z.a"}).empty());
    EXPECT_FALSE(pc->IsParentCifItem("_z.a"));
}

}  // namespace
