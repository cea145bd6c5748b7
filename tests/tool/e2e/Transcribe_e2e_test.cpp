// transcribe, transcribe -planekill and post-pqm run by the built tool on a
// real dictionary, and post-pqm on the files that write-mogdict wrote.
#include <gtest/gtest.h>

#include "tool/ToolTestSupport.h"

#ifdef TESRA_ROVIDEV_BIN
namespace {

using namespace tooltest;

class TranscribeEndToEnd : public ::testing::Test {
protected:
    TranscribeEndToEnd() {
        input = dir.write("in.cif", read_text(monomer("001")));
        original = load_dictionary(input);
        Block& block = compound_block(*original);
        bonds = table_rows(block, "chem_comp_bond");
        angles = table_rows(block, "chem_comp_angle");
        planes = table_rows(block, "chem_comp_plane_atom");
    }

    // A listing giving every bond (but the first) 1.234 and every angle 111.1,
    // bonds written in the reverse of the dictionary's atom order.
    std::string full_listing() const {
        std::string text = "header line\n";
        for (size_t i = 1; i < bonds.size(); ++i)
            text += listing_record("TESRA-BOND", "1.234",
                                   {bonds[i].at("atom_id_2"), bonds[i].at("atom_id_1")}) +
                    "\n";
        for (const auto& angle : angles)
            text += listing_record(
                        "TESRA-ANGL", "111.1",
                        {angle.at("atom_id_1"), angle.at("atom_id_2"), angle.at("atom_id_3")}) +
                    "\n";
        return text;
    }

    RowMaps output_rows(const std::string& table) {
        output = load_dictionary(dir.file("out.cif"));
        return table_rows(compound_block(*output), table);
    }

    ScratchDir dir;
    std::string input;
    std::unique_ptr<CifFile> original;
    std::unique_ptr<CifFile> output;
    RowMaps bonds, angles, planes;
};

// transcribe copies the listed values and keeps the rest (plane records are
// read only with -planekill); -planekill removes the planes whose sigma is
// above the threshold and changes nothing else.
TEST_F(TranscribeEndToEnd, TranscribeAndPlanekill) {
    dir.write("listing.txt",
              full_listing() + listing_record("TESRA-PLAN", "0.5", {"N12", "O11", "C10", "C11"}) +
                  "\n" + listing_record("TESRA-PLAN", "0.05", {"C16", "C12", "C11", "N12"}) + "\n");
    RunResult run = run_tool(dir.path(), "transcribe in.cif listing.txt out.cif");
    ASSERT_EQ(run.status, 0) << run.err;
    const RowMaps new_bonds = output_rows("chem_comp_bond");
    ASSERT_EQ(new_bonds.size(), bonds.size());
    EXPECT_EQ(new_bonds[0], bonds[0]);  // not listed: kept, with a warning
    EXPECT_NE(run.err.find("bond " + bonds[0].at("atom_id_1") + " " + bonds[0].at("atom_id_2")),
              std::string::npos);
    for (size_t i = 1; i < bonds.size(); ++i) {
        EXPECT_EQ(new_bonds[i].at("value_dist"), "1.234");
        EXPECT_EQ(new_bonds[i].at("value_dist_esd"), bonds[i].at("value_dist_esd"));
    }
    for (const auto& angle : output_rows("chem_comp_angle"))
        EXPECT_EQ(angle.at("value_angle"), "111.1");
    EXPECT_EQ(output_rows("chem_comp_plane_atom"), planes);

    run = run_tool(dir.path(), "transcribe -planekill 0.1 in.cif listing.txt out.cif");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(" Removing plane containing atoms C10 C11 N12 O11 because sigma=0.5\n"),
              std::string::npos);
    RowMaps expected;
    for (const auto& plane : planes)
        if (plane.at("plane_id") != "plan-2")
            expected.push_back(plane);
    EXPECT_EQ(output_rows("chem_comp_plane_atom"), expected);
    EXPECT_EQ(output_rows("chem_comp_bond"), bonds);
    EXPECT_EQ(output_rows("chem_comp_angle"), angles);
}

