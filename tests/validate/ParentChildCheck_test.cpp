// The rows of data tables against their parent rows, over a small dictionary
// of link groups.

#include <gtest/gtest.h>

#include "validate/CheckTestSupport.h"
#include "validate/CifParentChild.h"

namespace {

// c: (x, y) -> p (a, b) in group 1, and again as (y, x) -> (b, a) through
// group (d, 2); z -> q.k; v -> r.id through list group (c, 3), which has no
// group row; w -> chem_comp_atom. atom_site: (entity_id, seq_id) ->
// entity_poly_seq (entity_id, num).
const std::vector<TableText> kDictionary{
    {"category", "id", "c d p q r"},
    {"item", "name category_id", "_c.x c"},
    {"pdbx_item_linked_group", "category_id link_group_id label",
     "c 1 c:p:1 c 2 c:q:2 c 4 c:chem_comp_atom:4 d 1 d:r:1 d 2 d:p:2 atom_site 1 as:eps:1"},
    {"pdbx_item_linked_group_list",
     "child_category_id link_group_id child_name parent_name parent_category_id",
     "c 1 _c.x _p.a p c 1 _c.y _p.b p c 2 _c.z _q.k q c 3 _c.v _r.id r "
     "c 4 _c.w _chem_comp_atom.atom_id chem_comp_atom d 1 _d.v _r.id r "
     "d 2 _d.y _p.b p d 2 _d.x _p.a p "
     "atom_site 1 _atom_site.label_entity_id _entity_poly_seq.entity_id entity_poly_seq "
     "atom_site 1 _atom_site.label_seq_id _entity_poly_seq.num entity_poly_seq"}};

const TableText kParents[] = {{"p", "a b", "1 2 1 3"}, {"q", "k", "5"}, {"r", "id", "7"}};

struct RowsCase {
    std::vector<TableText> tables;  // the checked table first
    std::string report;
};

class ParentRows : public testing::TestWithParam<RowsCase> {};

// The result is 0 exactly when a row is unmatched or an attribute is
// undefined.
TEST_P(ParentRows, AreReported) {
    testing::internal::CaptureStdout();
    Dictionary dict(kDictionary);
    CifParentChild relations(dict.block);
    testing::internal::GetCapturedStdout();
    Dictionary data(GetParam().tables, "b");
    std::ostringstream out;
    const int result = relations.CheckParentChild(
        data.block, *data.block.GetTablePtr(GetParam().tables[0].name), out);
    EXPECT_EQ(GetParam().report, out.str());
    const std::string& report = GetParam().report;
    EXPECT_EQ(
        report.find("PARCHILD") != std::string::npos || report.compare(0, 10, "ERROR - In") == 0,
        result == 0);
}

std::vector<TableText> With(const TableText& checked, std::vector<TableText> parents = {
                                                          kParents[0], kParents[1], kParents[2]}) {
    parents.insert(parents.begin(), checked);
    return parents;
}

std::string Unmatched(const std::string& label, int row, const std::string& parent,
                      const std::string& details) {
    return "ERROR PARCHILD \"" + label + "\" - In block \"b\", in category \"" +
           (parent == "entity_poly_seq" ? "atom_site" : "c") + "\", in row# " +
           std::to_string(row) + ", unmatched value in the parent \"" + parent + "\"\n" + details;
}

std::string Detail(const std::string& child, const std::string& parent, const std::string& value) {
    return "  \"" + child + "\" -> \"" + parent + "\" value =\"" + value + "\"\n";
}

const std::string kBigTrouble = "BIG TROUBLE; linkGroupId not found!\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ParentRows,
    testing::Values(
        // Matched rows; all-null keys and a missing chem_comp_atom say nothing.
        RowsCase{With({"c", "x y z v w", "1 2 5 7 N 1 3 . ? ."}), ""},
        // Repeated relations report once; partly null keys are looked up on
        // the others.
        RowsCase{
            With({"c", "x y z", "1 9 5 9 . 5"}),
            Unmatched("c:p:1", 1, "p", Detail("_c.x", "_p.a", "1") + Detail("_c.y", "_p.b", "9")) +
                Unmatched("c:p:1", 2, "p", Detail("_c.x", "_p.a", "9"))},
        // A list group without group row: reported without label, and on.
        RowsCase{With({"c", "v", "8 7 6"}),
                 kBigTrouble + Unmatched("", 1, "r", Detail("_c.v", "_r.id", "8")) + kBigTrouble +
                     Unmatched("", 3, "r", Detail("_c.v", "_r.id", "6"))},
        // Missing and empty parent tables, once per relation.
        RowsCase{With({"c", "z v", ". 7 5 7 6 7"}, {{"r", "id", "7"}, {"q", "", ""}}),
                 "WARN - In block b category c parent table empty q\n"},
        RowsCase{With({"c", "x y z", "1 2 5 1 2 5"}, {{"r", "id", "7"}}),
                 "++ERROR - In block \"b\", parent category \"p\", of category \"c\", is "
                 "missing.\n++ERROR - In block \"b\", parent category \"q\", of category \"c\", "
                 "is missing.\n"},
        // An undefined parent key attribute ends the check.
        RowsCase{With({"c", "x y z", "1 . 6 1 2 6"}, {{"p", "a", "1"}}),
                 "ERROR - In block \"b\", for child item \"_c.y\", parent key attribute \"b\" is "
                 "not defined in parent category \"p\"\n"},
        // atom_site rows with a null seq_id only are not looked up.
        RowsCase{With({"atom_site", "label_entity_id label_seq_id", "1 . 9 . 1 5 . 2"},
                      {{"entity_poly_seq", "entity_id num", "1 1 1 2"}}),
                 Unmatched("as:eps:1", 3, "entity_poly_seq",
                           Detail("_atom_site.label_entity_id", "_entity_poly_seq.entity_id", "1") +
                               Detail("_atom_site.label_seq_id", "_entity_poly_seq.num", "5"))}));

}  // namespace
