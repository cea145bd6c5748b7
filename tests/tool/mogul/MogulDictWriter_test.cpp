// write_mogdict with writing on: the GEOMETRY and VETO-PLANEBOND files, for the
// nucleus and the electron-cloud model, with and without the exceptions
// dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "Operations.h"
#include "common/ExceptionDictionary.h"
#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;

const Words kAtoms{"C1 C CH3",  "C2 C CR6",  "C3 C CR6",   "N1 N NH1",  "O1 O OH1",
                   "H1 H HCH3", "H2 H HNH1", "HO1 H HOH1", "SE1 SE SE", "HSE H HSE"};

class MogulDictWriterTest : public ToolTest {
protected:
    void SetUp() override {
        setenv("KTW_home", TESRA_SOURCE_DIR "/data", 1);
        add_atoms(block, "MOG", kAtoms);
        add_bonds(
            block, "MOG",
            {"C1 C2", "C2 C3 aromatic", "C3 N1", "C1 H1", "N1 H2", "HO1 O1", "SE1 HSE", "C3 Q9"});
        add_angles(block, "MOG", {"C1 C2 C3", "C2 C3 N1", "C3 N1 H2"});
        add_planes(block, "MOG",
                   {"trig1 C3 C2 N1 O1", "trig2 C1 H1 C2 N1", "plan-trig C1 C2 C3 N1",
                    "trig5 C1 C2 N1", "plan-2 N1 C3 C2 C1"});
        write_text(results_path(),
                   bond_record("C2", "C1", "1.52", "30", "1.5", "0.01") +
                       bond_record("N1", "O1", "1.4", "10", "1.4", "0.02") +
                       bond_record("C3", "N1", "1.3", "9", "1.35", "0.02") +
                       angle_record("C3", "C2", "C1", "118", "40", "120.5", "1.25") +
                       angle_record("H2", "C3", "N1", "110", "12", "109", "2") +
                       torsion_record("C1", "C2", "C3", "N1", 64, {{17, 64}}) +
                       torsion_record("H1", "C1", "C2", "C3", 64, {{0, 64}}) +
                       torsion_record("O1", "N1", "C3", "C2", 64, {{0, 40}, {17, 24}}) +
                       torsion_record("HO1", "O1", "C1", "H1", 64, {{5, 64}}) +
                       torsion_record("N1", "C3", "C2", "C1", 64, {{9, 64}}) +
                       torsion_record("Q9", "C3", "C2", "C1", 19, {{0, 19}}));
    }

    std::string results_path() const { return dir + "mogul.txt"; }
    std::string geometry_path() const { return dir + "MOG.geometry"; }
    std::string veto_path() const { return dir + "MOG.veto"; }

    // Runs write-mogdict; returns standard output.
    std::string run(bool ecloud, const ExceptionDictionary& exceptions = {},
                    const std::string& veto = "") {
        testing::internal::CaptureStdout();
        write_mogdict(block, results_path(), true, true, ecloud, geometry_path(), "MOG", exceptions,
                      veto);
        return testing::internal::GetCapturedStdout();
    }

    Block block{"comp_MOG"};
};

std::string atom_notes() {
    std::string notes;
    for (const std::string& atom : kAtoms)
        notes += "NOTE FARNIX_RESIDUE_ATOM_DATA MOG " + atom + "\n";
    return notes;
}

const std::string kTorsionAndPlaneSections =
    "NOTE 3060 torsions from mogul\n"
    "GEOMETRY MOG TORSION 3060 12.3 H1 C1 O1 HO1\n"
    "NOTE 1-4 planes from mogul\n"
    "GEOMETRY MOG PLANE 4 0.020 O1 N1 C3 C2\n"
    "NOTE unimodal 1-4 planes from mogul\n"
    "GEOMETRY MOG TORSION 1180 10.0 C1 C2 C3 N1\n"
    "GEOMETRY MOG TORSION 1000 10.0 H1 C1 C2 C3\n"
    "NOTE trigonal planes which mogul doesn't disagree with\n"
    "GEOMETRY MOG PLANE 4 0.020 C3 C2 N1 O1\n"
    "GEOMETRY MOG PLANE 4 0.020 C1 C2 N1\n";

