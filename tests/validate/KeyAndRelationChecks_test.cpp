// Repeated keys and parent lookups of data tables: the groups of rows that
// share a key, and the parent keys that child rows are looked up in.

#include <gtest/gtest.h>

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

}  // namespace
