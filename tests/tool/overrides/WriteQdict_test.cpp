#include <gtest/gtest.h>

#include "Operations.h"
#include "common/ExceptionDictionary.h"
#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;

class WriteQdictTest : public ToolTest {
protected:
    WriteQdictTest() {
        add_atoms(block, "LIG",
                  {"C1 C CH2", "C2 C CR6", "N1 N NH1", "SE1 SE SE", "H1 H H", "H2 H H", "D1 D H"});
    }
    // The file written and what was printed.
    std::pair<std::string, std::string> run(const ExceptionDictionary& dictionary) {
        ::testing::internal::CaptureStdout();
        write_qdict(block, dir + "qdict.txt", dictionary);
        const std::string out = ::testing::internal::GetCapturedStdout();
        return {read_text(dir + "qdict.txt"), out};
    }
    Block block{"comp_LIG"};
};

// Which bonds count as bonds to hydrogen and which atom is the heavy one.
TEST_F(WriteQdictTest, BondsToHydrogenTakeNucleusLengthsByHeavyAtomElement) {
    add_bonds(block, "LIG", {"C1 H1", "H1 N1", "SE1 H1", "H1 H2", "C1 D1", "C2 H1"});
    add_angles(block, "LIG", {});
    EXPECT_EQ(run({}).first,
              "GEOMETRY LIG BOND 1.089 0.020 C1 H1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.015 0.020 H1 N1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.050 0.020 SE1 H1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.050 0.020 H1 H2 TYPE=single\n"
              "GEOMETRY LIG BOND 1.5 1E6 C1 D1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.089 0.020 C2 H1 TYPE=single\n");
    tuning.tesra_bondCH = 0.0f;  // a zero length falls back to the default
    EXPECT_EQ(run({}).first.substr(0, 48), "GEOMETRY LIG BOND 1.050 0.020 C1 H1 TYPE=single\n");
}

TEST_F(WriteQdictTest, OverridesApplyOnlyWhenEnabledAndNeverToHydrogen) {
    add_bonds(block, "LIG", {"C2 C1", "C2 H1", "C2 N1"});
    add_angles(block, "LIG", {"N1 C2 C1", "C2 N1 C1"});
    ExceptionDictionary dictionary;
    dictionary.bond_overrides = {{{"CR6", "CH2"}, {1.5f, 0.02f}}, {{"CR6", "H"}, {1.2f, 0.05f}}};
    dictionary.angle_overrides = {{{"NH1", "CR6", "CH2"}, {109.47f, 1.5f}}};
    dictionary.enabled = false;
    EXPECT_EQ(run(dictionary).first,
              "GEOMETRY LIG BOND 1.5 1E6 C2 C1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.089 0.020 C2 H1 TYPE=single\n"
              "GEOMETRY LIG BOND 1.5 1E6 C2 N1 TYPE=single\n"
              "GEOMETRY LIG ANGLE 105.0 1E6 N1 C2 C1\n"
              "GEOMETRY LIG ANGLE 105.0 1E6 C2 N1 C1\n");
    dictionary.enabled = true;
    EXPECT_EQ(run(dictionary),
              std::make_pair(std::string("GEOMETRY LIG BOND 1.500 0.020 C2 C1 TYPE=single\n"
                                         "GEOMETRY LIG BOND 1.089 0.020 C2 H1 TYPE=single\n"
                                         "GEOMETRY LIG BOND 1.5 1E6 C2 N1 TYPE=single\n"
                                         "GEOMETRY LIG ANGLE 109.5 1.5 N1 C2 C1\n"
                                         "GEOMETRY LIG ANGLE 105.0 1E6 C2 N1 C1\n"),
                             " entering write_qdict with name=" + dir + "qdict.txt\n" +
                                 " Using overrides for bond from C2 (CR6) to C1 (CH2)\n"
                                 " Using overrides for angle between N1(NH1) C2(CR6) C1(CH2) \n"));
}

}  // namespace
