// The plane and torsion decisions: Mogul's opinions on existing planes, the
// trigonal test, new "csd_" planes and the 3060 filter.
#include "mogul/PlaneDecisions.h"

#include <gtest/gtest.h>

#include <set>

#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;
using Flags = std::map<TorsionKey, int>;

class PlaneDecisionsTest : public ToolTest {
protected:
    void SetUp() override {
        add_atoms(block, "X", {"A1 C CT", "B1 C CT", "C1 C CT", "D1 C CT", "H1 H HX"});
        add_bonds(block, "X", {"A1 B1", "B1 C1", "C1 D1"});
    }

    struct Outcome {
        std::string out;
        std::set<TorsionKey> torsions_3060;
        VetoedPlaneBonds vetoed;
    };

    Outcome decide(const Flags& flags, const MogulAngleMeans& means = {},
                   std::set<TorsionKey> torsions_3060 = {},
                   const HybridisationTable& hybridisations = {}) {
        Outcome outcome;
        testing::internal::CaptureStdout();
        decide_planes_and_torsions(block, hybridisations, flags, torsions_3060, means,
                                   outcome.vetoed);
        outcome.out = testing::internal::GetCapturedStdout();
        outcome.torsions_3060 = torsions_3060;
        return outcome;
    }

    Words plane_ids() { return column(block, "chem_comp_plane_atom", "plane_id"); }
    bool printed(const Outcome& o, const std::string& text) {
        return o.out.find(text) != std::string::npos;
    }

    Block block{"comp_X"};
};

// Words separated by ',' as a list of texts.
Words list(const std::string& text) {
    Words items(1);
    for (const char c : text) c == ',' ? items.push_back("") : items.back().push_back(c);
    return text.empty() ? Words{} : items;
}

// Torsions "A B C D flag", separated by ','.
Flags torsion_flags(const std::string& text) {
    Flags flags;
    for (const std::string& flag : list(text)) {
        const Words w = split_words(flag);
        flags[{w[0], w[1], w[2], w[3]}] = std::stoi(w[4]);
    }
    return flags;
}

// Mogul's opinion on an existing plane (the torsion over its first four atoms,
// either way round), then the trigonal test on the angle means around B1.
TEST_F(PlaneDecisionsTest, ExistingPlanesKeptOrRemoved) {
    const struct {
        const char* planes;
        const char* flags;         // torsions with their plane flag
        std::vector<float> means;  // A1-B1-C1, C1-B1-D1, D1-B1-A1; 0 when Mogul has none
        std::size_t kept;          // plane rows
        const char* printed;
    } cases[] = {
        {"plan-1 A1 B1 C1 D1", "A1 B1 C1 D1 0", {}, 0, "That opinion is 'not worth restraining'"},
        {"plan-1 A1 B1 C1 D1", "D1 C1 B1 A1 0", {}, 0, "atoms A1 B1 C1 D1\n   That opinion is"},
        {"plan-1 A1 B1 C1 D1", "A1 B1 C1 D1 1", {}, 4, "That opinion is 'worth restraining'"},
        {"plan-1 A1 B1 C1 D1", "A1 B1 C1 H1 0", {}, 4, "   Inserting as planar bonds\n"},
        {"plan-1 A1 B1 C1 D1", "", {120, 120, 119.5f}, 4, "mogul is 359.5\n   Adding plane plan-1"},
        {"plan-1 A1 B1 C1 D1", "", {110, 110, 110}, 0, "is too small (330.0)\n"},
        {"plan-1 A1 B1 C1 D1", "", {116, 117, 117}, 4, "big enough (350.0)\n"},
        {"plan-1 A1 B1 C1 D1", "", {120, 120, 0}, 4, "   Inserting as planar bonds\n"},
        // Three atoms: no four-atom key, left alone. Longer: judged by its first four.
        {"plan-1 A1 B1 C1,plan-2 A1 B1 C1 D1 H1", "D1 C1 B1 A1 0,A1 B1 C1 D1 1", {}, 3, ""},
    };
    verbosity = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.printed);
        add_planes(block, "X", list(c.planes));
        const Flags flags = torsion_flags(c.flags);
        MogulAngleMeans means;
        const char* around[][2] = {{"A1", "C1"}, {"C1", "D1"}, {"D1", "A1"}};
        for (std::size_t i = 0; i < c.means.size(); ++i)
            if (c.means[i] != 0.0f)
                means[ordered_angle_key(around[i][0], "B1", around[i][1])] = c.means[i];
        const Outcome o = decide(flags, means);
        EXPECT_EQ(plane_ids().size(), c.kept);
        // A plane Mogul finds not planar vetoes its central bond.
        const bool vetoed = std::string(c.flags).find(" 0") != std::string::npos && c.kept != 4;
        EXPECT_EQ(o.vetoed, (vetoed ? VetoedPlaneBonds{{"B1", "C1"}} : VetoedPlaneBonds{}));
        EXPECT_TRUE(printed(o, c.printed)) << o.out;
    }
}

