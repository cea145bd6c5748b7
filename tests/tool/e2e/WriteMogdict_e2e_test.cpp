// write-mogdict end to end on real dictionaries, with Mogul results built from
// each dictionary's own bonds and angles.
#include <gtest/gtest.h>

#include <string>

#include "common/TextHelpers.h"
#include "tool/ToolTestSupport.h"

#ifdef TESRA_ROVIDEV_BIN
namespace {

using namespace tooltest;

std::string unordered(const std::string& a, const std::string& b) {
    return a < b ? a + " " + b : b + " " + a;
}

class WriteMogdictEndToEnd : public ToolTest, public ::testing::WithParamInterface<const char*> {};

// One GEOMETRY line per bond and angle row and one note per atom, whatever
// Mogul knew; the dictionary is left as it was.
TEST_P(WriteMogdictEndToEnd, OneLinePerBondAndAngleRow) {
    const std::string input = scratch.write("in.cif", read_text(monomer(GetParam())));
    auto dictionary = load_dictionary(input);
    Block& block = compound_block(*dictionary);
    const RowMaps atoms = table_rows(block, "chem_comp_atom");
    std::map<std::string, int> bond_rows, angle_rows;
    // Mogul results for every other bond and every third angle, the angles
    // written in reverse atom order, among lines the pass ignores.
    std::string results = "Mogul results built for the test\n\n";
    for (auto& b : table_rows(block, "chem_comp_bond")) {
        if (bond_rows.size() % 2 == 0)
            results += bond_record(b["atom_id_2"], b["atom_id_1"], "1.5", "20", "1.45", "0.02");
        ++bond_rows[unordered(b["atom_id_1"], b["atom_id_2"])];
    }
    for (auto& a : table_rows(block, "chem_comp_angle")) {
        if (angle_rows.size() % 3 == 0)
            results += angle_record(a["atom_id_3"], a["atom_id_2"], a["atom_id_1"], "110", "30",
                                    "109.5", "1.5") +
                       "some line that is not a record\n";
        ++angle_rows[a["atom_id_2"] + " " + unordered(a["atom_id_1"], a["atom_id_3"])];
    }
    scratch.write("mogul.txt", results);
    for (const char* variant :
         {"write-mogdict", "write-mogdict -ecloud", "write-mogdict-override"}) {
        SCOPED_TRACE(variant);
        const RunResult run = run_tool(
            scratch.path(), std::string(variant) + " in.cif mogul.txt out.geometry out.veto");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read_text(input), read_text(monomer(GetParam())));
        std::map<std::string, int> bond_lines, angle_lines;
        std::size_t atom_notes = 0;
        std::istringstream geometry(read_text(dir + "out.geometry"));
        for (std::string line; std::getline(geometry, line);) {
            const Words w = split_at_blanks(line);
            atom_notes += w.size() > 1 && w[1] == "FARNIX_RESIDUE_ATOM_DATA";
            if (w[0] == "GEOMETRY" && w[2] == "BOND")
                ++bond_lines[unordered(w[5], w[6])];
            if (w[0] == "GEOMETRY" && w[2] == "ANGLE")
                ++angle_lines[w[6] + " " + unordered(w[5], w[7])];
        }
        EXPECT_EQ(atom_notes, atoms.size());
        EXPECT_EQ(bond_lines, bond_rows);
        EXPECT_EQ(angle_lines, angle_rows);
        EXPECT_TRUE(std::ifstream(dir + "out.veto").is_open());
    }
}

INSTANTIATE_TEST_SUITE_P(Monomers, WriteMogdictEndToEnd,
                         ::testing::Values("ALA", "ATP", "TSZ", "LAC", "CPI", "TY5", "7JZ", "000"));

}  // namespace
#endif
