// split_at_blanks, the hybridisation table and the small compound views that the
// plane decisions use.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BondCounts.h"
#include "HybridisationTable.h"
#include "MogulAngleMeans.h"
#include "MogulPass.h"
#include "PlaneSet.h"
#include "tool/MogulTestSupport.h"

namespace {

using namespace mogul_test;
using Words = std::vector<std::string>;

TEST(SplitAtBlanks, SplitsAtRunsOfTheBlankOnly) {
    struct Case {
        std::string line;
        Words words;
    };
    const Case cases[] = {
        {"BOND 1 2", {"BOND", "1", "2"}},
        {"  BOND   1", {"BOND", "1"}},
        {"BOND 1 ", {"BOND", "1", ""}},
        {"", {""}},
        {"    ", {""}},
        {"BOND\t1 C1\r", {"BOND\t1", "C1\r"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(split_at_blanks(c.line), c.words);
    }
}

class HybridisationTableTest : public MogulTest {};

TEST_F(HybridisationTableTest, LaterLinesWinAndShortLinesAreIgnored) {
    const std::string path = dir + "hyb.dat";
    write_file(path,
               "sp3 A\n"
               "sp2 A B\n"
               "lonely\n"
               "\n"
               "  sp1   C\tD  E\n"
               "sp3 F \n"
               "sp3 LOST");
    testing::internal::CaptureStdout();
    const HybridisationTable table = load_hybridisation_table(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " Loaded hybridisations for 6 atom types from " + path + "\n");
    const HybridisationTable expected{
        {"A", "sp2"}, {"B", "sp2"}, {"C\tD", "sp1"}, {"E", "sp1"}, {"F", "sp3"}, {"", "sp3"}};
    EXPECT_EQ(table, expected);
}

TEST_F(HybridisationTableTest, MissingFileGivesAnEmptyTable) {
    testing::internal::CaptureStdout();
    EXPECT_TRUE(load_hybridisation_table(dir + "absent.dat").empty());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " Loaded hybridisations for 0 atom types from " + dir + "absent.dat\n");
}

TEST_F(HybridisationTableTest, ShippedTableLoads) {
    testing::internal::CaptureStdout();
    const HybridisationTable table = load_hybridisation_table(
        TESRA_SOURCE_DIR "/data/autoFARNIX/tesra-data/ccp4_atomtype_hybridisation.dat");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(table.at("CH3"), "sp3");
    EXPECT_EQ(table.at("CR16"), "sp2");
}

class CompoundViewsTest : public MogulTest {};

TEST_F(CompoundViewsTest, BondCountsCountEveryListedEnd) {
    Block block("comp_X");
    add_bonds(block, "X", {{"C1", "C2", "single"}, {"C2", "C1", "single"}, {"C3", "C3", "single"}});
    BondCounts counts = count_bonds(block);
    EXPECT_EQ(counts.at("C1"), 2);
    EXPECT_EQ(counts.at("C2"), 2);
    EXPECT_EQ(counts.at("C3"), 2);
    EXPECT_EQ(counts.count("C4"), 0u);
}

TEST_F(CompoundViewsTest, MissingBondTableEndsTheRun) {
    Block block("comp_X");
    EXPECT_EXIT(count_bonds(block), testing::ExitedWithCode(1),
                "No bond table in input CIF file!\n\n");
}

TEST_F(CompoundViewsTest, BondKeyTextIsOrderFreeAndByteWise) {
    EXPECT_EQ(bond_key_text("C2", "C1"), "C1-C2");
    EXPECT_EQ(bond_key_text("C1", "C2"), "C1-C2");
    EXPECT_EQ(bond_key_text("C10", "C9"), "C10-C9");
    EXPECT_EQ(bond_key_text("C1", "C1"), "C1-C1");
}

TEST_F(CompoundViewsTest, PlaneSetsCollectScatteredRowsInRowOrder) {
    Block block("comp_X");
    add_planes(block, "X",
               {{"plan-2", "N1"}, {"plan-1", "C2"}, {"plan-2", "C1"}, {"plan-1", "C1"},
                {"plan-3", "C1"}, {"plan-3", "C2"}});
    const PlaneSet set = read_plane_sets(block);
    EXPECT_EQ(set.planes.at("plan-1"), (Words{"C2", "C1"}));
    EXPECT_EQ(set.planes.at("plan-2"), (Words{"N1", "C1"}));
    // plan-1 and plan-3 hold the same atoms: one set.
    EXPECT_EQ(set.atom_sets.size(), 2u);
    EXPECT_EQ(set.atom_sets.count({"C1", "C2"}), 1u);

    Block empty("comp_Y");
    EXPECT_TRUE(read_plane_sets(empty).planes.empty());
}

TEST_F(CompoundViewsTest, AngleMeansAreFoundInEitherDirection) {
    MogulAngleMeans means;
    means[angle_mean_key("O1", "C1", "N1")] = 120.5f;
    EXPECT_EQ(angle_mean_key("O1", "C1", "N1"), (NameTriple{"N1", "C1", "O1"}));
    EXPECT_EQ(mogul_angle_mean(means, "O1", "C1", "N1"), 120.5f);
    EXPECT_EQ(mogul_angle_mean(means, "N1", "C1", "O1"), 120.5f);
    EXPECT_EQ(mogul_angle_mean(means, "N1", "O1", "C1"), 0.0f);
}

}  // namespace