TEST_F(TranscribeEndToEnd, PostPqmOnHandWrittenGeometryAndVetoFiles) {
    const auto& b0 = bonds[0];
    const auto& b1 = bonds[1];
    std::string geometry = "GEOMETRY 001 BOND 3.0 1E6 " + b1.at("atom_id_1") + " " +
                           b1.at("atom_id_2") + " TYPE=x\n" + "GEOMETRY 001 BOND 1.512 0.021 " +
                           b0.at("atom_id_2") + " " + b0.at("atom_id_1") + "\n";
    for (const auto& angle : angles)
        geometry += "GEOMETRY 001 ANGLE 109.47 1.234 " + angle.at("atom_id_3") + " " +
                    angle.at("atom_id_2") + " " + angle.at("atom_id_1") + "\n";
    dir.write("GEOMETRY", geometry);
    dir.write("VETO", "VETO-PLANEBOND C11 N12\n");
    dir.write("listing.txt", full_listing() +
                                 "TESRA-PLNR  qmf1|x|C10|x|C11|x|N12|x|C12|\n"
                                 "TESRA-PLNR  qmf2|x|O11|x|C11|x|C10|x|N12|\n"
                                 "TESRA-PLNR  qmf10|x|C12|x|N12|x|C11|x|C10|\n"  // vetoed
                                 "TESRA-PLNR  P2|x|C10|x|C11|x|N12|x|C12|\n"     // no QM plane
                                 "TESRA-PLNR  qmf3|x|C10|x|C11|x|N12|x|C12|x|O11|\n"
                                 "TESRA-TOAD  tor1|a|C10|b|C11|c|N12|d|C12| 179.96 10 3\n");
    const RunResult run = run_tool(dir.path(), "post-pqm in.cif listing.txt out.cif GEOMETRY VETO");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("  While QM suggests the plane C10 C11 N12 C12 , mogul has vetoed it\n"),
              std::string::npos);

    RowMaps b = output_rows("chem_comp_bond");
    EXPECT_EQ(b[0]["value_dist"] + " " + b[0]["value_dist_esd"] + " " + b[1]["value_dist"] + " " +
                  b[1]["value_dist_esd"],
              "1.512 0.021 1.234 0.030");
    EXPECT_EQ(b[2], bonds[2]);  // in neither file: kept
    for (const auto& angle : output_rows("chem_comp_angle")) {
        EXPECT_EQ(angle.at("value_angle"), "109.5");
        EXPECT_EQ(angle.at("value_angle_esd"), "1.2");
    }
    // Planes of four atoms named qmf<n> are left out when their central bond is vetoed.
    std::string planes;
    for (auto& row : output_rows("chem_comp_plane_atom"))
        planes += row["plane_id"] + ":" + row["atom_id"] + ":" + row["dist_esd"] + " ";
    EXPECT_EQ(planes,
              "P2:C10:0.020 P2:C11:0.020 P2:N12:0.020 P2:C12:0.020 qmf2:O11:0.020 qmf2:C11:0.020 "
              "qmf2:C10:0.020 qmf2:N12:0.020 qmf3:C10:0.020 qmf3:C11:0.020 qmf3:N12:0.020 "
              "qmf3:C12:0.020 qmf3:O11:0.020 ");
    std::string torsions;
    for (auto& row : output_rows("chem_comp_tor"))
        for (const char* column : {"comp_id", "id", "atom_id_1", "atom_id_2", "atom_id_3",
                                   "atom_id_4", "value_angle", "value_angle_esd", "period"})
            torsions += row[column] + " ";
    EXPECT_EQ(torsions, "001 tor1 C10 C11 N12 C12 180.0 10.0 3 ");
}

TEST_F(TranscribeEndToEnd, PostPqmReadsTheFilesOfWriteMogdict) {
    dir.write("mogul.out", "");
    RunResult run = run_tool(dir.path(), "write-mogdict in.cif mogul.out GEOMETRY VETO");
    ASSERT_EQ(run.status, 0) << run.err;
    dir.write("listing.txt", full_listing());
    run = run_tool(dir.path(), "post-pqm in.cif listing.txt out.cif GEOMETRY VETO");
    ASSERT_EQ(run.status, 0) << run.err;

    // Without Mogul statistics write-mogdict leaves every bond but those to
    // hydrogen unrestrained (1E6): those take the listing's value and the
    // quantum sigma, bonds to hydrogen keep write-mogdict's X-H target.
    std::map<std::string, std::string> elements;
    for (auto& atom : table_rows(compound_block(*original), "chem_comp_atom"))
        elements[atom.at("atom_id")] = atom.at("type_symbol");
    const RowMaps new_bonds = output_rows("chem_comp_bond");
    ASSERT_EQ(new_bonds.size(), bonds.size());
    int unrestrained = 0;
    for (size_t i = 1; i < bonds.size(); ++i) {
        const bool to_hydrogen =
            elements[bonds[i].at("atom_id_1")] == "H" || elements[bonds[i].at("atom_id_2")] == "H";
        if (to_hydrogen) {
            EXPECT_EQ(new_bonds[i].at("value_dist_esd"), "0.020") << i;
        } else {
            ++unrestrained;
            EXPECT_EQ(new_bonds[i].at("value_dist"), "1.234") << i;
            EXPECT_EQ(new_bonds[i].at("value_dist_esd"), "0.030") << i;
        }
    }
    EXPECT_GT(unrestrained, 0);
    for (const auto& angle : output_rows("chem_comp_angle")) {
        EXPECT_EQ(angle.at("value_angle"), "111.1");
        EXPECT_EQ(angle.at("value_angle_esd"), "3.0");
    }
}

}  // namespace
#endif
