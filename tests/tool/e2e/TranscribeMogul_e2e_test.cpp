// transcribe-mogul end to end on a real dictionary with a hand-made Mogul
// results file (tests/data/mogul).
#include <gtest/gtest.h>

#include "tool/ToolTestSupport.h"

#ifdef TESRA_ROVIDEV_BIN
namespace {

using namespace tooltest;

TEST(TranscribeMogulEndToEnd, CorrectsOutlyingValuesAndRevisesPlanes) {
    const std::string results = data_path("mogul/TSZ-mogul.txt");
    const struct {
        std::string option, expected;
        Words printed, not_printed;
    } cases[] = {
        {"",
         "TSZ-transcribed.cif",
         {"N1-C bond length corrected to 1.318 from 1.332 (was 3.50 sigmas too long; 150 "
          "observations in CSD)\n",
          "S-C-N1 angle corrected to 121.7 from 120.0 (was -3.40 sigmas out; 300 observations in "
          "CSD)\n"},
         {"N3-N2 bond length corrected"}},
        {"-thorough",
         "TSZ-transcribed-thorough.cif",
         {"N3-N2 bond length corrected to 1.410 from 1.400 (was 1.00 sigmas too short; 10 "
          "observations in CSD)\n"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        ScratchDir dir;
        const RunResult run = run_tool(dir.path(), "transcribe-mogul " + c.option + " " +
                                                       monomer("TSZ") + " " + results + " out.cif");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read_text(dir.file("out.cif")), read_text(data_path("mogul/" + c.expected)));
        for (const std::string& text : c.printed) EXPECT_NE(run.out.find(text), std::string::npos);
        for (const std::string& text : c.not_printed)
            EXPECT_EQ(run.out.find(text), std::string::npos);
        EXPECT_NE(run.err.find("Unable to update bond length S N1\n"), std::string::npos);
    }
}

}  // namespace
#endif
