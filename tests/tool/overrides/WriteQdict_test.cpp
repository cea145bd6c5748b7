#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "Operations.h"
#include "common/ExceptionDictionary.h"
#include "common/TuningParameters.h"
#include "tool/OpsTestSupport.h"

namespace {

using opstest::TempDir;

class WriteQdictTest : public ::testing::Test {
protected:
    WriteQdictTest() : block("comp_LIG") {
        tuning = TuningParameters();
        opstest::add_atoms(block, {{"C1", "C", "CH2"},
                                   {"C2", "C", "CR6"},
                                   {"N1", "N", "NH1"},
                                   {"O1", "O", "OH1"},
                                   {"S1", "S", "S"},
                                   {"P1", "P", "P"},
                                   {"B1", "B", "B"},
                                   {"SE1", "SE", "SE"},
                                   {"H1", "H", "H"},
                                   {"H2", "H", "H"},
                                   {"D1", "D", "H"}});
    }
    ~WriteQdictTest() override { tuning = TuningParameters(); }

    std::string run(const ExceptionDictionary& dictionary, std::string* messages = nullptr) {
        const std::string path = dir.file("qdict.txt");
        ::testing::internal::CaptureStdout();
        write_qdict(block, path, dictionary);
        const std::string out = ::testing::internal::GetCapturedStdout();
        if (messages != nullptr)
            *messages = out;
        return opstest::read_file(path);
    }

    Block block;
    TempDir dir;
};

ExceptionDictionary overrides() {
    ExceptionDictionary dictionary;
    dictionary.enabled = true;
    dictionary.bond_overrides[{"CH2", "CR6"}] = {1.5f, 0.02f};
    dictionary.bond_overrides[{"CR6", "CH2"}] = {1.5f, 0.02f};
    dictionary.bond_overrides[{"CR6", "H"}] = {1.2f, 0.05f};
    dictionary.bond_overrides[{"H", "CR6"}] = {1.2f, 0.05f};
    dictionary.angle_overrides[{"CH2", "CR6", "NH1"}] = {109.47f, 1.5f};
    dictionary.angle_overrides[{"NH1", "CR6", "CH2"}] = {109.47f, 1.5f};
    return dictionary;
}

// The lengths by element are checked with the X-H targets; here, which bonds
// count as bonds to hydrogen and which atom is taken as the heavy one.
TEST_F(WriteQdictTest, BondsToHydrogenTakeNucleusLengthsByHeavyAtomElement) {
    opstest::add_bonds(
        block,
        {{"C1", "H1"}, {"H1", "N1"}, {"SE1", "H1"}, {"H1", "H2"}, {"C1", "D1"}, {"C2", "H1"}});
    opstest::add_angles(block, {});
    EXPECT_EQ(run(ExceptionDictionary()),
              "GEOMETRY LIG BOND 1.089 0.020 C1 H1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.015 0.020 H1 N1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.050 0.020 SE1 H1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.050 0.020 H1 H2 TYPE=single\n"
              "GEOMETRY LIG BOND 1.5 1E6 C1 D1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.089 0.020 C2 H1 TYPE=single\n");
}

TEST_F(WriteQdictTest, ZeroLengthFallsBackToTheDefault) {
    tuning.tesra_bondCH = 0.0f;
    opstest::add_bonds(block, {{"C1", "H1"}});
    opstest::add_angles(block, {});
    EXPECT_EQ(run(ExceptionDictionary()), "GEOMETRY LIG BOND 1.050 0.020 C1 H1 TYPE=single\n");
}

TEST_F(WriteQdictTest, OverridesApplyOnlyWhenEnabledAndNeverToHydrogen) {
    opstest::add_bonds(block, {{"C2", "C1"}, {"C2", "H1"}, {"C2", "N1"}});
    opstest::add_angles(block, {{"N1", "C2", "C1"}, {"C2", "N1", "C1"}});
    std::string messages;
    EXPECT_EQ(run(overrides(), &messages),
              "GEOMETRY LIG BOND 1.500 0.020 C2 C1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.089 0.020 C2 H1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.5 1E6 C2 N1 TYPE=single\n"
              "GEOMETRY LIG ANGLE 109.5 1.5 N1 C2 C1\n"
              "GEOMETRY LIG ANGLE 105.0 1E6 C2 N1 C1\n");
    EXPECT_EQ(messages, " entering write_qdict with name=" + dir.file("qdict.txt") + "\n" +
                            " Using overrides for bond from C2 (CR6) to C1 (CH2)\n"
                            " Using overrides for angle between N1(NH1) C2(CR6) C1(CH2) \n");

    ExceptionDictionary disabled = overrides();
    disabled.enabled = false;
    EXPECT_EQ(run(disabled, &messages),
              "GEOMETRY LIG BOND 1.5 1E6 C2 C1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.089 0.020 C2 H1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.5 1E6 C2 N1 TYPE=single\n"
              "GEOMETRY LIG ANGLE 105.0 1E6 N1 C2 C1\n"
              "GEOMETRY LIG ANGLE 105.0 1E6 C2 N1 C1\n");
    EXPECT_EQ(messages.find("Using overrides"), std::string::npos);
}

TEST_F(WriteQdictTest, UnwritableOutputEndsWithStatus1) {
    opstest::add_bonds(block, {{"C1", "C2"}});
    opstest::add_angles(block, {});
    EXPECT_RUN_END(write_qdict(block, dir.file("no/such/dir/qdict.txt"), ExceptionDictionary()), 1,
                   "cannot open output file");
    EXPECT_RUN_END(write_qdict(block, "/dev/full", ExceptionDictionary()), 1,
                   "cannot write output file /dev/full");
}

TEST_F(WriteQdictTest, MissingTableLeavesAnExistingOutputUntouched) {
    opstest::add_bonds(block, {{"C1", "C2"}});  // no chem_comp_angle
    const std::string path = dir.file("qdict.txt");
    {
        std::ofstream earlier(path);
        earlier << "an earlier restraint file\n";
    }
    EXPECT_RUN_END(write_qdict(block, path, ExceptionDictionary()), 1,
                   " Data table chem_comp_angle not found!");
    EXPECT_EQ(opstest::read_file(path), "an earlier restraint file\n");
}

}  // namespace
