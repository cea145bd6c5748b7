#include "mogul/TorsionClassifier.h"

#include <gtest/gtest.h>

#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;

// A DISTRIBUTION line of 18 bins of 10 degrees, as words.
Words distribution(const std::map<int, int>& counts) {
    return split_words(distribution_line(counts));
}

const TorsionKey kKey{"A1", "B1", "C1", "D1"};

class TorsionClassifierTest : public ToolTest {};

// With 128 samples every fraction is exact, so the settings can be hit on the nose.
TEST_F(TorsionClassifierTest, ClassifiesAtTheExactBoundaries) {
    tuning.tesra_tors_planeprob = 0.75f;    // 96 of 128
    tuning.tesra_tors_unimodprob = 0.875f;  // 112 of 128
    tuning.tesra_tors_3060prob = 0.75f;
    const struct {
        const char* what;
        float samples;
        std::map<int, int> counts;
        int plane_flag, unimodal;
        bool is_3060;
    } cases[] = {
        {"planar sum equal to the setting", 128, {{0, 48}, {17, 48}}, 0, 0, false},
        {"planar sum just above", 128, {{0, 49}, {17, 48}}, 1, 0, false},
        {"near 0 equal to the unimodal setting", 128, {{0, 56}, {1, 56}}, 1, 0, false},
        {"near 0 just above", 128, {{0, 57}, {1, 56}}, 1, 1, false},
        {"near 180 just above, also 3060", 128, {{16, 13}, {17, 100}}, 1, -1, true},
        {"both ends above: 180 wins", 128, {{0, 120}, {17, 120}}, 1, -1, true},
        {"3060 sum equal to the setting", 128, {{5, 48}, {6, 48}}, 0, 0, false},
        {"3060 from the middle and bin 16, not planar", 128, {{5, 49}, {16, 48}}, 0, 0, true},
        {"bins 2, 3, 8-15 count nothing", 128, {{2, 20}, {3, 20}, {8, 40}, {15, 48}}, 0, 0, 0},
        // The samples setting, 20, in the last two rows: 9 is "not classified".
        {"one sample too few", 19, {{17, 19}}, 9, 9, false},
        {"just enough samples", 20, {{17, 20}}, 1, -1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TorsionClass result;
        classify_torsion_distribution(result, "A1", "B1", "C1", "D1", c.samples,
                                      distribution(c.counts));
        EXPECT_EQ(result.plane_flags.count(kKey) ? result.plane_flags.at(kKey) : 9, c.plane_flag);
        EXPECT_EQ(result.unimodal.count(kKey) ? result.unimodal.at(kKey) : 9, c.unimodal);
        EXPECT_EQ(result.torsions_3060.count(kKey), c.is_3060 ? 1u : 0u);
    }
}

// A count is divided in double precision before the fraction is narrowed: one
// beyond the range of a float still gives a finite fraction.
TEST_F(TorsionClassifierTest, CountsAreDividedBeforeNarrowing) {
    Words words = distribution({});
    words[6 + 17] = "1e39";
    verbosity = 2;
    TorsionClass result;
    testing::internal::CaptureStdout();
    classify_torsion_distribution(result, "A1", "B1", "C1", "D1", 1e38f, words);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("  10.000    Sum = 10.000\n"), std::string::npos) << out;
    EXPECT_NE(out.find("   This is a plane (10 > 0.9)\n"), std::string::npos) << out;
}

// Lines whose bins cannot be read by position end the run, whatever the samples.
TEST_F(TorsionClassifierTest, MalformedDistributionEndsWithStatus11) {
    std::string counts = " counts 5";
    for (int bin = 1; bin < 18; ++bin) counts += " 0";
    for (const std::string& line :
         {"DISTRIBUTION -180 180 10 18" + counts, "DISTRIBUTION 0 179.9 10 18" + counts,
          "DISTRIBUTION 0 nan 10 18" + counts, "DISTRIBUTION 0 180 5 18" + counts,
          "DISTRIBUTION 0 180 10 17" + counts, "DISTRIBUTION 0 180 10 -18" + counts,
          "DISTRIBUTION 0 180 10 18" + counts.substr(0, counts.size() - 2),  // a count short
          std::string("DISTRIBUTION 0 180"), std::string("DISTRIBUTION")}) {
        TorsionClass result;
        EXPECT_RUN_END(
            classify_torsion_distribution(result, "A1", "B1", "C1", "D1", 5.0f, split_words(line)),
            11, " This is odd: distribution line\n" + line + " \n doesn't have form 0 180 \n");
    }
}

}  // namespace
