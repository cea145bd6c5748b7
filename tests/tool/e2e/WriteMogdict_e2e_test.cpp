// write-mogdict end to end: the files written for TSZ with the hand-made Mogul
// results of tests/data/mogul, and real dictionaries with Mogul results built
// from their own bonds and angles.
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

TEST(WriteMogdictEndToEnd, GeometryAndVetoFilesOfEachModel) {
    ScratchDir dir;
    const std::string exceptions =
        dir.write("x.dat",
                  "BOND NH1 C 1.35 0.015\nBOND S1 C 1.7 0.02\n"
                  "ANGLE NH1 C NH2 118.0 1.5\nANGLE C NH2 H 119.5 2.5\n");
    const std::string files = monomer("TSZ") + " " + data_path("mogul/TSZ-mogul.txt") + " g v";
    const struct {
        std::string args, expected, printed, err;
    } cases[] = {
        {"write-mogdict " + files, "TSZ.geometry", " Adding new plane S C N2 N3 suggested by mogul",
         ""},
        {"write-mogdict -ecloud " + files, "TSZ-ecloud.geometry", "", ""},
        {"write-mogdict-override " + files, "TSZ-override.geometry",
         " Not overriding angle N1 - C - N2 since mogul knows about it in this context\n"
         " Inserting override to 119.5+/-2.5 for angle C(C)-N1(NH2)-HN12(H)\n",
         "Inserting override for bond N2(NH1) to C(C)\n"
         "Not overriding bond C - S since mogul knows about it in this context\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult run =
            run_tool(dir.path(), c.args, "TESRA_EXCEPTION_DICTIONARY=" + exceptions);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read_text(dir.file("g")), read_text(data_path("mogul/" + c.expected)));
        EXPECT_EQ(read_text(dir.file("v")), "VETO-PLANEBOND N2 HN31\n");
        EXPECT_NE(run.out.find(c.printed), std::string::npos) << run.out;
        EXPECT_EQ(run.err.find(c.err), 0u) << run.err;
    }
}

class WriteMogdictMonomer : public ToolTest, public ::testing::WithParamInterface<const char*> {};

// One GEOMETRY line per bond and angle row and one note per atom, whatever
// Mogul knew; the dictionary is left as it was.
TEST_P(WriteMogdictMonomer, OneLinePerBondAndAngleRow) {
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

INSTANTIATE_TEST_SUITE_P(Monomers, WriteMogdictMonomer,
                         ::testing::Values("ALA", "ATP", "TSZ", "LAC", "CPI", "TY5", "7JZ", "000"));

}  // namespace
#endif
