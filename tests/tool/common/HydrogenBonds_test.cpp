#include "common/HydrogenBonds.h"

#include <gtest/gtest.h>

#include "tool/ToolTestSupport.h"

namespace {

using HydrogenBondsTest = tooltest::ToolTest;

// "element model length sigma", and the length named when the element is unknown.
TEST_F(HydrogenBondsTest, XhBondTargetsOfBothModels) {
    const std::pair<const char*, const char*> cases[] = {
        {"C nucleus 1.089 0.02", ""},    {"O nucleus 0.993 0.02", ""},
        {"S nucleus 1.338 0.02", ""},    {"P nucleus 1.42 0.02", ""},
        {"B nucleus 1.05 0.02", "1.05"}, {"SE nucleus 1.05 0.02", "1.05"},
        {"C ecloud 0.979 0.015", ""},    {"SE ecloud 1.21 0.02", ""},
        {"B ecloud 1.12 0.02", ""},      {"Se ecloud 1 0.02", "1"},
        {"H ecloud 1 0.02", "1"},
    };
    for (const auto& c : cases) {
        const tooltest::Words w = tooltest::split_words(c.first);
        std::ostringstream out;
        const XhBondTarget target =
            xh_bond_target("X1", w[0], w[1] == "ecloud", ecloud_xh_lengths(), ecloud_xh_sigmas(),
                           nucleus_xh_lengths(), out);
        EXPECT_FLOAT_EQ(target.length, std::stof(w[2])) << c.first;
        EXPECT_FLOAT_EQ(target.sigma, std::stof(w[3])) << c.first;
        // The Angstrom sign is written as the two UTF-8 bytes C3 85.
        EXPECT_EQ(out.str(), *c.second ? "Not sure of length for X1 (" + w[0] +
                                             ") to hydrogen bond; using " + c.second + "\xC3\x85\n"
                                       : "");
    }
    tuning.tesra_bondCH = 1.09f;  // the tables follow the tuning of the run
    EXPECT_FLOAT_EQ(nucleus_xh_lengths().at("C"), 1.09f);
}

}  // namespace