const std::string kNucleusBondsAndAngles =
    "GEOMETRY MOG BOND 1.500 0.010 C2 C1 TYPE=single\n"
    "GEOMETRY MOG BOND 1.400 0.020 N1 O1\n"
    "GEOMETRY MOG BOND 3.0 1E6 C2 C3 TYPE=aromatic\n"
    "GEOMETRY MOG BOND 3.0 1E6 C3 N1 TYPE=single\n"
    "GEOMETRY MOG BOND 1.089 0.020 C1 H1 TYPE=single\n"
    "GEOMETRY MOG BOND 1.015 0.020 N1 H2 TYPE=single\n"
    "GEOMETRY MOG BOND 0.993 0.020 HO1 O1 TYPE=single\n"
    "GEOMETRY MOG BOND 1.050 0.020 SE1 HSE TYPE=single\n"
    "GEOMETRY MOG BOND 3.0 1E6 C3 Q9 TYPE=single\n"
    "GEOMETRY MOG ANGLE 120.50 1.25 C3 C2 C1\n"
    "GEOMETRY MOG ANGLE 109.00 2.00 H2 C3 N1\n"
    "GEOMETRY MOG ANGLE 90.0 1E6 C2 C3 N1\n"
    "GEOMETRY MOG ANGLE 90.0 1E6 C3 N1 H2\n";
const std::string kNucleusBondsAndTorsions = kNucleusBondsAndAngles + kTorsionAndPlaneSections;

TEST_F(MogulDictWriterTest, NucleusModel) {
    const std::string out = run(false);
    EXPECT_EQ(read_text(geometry_path()), (atom_notes() + kNucleusBondsAndTorsions));
    EXPECT_NE(out.find(" Loaded hybridisations for "), std::string::npos);
    EXPECT_NE(out.find("Not sure of length for SE1 (SE) to hydrogen bond; using 1.05\xC3\x85\n"),
              std::string::npos);
    // The planes decided on reach the block: plan-2 goes, H1 C1 C2 C3 comes in
    // (O1 N1 C3 C2 is trig1 already). Sections 5 and 6 are unaffected.
    std::vector<std::string> ids = column(block, "chem_comp_plane_atom", "plane_id");
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "plan-2"), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "csd_1"), 4);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "csd_2"), 0);
}

TEST_F(MogulDictWriterTest, ElectronCloudModelChangesOnlyTheHydrogenBonds) {
    tuning.tesra_bondCH = 1.09f;  // a nucleus setting: no effect here
    const std::string out = run(true);
    const std::string geometry = read_text(geometry_path());
    std::string expected = atom_notes() + kNucleusBondsAndTorsions;
    for (const char* bond :
         {"1.089 0.020 C1 H1>0.979 0.015 C1 H1", "1.015 0.020 N1 H2>0.883 0.020 N1 H2",
          "0.993 0.020 HO1 O1>0.850 0.020 HO1 O1", "1.050 0.020 SE1 HSE>1.210 0.020 SE1 HSE"}) {
        const std::string change = bond;
        const std::size_t arrow = change.find('>');
        expected.replace(expected.find(change.substr(0, arrow)), arrow, change.substr(arrow + 1));
    }
    EXPECT_EQ(geometry, expected);
    EXPECT_EQ(out.find("Not sure of length"), std::string::npos);
}

