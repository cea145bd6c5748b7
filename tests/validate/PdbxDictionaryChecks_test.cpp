// The checks with the PDBx/mmCIF dictionary over real entries, and over one
// entry with faults seeded in memory.

#include <gtest/gtest.h>

#include "validate/CheckTestSupport.h"

namespace {

const std::string kData = TESRA_TEST_DATA_DIR;

// The block-level checks, then for each category that the dictionary
// defines the key, mandatory-item and item value checks, with the plain item
// tables, as the category checks run them.
std::string Check(Block& block) {
    static const std::unique_ptr<CifFile> dictionary =
        ReadCif(kData + "/dict/mmcif_pdbx.dic", true);
    Block& dict = FirstBlock(*dictionary);
    CifFileChecks checks;
    checks.MandatoryCategories(block, dict);
    checks.CategoryKeys(block);
    checks.ItemCategories(block);
    dict.GetTablePtr("category_key")->SetFlags("id", 0x11);
    Strings tables;
    block.GetTableNames(tables);
    for (const std::string& name : tables) {
        if (checks.IsCategoryDefined(name, dict)) {
            checks.KeysAndMandatoryItems(block, *block.GetTablePtr(name), dict);
            checks.ItemValues(block, *block.GetTablePtr(name), dict);
        }
    }
    return checks.out.str();
}

TEST(PdbxDictionaryChecks, RealEntriesPass) {
    for (const char* entry : {"1aki", "1l2y", "3o5r"}) {
        std::unique_ptr<CifFile> file = ReadCif(kData + "/mmcif/" + entry + ".cif", true);
        EXPECT_EQ("", Check(FirstBlock(*file))) << entry;
    }
}

// Each seeded fault gives the lines counted here by hand from the
// dictionary's definitions of the items:
//  - Cartn_x "-8.9O1" (float; the pattern covers "-8.9"): one part match,
//    naming the item's cif_core alias;
//  - pdbx_PDB_model_num "0" (int, one range row (0, .)): out of range;
//  - group_PDB "atom" (code, primitive char, enumeration ATOM/HETATM) and
//    value_order "single" (ucode): outside the enumeration; the uchar
//    pdbx_aromatic_flag "y" passes against "Y";
//  - id of row 5 set to row 4's "4": one repeated-key report of 3 lines;
//  - id of row 6 "?": the single key's null line, and, as id is mandatory,
//    a mandatory line without key values;
//  - type_symbol of row 7 "?": a mandatory line naming row 7's id.
TEST(PdbxDictionaryChecks, SeededEntryGivesTheCountedFindings) {
    std::unique_ptr<CifFile> file = ReadCif(kData + "/mmcif/1l2y.cif", true);
    Block& block = FirstBlock(*file);
    ISTable& atoms = *block.GetTablePtr("atom_site");
    atoms.UpdateCell(0, "Cartn_x", "-8.9O1");
    atoms.UpdateCell(1, "pdbx_PDB_model_num", "0");
    atoms.UpdateCell(2, "group_PDB", "atom");
    atoms.UpdateCell(4, "id", "4");
    atoms.UpdateCell(5, "id", "?");
    atoms.UpdateCell(6, "type_symbol", "?");
    block.GetTablePtr("chem_comp_atom")->UpdateCell(0, "pdbx_aromatic_flag", "y");
    block.GetTablePtr("chem_comp_bond")->UpdateCell(0, "value_order", "single");

    const std::string head = "ERROR - In block \"1L2Y\", ";
    EXPECT_EQ(head +
                  "for \"_chem_comp_bond.value_order\", value \"single\" is not defined in "
                  "the enumeration list. Acceptable values are: \"sing\", \"doub\", "
                  "\"trip\", \"quad\", \"arom\", \"poly\", \"delo\", \"pi\"\n"
                  "ERROR - Key item \"_atom_site.id\" has invalid value \"?\"\n" +
                  head +
                  "in cateogory \"atom_site\", values for key item(s):\n  \"id\",\n"
                  "  in row #4 are repeated in row #5\n" +
                  head + "mandatory item \"_atom_site.id\" has invalid value \"?\"\n" + head +
                  "mandatory item \"_atom_site.type_symbol\" has invalid value \"?\" in row: "
                  "\"_atom_site.id\" == \"7\"\n" +
                  head +
                  "for \"_atom_site.group_PDB\", value \"atom\" is not defined in the "
                  "enumeration list. Acceptable values are: \"ATOM\", \"HETATM\"\n" +
                  head +
                  "in item \"_atom_site.Cartn_x\" (its alias is: \"_atom_site_Cartn_x\"), "
                  "in row #1, value \"-8.9O1\" does not correspond to item's type. The "
                  "expected type is \"float\".\n" +
                  head +
                  "value \"0\" for \"_atom_site.pdbx_PDB_model_num\" is out of range, in "
                  "row #2\n",
              Check(block));
}

}  // namespace
