// Repeated keys and parent lookups of data tables: the groups of rows that
// share a key, and the parent keys that child rows are looked up in.

#include <gtest/gtest.h>

#include <algorithm>

#include "support/Files.h"
#include "validate/CheckTestSupport.h"
#include "validate/CifParentChild.h"

namespace {

// k has the two keys k1 and k2.
const std::string kKeyDictionary =
    "data_dict\nloop_\n_category.id\n_category.mandatory_code\nk no\n"
    "loop_\n_category_key.id\n_category_key.name\nk '_k.k1'\nk '_k.k2'\n"
    "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n'_k.k1' k yes\n"
    "'_k.k2' k yes\n";

// "first-repeat" for each repeated-key finding, in report order.
std::string Repeats(const std::string& report) {
    std::string pairs;
    const std::string marker = "  in row #";
    for (std::size_t at = report.find(marker); at != std::string::npos;
         at = report.find(marker, at + 1)) {
        const std::size_t first = at + marker.size();
        const std::size_t end = report.find(' ', first);
        const std::size_t repeat = report.find('#', end) + 1;
        pairs += (pairs.empty() ? "" : " ") + report.substr(first, end - first) + "-" +
                 report.substr(repeat, report.find('\n', repeat) - repeat);
    }
    return pairs;
}

TEST(KeyRepeats, AreReportedByGroupInRowOrder) {
    const struct {
        std::string rows;  // k1 k2 per row
        unsigned char k1Flags, k2Flags;
        std::string repeats;
    } cases[] = {
        // Groups in the order of their first rows, a group's repeats in row order.
        {"a b c d a b c d a b e f e f", 0x10, 0x10, "1-3 1-5 2-4 6-7"},
        // Null keys are reported as such, never as repeated.
        {"? b ? b a . a . a ? a ?", 0x10, 0x10, ""},
        // A case-insensitive first column makes the whole key so.
        {"a b A b a B x y", 0x11, 0x10, "1-2 1-3"},
        {"a b A b a B x y", 0x10, 0x11, "1-3"},
        // Cells stay apart: "ab c" is not "a bc".
        {"'ab' 'c' 'a' 'bc'", 0x10, 0x10, ""},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> dict = ReadCif(kKeyDictionary);
        std::unique_ptr<CifFile> data = ReadCif("data_b\nloop_\n_k.k1\n_k.k2\n" + c.rows + "\n");
        ISTable& table = *FirstBlock(*data).GetTablePtr("k");
        table.SetFlags("k1", c.k1Flags);
        table.SetFlags("k2", c.k2Flags);
        std::ostringstream out;
        data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dict), out, false, false);
        EXPECT_EQ(c.repeats, Repeats(out.str())) << c.rows;
    }
}

// e (x, y) has the parent p (a, b).
const std::vector<TableText> kRelation{
    {"category", "id", "e p"},
    {"item", "name category_id", "_e.x e _e.y e"},
    {"item_linked", "child_name parent_name", "_e.x _p.a _e.y _p.b"},
    {"pdbx_item_linked_group", "link_group_id label category_id", "1 e:p:1 e"},
    {"pdbx_item_linked_group_list",
     "child_category_id link_group_id child_name parent_name parent_category_id",
     "e 1 _e.x _p.a p e 1 _e.y _p.b p"}};

// Unmatched child rows, blank-separated.
std::string UnmatchedRows(const std::string& report) {
    std::string rows;
    const std::string marker = "in row# ";
    for (std::size_t at = report.find(marker); at != std::string::npos;
         at = report.find(marker, at + 1)) {
        const std::size_t from = at + marker.size();
        rows += (rows.empty() ? "" : " ") + report.substr(from, report.find(',', from) - from);
    }
    return rows;
}

