// transcribe-mogul end to end on a real dictionary with a hand-made Mogul
// results file (tests/data/mogul).
#include <gtest/gtest.h>

#include <string>

#include "tool/MogulTestSupport.h"

namespace {

using namespace mogul_test;

const std::string kMogulData = TESRA_TEST_DATA_DIR "/mogul/";

class TranscribeMogulE2eTest : public MogulTest {
protected:
    void SetUp() override {
        MogulTest::SetUp();
        write_file(dir + "TSZ.cif", read_file(TESRA_TEST_DATA_DIR "/monomers/TSZ.cif"));
    }
    bool exists(const std::string& name) const { return std::ifstream(dir + name).is_open(); }
};

TEST_F(TranscribeMogulE2eTest, CorrectsOutlyingValuesAndRevisesPlanes) {
    const ToolRun run =
        run_tool(dir, {"transcribe-mogul", "TSZ.cif", kMogulData + "TSZ-mogul.txt", "out.cif"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_file(dir + "out.cif"), read_file(kMogulData + "TSZ-transcribed.cif"));
    EXPECT_NE(run.out.find("N1-C bond length corrected to 1.318 from 1.332 (was 3.50 sigmas too "
                           "long; 150 observations in CSD)\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("S-C-N1 angle corrected to 121.7 from 120.0 (was -3.40 sigmas out; 300 "
                           "observations in CSD)\n"),
              std::string::npos);
    EXPECT_EQ(run.out.find("N3-N2 bond length corrected"), std::string::npos);
    EXPECT_NE(run.err.find("Unable to update bond length S N1\n"), std::string::npos);
    EXPECT_FALSE(exists("INVALID"));
}

TEST_F(TranscribeMogulE2eTest, ThoroughCorrectsEveryWellObservedValue) {
    const ToolRun run = run_tool(
        dir, {"transcribe-mogul", "-thorough", "TSZ.cif", kMogulData + "TSZ-mogul.txt", "out.cif"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_file(dir + "out.cif"), read_file(kMogulData + "TSZ-transcribed-thorough.cif"));
    EXPECT_NE(run.out.find("N3-N2 bond length corrected to 1.410 from 1.400 (was 1.00 sigmas too "
                           "short; 10 observations in CSD)\n"),
              std::string::npos);
}

TEST_F(TranscribeMogulE2eTest, MissingResultsFileIsAnError) {
    const ToolRun run = run_tool(dir, {"transcribe-mogul", "TSZ.cif", "absent.txt", "out.cif"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(" Can't open Mogul results file absent.txt\n"), std::string::npos);
    EXPECT_EQ(run.err.find("Normal Termination"), std::string::npos);
    EXPECT_FALSE(exists("out.cif"));
}

TEST_F(TranscribeMogulE2eTest, MalformedDistributionEndsWithStatus11) {
    write_file(dir + "bad.txt",
               "TORSION 1 query - 180.0 - atoms S C N2 N3\nSTATS 5\n"
               "DISTRIBUTION -180 180 20 18 counts 5 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
    const ToolRun run = run_tool(dir, {"transcribe-mogul", "TSZ.cif", "bad.txt", "out.cif"});
    EXPECT_EQ(run.status, 11);
    EXPECT_NE(
        run.err.find(" This is odd: distribution line\nDISTRIBUTION -180 180 20 18 counts 5 "),
        std::string::npos);
    EXPECT_FALSE(exists("out.cif"));
}

}  // namespace
