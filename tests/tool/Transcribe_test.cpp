#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "GeometryReadback.h"
#include "OpsTestSupport.h"
#include "Operations.h"
#include "TranscribedRestraints.h"
#include "TuningParameters.h"

namespace {

using opstest::cell;
using opstest::TempDir;

TEST(GeometryReadback, KeepsOnlyWellFormedBondAndAngleLines) {
    std::istringstream in(
        "NOTE FARNIX_RESIDUE_ATOM_DATA LIG C1 C CH2\n"
        "GEOMETRY LIG BOND 1.512 0.021 C2 C1\n"           // 7 words
        "GEOMETRY LIG BOND 3.0 1E6 C1 C3 TYPE=single\n"    // 8 words, unrestrained
        "GEOMETRY LIG BOND 3.0 1e6 C1 C4 TYPE=single\n"    // only "1E6" marks it
        "GEOMETRY LIG BOND 1.0 0.1 C1 C5 TYPE=single \n"   // trailing blank: 9 words
        "GEOMETRY LIG BOND 1.0 0.1 C1\n"                   // 6 words
        "GEOMETRY LIG ANGLE 109.50 1.20 C3 C1 C2\n"
        "GEOMETRY LIG ANGLE 90.0 1E6 C1 C2 C3\n"
        "GEOMETRY LIG ANGLE 90.0 1.0 C1 C2\n"
        "GEOMETRY LIG ANGLE 90.0 1.0 C1 C2 C3 C4\n"
        "GEOMETRY LIG TORSION 3060 12.3 C1 C2 C3 C4\n");
    const GeometryRestraints geometry = read_geometry_restraints(in);
    EXPECT_EQ(geometry.bond_restraints.size(), 2u);
    EXPECT_EQ(geometry.bond_restraints.at({"C1", "C2"}).value, 1.512f);
    EXPECT_EQ(geometry.bond_restraints.at({"C1", "C2"}).sigma, 0.021f);
    EXPECT_EQ(geometry.bond_restraints.at({"C1", "C4"}).sigma, 1.0e6f);
    EXPECT_EQ(geometry.unrestrained_bonds, (std::set<std::pair<std::string, std::string>>{{"C1", "C3"}}));
    EXPECT_EQ(geometry.angle_restraints.size(), 1u);
    EXPECT_EQ(geometry.angle_restraints.count({"C2", "C1", "C3"}), 1u);
    EXPECT_EQ(geometry.unrestrained_angles.size(), 1u);
    EXPECT_EQ(geometry.unrestrained_angles.count({"C1", "C2", "C3"}), 1u);
}

TEST(GeometryReadback, VetoLinesMustBeExactlyThreeWords) {
    std::istringstream in(
        "VETO-PLANEBOND C1 C2\n"
        "VETO-PLANEBOND C3 C4 \n"
        "VETO-PLANEBOND  C5 C6\n"
        "VETO-PLANEBOND C7 C8\r\n"
        "VETO-PLANEBOND C1 C2\n"
        "VETO-PLANEBOND C9 C10");
    const PlaneBondVetoes vetoes = read_plane_bond_vetoes(in);
    EXPECT_EQ(vetoes, (PlaneBondVetoes{{"C1", "C2"}, {"C7", "C8\r"}, {"C9", "C10"}}));
}

class ApplyTranscribedTest : public ::testing::Test {
protected:
    ApplyTranscribedTest() : block("comp_LIG") {
        tuning = TuningParameters();
        params.do_bonds = params.do_angles = true;
        opstest::add_bonds(block, {{"C1", "C2"}, {"C2", "C3"}, {"C3", "N1"}});
        opstest::add_angles(block, {{"C1", "C2", "C3"}, {"C2", "C3", "N1"}});
        listing.bonds = {{{"C1", "C2"}, 1.4123f}, {{"C2", "C1"}, 1.4123f},
                         {{"C2", "C3"}, 1.39f},   {{"C3", "C2"}, 1.39f}};
        listing.angles = {{{"C1", "C2", "C3"}, 119.96f}, {{"C3", "C2", "C1"}, 119.96f}};
    }
    ~ApplyTranscribedTest() override { tuning = TuningParameters(); }

    void use_write_mogdict_files(const std::string& geometry, const std::string& vetoes) {
        params.extra2 = dir.write("GEOMETRY", geometry);
        params.extra3 = dir.write("VETO", vetoes);
    }

