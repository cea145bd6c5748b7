#include "common/HydrogenBonds.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tool/ToolTestSupport.h"

namespace {

using HydrogenBondsTest = tooltest::ToolTest;

TEST_F(HydrogenBondsTest, XhBondTargetsOfBothModels) {
    const struct {
        const char* element;
        bool ecloud;
        float length, sigma;
        const char* fallback;  // the length in the message; null when none is expected
    } cases[] = {
        {"C", false, 1.089f, 0.02f, nullptr}, {"N", false, 1.015f, 0.02f, nullptr},
        {"O", false, 0.993f, 0.02f, nullptr}, {"S", false, 1.338f, 0.02f, nullptr},
        {"P", false, 1.42f, 0.02f, nullptr},  {"B", false, 1.05f, 0.02f, "1.05"},
        {"SE", false, 1.05f, 0.02f, "1.05"},  {"", false, 1.05f, 0.02f, "1.05"},
        {"C", true, 0.979f, 0.015f, nullptr}, {"N", true, 0.883f, 0.02f, nullptr},
        {"SE", true, 1.21f, 0.02f, nullptr},  {"B", true, 1.12f, 0.02f, nullptr},
        {"Se", true, 1.0f, 0.02f, "1"},       {"H", true, 1.0f, 0.02f, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.element) + (c.ecloud ? " ecloud" : ""));
        std::ostringstream out;
        const XhBondTarget target = xh_bond_target("X1", c.element, c.ecloud, ecloud_xh_lengths(),
                                                   ecloud_xh_sigmas(), nucleus_xh_lengths(), out);
        EXPECT_FLOAT_EQ(target.length, c.length);
        EXPECT_FLOAT_EQ(target.sigma, c.sigma);
        // The Angstrom sign is written as the two UTF-8 bytes C3 85.
        EXPECT_EQ(out.str(), c.fallback
                                 ? "Not sure of length for X1 (" + std::string(c.element) +
                                       ") to hydrogen bond; using " + c.fallback + "\xC3\x85\n"
                                 : "");
    }
    tuning.tesra_bondCH = 1.09f;  // the tables follow the tuning of the run
    EXPECT_FLOAT_EQ(nucleus_xh_lengths().at("C"), 1.09f);
    EXPECT_FLOAT_EQ(ecloud_xh_lengths().at("C"), 0.979f);
}

}  // namespace
