// The parent/child value check of one row against one relation: the null
// keys that exempt a row from the parent lookup, and what a missing parent
// table or attribute says.

#include <gtest/gtest.h>

#include "validate/CheckTestSupport.h"
#include "validate/CifParentChild.h"

namespace {

const std::string kLookedUp = "(looked up)";

// One relation of `child` to `parent`, pairs "childAttribute>parentAttribute"
// in order; one row of `values`. The parent table holds one row that matches
// nothing, with the given columns (all parent attributes when empty, no table
// when "-"). kLookedUp: the row is reported as unmatched.
struct Case {
    std::string child, parent, pairs, values, report;
    std::string parentColumns = "";
};

std::string Check(const Case& c) {
    Strings childAttributes, parentAttributes, details;
    std::string items, list;
    const Strings values = Split(c.values);
    for (const std::string& pair : Split(c.pairs)) {
        const size_t to = pair.find('>');
        childAttributes.push_back(pair.substr(0, to));
        parentAttributes.push_back(pair.substr(to + 1));
        items += " _" + c.child + "." + childAttributes.back() + " " + c.child;
        list += " " + c.child + " 1 _" + c.child + "." + childAttributes.back() + " _" + c.parent +
                "." + parentAttributes.back() + " " + c.parent;
    }
    Dictionary dict(
        {{"category", "id", c.child + " " + c.parent},
         {"item", "name category_id", items},
         {"pdbx_item_linked_group", "category_id link_group_id label",
          c.child + " 1 " + c.child + ":" + c.parent + ":1"},
         {"pdbx_item_linked_group_list",
          "child_category_id link_group_id child_name parent_name parent_category_id", list}});
    CifParentChild relations(dict.block);

    std::vector<TableText> tables{{c.child, Join(childAttributes), c.values}};
    const std::string parentColumns =
        c.parentColumns.empty() ? Join(parentAttributes) : c.parentColumns;
    if (parentColumns != "-") {
        Strings cells(Split(parentColumns).size(), "z");
        tables.push_back({c.parent, parentColumns, Join(cells)});
    }
    Dictionary data(tables, "b");
    std::ostringstream out;
    relations.CheckParentChild(data.block, *data.block.GetTablePtr(c.child), out);
    return out.str();
}

std::string Expected(const Case& c) {
    if (c.report != kLookedUp) {
        return c.report;
    }
    std::string details;
    const Strings pairs = Split(c.pairs), values = Split(c.values);
    for (size_t k = 0; k < pairs.size(); ++k) {
        details += values[k] == "." ? "" : " " + pairs[k] + "=" + values[k];
    }
    return Unmatched("b", c.child + ":" + c.parent + ":1", c.child, 1, c.parent, details);
}

const char kSeqScheme[] = "pdbx_poly_seq_scheme";

TEST(ParentChildValueCheck, ExemptNullKeys) {
    const Case cases[] = {
        // atom_site -> entity_poly_seq: num alone.
        {"atom_site", "entity_poly_seq", "label_entity_id>entity_id label_seq_id>num", "1 .", ""},
        {"atom_site", "entity_poly_seq", "label_entity_id>entity_id label_seq_id>num", ". 1",
         kLookedUp},
        {"atom_site", "entity_poly_seq",
         "label_entity_id>entity_id label_seq_id>num label_comp_id>mon_id", "1 . .", kLookedUp},
        // atom_site -> pdbx_poly_seq_scheme: seq_id alone, or with
        // pdb_ins_code in either order.
        {"atom_site", kSeqScheme, "label_asym_id>asym_id label_seq_id>seq_id ins>pdb_ins_code",
         "A . x", ""},
        {"atom_site", kSeqScheme, "label_asym_id>asym_id label_seq_id>seq_id ins>pdb_ins_code",
         "A . .", ""},
        {"atom_site", kSeqScheme, "label_asym_id>asym_id ins>pdb_ins_code label_seq_id>seq_id",
         "A . .", ""},
        {"atom_site", kSeqScheme, "label_asym_id>asym_id label_seq_id>seq_id ins>pdb_ins_code",
         "A 1 .", kLookedUp},
        {"struct_ref", kSeqScheme, "label_asym_id>asym_id label_seq_id>seq_id", "A .", kLookedUp},
        // pdbx_poly_seq_scheme -> atom_site: auth_comp_id and
        // pdbx_PDB_ins_code in either order; or auth_seq_id and auth_comp_id
        // in either order, then pdbx_PDB_ins_code.
        {kSeqScheme, "atom_site",
         "asym_id>label_asym_id mon>auth_comp_id ins>pdbx_PDB_ins_code num>auth_seq_id", "A . . 5",
         ""},
        {kSeqScheme, "atom_site",
         "asym_id>label_asym_id ins>pdbx_PDB_ins_code mon>auth_comp_id num>auth_seq_id", "A . . 5",
         ""},
        {kSeqScheme, "atom_site",
         "asym_id>label_asym_id num>auth_seq_id mon>auth_comp_id ins>pdbx_PDB_ins_code", "A . . .",
         ""},
        {kSeqScheme, "atom_site",
         "asym_id>label_asym_id mon>auth_comp_id num>auth_seq_id ins>pdbx_PDB_ins_code", "A . . .",
         ""},
        {kSeqScheme, "atom_site",
         "asym_id>label_asym_id mon>auth_comp_id ins>pdbx_PDB_ins_code num>auth_seq_id", "A . . .",
         kLookedUp},
        {kSeqScheme, "atom_site",
         "asym_id>label_asym_id mon>auth_comp_id ins>pdbx_PDB_ins_code num>auth_seq_id", "A . 1 .",
         kLookedUp},
        // struct_ref_seq_dif -> pdbx_poly_seq_scheme: mon_id and seq_id in
        // either order, then pdb_ins_code.
        {"struct_ref_seq_dif", kSeqScheme,
         "strand>pdb_strand_id mon_id>mon_id seq_num>seq_id ins>pdb_ins_code", "A . . .", ""},
        {"struct_ref_seq_dif", kSeqScheme,
         "strand>pdb_strand_id seq_num>seq_id mon_id>mon_id ins>pdb_ins_code", "A . . .", ""},
        {"struct_ref_seq_dif", kSeqScheme,
         "strand>pdb_strand_id ins>pdb_ins_code mon_id>mon_id seq_num>seq_id", "A . . .",
         kLookedUp},
        {"struct_ref_seq_dif", kSeqScheme,
         "strand>pdb_strand_id mon_id>mon_id seq_num>seq_id ins>pdb_ins_code", "A . . 1",
         kLookedUp},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Expected(c), Check(c)) << c.child << ": " << c.pairs << " = " << c.values;
    }
}

// A missing atom_sites_alt parent says nothing; an attribute the parent
// lacks is reported only for a child value that is not null.
TEST(ParentChildValueCheck, MissingParentsAndAttributes) {
    const Case cases[] = {
        {"atom_site", "atom_sites_alt", "label_alt_id>id", "A", "", "-"},
        {"atom_site", "atom_sites", "label_alt_id>id", "A",
         "++ERROR - In block \"b\", parent category \"atom_sites\", of category \"atom_site\", "
         "is missing.\n",
         "-"},
        {"c", "p", "a>x b>y", "1 .", kLookedUp, "x"},
        {"c", "p", "a>x b>y", "1 2",
         "ERROR - In block \"b\", for child item \"_c.b\", parent key attribute \"y\" is not "
         "defined in parent category \"p\"\n",
         "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Expected(c), Check(c)) << c.child << ": " << c.pairs << " = " << c.values;
    }
}

}  // namespace