    std::string run(bool is_transcribe) {
        ::testing::internal::CaptureStderr();
        ::testing::internal::CaptureStdout();
        apply_transcribed_restraints(params, block, listing, planes, is_transcribe);
        stdout_text = ::testing::internal::GetCapturedStdout();
        return ::testing::internal::GetCapturedStderr();
    }

    Block block;
    TempDir dir;
    RovidevParams params;
    RestraintListing listing;
    PlaneAtomMap planes;
    std::string stdout_text;
};

TEST_F(ApplyTranscribedTest, TranscribeTakesListedValuesAndKeepsUnlistedOnes) {
    const std::string warnings = run(true);
    const char* expected[][2] = {{"1.412", "0.999"}, {"1.390", "0.999"}, {"9.999", "0.999"}};
    for (unsigned row = 0; row < 3; ++row) {
        EXPECT_EQ(cell(block, "chem_comp_bond", row, "value_dist"), expected[row][0]);
        EXPECT_EQ(cell(block, "chem_comp_bond", row, "value_dist_esd"), expected[row][1]);
    }
    EXPECT_EQ(cell(block, "chem_comp_angle", 0, "value_angle"), "120.0");
    EXPECT_EQ(cell(block, "chem_comp_angle", 0, "value_angle_esd"), "9.9");
    EXPECT_EQ(cell(block, "chem_comp_angle", 1, "value_angle"), "99.9");
    EXPECT_NE(warnings.find("bond C3 N1; keeping its dictionary values"), std::string::npos);
    EXPECT_NE(warnings.find("angle C2 C3 N1; keeping its dictionary values"), std::string::npos);
    EXPECT_EQ(block.GetTablePtr("chem_comp_tor"), nullptr);
}

TEST_F(ApplyTranscribedTest, PostPqmMergesGeometryFileAndListing) {
    use_write_mogdict_files(
        "GEOMETRY LIG BOND 3.0 1E6 C2 C1 TYPE=single\n"
        "GEOMETRY LIG BOND 1.512 0.021 C3 C2\n"
        "GEOMETRY LIG ANGLE 90.0 1E6 C3 C2 C1\n"
        "GEOMETRY LIG ANGLE 109.47 1.234 N1 C3 C2\n",
        "");
    listing.torsions.push_back({"tor1", "C1", "C2", "C3", "N1", 3, 179.96f, 10.0f});
    const std::string warnings = run(false);
    EXPECT_EQ(cell(block, "chem_comp_bond", 0, "value_dist"), "1.412");
    EXPECT_EQ(cell(block, "chem_comp_bond", 0, "value_dist_esd"), "0.030");
    EXPECT_EQ(cell(block, "chem_comp_bond", 1, "value_dist"), "1.512");
    EXPECT_EQ(cell(block, "chem_comp_bond", 1, "value_dist_esd"), "0.021");
    EXPECT_EQ(cell(block, "chem_comp_bond", 2, "value_dist"), "9.999");
    EXPECT_NE(warnings.find("GEOMETRY file gives no value for bond C3 N1"), std::string::npos);
    EXPECT_EQ(cell(block, "chem_comp_angle", 0, "value_angle"), "120.0");
    EXPECT_EQ(cell(block, "chem_comp_angle", 0, "value_angle_esd"), "3.0");
    EXPECT_EQ(cell(block, "chem_comp_angle", 1, "value_angle"), "109.5");
    EXPECT_EQ(cell(block, "chem_comp_angle", 1, "value_angle_esd"), "1.2");

    const ISTable* torsions = block.GetTablePtr("chem_comp_tor");
    ASSERT_NE(torsions, nullptr);
    EXPECT_EQ(torsions->GetColumnNames(),
              (std::vector<std::string>{"comp_id", "id", "atom_id_1", "atom_id_2", "atom_id_3",
                                        "atom_id_4", "value_angle", "value_angle_esd", "period"}));
    EXPECT_EQ(torsions->GetRow(0), (std::vector<std::string>{"LIG", "tor1", "C1", "C2", "C3", "N1",
                                                             "180.0", "10.0", "3"}));
    // No named planes: the plane table is replaced by an empty one.
    ASSERT_NE(block.GetTablePtr("chem_comp_plane_atom"), nullptr);
    EXPECT_EQ(block.GetTablePtr("chem_comp_plane_atom")->GetNumRows(), 0u);
}

TEST_F(ApplyTranscribedTest, PostPqmRebuildsPlanesWithoutVetoedQmPlanes) {
    tuning.tesra_planesplit_sigma = 0.05f;
    opstest::add_table(block, "chem_comp_plane_atom", {"comp_id", "plane_id", "atom_id", "dist_esd"},
                       {{"LIG", "old", "C1", "0.020"}});
    use_write_mogdict_files("", "VETO-PLANEBOND C1 C2\n");
    listing.named_planes = {{"qmf2", {"X", "C2", "C1", "Y"}},       // vetoed
                            {"qmf10", {"X", "C1", "C2", "Y"}},      // vetoed
                            {"P2", {"X", "C1", "C2", "Y"}},         // not a QM plane
                            {"qmf3", {"X", "C1", "C2", "Y", "Z"}},  // not four atoms
                            {"P10", {"N1", "C3"}}};
    run(false);
    EXPECT_EQ(stdout_text,
              "  While QM suggests the plane X C1 C2 Y , mogul has vetoed it\n"
              "  While QM suggests the plane X C2 C1 Y , mogul has vetoed it\n");
    const ISTable* planes_table = block.GetTablePtr("chem_comp_plane_atom");
    ASSERT_NE(planes_table, nullptr);
    std::string rows;
    for (unsigned row = 0; row < planes_table->GetNumRows(); ++row)
        for (const std::string& text : planes_table->GetRow(row)) rows += text + " ";
    EXPECT_EQ(rows,
              "LIG P10 N1 0.050 LIG P10 C3 0.050 "
              "LIG P2 X 0.050 LIG P2 C1 0.050 LIG P2 C2 0.050 LIG P2 Y 0.050 "
              "LIG qmf3 X 0.050 LIG qmf3 C1 0.050 LIG qmf3 C2 0.050 LIG qmf3 Y 0.050 "
              "LIG qmf3 Z 0.050 ");
}

TEST_F(ApplyTranscribedTest, PlanekillRemovesDictionaryPlanesWithTheListedAtoms) {
    opstest::add_table(block, "chem_comp_plane_atom", {"comp_id", "plane_id", "atom_id", "dist_esd"},
                       {{"LIG", "p1", "C1", "0.020"}, {"LIG", "p2", "C1", "0.020"},
                        {"LIG", "p1", "C2", "0.020"}, {"LIG", "p2", "C2", "0.020"},
                        {"LIG", "p1", "C3", "0.020"}, {"LIG", "p2", "C3", "0.020"},
                        {"LIG", "p1", "N1", "0.020"}, {"LIG", "p3", "C1", "0.020"},
                        {"LIG", "p3", "C2", "0.020"}, {"LIG", "p2", "N1", "0.020"}});
    planes = {{"p1", {"C1", "C2", "C3", "N1"}}, {"p2", {"C1", "C2", "C3", "N1"}},
              {"p3", {"C1", "C2"}}};
    listing.plane_sigmas = {{{"N1", "C3", "C1", "C2"}, 0.2f}, {{"C1", "C2"}, 0.1f}};
    params.do_bonds = params.do_angles = false;
    params.planekill_given = true;
    params.planekill = 0.1f;
    run(true);
    EXPECT_EQ(stdout_text, " Removing plane containing atoms C1 C2 C3 N1 because sigma=0.2\n");
    const ISTable* table = block.GetTablePtr("chem_comp_plane_atom");
    ASSERT_EQ(table->GetNumRows(), 2u);
    EXPECT_EQ(table->GetRow(0)[1] + table->GetRow(1)[1], "p3p3");
    EXPECT_EQ(cell(block, "chem_comp_bond", 0, "value_dist"), "9.999");
}

TEST_F(ApplyTranscribedTest, MissingTablesEndWithStatus255) {
    Block bare("comp_LIG");
    EXPECT_EXIT(apply_transcribed_restraints(params, bare, listing, planes, true),
                ::testing::ExitedWithCode(255), "^ No bond table in input CIF!\n$");
    opstest::add_bonds(bare, {{"C1", "C2"}});
    EXPECT_EXIT(apply_transcribed_restraints(params, bare, listing, planes, true),
                ::testing::ExitedWithCode(255), " No angle table in input CIF!\n$");
    listing.angles.clear();  // no listed angles: the angle table is not needed
    apply_transcribed_restraints(params, bare, listing, planes, true);
    EXPECT_EQ(cell(bare, "chem_comp_bond", 0, "value_dist"), "1.412");
}

}  // namespace
