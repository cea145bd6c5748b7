// The Mogul statistics pass as transcribe-mogul runs it: which records are
// read, which results correct the dictionary, and what is printed.
#include "mogul/MogulPass.h"

#include <gtest/gtest.h>

#include "Operations.h"
#include "common/ExceptionDictionary.h"
#include "mogul/HybridisationTable.h"
#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;

// transcribe-mogul has no hybridisation table, so every heavy atom is reported;
// those lines are left out of the comparisons.
std::string without_hybridisation_lines(const std::string& text) {
    std::istringstream in(text);
    std::string line, kept;
    while (std::getline(in, line))
        if (line.rfind("Don't know hybridisation state for atomtype ", 0) != 0)
            kept += line + "\n";
    return kept;
}

TEST_F(ToolTest, HybridisationTableLaterLinesWinAndShortLinesAreIgnored) {
    const std::string path = dir + "hyb.dat";
    write_text(path, "sp3 A\nsp2 A B\nlonely\n\n  sp1   C\tD  E\nsp3 F \nsp3 LOST");
    testing::internal::CaptureStdout();
    const HybridisationTable table = load_hybridisation_table(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " Loaded hybridisations for 6 atom types from " + path + "\n");
    const HybridisationTable expected{{"A", "sp2"}, {"B", "sp2"}, {"C\tD", "sp1"},
                                      {"E", "sp1"}, {"F", "sp3"}, {"", "sp3"}};
    EXPECT_EQ(table, expected);
}

class MogulPassTest : public ToolTest {
protected:
    void SetUp() override {
        add_atoms(block, "X", {"C1 C CH2", "C2 C CH2", "C3 C CH2", "O1 O OH1", "H1 H HOH1"});
        add_bonds(block, "X", {"C1 C2", "C3 C2", "C3 O1", "O1 H1"});
        add_angles(block, "X", {"C1 C2 C3", "C2 C3 O1", "C3 O1 H1"});
    }

    // Runs transcribe-mogul on the results text; returns standard output.
    std::string run(const std::string& results, bool thorough = false) {
        write_text(dir + "mogul.txt", results);
        testing::internal::CaptureStdout();
        transcribe_mogul(block, dir + "mogul.txt", thorough);
        return without_hybridisation_lines(testing::internal::GetCapturedStdout());
    }

    std::string bond_value(unsigned row) {
        return column(block, "chem_comp_bond", "value_dist")[row];
    }
    std::string angle_value(unsigned row) {
        return column(block, "chem_comp_angle", "value_angle")[row];
    }

    Block block{"comp_X"};
};

