// Whole check runs with the real dictionaries: over real entries, one entry
// with faults seeded in memory, and the PDBx/mmCIF dictionary against the DDL.

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "validate/CheckTestSupport.h"

namespace {

const std::string kData = TESRA_TEST_DATA_DIR;

// Read once for all the tests.
CifFile& RealDictionary(const std::string& name) {
    static std::map<std::string, std::unique_ptr<CifFile> > read;
    return *(read[name] ? read[name] : read[name] = ReadCif(kData + "/dict/" + name, true));
}

std::string Check(CifFile& file, const std::string& dictionary) {
    std::ostringstream out;
    CifFile& dict = RealDictionary(dictionary);
    testing::internal::CaptureStdout();
    file.BlockDataChecking(FirstBlock(file), FirstBlock(dict), out, false, false);
    testing::internal::GetCapturedStdout();
    return out.str();
}

// Finding lines (not details) counted by kind: quotes become Q, numbers N.
std::string Kinds(const std::string& report) {
    std::map<std::string, int> counts;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, 2, "  ") != 0) {
            ++counts[std::regex_replace(std::regex_replace(line, std::regex("\"[^\"]*\""), "Q"),
                                        std::regex("[0-9]+"), "N")];
        }
    }
    std::string kinds;
    for (const auto& count : counts) {
        kinds += std::to_string(count.second) + " " + count.first + "\n";
    }
    return kinds;
}

const std::string kUndefined =
    "ERROR - In block Q, category Q is not defined in the reference file\n";
const std::string kUndefinedItem =
    "ERROR - In block Q, in category Q, item Q is not defined in the reference file\n";

// 1aki uses a category newer than the dictionary; in 1l2y the N-terminal
// H1 and H3 of each of 38 models are no chem_comp_atom of ASN.
TEST(PdbxDictionaryChecks, RealEntries) {
    const std::pair<const char*, std::string> cases[] = {
        {"1aki", "1 " + kUndefined + "27 " + kUndefinedItem},
        {"1l2y",
         "76 ERROR PARCHILD Q - In block Q, in category Q, in row# N, unmatched value in the "
         "parent Q\n"},
        {"3o5r", ""},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> file = ReadCif(kData + "/mmcif/" + c.first + ".cif", true);
        EXPECT_EQ(c.second, Kinds(Check(*file, "mmcif_pdbx.dic"))) << c.first;
    }
}

std::string NewLines(const std::string& report, const std::string& baseline) {
    std::map<std::string, int> old;
    std::istringstream in(baseline), lines(report);
    std::string added, line;
    while (std::getline(in, line)) {
        ++old[line];
    }
    while (std::getline(lines, line)) {
        added += old[line]-- > 0 ? "" : line + "\n";
    }
    return added;
}

// The lines of each seeded fault, counted by hand from the dictionary: the
// struct_conf relation is stated twice (parent keys reordered) and reported
// once; chem_comp_bond's chem_comp relation comes from a list group without
// group row: no label, and the run goes on; "single" is no ucode value; the
// uchar flag "y" passes against "Y"; "-8.9O1" part-matches the float pattern
// and names the item's alias; model number 0 is outside the range (0, .).
TEST(PdbxDictionaryChecks, SeededEntryGivesTheCountedFindings) {
    std::unique_ptr<CifFile> file = ReadCif(kData + "/mmcif/1l2y.cif", true);
    const std::string baseline = Check(*file, "mmcif_pdbx.dic");
    for (const char* seed :
         {"struct_conf 0 beg_auth_seq_id 99", "chem_comp_bond 1 comp_id XXX",
          "chem_comp_bond 1 value_order single", "atom_site 0 Cartn_x -8.9O1",
          "chem_comp_atom 0 pdbx_aromatic_flag y", "atom_site 1 pdbx_PDB_model_num 0"}) {
        const Strings s = Split(seed);
        FirstBlock(*file).GetTablePtr(s[0])->UpdateCell(std::stoul(s[1]), s[2], s[3]);
    }

    const std::string head = "ERROR - In block \"1L2Y\", ";
    EXPECT_EQ(
        Unmatched("1L2Y", "struct_conf:atom_site:1", "struct_conf", 1, "atom_site",
                  "beg_auth_asym_id>auth_asym_id=A beg_auth_comp_id>auth_comp_id=ASN "
                  "beg_auth_seq_id>auth_seq_id=99 beg_label_comp_id>label_comp_id=ASN "
                  "beg_label_seq_id>label_seq_id=1 beg_label_asym_id>label_asym_id=A") +
            "BIG TROUBLE; linkGroupId not found!\n" +
            Unmatched("1L2Y", "", "chem_comp_bond", 2, "chem_comp", "comp_id>id=XXX") +
            Unmatched("1L2Y", "chem_comp_bond:chem_comp_atom:1", "chem_comp_bond", 2,
                      "chem_comp_atom", "comp_id>comp_id=XXX atom_id_1>atom_id=N") +
            Unmatched("1L2Y", "chem_comp_bond:chem_comp_atom:2", "chem_comp_bond", 2,
                      "chem_comp_atom", "comp_id>comp_id=XXX atom_id_2>atom_id=H") +
            head +
            "for \"_chem_comp_bond.value_order\", value \"single\" is not defined in the "
            "enumeration list. Acceptable values are: \"sing\", \"doub\", \"trip\", \"quad\", "
            "\"arom\", \"poly\", \"delo\", \"pi\"\n" +
            head +
            "in item \"_atom_site.Cartn_x\" (its alias is: \"_atom_site_Cartn_x\"), in row #1, "
            "value \"-8.9O1\" does not correspond to item's type. The expected type is "
            "\"float\".\n" +
            head + "value \"0\" for \"_atom_site.pdbx_PDB_model_num\" is out of range, in row #2\n",
        NewLines(Check(*file, "mmcif_pdbx.dic"), baseline));
}

// Null keys from item_range's "." bounds, repeated keys mostly in item (an
// item defined in several frames), and the pdbx_ categories and items that
// the DDL does not define; every untyped item gets its parents' code.
TEST(PdbxDictionaryChecks, TheDictionaryAsData) {
    std::unique_ptr<CifFile> file = ReadCif(kData + "/dict/mmcif_pdbx.dic", true);
    EXPECT_EQ("18 " + kUndefined + "57 " + kUndefinedItem +
                  "422 ERROR - In block Q, in cateogory Q, values for key item(s):\n"
                  "443 ERROR - Key item Q has invalid value Q in row having:\n",
              Kinds(Check(*file, "mmcif_ddl.dic")));
    EXPECT_EQ(5955u + 468u, FirstBlock(*file).GetTablePtr("item_type")->GetNumRows());
}

}  // namespace