TEST(ParentKeys, AreLookedUpOnAllTheirColumns) {
    const struct {
        std::string parentRows, childRows;  // a b, x y per row
        unsigned char aFlags, bFlags;
        std::string unmatched;
    } cases[] = {
        // Both columns of one parent row must match; cells stay apart.
        {"1 2 2 3 12 3", "1 2 1 3 2 3 2 2 1 23 12 3", 0x10, 0x10, "2 4 5"},
        // Rows with a null key are looked up on the other column alone.
        {"1 2 2 3", "1 . 5 . . 3 . 1 1 3", 0x10, 0x10, "2 4 5"},
        // A case-insensitive first parent column makes the whole key so.
        {"x Q", "X q x Q x q y Q", 0x11, 0x10, "4"},
        {"x Q", "X q x Q x q y Q", 0x10, 0x11, "1 4"},
        // Keys whose hashes are equal (the texts in b share one hash)
        // are told apart, kept and found both.
        {"k zgg4zy7kfuw7p4af k gbh9bergljerqki0",
         "k gbh9bergljerqki0 k zgg4zy7kfuw7p4af k rxsnbemluxv8uomh", 0x10, 0x10, "3"},
        {"k rxsnbemluxv8uomh k vpgqq14m32tlahkj k zgg4zy7kfuw7p4af",
         "k xuz2us4b28gvjgz4 k mo2o7rnxv2rymrp1 k gbh9bergljerqki0 k vpgqq14m32tlahkj", 0x10, 0x10,
         "1 2 3"},
    };
    for (const auto& c : cases) {
        Dictionary dict(kRelation);
        CifParentChild relations(dict.block);
        Dictionary data({{"e", "x y", c.childRows}, {"p", "a b", c.parentRows}}, "b");
        ISTable& parent = *data.block.GetTablePtr("p");
        parent.SetFlags("a", c.aFlags);
        parent.SetFlags("b", c.bFlags);
        std::ostringstream out;
        relations.CheckParentChild(data.block, *data.block.GetTablePtr("e"), out);
        EXPECT_EQ(c.unmatched, UnmatchedRows(out.str())) << c.childRows;
    }
}

// Keys of one hash, 2^12 of them: each of the 12 key columns holds one text
// of a pair of equal hashes. The parent lacks every third of them.
TEST(ParentKeys, SharingOneHashAreAllTold) {
    const std::size_t columns = 12;
    const std::string pair[] = {"zgg4zy7kfuw7p4af", "gbh9bergljerqki0"};
    const struct {
        unsigned char firstFlags;
        bool upperChild;
        bool allUnmatched;
    } cases[] = {
        {0x10, false, false},
        // A case-insensitive first column folds the child's capitals.
        {0x11, true, false},
        {0x10, true, true},
    };
    for (const auto& c : cases) {
        std::string childNames, childColumns, parentColumns, links, groupList;
        for (std::size_t k = 0; k < columns; ++k) {
            const std::string n = std::to_string(k);
            childNames += " _e.x" + n + " e";
            links += " _e.x" + n + " _p.a" + n;
            groupList += " e 1 _e.x" + n + " _p.a" + n + " p";
            childColumns += " x" + n;
            parentColumns += " a" + n;
        }
        std::string childRows, parentRows, expected;
        const std::size_t keys = std::size_t(1) << columns;
        for (std::size_t i = 0; i < keys; ++i) {
            std::string key;
            for (std::size_t k = 0; k < columns; ++k) {
                key += " " + pair[(i >> k) & 1];
            }
            if (i % 3 != 0) {
                parentRows += key;
            }
            if (c.upperChild) {
                std::transform(key.begin(), key.end(), key.begin(), ::toupper);
            }
            childRows += key;
            if (c.allUnmatched || i % 3 == 0) {
                expected += (expected.empty() ? "" : " ") + std::to_string(i + 1);
            }
        }
        Dictionary dict({{"category", "id", "e p"},
                         {"item", "name category_id", childNames},
                         {"item_linked", "child_name parent_name", links},
                         {"pdbx_item_linked_group", "link_group_id label category_id", "1 e:p:1 e"},
                         {"pdbx_item_linked_group_list",
                          "child_category_id link_group_id child_name parent_name "
                          "parent_category_id",
                          groupList}});
        CifParentChild relations(dict.block);
        Dictionary data({{"e", childColumns, childRows}, {"p", parentColumns, parentRows}}, "b");
        data.block.GetTablePtr("p")->SetFlags("a0", c.firstFlags);
        std::ostringstream out;
        relations.CheckParentChild(data.block, *data.block.GetTablePtr("e"), out);
        EXPECT_EQ(expected, UnmatchedRows(out.str())) << int(c.firstFlags) << c.upperChild;
    }
}

// e (x, y) and g (x, y) have the parent p (a, b); f (u) has the parent p (a).
const std::vector<TableText> kSiblings{
    {"category", "id", "e f g p"},
    {"item", "name category_id", "_e.x e _e.y e _f.u f _g.x g _g.y g"},
    {"item_linked", "child_name parent_name", "_e.x _p.a _e.y _p.b _f.u _p.a _g.x _p.a _g.y _p.b"},
    {"pdbx_item_linked_group", "link_group_id label category_id", "1 e:p:1 e 1 f:p:1 f 1 g:p:1 g"},
    {"pdbx_item_linked_group_list",
     "child_category_id link_group_id child_name parent_name parent_category_id",
     "e 1 _e.x _p.a p e 1 _e.y _p.b p f 1 _f.u _p.a p g 1 _g.x _p.a p g 1 _g.y _p.b p"}};