TEST_F(MogulPassTest, BondThresholds) {
    struct Case {
        const char* what;
        std::string n, query, mean, sd;
        bool thorough;
        bool corrected;
    };
    const Case cases[] = {
        {"|z| equal to the limit", "10", "1.75", "1", "0.25", false, false},
        {"|z| just above the limit", "10", "1.7578125", "1", "0.25", false, true},
        {"z just below minus the limit", "10", "0.2421875", "1", "0.25", false, true},
        {"too few observations", "9", "2.0", "1", "0.25", false, false},
        {"-thorough ignores z", "10", "1.75", "1", "0.25", true, true},
        {"-thorough still needs observations", "9", "1.75", "1", "0.25", true, false},
        {"count that is not a number", "many", "2.0", "1", "0.25", true, false},
        {"zero sd, equal values: z not a number", "10", "1", "1", "0", false, false},
        {"zero sd, equal values, -thorough", "10", "1", "1", "0", true, true},
        {"zero sd, different values: z infinite", "10", "1.5", "1", "0", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        block.GetTablePtr("chem_comp_bond")->UpdateCell(0, "value_dist", "1.500");
        run(bond_record("C1", "C2", c.query, c.n, c.mean, c.sd), c.thorough);
        EXPECT_EQ(bond_value(0), c.corrected ? "1.000" : "1.500");
    }
}

// The messages and the cells' decimals are checked end to end on TSZ.
TEST_F(MogulPassTest, MatchedRows) {
    add_bonds(block, "X", {"C1 C2", "C3 C2", "C2 C1 double"});
    // Every row of the pair, in either order, is rewritten; the esd stays.
    run(bond_record("C2", "C1", "1.7578125", "57", "1", "0.25"));
    EXPECT_EQ(column(block, "chem_comp_bond", "value_dist"), (Words{"1.000", "1.500", "1.000"}));
    EXPECT_EQ(column(block, "chem_comp_bond", "value_dist_esd")[0], "0.020");
    EXPECT_NE(run(bond_record("C1", "C2", "1.2", "12", "1.2", "0.25"), true)
                  .find(" 1.200 (was -0.00 sigmas too short; 12 observations"),
              std::string::npos);
    run(angle_record("C3", "C2", "C1", "100", "57", "109.4712", "1"));
    EXPECT_EQ(angle_value(0), "109.471");

    // Names match exactly: case and the centre atom count.
    testing::internal::CaptureStderr();
    run(bond_record("c1", "C2", "2.0", "20", "1.25", "0.1") +
        angle_record("C2", "C1", "C3", "100", "57", "120", "1"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              " Mogul results file " + dir +
                  "mogul.txt, line 1: atom c1 is not in the compound; record skipped\n"
                  "Unable to update angle C2 C1 C3\n");
}

// Only a record line directly followed by its STATS line (and for a torsion its
// DISTRIBUTION line) counts; nothing outside the lines and words present is read.
TEST_F(MogulPassTest, RecordsNeedTheirFollowUpLinesAndWords) {
    const std::string stats = "STATS 50 1.25 0.0 9.0 1.25 0.1\n";
    const std::string bond = "BOND 1 query 2.0 atoms C1 C2\n";
    for (const std::string& text :
         {bond + "\n" + stats, "bond 1 query 2.0 atoms C1 C2\n" + stats,
          "BOND\t1 query 2.0 atoms C1 C2\n" + stats, bond + "STATS 50 1.25 0.0 9.0 1.25 0.1",
          "BOND 1 query 2.0 atoms C1\n" + stats, bond + "STATS 50 1.25\n", stats + bond,
          std::string("ANGLE 1 query - 100 atoms C1 C2 C3\n"),
          "ANGLE 1 query - 100 atoms C1 C2\n" + stats,
          std::string("TORSION 1 q - 1 - atoms C1 C2 C3 O1\nSTATS 30\n"),
          std::string("TORSION 1 q - 1 - atoms C1 C2 C3\nSTATS 30\nDISTRIBUTION\n"),
          std::string("TORSION 1 q - 1 - atoms C1 C2 C3 O1\nSTATS\n") +
              "DISTRIBUTION 0 180 10 18 x 30\n"}) {
        block.GetTablePtr("chem_comp_angle")->UpdateCell(0, "value_angle", "109.500");
        EXPECT_EQ(run(text), "") << text;
        EXPECT_EQ(bond_value(0) + angle_value(0), "1.500109.500") << text;
    }
}

TEST_F(MogulPassTest, FollowUpLinesAreNotConsumed) {
    // The first BOND has a BOND after it; the second has its STATS.
    run("BOND 1 query 2.0 atoms C1 C2\nBOND 1 query 2.0 atoms C3 C2 \n"
        "STATS 50 1.25 0.0 9.0 1.25 0.1\n");
    EXPECT_EQ(column(block, "chem_comp_bond", "value_dist"),
              (Words{"1.500", "1.250", "1.500", "1.500"}));

    // A BOND line directly followed by an ANGLE line is no record; the ANGLE
    // line with its STATS is one.
    run("BOND 1 query 2.0 atoms C1 C2\nANGLE 1 query - 100 atoms C1 C2 C3\n"
        "STATS 50 110 0.0 180.0 110 1\n");
    EXPECT_EQ(column(block, "chem_comp_bond", "value_dist")[0], "1.500");
    EXPECT_EQ(angle_value(0), "110.000");
}

TEST_F(MogulPassTest, TorsionsAndAngleMeansReachThePlaneDecisions) {
    add_planes(block, "X", {"plan-1 C1 C2 C3 O1"});
    // Angle means count whatever their observations; torsions are classified
    // although nothing is written.
    const std::string out = run(angle_record("C1", "C3", "C2", "120", "1", "120", "1") +
                                angle_record("C2", "C3", "O1", "120", "1", "120", "1") +
                                angle_record("O1", "C3", "C1", "120", "1", "118", "1") +
                                torsion_record("H1", "O1", "C3", "C2", 30, {{0, 30}}));
    EXPECT_NE(out.find(" Looks trigonal, centre C3; total angle from mogul is 358\n"),
              std::string::npos);
    EXPECT_NE(out.find(" Adding new plane H1 O1 C3 C2 suggested by mogul\n"), std::string::npos);
    EXPECT_EQ(column(block, "chem_comp_plane_atom", "plane_id"),
              (Words{"plan-1", "plan-1", "plan-1", "plan-1", "csd_1", "csd_1", "csd_1", "csd_1"}));
}

}  // namespace
