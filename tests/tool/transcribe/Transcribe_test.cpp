#include <gtest/gtest.h>

#include "tool/ToolTestSupport.h"
#include "transcribe/GeometryReadback.h"

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
    EXPECT_EQ(vetoes, (PlaneBondVetoes{{"C1", "C2"}, {"C7", "C8"}, {"C9", "C10"}}));
}

}  // namespace
