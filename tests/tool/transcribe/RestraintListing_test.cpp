#include "transcribe/RestraintListing.h"

#include <gtest/gtest.h>

#include <string>

#include "tool/ToolTestSupport.h"

namespace {

const auto fixed = tooltest::listing_record;

RestraintListing read_lines(const std::vector<std::string>& lines) {
    RestraintListing listing;
    for (const std::string& line : lines) read_listing_line(line, listing);
    return listing;
}

TEST(RestraintListingRecords, BondsAndAnglesAreStoredBothWaysAndTheLastWins) {
    ::testing::internal::CaptureStderr();
    const RestraintListing listing = read_lines({
        fixed("TESRA-BOND", "1.54", {"C1", "O1"}),
        fixed("TESRA-BONDS", "1.43abc", {"  O1", "C1  "}),  // trimmed, suffix ignored
        fixed("TESRA-BOND", "1.1", {"C 2", "\tC3"}),        // inner blank and tab kept
        fixed("TESRA-ANGL", "120.5", {"C1", "C2", "C3"}),
        fixed("TESRA-ANGL", "118.0", {"C3", "C2", "C1"}),
        fixed("TESRA-BOND", "1234567890123", {"N1", "N2"}),  // cut at column 22
        fixed("TESRA-BOND", "   ", {"N3", "N4"}),
    });
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(listing.bonds.at({"C1", "O1"}), 1.43f);
    EXPECT_EQ(listing.bonds.at({"O1", "C1"}), 1.43f);
    EXPECT_EQ(listing.bonds.at({"\tC3", "C 2"}), 1.1f);
    EXPECT_EQ(listing.bonds.at({"N1", "N2"}), 1234567890.0f);
    EXPECT_EQ(listing.bonds.at({"N4", "N3"}), 0.0f);
    EXPECT_EQ(listing.bonds.size(), 8u);
    EXPECT_EQ(listing.angles.size(), 2u);
    EXPECT_EQ(listing.angles.at({"C1", "C2", "C3"}), 118.0f);
}

TEST(RestraintListingRecords, PlaneSigmasAreKeyedByTheSetOfAtoms) {
    const RestraintListing listing = read_lines({
        fixed("TESRA-PLAN", "0.1", {"C1", "C2", "C1"}),
        fixed("TESRA-PLAN", "0.3", {"C2", "C1"}),
        fixed("TESRA-PLAN", "0.2", {"N1"}).substr(0, 29),
        fixed("TESRA-PLAN", "0.4", {}),
    });
    ASSERT_EQ(listing.plane_sigmas.size(), 3u);
    EXPECT_EQ(listing.plane_sigmas.at({"C1", "C2"}), 0.3f);
    EXPECT_EQ(listing.plane_sigmas.at({"N1"}), 0.2f);
    EXPECT_EQ(listing.plane_sigmas.at({}), 0.4f);
}

TEST(RestraintListingRecords, NamedPlanesAndTorsions) {
    const RestraintListing listing = read_lines({
        "TESRA-PLNR  P1|x| N1 |x| C2 |",
        "TESRA-PLNR  P1|x|C3|trailing text",
        "TESRA-PLNR   P1|x|C4|",
        "TESRA-TOAD  T1 |a|C1|b|C2|c|C3|d|C4| 179.96 10 3 | more",
        "TESRA-TOAD  T1 |a|C1|b|C2|c|C3|d|C4| 179.96 10 3",
    });
    ASSERT_EQ(listing.named_planes.size(), 2u);
    EXPECT_EQ(listing.named_planes.at("P1"), (std::vector<std::string>{"N1", "C2", "C3"}));
    EXPECT_EQ(listing.named_planes.at(" P1"), (std::vector<std::string>{"C4"}));
    ASSERT_EQ(listing.torsions.size(), 2u);
    const ListedTorsion& torsion = listing.torsions[0];
    EXPECT_EQ(torsion.name, "T1");
    EXPECT_EQ(torsion.atom1 + torsion.atom2 + torsion.atom3 + torsion.atom4, "C1C2C3C4");
    EXPECT_EQ(torsion.value, 179.96f);
    EXPECT_EQ(torsion.esd, 10.0f);
    EXPECT_EQ(torsion.period, 3);
}

TEST(RestraintListingRecords, UnreadableRecordsAreSkippedWithAWarning) {
    const std::vector<std::string> bad = {
        fixed("TESRA-BOND", "1.5", {"C1", "C2"}).substr(0, 34),
        fixed("TESRA-ANGL", "120", {"C1", "C2", "C3"}).substr(0, 42),
        fixed("TESRA-BOND", "1.5", {"    ", "C2"}),
        fixed("TESRA-PLAN", "0.1", {"C1", "    ", "C2"}),
        "TESRA-PLAN1",
        "TESRA-PLNR  P1|x|C1|x|",
        "TESRA-PLNR  P1|x|",
        "TESRA-PLNR  P1|x|   |",
        "TESRA-TOAD  T1|a|C1|b|C2|c|C3|d|C4",
        "TESRA-TOAD    |a|C1|b|C2|c|C3|d|C4| 1 2 3",
        "TESRA-TOAD  T1|a|C1|b|C2|c|C3|d|C4| 1 2",
        "TESRA-TOAD  T1|a|C1|b|C2|c|C3|d|C4| 1 x 3",
    };
    for (const std::string& line : bad) {
        ::testing::internal::CaptureStderr();
        const RestraintListing listing = read_lines({line});
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("Skipping"), std::string::npos)
            << line;
        EXPECT_TRUE(listing.bonds.empty() && listing.angles.empty() &&
                    listing.plane_sigmas.empty() && listing.named_planes.empty() &&
                    listing.torsions.empty())
            << line;
    }
    // Lines of other kinds, and short ones, are not records at all.
    ::testing::internal::CaptureStderr();
    read_lines({"", "TESRA", "tesra-bond   1.5          C1      C2", "REMARK whatever"});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(RestraintListingFile, ReadsEveryLineIncludingALastOneWithoutNewline) {
    ScratchDir dir;
    const std::string path =
        dir.write("listing.txt", fixed("TESRA-BOND", "1.5", {"C1", "C2"}) + "\nnoise\n" +
                                     fixed("TESRA-ANGL", "120", {"C1", "C2", "C3"}));
    const RestraintListing listing = read_restraint_listing(path);
    EXPECT_EQ(listing.bonds.size(), 2u);
    EXPECT_EQ(listing.angles.size(), 2u);
}

}  // namespace