// "table:rows" per table named (rows comma-separated), blank-separated.
std::string Unmatched(CifParentChild& relations, Block& block, const std::string& tables) {
    std::string result;
    for (const std::string& name : Split(tables)) {
        std::ostringstream out;
        relations.CheckParentChild(block, *block.GetTablePtr(name), out);
        std::string rows = UnmatchedRows(out.str());
        std::replace(rows.begin(), rows.end(), ' ', ',');
        result += (result.empty() ? "" : " ") + name + ":" + rows;
    }
    return result;
}

TEST(SharedParentKeys, ServeTablesOfOtherAttributes) {
    const struct {
        std::string parentRows, eRows, fRows, gRows;  // a b; x y; u; x y
        unsigned char aFlags, bFlags;
        std::string unmatched;
    } cases[] = {
        // A row that repeats the one before in a alone is a key of its own.
        {"1 2 1 3 4 5", "1 2 1 3 1 5", "1 4 9", "4 5 4 2 1 3", 0x10, 0x10, "e:3 f:3 g:2"},
        // Rows with a null key gather other keys than the rows without.
        {"1 2 1 3 4 5", "1 . . 5 1 5", "? 5", "2 . . 9 4 5", 0x10, 0x10, "e:3 f:2 g:1,2"},
        {"1 2", "1 2", "2", "2 1", 0x10, 0x10, "e: f:1 g:1"},
        // Texts recur in runs and apart; a key is the pair, not each text.
        {"1 2 1 2 3 4 1 2 3 2", "1 2 3 2 3 4 1 4 2 2 9 2", "1 3 2 9", "3 2 1 1", 0x10, 0x10,
         "e:4,5,6 f:3,4 g:2"},
        // One column looked up alone, as a row with a null key is.
        {"1 2 3 4", "1 . . 4 . 9", "4", "3 4 3 2", 0x10, 0x10, "e:3 f:1 g:2"},
        // Parent texts differing in case are one key when folded.
        {"x Q X q y r", "X Q y R Y q", "Y z", "x q", 0x11, 0x10, "e:3 f:2 g:"},
        {"x Q X q y r", "X Q y R Y q", "Y z", "x q", 0x10, 0x11, "e:3 f:1,2 g:"},
        // A column of distinct texts picks the one row a key can be.
        {"x 1 x 2 y 3", "x 2 y 2 y 3 z 3", "x z", "y 1 x 1", 0x10, 0x10, "e:2,4 f:2 g:1"},
        {"1 x 2 x 3 y", "2 x 2 y 9 x", "3 4", "1 y 1 x", 0x10, 0x10, "e:2,3 f:2 g:1"},
        {"1 x 1 y 2 z", "1 y 2 z 2 x", "1 3", "1 x 1 z", 0x10, 0x10, "e:3 f:2 g:2"},
        {"x 1 X 2 y 3", "X 1 x 2 Y 2", "x", "y 3", 0x11, 0x10, "e:3 f: g:"},
    };
    for (const auto& c : cases) {
        Dictionary dict(kSiblings);
        CifParentChild relations(dict.block);
        Dictionary data({{"e", "x y", c.eRows},
                         {"f", "u", c.fRows},
                         {"g", "x y", c.gRows},
                         {"p", "a b", c.parentRows}},
                        "b");
        data.block.GetTablePtr("p")->SetFlags("a", c.aFlags);
        data.block.GetTablePtr("p")->SetFlags("b", c.bFlags);
        // Each table alone, then sharing in two orders.
        EXPECT_EQ(c.unmatched, Unmatched(relations, data.block, "e f g")) << c.eRows;
        relations.BeginBlockChecks(data.block);
        EXPECT_EQ(c.unmatched, Unmatched(relations, data.block, "e f g")) << c.eRows;
        relations.BeginBlockChecks(data.block);
        Strings reversed = Split(c.unmatched);
        std::reverse(reversed.begin(), reversed.end());
        EXPECT_EQ(Join(reversed), Unmatched(relations, data.block, "g f e")) << c.eRows;
        relations.EndBlockChecks();
    }
}

// Keys gathered in one block never answer for another block, nor for the
// same block after the span in which they were shared.
TEST(SharedParentKeys, StayWithTheirBlockAndSpan) {
    Dictionary dict(kSiblings);
    CifParentChild relations(dict.block);
    Dictionary one({{"e", "x y", "1 2 7 8"}, {"p", "a b", "1 2"}}, "one");
    Dictionary two({{"e", "x y", "1 2 1 5"}, {"p", "a b", "3 4"}}, "two");
    relations.BeginBlockChecks(one.block);
    EXPECT_EQ("e:2", Unmatched(relations, one.block, "e"));
    EXPECT_EQ("e:1,2", Unmatched(relations, two.block, "e"));
    relations.EndBlockChecks();
    one.block.GetTablePtr("p")->AddRow(Strings{"7", "8"});
    EXPECT_EQ("e:", Unmatched(relations, one.block, "e"));
    relations.BeginBlockChecks(one.block);
    EXPECT_EQ("e:", Unmatched(relations, one.block, "e"));
    relations.BeginBlockChecks(two.block);
    EXPECT_EQ("e:1,2", Unmatched(relations, two.block, "e"));
    EXPECT_EQ("e:", Unmatched(relations, one.block, "e"));
    relations.EndBlockChecks();
}

