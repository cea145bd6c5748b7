// The PDB fields transcribe-coords reads and what reaches the atom table; the
// end-to-end test covers ordinary dictionaries.
#include <gtest/gtest.h>

#include <cmath>

#include "Operations.h"
#include "coords/PdbAtomPositions.h"
#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;
using TranscribeCoordsTest = ToolTest;

// A PDB record with the fields at their columns.
std::string rec(const std::string& kind, const std::string& name, const std::string& x,
                const std::string& y = "2", const std::string& z = "3") {
    char line[100];
    std::snprintf(line, sizeof line, "%-6s%5d %-4s LIG A   1    %8s%8s%8s  1.00  0.00",
                  kind.c_str(), 1, name.c_str(), x.c_str(), y.c_str(), z.c_str());
    return line;
}

// Rows C1, c2 and a blank name, with x and z but no y column: what each PDB
// text makes of them ("" when the row keeps its values).
TEST_F(TranscribeCoordsTest, FieldsAndRows) {
    const struct {
        std::string pdb;
        Words c1, c2, blank;  // x, z, y
    } cases[] = {
        {rec("HETATM", "C1", "12.3456", "-0.0004", "abc"), {"12.346", "0.000", "-0.000"}, {}, {}},
        // Names compare with case.
        {rec("ATOM", "C2", "5") + "\r\n" + rec("ATOM", "", "7", "8", "9"),
         {},
         {},
         {"7.000", "9.000", "8.000"}},
        {rec("atom", "C1", "1") + "\n" + rec("ANISOU", "C1", "1"), {}, {}, {}},
        {rec("ATOM", "C1", "7", "8").substr(0, 46), {"7.000", "0.000", "8.000"}, {}, {}},
        {rec("ATOM", "C1", "7", "8").substr(0, 45), {}, {}, {}},  // ends inside y
        // The last record of a name wins.
        {rec("ATOM", "C1", "") + "\n" + rec("HETATM", "C1", "1", "2", "3.5"),
         {"1.000", "3.500", "2.000"},
         {},
         {}},
        {"ATOM\n" + rec("ATOM", "O9", "nan"), {}, {}, {}},  // an atom no row names
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pdb);
        Block block("comp_LIG");
        ISTable& atoms = add_table(block, "chem_comp_atom", {"atom_id", "x", "z"},
                                   {{"C1", "a", "b"}, {"c2", "a", "b"}, {"", "a", "b"}});
        transcribe_coords(block, scratch.write("atoms.pdb", c.pdb));
        for (unsigned row = 0; row < 3; ++row) {
            const Words& want = row == 0 ? c.c1 : row == 1 ? c.c2 : c.blank;
            const Words got = atoms.GetRow(row);
            EXPECT_EQ(Words(got.begin() + 1, got.end()),
                      (want.empty() ? Words{"a", "b", ""} : want));
        }
    }
}

TEST_F(TranscribeCoordsTest, Refusals) {
    // Beyond the float range: an infinity, not an undefined narrowing.
    std::istringstream huge(rec("ATOM", "C1", "1e39", "-1e39", "1e308") + "\n");
    const AtomPositionMap positions = read_pdb_atom_positions(huge);
    EXPECT_TRUE(std::isinf(positions.at("C1").x) && positions.at("C1").y < 0);
    // A coordinate that is no finite number would go into the dictionary as "inf" or "nan".
    Block block("comp_LIG");
    add_table(block, "chem_comp_atom", {"atom_id"}, {{"C1"}});
    for (const char* bad : {"nan", "inf", "-1e39"})
        EXPECT_RUN_END(transcribe_coords(block, scratch.write("a.pdb", rec("ATOM", "C1", bad))), 1,
                       "atom C1 a coordinate that is not a finite number");
    EXPECT_RUN_END(transcribe_coords(block, "/tmp"), 1, "/tmp");
    // Without atom_id nothing is taken from another column.
    Block other("comp_LIG");
    ISTable& atoms = add_table(other, "chem_comp_atom", {"comp_id"}, {{"C1"}});
    testing::internal::CaptureStderr();
    transcribe_coords(other, scratch.write("a.pdb", rec("ATOM", "C1", "4")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("atom_id"), std::string::npos);
    EXPECT_EQ(atoms.GetRow(0), (Words{"C1", "", "", ""}));
}

}  // namespace
