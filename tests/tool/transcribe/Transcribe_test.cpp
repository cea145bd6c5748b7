#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "Operations.h"
#include "common/ExceptionDictionary.h"
#include "common/TuningParameters.h"
#include "tool/ToolTestSupport.h"
#include "transcribe/GeometryReadback.h"
#include "transcribe/TranscribedRestraints.h"

namespace {

using namespace tooltest;

TEST(GeometryReadback, KeepsOnlyWellFormedBondAndAngleLines) {
    std::istringstream in(
        "NOTE FARNIX_RESIDUE_ATOM_DATA LIG C1 C CH2\n"
        "GEOMETRY LIG BOND 1.512 0.021 C2 C1\n"           // 7 words
        "GEOMETRY LIG BOND 3.0 1E6 C1 C3 TYPE=single\n"   // 8 words, unrestrained
        "GEOMETRY LIG BOND 3.0 1e6 C1 C4 TYPE=single\n"   // only "1E6" marks it
        "GEOMETRY LIG BOND 1.0 0.1 C1 C5 TYPE=single \n"  // trailing blank: 9 words
        "GEOMETRY LIG BOND 1.0 0.1 C1\n"                  // 6 words
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
    EXPECT_EQ(geometry.unrestrained_bonds,
              (std::set<std::pair<std::string, std::string>>{{"C1", "C3"}}));
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

class ApplyTranscribedTest : public ToolTest {
protected:
    ApplyTranscribedTest() {
        params.do_bonds = params.do_angles = true;
        add_bonds(block, "LIG", {"C1 C2", "C2 C3", "C3 N1"});
        add_angles(block, "LIG", {"C1 C2 C3", "C2 C3 N1"});
        listing.bonds = {{{"C1", "C2"}, 1.4123f},
                         {{"C2", "C1"}, 1.4123f},
                         {{"C2", "C3"}, 1.39f},
                         {{"C3", "C2"}, 1.39f}};
        listing.angles = {{{"C1", "C2", "C3"}, 119.96f}, {{"C3", "C2", "C1"}, 119.96f}};
    }

    void use_write_mogdict_files(const std::string& geometry, const std::string& vetoes) {
        params.extra2 = scratch.write("GEOMETRY", geometry);
        params.extra3 = scratch.write("VETO", vetoes);
    }

    std::string run(bool is_transcribe) {
        ::testing::internal::CaptureStderr();
        ::testing::internal::CaptureStdout();
        apply_transcribed_restraints(params, block, listing, planes, is_transcribe);
        stdout_text = ::testing::internal::GetCapturedStdout();
        return ::testing::internal::GetCapturedStderr();
    }

    Block block{"comp_LIG"};
    RovidevParams params;
    RestraintListing listing;
    PlaneAtomMap planes;
    std::string stdout_text;
};

TEST_F(ApplyTranscribedTest, PostPqmRebuildsPlanesWithoutVetoedQmPlanes) {
    tuning.tesra_planesplit_sigma = 0.05f;
    add_table(block, "chem_comp_plane_atom", {"comp_id", "plane_id", "atom_id", "dist_esd"},
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

}  // namespace
