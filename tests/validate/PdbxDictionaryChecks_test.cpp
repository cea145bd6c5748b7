// Whole check runs with the real dictionaries: the PDBx/mmCIF dictionary
// over real entries and over one entry with faults seeded in memory, and
// the PDBx/mmCIF dictionary itself checked as data against the DDL.

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "validate/CheckTestSupport.h"

namespace {

const std::string kData = TESRA_TEST_DATA_DIR;

CifFile& Dictionary(const std::string& name) {
    static std::map<std::string, std::unique_ptr<CifFile> > read;
    std::unique_ptr<CifFile>& file = read[name];
    if (!file) {
        file = ReadCif(kData + "/dict/" + name, true);
    }
    return *file;
}

// The notices of relation building go to standard output: kept out of the
// test log.
struct QuietStdout {
    QuietStdout() { testing::internal::CaptureStdout(); }
    ~QuietStdout() { testing::internal::GetCapturedStdout(); }
};

std::string Check(CifFile& file, const std::string& dictionary, bool usePdbxItemTables = false) {
    std::ostringstream out;
    const QuietStdout quiet;
    file.BlockDataChecking(FirstBlock(file), FirstBlock(Dictionary(dictionary)), out, false,
                           usePdbxItemTables);
    return out.str();
}

// The finding lines counted by kind: quoted texts become Q, numbers N;
// detail lines are left out.
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
// H1 and H3 of each of 38 models are no chem_comp_atom of ASN. The pdbx_
// item tables add the deposition's mandatory items and enumerations.
TEST(PdbxDictionaryChecks, RealEntries) {
    const struct {
        const char* entry;
        std::string kinds;
        size_t withPdbxTables;  // report lines
    } cases[] = {
        {"1aki", "1 " + kUndefined + "27 " + kUndefinedItem, 38},
        {"1l2y",
         "76 ERROR PARCHILD Q - In block Q, in category Q, in row# N, unmatched value in the "
         "parent Q\n",
         174},
        {"3o5r", "", 16},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CifFile> file = ReadCif(kData + "/mmcif/" + c.entry + ".cif", true);
        EXPECT_EQ(c.kinds, Kinds(Check(*file, "mmcif_pdbx.dic"))) << c.entry;
        const std::string report = Check(*file, "mmcif_pdbx.dic", true);
        EXPECT_EQ(c.withPdbxTables, std::count(report.begin(), report.end(), '\n')) << c.entry;
    }
}

// The lines of the report that the baseline lacks, in report order.
std::string NewLines(const std::string& report, const std::string& baseline) {
    std::map<std::string, int> old;
    std::istringstream in(baseline);
    for (std::string line; std::getline(in, line);) {
        ++old[line];
    }
    std::string added;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (old[line]-- <= 0) {
            added += line + "\n";
        }
    }
    return added;
}

// Each seeded fault gives the lines counted here by hand from the
// dictionary's definitions of the items:
//  - struct_conf beg_auth_seq_id "99": no such atom_site row. The relation
//    is stated twice, parent keys in another order, and reported once;
//  - chem_comp_bond comp_id "XXX": no chem_comp and no chem_comp_atom rows.
//    The chem_comp relation comes from list group (chem_comp_bond, 3), which
//    has no group row: no label;
//  - value_order "single" (ucode): outside the enumeration; the uchar
//    pdbx_aromatic_flag "y" passes against "Y";
//  - atom_site id of row 5 set to row 4's "4": one repeated-key report;
//  - id of row 6 "?": the single key's null line, and, as id is mandatory,
//    a mandatory line without key values;
//  - type_symbol of row 7 "?": a mandatory line naming row 7's id;
//  - group_PDB "atom" (code, enumeration ATOM/HETATM): outside it;
//  - Cartn_x "-8.9O1" (float; the pattern covers "-8.9"): one part match,
//    naming the item's cif_core alias;
//  - pdbx_PDB_model_num "0" (int, one range row (0, .)): out of range.
TEST(PdbxDictionaryChecks, SeededEntryGivesTheCountedFindings) {
    std::unique_ptr<CifFile> file = ReadCif(kData + "/mmcif/1l2y.cif", true);
    const std::string baseline = Check(*file, "mmcif_pdbx.dic");
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
    block.GetTablePtr("chem_comp_bond")->UpdateCell(1, "comp_id", "XXX");
    block.GetTablePtr("struct_conf")->UpdateCell(0, "beg_auth_seq_id", "99");

    const std::string head = "ERROR - In block \"1L2Y\", ";
    const auto unmatched = [](const std::string& label, const std::string& parent) {
        return "ERROR PARCHILD \"" + label +
               "\" - In block \"1L2Y\", in category \"chem_comp_bond\", in row# 2, unmatched "
               "value in the parent \"" +
               parent + "\"\n  \"_chem_comp_bond.comp_id\" -> \"_" + parent +
               (parent == "chem_comp" ? ".id" : ".comp_id") + "\" value =\"XXX\"\n";
    };
    std::string structConf =
        "ERROR PARCHILD \"struct_conf:atom_site:1\" - In block \"1L2Y\", in category "
        "\"struct_conf\", in row# 1, unmatched value in the parent \"atom_site\"\n";
    for (const char* pair : {"auth_asym_id A", "auth_comp_id ASN", "auth_seq_id 99",
                             "label_comp_id ASN", "label_seq_id 1", "label_asym_id A"}) {
        const Strings item = Split(pair);
        structConf += "  \"_struct_conf.beg_" + item[0] + "\" -> \"_atom_site." + item[0] +
                      "\" value =\"" + item[1] + "\"\n";
    }
    EXPECT_EQ(
        structConf + "BIG TROUBLE; linkGroupId not found!\n" + unmatched("", "chem_comp") +
            unmatched("chem_comp_bond:chem_comp_atom:1", "chem_comp_atom") +
            "  \"_chem_comp_bond.atom_id_1\" -> \"_chem_comp_atom.atom_id\" value =\"N\"\n" +
            unmatched("chem_comp_bond:chem_comp_atom:2", "chem_comp_atom") +
            "  \"_chem_comp_bond.atom_id_2\" -> \"_chem_comp_atom.atom_id\" value =\"H\"\n" + head +
            "for \"_chem_comp_bond.value_order\", value \"single\" is not defined in the "
            "enumeration list. Acceptable values are: \"sing\", \"doub\", \"trip\", \"quad\", "
            "\"arom\", \"poly\", \"delo\", \"pi\"\n"
            "ERROR - Key item \"_atom_site.id\" has invalid value \"?\"\n" +
            head +
            "in cateogory \"atom_site\", values for key item(s):\n  \"id\",\n"
            "  in row #4 are repeated in row #5\n" +
            head + "mandatory item \"_atom_site.id\" has invalid value \"?\"\n" + head +
            "mandatory item \"_atom_site.type_symbol\" has invalid value \"?\" in row: "
            "\"_atom_site.id\" == \"7\"\n" +
            head +
            "for \"_atom_site.group_PDB\", value \"atom\" is not defined in the enumeration list. "
            "Acceptable values are: \"ATOM\", \"HETATM\"\n" +
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
