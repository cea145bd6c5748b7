#include "mogul/TorsionClassifier.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;

// A DISTRIBUTION line of 18 bins of 10 degrees with the given counts by bin.
std::vector<std::string> distribution(const std::map<int, int>& counts) {
    std::vector<std::string> words{"DISTRIBUTION", "0", "180", "10", "18", "counts"};
    for (int bin = 0; bin < 18; ++bin) {
        const auto found = counts.find(bin);
        words.push_back(std::to_string(found == counts.end() ? 0 : found->second));
    }
    return words;
}

const TorsionKey kKey{"A1", "B1", "C1", "D1"};

struct ClassCase {
    const char* what;
    std::map<int, int> counts;
    int plane_flag;
    int unimodal;
    bool is_3060;
};

class TorsionClassifierTest : public ToolTest {};

// With 128 samples every fraction is exact, so the settings can be hit on the nose.
TEST_F(TorsionClassifierTest, ClassifiesAtTheExactBoundaries) {
    tuning.tesra_tors_planeprob = 0.75f;    // 96 of 128
    tuning.tesra_tors_unimodprob = 0.875f;  // 112 of 128
    tuning.tesra_tors_3060prob = 0.75f;
    const ClassCase cases[] = {
        {"planar sum equal to the setting", {{0, 48}, {17, 48}}, 0, 0, false},
        {"planar sum just above", {{0, 49}, {17, 48}}, 1, 0, false},
        {"near 0 equal to the unimodal setting", {{0, 56}, {1, 56}}, 1, 0, false},
        {"near 0 just above", {{0, 57}, {1, 56}}, 1, 1, false},
        {"near 180 just above, also 3060", {{16, 13}, {17, 100}}, 1, -1, true},
        {"both ends above: 180 wins", {{0, 120}, {17, 120}}, 1, -1, true},
        {"3060 sum equal to the setting", {{5, 48}, {6, 48}}, 0, 0, false},
        {"3060 from the middle and bin 16, not planar", {{5, 49}, {16, 48}}, 0, 0, true},
        {"bins 2, 3 and 8 to 15 count for nothing",
         {{2, 20}, {3, 20}, {8, 40}, {15, 48}},
         0,
         0,
         false},
    };
    for (const ClassCase& c : cases) {
        SCOPED_TRACE(c.what);
        TorsionClass result;
        classify_torsion_distribution(result, "A1", "B1", "C1", "D1", 128.0f,
                                      distribution(c.counts));
        EXPECT_EQ(result.plane_flags.at(kKey), c.plane_flag);
        EXPECT_EQ(result.unimodal.at(kKey), c.unimodal);
        EXPECT_EQ(result.torsions_3060.count(kKey), c.is_3060 ? 1u : 0u);
    }
}

TEST_F(TorsionClassifierTest, SampleCountBoundary) {
    TorsionClass result;
    classify_torsion_distribution(result, "A1", "B1", "C1", "D1", 19.0f, distribution({{17, 19}}));
    EXPECT_TRUE(result.plane_flags.empty());
    EXPECT_TRUE(result.unimodal.empty());
    EXPECT_TRUE(result.torsions_3060.empty());

    classify_torsion_distribution(result, "A1", "B1", "C1", "D1", 20.0f, distribution({{17, 20}}));
    EXPECT_EQ(result.plane_flags.at(kKey), 1);
    EXPECT_EQ(result.unimodal.at(kKey), -1);
    EXPECT_EQ(result.torsions_3060.count(kKey), 1u);
}

TEST_F(TorsionClassifierTest, VerboseHistogramAndDecisions) {
    TorsionClass result;
    verbosity = 1;
    testing::internal::CaptureStdout();
    classify_torsion_distribution(result, "A1", "B1", "C1", "D1", 64.0f, distribution({{0, 64}}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    verbosity = 2;
    testing::internal::CaptureStdout();
    // 60 of 64 samples counted: the sum shows the shortfall.
    classify_torsion_distribution(result, "A1", "B1", "C1", "D1", 64.0f,
                                  distribution({{0, 32}, {16, 8}, {17, 20}}));
    const std::string expected =
        "\n"
        " Torsion for atoms A1 B1 C1 D1 (with 64 samples)\n"
        "      Range 000-010 010-020 020-030 030-040 040-050 050-060 060-070 070-080 080-090"
        " 090-100 100-110 110-120 120-130 130-140 140-150 150-160 160-170 170-180\n"
        "   Midpoint   005     015     025     035     045     055     065     075     085  "
        "   095     105     115     125     135     145     155     165     175  \n"
        "            ------- ------- ------- ------- ------- ------- ------- ------- -------"
        " ------- ------- ------- ------- ------- ------- ------- ------- -------\n"
        "              0.500   0.000   0.000   0.000   0.000   0.000   0.000   0.000   0.000"
        "   0.000   0.000   0.000   0.000   0.000   0.000   0.000   0.125   0.312    Sum =  0.938\n"
        "   This is a plane (0.9375 > 0.9)\n"
        "   This is not 3060 (0.4375 <= 0.9)\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
}

// A count is divided in double precision before the fraction is narrowed: one
// beyond the range of a float still gives a finite fraction.
TEST_F(TorsionClassifierTest, CountsAreDividedBeforeNarrowing) {
    std::vector<std::string> words = distribution({});
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
    struct BadLine {
        const char* what;
        std::vector<std::string> words;
    };
    auto with = [](std::size_t position, const std::string& word) {
        std::vector<std::string> words = distribution({{0, 5}});
        words[position] = word;
        return words;
    };
    std::vector<std::string> short_counts = distribution({});
    short_counts.pop_back();
    const BadLine lines[] = {
        {"lower bound -180", with(1, "-180")},
        {"upper bound 179.9", with(2, "179.9")},
        {"upper bound not a number", with(2, "nan")},
        {"bin width 5", with(3, "5")},
        {"17 bins", with(4, "17")},
        {"negative bin count", with(4, "-18")},
        {"fewer counts than declared", short_counts},
        {"line cut after the bounds", {"DISTRIBUTION", "0", "180"}},
        {"nothing but the keyword", {"DISTRIBUTION"}},
    };
    for (const BadLine& line : lines) {
        SCOPED_TRACE(line.what);
        TorsionClass result;
        std::string words;
        for (const std::string& word : line.words) words += word + " ";
        EXPECT_RUN_END(
            classify_torsion_distribution(result, "A1", "B1", "C1", "D1", 5.0f, line.words), 11,
            " This is odd: distribution line\n" + words + "\n doesn't have form 0 180 \n");
    }
}

}  // namespace
