// write-mogdict end to end on real dictionaries, with Mogul results files built
// from each dictionary's own bonds and angles.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;

struct Compound {
    std::string code;
    std::size_t atoms = 0;
    std::vector<Words> bonds;   // atom_id_1, atom_id_2
    std::vector<Words> angles;  // atom_id_1, atom_id_2, atom_id_3
};

Compound read_compound(const std::string& path, const std::string& log_dir) {
    CifFile file;
    CifParser parser(file);
    std::string diagnostics;
    parser.Parse(path, diagnostics, log_dir + "parser.log");
    EXPECT_EQ(diagnostics, "");
    std::vector<std::string> names;
    file.GetBlockNames(names);
    Compound compound;
    if (names.size() != 2)
        return compound;
    Block& block = file.GetBlock(names[1]);
    compound.code = names[1].substr(5);
    compound.atoms = block.GetTablePtr("chem_comp_atom")->GetNumRows();
    compound.bonds = get_table_columns(block, "chem_comp_bond", {"atom_id_1", "atom_id_2"});
    compound.angles =
        get_table_columns(block, "chem_comp_angle", {"atom_id_1", "atom_id_2", "atom_id_3"});
    return compound;
}

// Mogul results for every other bond and every third angle, the angles written
// in reverse atom order, among lines the pass ignores.
std::string results_for(const Compound& compound) {
    std::string text = "Mogul results built for the test\n\n";
    for (std::size_t i = 0; i < compound.bonds.size(); i += 2)
        text +=
            bond_record(compound.bonds[i][1], compound.bonds[i][0], "1.5", "20", "1.45", "0.02");
    for (std::size_t i = 0; i < compound.angles.size(); i += 3)
        text += angle_record(compound.angles[i][2], compound.angles[i][1], compound.angles[i][0],
                             "110", "30", "109.5", "1.5") +
                "some line that is not a record\n";
    return text;
}

std::string unordered(const std::string& a, const std::string& b) {
    return a < b ? a + " " + b : b + " " + a;
}

class WriteMogdictE2eTest : public ToolTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(WriteMogdictE2eTest, OneLinePerBondAndAngleRowAndTheDictionaryUntouched) {
    const std::string name = GetParam();
    const std::string input = dir + name;
    const std::string original = read_text(data_path("monomers/" + name));
    write_text(input, original);
    const Compound compound = read_compound(input, dir);
    ASSERT_GT(compound.atoms, 2u);
    write_text(dir + "mogul.txt", results_for(compound));

    for (const std::string variant :
         {"write-mogdict", "write-mogdict -ecloud", "write-mogdict-override"}) {
        SCOPED_TRACE(variant);
        const RunResult run =
            run_tool(dir, variant + " " + name + " mogul.txt out.geometry out.veto");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read_text(input), original);

        std::map<std::string, int> bond_lines, angle_lines;
        std::size_t atom_notes = 0;
        std::istringstream geometry(read_text(dir + "out.geometry"));
        std::string line;
        while (std::getline(geometry, line)) {
            const Words w = split_at_blanks(line);
            if (w[0] == "NOTE" && w.size() > 1 && w[1] == "FARNIX_RESIDUE_ATOM_DATA")
                ++atom_notes;
            if (w[0] != "GEOMETRY")
                continue;
            ASSERT_EQ(w[1], compound.code);
            if (w[2] == "BOND")
                ++bond_lines[unordered(w[5], w[6])];
            if (w[2] == "ANGLE")
                ++angle_lines[w[6] + " " + unordered(w[5], w[7])];
        }
        EXPECT_EQ(atom_notes, compound.atoms);
        std::map<std::string, int> bond_rows, angle_rows;
        for (const Words& b : compound.bonds) ++bond_rows[unordered(b[0], b[1])];
        for (const Words& a : compound.angles) ++angle_rows[a[1] + " " + unordered(a[0], a[2])];
        EXPECT_EQ(bond_lines, bond_rows);
        EXPECT_EQ(angle_lines, angle_rows);
        EXPECT_TRUE(std::ifstream(dir + "out.veto").is_open());
    }
}

INSTANTIATE_TEST_SUITE_P(Monomers, WriteMogdictE2eTest,
                         ::testing::Values("ALA.cif", "ATP.cif", "TSZ.cif", "LAC.cif", "CPI.cif",
                                           "TY5.cif", "7JZ.cif", "000.cif"));

}  // namespace
