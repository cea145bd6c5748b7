#include "validate/ParentChild.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "cif/Block.h"
#include "foundation/Exceptions.h"
#include "support/ExceptionText.h"
#include "validate/CifParentChild.h"

namespace {

using Names = std::vector<std::string>;

static_assert(!std::is_copy_constructible<CifParentChild>::value &&
                  !std::is_copy_assignable<ParentChild>::value,
              "the object owns its tables");

Names Split(const std::string& text) {
    std::istringstream in(text);
    Names words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// A table: its name, its column names and its cells row by row, each list
// separated by blanks.
struct TableText {
    std::string name, columns, cells;
};

// A dictionary block made of the given tables.
class Dictionary {
public:
    explicit Dictionary(const std::vector<TableText>& tables) : _block("d") {
        for (const TableText& t : tables) {
            auto table = std::make_unique<ISTable>(t.name, CaseSensitive);
            const Names columns = Split(t.columns);
            const Names cells = Split(t.cells);
            for (const std::string& column : columns) {
                table->AddColumn(column, Names());
            }
            for (size_t i = 0; i < cells.size(); i += columns.size()) {
                table->AddRow(Names(cells.begin() + i, cells.begin() + i + columns.size()));
            }
            _block.WriteTable(table.get());
            table.release();
        }
    }
    Block& block() { return _block; }

private:
    Block _block;
};

// Builds from the block; `out` receives what construction printed.
template <typename... Args>
std::unique_ptr<CifParentChild> Build(std::string& out, Block& block, Args... args) {
    testing::internal::CaptureStdout();
    try {
        auto pc = std::make_unique<CifParentChild>(block, args...);
        out = testing::internal::GetCapturedStdout();
        return pc;
    } catch (...) {
        out = testing::internal::GetCapturedStdout();
        throw;
    }
}

std::string Join(const Names& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text;
}

// "parent keys <- child keys" per relation of the category.
Names Relations(const ParentChild& pc, const std::string& childCategory) {
    std::vector<Names> parKeys;
    std::vector<Names> childKeys;
    pc.GetCategoryRelations(parKeys, childKeys, childCategory);
    Names lines;
    for (size_t i = 0; i < parKeys.size(); ++i) {
        lines.push_back(Join(parKeys[i]) + " <- " + Join(childKeys[i]));
    }
    return lines;
}

// Each row's cells joined by blanks.
Names Rows(ISTable* table) {
    Names rows;
    for (unsigned int row = 0; table != nullptr && row < table->GetNumRows(); ++row) {
        rows.push_back(Join(table->GetRow(row)));
    }
    return rows;
}

const char kList[] = "pdbx_item_linked_group_list";
const char kListColumns[] =
    "child_category_id link_group_id child_name parent_name parent_category_id";
const char kGroups[] = "pdbx_item_linked_group";

// Groups (c, 1), (d, 1) and (c, 2) on the parent names _p.a and _p.b, the
// group table without its last two columns.
const std::vector<TableText> kExample{
    {"category", "id", "p"},
    {"item", "name category_id", "_p.a p"},
    {kGroups, "category_id link_group_id label", "c 1 c:p:1 d 1 d:p:1 c 2 c:p:2"},
    {kList, kListColumns,
     "c 1 _c.x _p.a p c 1 _c.y _p.b p d 1 _d.y _p.b p "
     "d 1 _d.x _p.a p c 2 _c.u _p.a p c 2 _c.v _p.b p"}};

TEST(ParentChildTest, WorkedExampleOfRelationBuilding) {
    Dictionary dict(kExample);
    std::string out;
    const auto pc = Build(out, dict.block());
    EXPECT_EQ(out, "");
    EXPECT_EQ(Relations(*pc, "c"), (Names{"_p.a _p.b <- _c.x _c.y", "_p.a _p.b <- _c.u _c.v",
                                          "_p.b _p.a <- _c.y _c.x", "_p.b _p.a <- _c.v _c.u"}));
    EXPECT_EQ(Relations(*pc, "d"), (Names{"_p.a _p.b <- _d.x _d.y", "_p.b _p.a <- _d.y _d.x"}));
    EXPECT_EQ(pc->GetParentKeys("p"), (std::vector<Names>{{"_p.a", "_p.b"}, {"_p.b", "_p.a"}}));
    EXPECT_EQ(pc->GetChildKeyGroups({"_p.a", "_p.b"}),
              (std::vector<std::vector<Names> >{{{"_c.x", "_c.y"}, {"_c.u", "_c.v"}},
                                                {{"_d.x", "_d.y"}}}));
    EXPECT_TRUE(pc->IsParentKeyOf({"_p.b", "_p.a"}, "d"));
    EXPECT_FALSE(pc->IsParentKeyOf({"_p.b", "_p.a"}, "p"));
    EXPECT_TRUE(pc->IsParentCifItem("_p.b"));
    EXPECT_FALSE(pc->IsParentCifItem("_c.x"));
}

// Group (t, 3) exists; item_linked adds two parents to _t.b and one to _t.a,
// which a group already holds. Groups on the parent _q.k repeat the name.
// Group (w, 9) has no pairs; list group (e, 3) has no group row. The group
// table orders its columns otherwise and lacks context and condition_id.
const std::vector<TableText> kMixed{
    {"category", "id", "w t e"},
    {"item", "name category_id", "_t.a t _t.b t _t.b t"},
    {"item_linked", "child_name parent_name", "_t.b _p.a _t.a _p.b _t.b _q.k"},
    {kGroups, "link_group_id label category_id",
     "1 e:p:1 e 2 e:p:2 e 3 t:p:3 t 9 w:p:9 w 1 r:q:1 r 1 s:q:1 s"},
    {kList, kListColumns,
     "e 1 _e.x _p.a p e 2 _e.x _p.a p e 2 _e.y _p.b p e 3 _e.z _p.a p t 3 _t.a _p.a p "
     "r 1 _r.x _q.k q r 1 _r.y _q.k q s 1 _s.n _q.k q s 1 _s.m _q.k q"}};

TEST(ParentChildTest, GroupsFromItemLinkedAndLabels) {
    Dictionary dict(kMixed);
    std::string out;
    const auto pc = Build(out, dict.block());
    EXPECT_EQ(out,
              "Warning: Link group \"9\" of category \"w\" not found in table "
              "\"pdbx_item_linked_group_list\" and this entry will be ignored.\n"
              "Info: Creating a new group \"4\" for child category \"t\" for child item \"_t.b\" "
              "and parent item \"_p.a\", from \"item_linked\" table, as these are not defined in "
              "group tables.\n"
              "Info: Creating a new group \"5\" for child category \"t\" for child item \"_t.b\" "
              "and parent item \"_q.k\", from \"item_linked\" table, as these are not defined in "
              "group tables.\n");
    EXPECT_EQ(Relations(*pc, "s"), Names{"_q.k _q.k <- _s.n _s.m"});
    EXPECT_EQ(Relations(*pc, "t"), (Names{"_p.a <- _t.a", "_p.a <- _t.b", "_q.k <- _t.b"}));

    const struct {
        Names parKeys, childKeys;
        std::string label;
    } cases[] = {
        {{"_p.a"}, {"_t.b"}, "t:p:4"},
        {{"_q.k"}, {"_t.b"}, "t:q:5"},
        {{"_p.a"}, {"_e.x"}, "e:p:1"},
        {{"_p.a", "_p.b"}, {"_e.x", "_e.y"}, "e:p:2"},
        {{"_p.b", "_p.a"}, {"_e.y", "_e.x"}, "e:p:2"},
        {{"_p.a", "_p.b"}, {"_e.x", "_t.a"}, ""},
        {{"_q.k", "_q.k"}, {"_r.y", "_r.x"}, "r:q:1"},
    };
    for (const auto& c : cases) {
        std::string label = "stale";
        pc->GetLinkGroupIdLabel(label, c.parKeys, c.childKeys);
        EXPECT_EQ(label, c.label) << Join(c.childKeys);
    }
    std::string label;
    EXPECT_THROW(pc->GetLinkGroupIdLabel(label, {"_p.a"}, {"_e.z"}), std::runtime_error);

    Block written("out");
    pc->WriteGroupTables(written);
    ISTable* groups = written.GetTablePtr("pdbx_item_linked_group");
    ASSERT_NE(groups, nullptr);
    EXPECT_EQ(groups->GetColumnNames(),
              (Names{"link_group_id", "label", "category_id", "context", "condition_id"}));
    EXPECT_EQ(Rows(groups).back(), "5 t:q:5 t . .");
    EXPECT_EQ(Rows(written.GetTablePtr("pdbx_item_linked_group_list")).size(), 11u);
}

TEST(ParentChildTest, RefusedDictionaries) {
    const TableText category{"category", "id", "c"};
    const TableText item{"item", "name category_id", "_c.x c"};
    const TableText groups{kGroups, "category_id link_group_id", "c 1"};
    const TableText pairs{kList, kListColumns, "c 1 _c.x _p.a p"};
    const struct {
        std::vector<TableText> tables;
        std::string thrown;
    } cases[] = {
        {{category, item, groups},
         Line("Empty item linked group list table", "CifParentChild::CifParentChild")},
        {{category, item, pairs},
         Line("Empty item linked group table", "CifParentChild::CifParentChild")},
        {{item},
         Line("Table \"category\" not found in block \"d\"", "CifParentChild::_ReadCategoryItems")},
        {{category},
         Line("Table \"item\" not found in block \"d\"", "CifParentChild::_ReadCategoryItems")},
    };
    for (const auto& c : cases) {
        Dictionary dict(c.tables);
        std::string out;
        EXPECT_EQ(Thrown<MirtException>([&] { Build(out, dict.block()); }), c.thrown);
    }
}

TEST(ParentChildTest, LinkGroupsFromKeyGroups) {
    // T: two children of one parent item; U: a composite key; V: two parent
    // categories, numbered in category order; W: no parents.
    Dictionary dict(
        {{"category", "id", "W V U T"},
         {"item", "name category_id", "_T.a T _T.b T _U.x U _U.y U _V.a V _V.b V _W.a W"},
         {"item_linked", "child_name parent_name",
          "_T.a _P.id _T.b _P.id _U.y _P.k2 _U.x _P.k1 _V.a _P2.id _V.b _P1.id"}});
    std::string out;
    const auto pc = Build(out, dict.block(), dict.block().GetTablePtr("item_linked"));
    EXPECT_EQ(out, "");
    Block written("out");
    pc->WriteGroupTables(written);
    EXPECT_EQ(Rows(written.GetTablePtr("pdbx_item_linked_group")),
              (Names{"T 1 T:P:1 . .", "T 2 T:P:2 . .", "U 1 U:P:1 . .", "V 1 V:P1:1 . .",
                     "V 2 V:P2:2 . ."}));
    EXPECT_EQ(Rows(written.GetTablePtr("pdbx_item_linked_group_list")),
              (Names{"T 1 _T.a _P.id P", "T 2 _T.b _P.id P", "U 1 _U.x _P.k1 P", "U 1 _U.y _P.k2 P",
                     "V 1 _V.b _P1.id P1", "V 2 _V.a _P2.id P2"}));
    EXPECT_EQ(Relations(*pc, "U"), Names{"_P.k1 _P.k2 <- _U.x _U.y"});

    // Without item_linked: no parents, no groups, nothing written.
    const auto bare = Build(out, dict.block(), nullptr);
    Names parents{"stale"};
    bare->GetParentCifItems(parents, "_T.a");
    EXPECT_EQ(parents, Names());
    Block empty("empty");
    bare->WriteGroupTables(empty);
    EXPECT_EQ(empty.GetNumTables(), 0u);
}

TEST(ParentChildTest, KeyGroupsLineUpWithTheFirst) {
    ISTable keyGroups(CaseSensitive);
    for (const char* column : {"childKeyCifItem", "keyGroup", "parKeyCifItem", "parCategory"}) {
        keyGroups.AddColumn(column, Names());
    }
    for (const Names& row : {Names{"_c.a", "1", "_p.x", "p"}, Names{"_c.b", "1", "_p.y", "p"},
                             Names{"_c.z", "1", "_q.z", "q"}, Names{"_c.c", "2", "_p.y", "p"}}) {
        keyGroups.AddRow(row);
    }
    std::vector<Names> childKeyLists;
    Names parCifItems{"_p.stale"};
    ParentChild::GetKeyGroups("p", 3, keyGroups, childKeyLists, parCifItems);
    EXPECT_EQ(parCifItems, (Names{"_p.x", "_p.y"}));
    EXPECT_EQ(childKeyLists,
              (std::vector<Names>{{"_c.a", "_c.b"}, {"_c.a", "_c.c"}, {"_c.a", "_c.b"}}));
}

}  // namespace
