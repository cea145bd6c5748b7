#include <gtest/gtest.h>

#include <string>

#include "Operations.h"
#include "common/ExceptionDictionary.h"
#include "tool/OpsTestSupport.h"

namespace {

using opstest::cell;

ExceptionDictionary example_dictionary() {
    ExceptionDictionary dictionary;
    dictionary.enabled = true;
    for (const auto& key : {std::make_pair(std::string("CH2"), std::string("CR6")),
                            std::make_pair(std::string("CR6"), std::string("CH2"))})
        dictionary.bond_overrides[key] = OverrideValue{1.45f, 0.02f};
    dictionary.angle_overrides[{"CH2", "CR6", "CR16"}] = OverrideValue{109.47f, 1.5f};
    dictionary.angle_overrides[{"CR16", "CR6", "CH2"}] = OverrideValue{109.47f, 1.5f};
    return dictionary;
}

class OverrideTest : public ::testing::Test {
protected:
    OverrideTest() : block("comp_LIG") {
        opstest::add_atoms(block, {{"C1", "C", "CH2"},
                                   {"C2", "C", "CR6"},
                                   {"C3", "C", "CR16"},
                                   {"C4", "C", "CH2"},
                                   {"H1", "H", "H"}});
    }
    Block block;
};

TEST_F(OverrideTest, RewritesExactlyTheListedBondsAndAnglesInEitherOrder) {
    opstest::add_bonds(block,
                       {{"C1", "C2"}, {"C2", "C4"}, {"C2", "C3"}, {"C1", "H1"}, {"C9", "C2"}});
    opstest::add_angles(block, {{"C1", "C2", "C3"}, {"C3", "C2", "C4"}, {"C2", "C1", "C3"}});
    ::testing::internal::CaptureStderr();
    apply_exception_dictionary(block, example_dictionary());
    const std::string messages = ::testing::internal::GetCapturedStderr();

    const struct {
        unsigned row;
        const char* value;
        const char* esd;
    } bonds[] = {{0, "1.450", "0.020"},
                 {1, "1.450", "0.020"},
                 {2, "9.999", "0.999"},
                 {3, "9.999", "0.999"},
                 {4, "9.999", "0.999"}};
    for (const auto& bond : bonds) {
        EXPECT_EQ(cell(block, "chem_comp_bond", bond.row, "value_dist"), bond.value) << bond.row;
        EXPECT_EQ(cell(block, "chem_comp_bond", bond.row, "value_dist_esd"), bond.esd) << bond.row;
    }
    const struct {
        unsigned row;
        const char* value;
    } angles[] = {{0, "109.5"}, {1, "109.5"}, {2, "99.9"}};
    for (const auto& angle : angles) {
        EXPECT_EQ(cell(block, "chem_comp_angle", angle.row, "value_angle"), angle.value);
        EXPECT_EQ(cell(block, "chem_comp_angle", angle.row, "value_angle_esd"),
                  angle.row < 2 ? "1.5" : "9.9");
    }
    EXPECT_EQ(messages,
              "Overriding bond from C1 (CH2) to C2(CR6)\n"
              "Overriding bond from C2 (CR6) to C4(CH2)\n"
              "Overriding angle C1(CH2) - C2(CR6) - C3(CR16)\n"
              "Overriding angle C3(CR16) - C2(CR6) - C4(CH2)\n");
}

TEST_F(OverrideTest, MissingTablesAreSkipped) {
    apply_exception_dictionary(block, example_dictionary());
    EXPECT_EQ(block.GetTablePtr("chem_comp_bond"), nullptr);
}

TEST_F(OverrideTest, TableWithoutAnAtomColumnIsRefused) {
    opstest::add_table(block, "chem_comp_bond",
                       {"comp_id", "atom_id_1", "value_dist", "value_dist_esd"},
                       {{"LIG", "C1", "1.0", "0.1"}});
    EXPECT_RUN_END(apply_exception_dictionary(block, example_dictionary()), 1,
                   "Table chem_comp_bond has no column atom_id_2");
}

}  // namespace