TEST_F(PlaneDecisionsTest, NewPlanesFromPlanarTorsions) {
    add_bonds(block, "X", {"A1 B1", "B1 C1", "C1 D1", "B3 A3", "B3 C3", "B3 X3", "B3 Y3"});
    add_planes(block, "X", {"plan-1 A1 B1 C1 D1", "csd_3 P1 Q1 R1 S1", "csdx P1", "csd_-7 P1"});
    // In order: the atoms of an existing plane, the central bond of a
    // non-trigonal plane, new, the same central bond later in order and the
    // other way round, B3 with four bonds, not planar, new.
    const Flags flags = torsion_flags(
        "D1 C1 B1 A1 1,E1 B1 C1 F1 1,A2 B2 C2 D2 1,E2 B2 C2 F2 1,F2 C2 B2 E2 1,A3 B3 C3 D3 1,"
        "A4 B4 C4 D4 0,A5 B5 C5 D5 1");
    const Outcome o = decide(flags);
    EXPECT_TRUE(printed(o,
                        " Adding new plane A2 B2 C2 D2 suggested by mogul\n"
                        " Adding new plane A5 B5 C5 D5 suggested by mogul\n"))
        << o.out;
    EXPECT_EQ(o.out.find(" Adding new plane", o.out.find("A5 B5")), std::string::npos);

    ISTable* table = block.GetTablePtr("chem_comp_plane_atom");
    ASSERT_EQ(table->GetNumRows(), 18u);
    EXPECT_EQ(table->GetRow(10), (Words{"X", "csd_4", "A2", "0.020"}));
    EXPECT_EQ(table->GetRow(13), (Words{"X", "csd_4", "D2", "0.020"}));
    EXPECT_EQ(table->GetRow(17), (Words{"X", "csd_5", "D5", "0.020"}));
}

TEST_F(PlaneDecisionsTest, FilterOf3060Torsions) {
    verbosity = 2;
    add_atoms(
        block, "X",
        {"A1 C CT", "B1 C CT", "C1 C CT", "D1 C CT", "B2 C CT", "C2 C CR", "Q1 C ODD", "H1 H HX"});
    const std::set<TorsionKey> staggered{
        {"D1", "C1", "B1", "A1"}, {"E1", "B1", "C1", "F1"}, {"A2", "B2", "C2", "D2"}};
    const Outcome o = decide({}, {}, staggered, {{"CT", "sp3"}, {"CR", "sp2"}});
    EXPECT_EQ(o.torsions_3060, (std::set<TorsionKey>{{"A1", "B1", "C1", "D1"}}));
    for (const char* text :
         {"\n [3] Looking at A2 B2 C2 D2\n   skipping (since B2 and/or C2 not sp3)\n",
          "\n [3] Looking at D1 C1 B1 A1\n   insert as new 3060\n",
          "\n [3] Looking at E1 B1 C1 F1\n   skipping (since B1 <=> C1 bond already included)\n",
          "Don't know hybridisation state for atomtype ODD\n"})
        EXPECT_TRUE(printed(o, text)) << o.out;
    EXPECT_FALSE(printed(o, "atomtype HX"));
}

TEST_F(PlaneDecisionsTest, PlaneTableIsCreatedWhenMissing) {
    decide({});
    ISTable* table = block.GetTablePtr("chem_comp_plane_atom");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetColumnNames(), (Words{"comp_id", "plane_id", "atom_id", "dist_esd"}));
    EXPECT_EQ(table->GetNumRows(), 0u);

    // New planes in a table without rows take the compound id from the bonds.
    tuning.tesra_planesplit_sigma = 0.05f;
    decide({{{"A1", "B1", "C1", "D1"}, 1}});
    EXPECT_EQ(table->GetRow(0), (Words{"X", "csd_1", "A1", "0.050"}));
}

}  // namespace