// A whole run over two blocks whose parent tables differ: each block's rows
// are looked up in its own parent.
TEST(SharedParentKeys, AreGatheredPerBlockOfARun) {
    const std::string dictionary =
        "data_dict\nloop_\n_category.id\n_category.mandatory_code\ne no\np no\n"
        "loop_\n_category_key.id\n_category_key.name\ne '_e.x'\ne '_e.y'\np '_p.a'\n"
        "p '_p.b'\nloop_\n_item.name\n_item.category_id\n_item.mandatory_code\n'_e.x' e yes\n"
        "'_e.y' e yes\n'_p.a' p yes\n'_p.b' p yes\n"
        "loop_\n_item_linked.child_name\n_item_linked.parent_name\n'_e.x' '_p.a'\n"
        "'_e.y' '_p.b'\nloop_\n_pdbx_item_linked_group.category_id\n"
        "_pdbx_item_linked_group.link_group_id\n_pdbx_item_linked_group.label\ne 1 e:p:1\n"
        "loop_\n_pdbx_item_linked_group_list.child_category_id\n"
        "_pdbx_item_linked_group_list.link_group_id\n_pdbx_item_linked_group_list.child_name\n"
        "_pdbx_item_linked_group_list.parent_name\n"
        "_pdbx_item_linked_group_list.parent_category_id\ne 1 '_e.x' '_p.a' p\n"
        "e 1 '_e.y' '_p.b' p\n";
    const std::string data =
        "data_one\nloop_\n_p.a\n_p.b\n1 2\n3 4\nloop_\n_e.x\n_e.y\n1 2\n3 4\n"
        "data_two\nloop_\n_p.a\n_p.b\n1 4\n3 2\nloop_\n_e.x\n_e.y\n1 2\n1 4\n3 4\n"
        "data_three\nloop_\n_p.a\n_p.b\n1 2\n3 4\nloop_\n_e.x\n_e.y\n3 2\n3 4\n";
    const ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    const std::string log = dir.file("check.log");
    ReadCif(data)->DataChecking(*ReadCif(dictionary), log, false, false);
    const std::string report = read_text(log);
    std::string blocks;
    const std::string marker = "ERROR PARCHILD";
    for (std::size_t at = report.find(marker); at != std::string::npos;
         at = report.find(marker, at + 1)) {
        const std::size_t from = report.find("block \"", at) + 7;
        blocks += report.substr(from, report.find('"', from) - from) + " ";
    }
    EXPECT_EQ("two two three ", blocks) << report;
    EXPECT_EQ("1 3 1", UnmatchedRows(report)) << report;
}

// The pattern answers that a column's value check remembers: each serves its
// own value only, wherever the value recurs.
TEST(RememberedPatternAnswers, ServeTheirOwnValue) {
    const std::string dictionary =
        "data_dict\nloop_\n_category.id\n_category.mandatory_code\nt no\n"
        "_category_key.id t\n_category_key.name '_t.n'\n"
        "_item.name '_t.n'\n_item.category_id t\n_item.mandatory_code no\n"
        "_item_type.name '_t.n'\n_item_type.code int\n_item_type_list.code int\n"
        "_item_type_list.primitive_code numb\n_item_type_list.construct '[0-9]+'\n";
    const struct {
        std::string values, unmatched;  // rows of mismatch lines, in order
    } cases[] = {
        {"1 1x 1 1x 12 1y 12", "2 4 6"},
        {"1x 1 1x 1 x1 x", "1 3 5 6"},
    };
    for (const auto& c : cases) {
        std::string rows;
        for (const std::string& value : Split(c.values)) {
            rows += "'" + value + "'\n";
        }
        std::unique_ptr<CifFile> dict = ReadCif(dictionary);
        std::unique_ptr<CifFile> data = ReadCif("data_b\nloop_\n_t.n\n" + rows);
        std::ostringstream out;
        data->BlockDataChecking(FirstBlock(*data), FirstBlock(*dict), out, false, false);
        std::string found, line;
        std::istringstream report(out.str());
        while (std::getline(report, line)) {
            const std::size_t at = line.find("in row #");
            if (line.find("\"_t.n\"") != std::string::npos && at != std::string::npos) {
                const std::size_t from = at + 8;
                found += (found.empty() ? "" : " ") +
                         line.substr(from, line.find_first_of(", ", from) - from);
            }
        }
        EXPECT_EQ(c.unmatched, found) << out.str();
    }
}

}  // namespace
