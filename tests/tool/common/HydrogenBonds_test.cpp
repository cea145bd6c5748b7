#include "common/HydrogenBonds.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/TuningParameters.h"

namespace {

struct XhCase {
    const char* element;
    bool ecloud;
    float length;
    float sigma;
    const char* message;  // empty when none is expected
};

class XhBondTargetTest : public ::testing::TestWithParam<XhCase> {
protected:
    void SetUp() override { tuning = TuningParameters(); }
    void TearDown() override { tuning = TuningParameters(); }
};

TEST_P(XhBondTargetTest, LengthSigmaAndMessage) {
    const XhCase& c = GetParam();
    std::ostringstream out;
    const XhBondTarget target = xh_bond_target("X1", c.element, c.ecloud, ecloud_xh_lengths(),
                                               ecloud_xh_sigmas(), nucleus_xh_lengths(), out);
    EXPECT_FLOAT_EQ(target.length, c.length);
    EXPECT_FLOAT_EQ(target.sigma, c.sigma);
    EXPECT_EQ(out.str(), c.message);
}

// The Angstrom sign is written as the two UTF-8 bytes C3 85.
INSTANTIATE_TEST_SUITE_P(
    Models, XhBondTargetTest,
    ::testing::Values(
        XhCase{"C", false, 1.089f, 0.02f, ""}, XhCase{"N", false, 1.015f, 0.02f, ""},
        XhCase{"O", false, 0.993f, 0.02f, ""}, XhCase{"S", false, 1.338f, 0.02f, ""},
        XhCase{"P", false, 1.42f, 0.02f, ""},
        XhCase{"B", false, 1.05f, 0.02f,
               "Not sure of length for X1 (B) to hydrogen bond; using 1.05\xC3\x85\n"},
        XhCase{"SE", false, 1.05f, 0.02f,
               "Not sure of length for X1 (SE) to hydrogen bond; using 1.05\xC3\x85\n"},
        XhCase{"C", true, 0.979f, 0.015f, ""}, XhCase{"SE", true, 1.21f, 0.02f, ""},
        XhCase{"B", true, 1.12f, 0.02f, ""},
        XhCase{"Se", true, 1.0f, 0.02f,
               "Not sure of length for X1 (Se) to hydrogen bond; using 1\xC3\x85\n"},
        XhCase{"FE", true, 1.0f, 0.02f,
               "Not sure of length for X1 (FE) to hydrogen bond; using 1\xC3\x85\n"},
        XhCase{"H", true, 1.0f, 0.02f,
               "Not sure of length for X1 (H) to hydrogen bond; using 1\xC3\x85\n"},
        XhCase{"", false, 1.05f, 0.02f,
               "Not sure of length for X1 () to hydrogen bond; using 1.05\xC3\x85\n"}));

TEST(XhTables, FollowTheTuningOfTheRun) {
    tuning = TuningParameters();
    tuning.tesra_bondCH = 1.09f;
    EXPECT_FLOAT_EQ(nucleus_xh_lengths().at("C"), 1.09f);
    EXPECT_FLOAT_EQ(ecloud_xh_lengths().at("C"), 0.979f);
    EXPECT_EQ(nucleus_xh_lengths().count("B"), 0u);
    EXPECT_EQ(ecloud_xh_sigmas().size(), 7u);
    tuning = TuningParameters();
}

}  // namespace