TEST_F(MogulDictWriterTest, ExceptionsDictionaryFillsWhatMogulLeftOpen) {
    ExceptionDictionary exceptions;
    exceptions.enabled = true;
    for (const auto& key :
         {std::make_pair("CR6", "CR6"), std::make_pair("CH3", "CR6"), std::make_pair("CR6", "CH3")})
        exceptions.bond_overrides[key] = OverrideValue{1.39f, 0.01f};
    // Q9 has no chem_comp_atom row: its type is the empty type.
    exceptions.bond_overrides[{"CR6", ""}] = OverrideValue{1.8f, 0.05f};
    exceptions.angle_overrides[{"CR6", "CR6", "NH1"}] = OverrideValue{121.5f, 2.0f};
    exceptions.angle_overrides[{"CH3", "CR6", "CR6"}] = OverrideValue{118.0f, 1.5f};

    testing::internal::CaptureStderr();
    const std::string out = run(false, exceptions);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Not overriding bond C1 - C2 since mogul knows about it in this context\n"
              "Inserting override for bond C2(CR6) to C3(CR6)\n"
              "Inserting override for bond C3(CR6) to Q9()\n");
    EXPECT_NE(out.find(" Inserting override to 121.5+/-2 for angle C2(CR6)-C3(CR6)-N1(NH1)\n"),
              std::string::npos);
    EXPECT_NE(out.find(" Not overriding angle C1 - C2 - C3 since mogul knows about it in this "
                       "context\n"),
              std::string::npos);
    const std::string bonds_and_angles =
        "GEOMETRY MOG BOND 1.500 0.010 C2 C1 TYPE=single\n"
        "GEOMETRY MOG BOND 1.400 0.020 N1 O1\n"
        "GEOMETRY MOG BOND 1.390 0.010 C2 C3 TYPE=aromatic\n"
        "GEOMETRY MOG BOND 1.800 0.050 C3 Q9 TYPE=single\n"
        "GEOMETRY MOG BOND 3.0 1E6 C3 N1 TYPE=single\n"
        "GEOMETRY MOG BOND 1.089 0.020 C1 H1 TYPE=single\n"
        "GEOMETRY MOG BOND 1.015 0.020 N1 H2 TYPE=single\n"
        "GEOMETRY MOG BOND 0.993 0.020 HO1 O1 TYPE=single\n"
        "GEOMETRY MOG BOND 1.050 0.020 SE1 HSE TYPE=single\n"
        "GEOMETRY MOG ANGLE 120.50 1.25 C3 C2 C1\n"
        "GEOMETRY MOG ANGLE 109.00 2.00 H2 C3 N1\n"
        "GEOMETRY MOG ANGLE 121.50 2.00 C2 C3 N1\n"
        "GEOMETRY MOG ANGLE 90.0 1E6 C3 N1 H2\n";
    EXPECT_EQ(read_text(geometry_path()),
              atom_notes() + bonds_and_angles + kTorsionAndPlaneSections);
}

TEST_F(MogulDictWriterTest, VetoFileHoldsTheVetoedBonds) {
    run(false, {}, veto_path());
    EXPECT_EQ(read_text(veto_path()), "VETO-PLANEBOND C3 C2\n");

    // No veto: an existing file is emptied.
    write_text(results_path(), "");
    run(false, {}, veto_path());
    EXPECT_EQ(read_text(veto_path()), "");
}

TEST_F(MogulDictWriterTest, MissingAngleTableStopsAfterTheBondsAreWritten) {
    Block three("comp_TRI");
    add_atoms(three, "TRI", {"O1 O O", "C1 C C", "O2 O O"});
    add_bonds(three, "TRI", {"O1 C1 double", "C1 O2 double"});
    write_text(results_path(), "");
    EXPECT_RUN_END(write_mogdict(three, results_path(), true, true, false, geometry_path(), "TRI",
                                 {}, veto_path()),
                   1, " Data table chem_comp_angle not found!");
    EXPECT_EQ(read_text(geometry_path()),
              "NOTE FARNIX_RESIDUE_ATOM_DATA TRI O1 O O\n"
              "NOTE FARNIX_RESIDUE_ATOM_DATA TRI C1 C C\n"
              "NOTE FARNIX_RESIDUE_ATOM_DATA TRI O2 O O\n"
              "GEOMETRY TRI BOND 3.0 1E6 O1 C1 TYPE=double\n"
              "GEOMETRY TRI BOND 3.0 1E6 C1 O2 TYPE=double\n");
    EXPECT_TRUE(std::ifstream(veto_path()).is_open());
}

}  // namespace
