#include "transcribe/RestraintListing.h"

#include <gtest/gtest.h>

#include "tool/ToolTestSupport.h"

namespace {

using tooltest::Words;
const auto fixed = tooltest::listing_record;

// Everything a listing holds, as one text.
std::string contents(const RestraintListing& l) {
    std::ostringstream t;
    for (const auto& b : l.bonds)
        t << "B " << b.first.first << "|" << b.first.second << "=" << b.second << " ";
    for (const auto& a : l.angles)
        t << "A " << a.first.first << "|" << a.first.second << "|" << a.first.third << "="
          << a.second << " ";
    for (const auto& p : l.plane_sigmas) {
        t << "P";
        for (const std::string& atom : p.first) t << " " << atom;
        t << "=" << p.second << " ";
    }
    for (const auto& p : l.named_planes) {
        t << "N " << p.first << ":";
        for (const std::string& atom : p.second) t << atom << "|";
        t << " ";
    }
    for (const auto& r : l.torsions)
        t << "T " << r.name << ":" << r.atom1 << r.atom2 << r.atom3 << r.atom4 << "=" << r.value
          << "/" << r.esd << "/" << r.period << " ";
    return t.str();
}

TEST(RestraintListing, RecordsBothWaysTheLastWinning) {
    const std::pair<Words, std::string> cases[] = {
        {{fixed("TESRA-BOND", "1.54", {"C1", "O1"}),
          fixed("TESRA-BONDS", "1.43abc", {"  O1", "C1  "})},  // trimmed, suffix ignored
         "B C1|O1=1.43 B O1|C1=1.43 "},
        {{fixed("TESRA-BOND", "1.1", {"C 2", "\tC3"})}, "B \tC3|C 2=1.1 B C 2|\tC3=1.1 "},  // kept
        {{fixed("TESRA-BOND", "1234567890123", {"N1", "N2"})},
         "B N1|N2=1.23457e+09 B N2|N1=1.23457e+09 "},
        {{fixed("TESRA-BOND", "   ", {"N3", "N4"})}, "B N3|N4=0 B N4|N3=0 "},
        {{fixed("TESRA-ANGL", "120.5", {"C1", "C2", "C3"}),
          fixed("TESRA-ANGL", "118.0", {"C3", "C2", "C1"})},
         "A C1|C2|C3=118 A C3|C2|C1=118 "},
        // Plane sigmas are keyed by the set of atoms.
        {{fixed("TESRA-PLAN", "0.1", {"C1", "C2", "C1"}), fixed("TESRA-PLAN", "0.3", {"C2", "C1"}),
          fixed("TESRA-PLAN", "0.2", {"N1"}).substr(0, 29), fixed("TESRA-PLAN", "0.4", {})},
         "P=0.4 P C1 C2=0.3 P N1=0.2 "},
        {{"TESRA-PLNR  P1|x| N1 |x| C2 |", "TESRA-PLNR  P1|x|C3|trailing text",
          "TESRA-PLNR   P1|x|C4|"},
         "N  P1:C4| N P1:N1|C2|C3| "},
        {{"TESRA-TOAD  T1 |a|C1|b|C2|c|C3|d|C4| 179.96 10 3 | more"}, "T T1:C1C2C3C4=179.96/10/3 "},
        // Other kinds and short lines are no records.
        {{"", "TESRA", "tesra-bond   1.5          C1      C2", "REMARK whatever"}, ""},
    };
    for (const auto& c : cases) {
        RestraintListing listing;
        ::testing::internal::CaptureStderr();
        for (const std::string& line : c.first) read_listing_line(line, listing);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << c.first[0];
        EXPECT_EQ(contents(listing), c.second) << c.first[0];
    }
}

TEST(RestraintListing, UnreadableRecordsAreSkippedWithAWarning) {
    for (const std::string& line :
         {fixed("TESRA-BOND", "1.5", {"C1", "C2"}).substr(0, 34),
          fixed("TESRA-ANGL", "120", {"C1", "C2", "C3"}).substr(0, 42),
          fixed("TESRA-BOND", "1.5", {"    ", "C2"}),
          fixed("TESRA-PLAN", "0.1", {"C1", "    ", "C2"}), std::string("TESRA-PLAN1"),
          std::string("TESRA-PLNR  P1|x|C1|x|"), std::string("TESRA-PLNR  P1|x|"),
          std::string("TESRA-PLNR  P1|x|   |"), std::string("TESRA-TOAD  T1|a|C1|b|C2|c|C3|d|C4"),
          std::string("TESRA-TOAD    |a|C1|b|C2|c|C3|d|C4| 1 2 3"),
          std::string("TESRA-TOAD  T1|a|C1|b|C2|c|C3|d|C4| 1 2"),
          std::string("TESRA-TOAD  T1|a|C1|b|C2|c|C3|d|C4| 1 x 3")}) {
        RestraintListing listing;
        ::testing::internal::CaptureStderr();
        read_listing_line(line, listing);
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("Skipping"), std::string::npos)
            << line;
        EXPECT_EQ(contents(listing), "") << line;
    }
}

TEST(RestraintListing, ReadsEveryLineOfAFileIncludingALastOneWithoutNewline) {
    ScratchDir dir;
    const RestraintListing listing = read_restraint_listing(
        dir.write("listing.txt", fixed("TESRA-BOND", "1.5", {"C1", "C2"}) + "\nnoise\n" +
                                     fixed("TESRA-ANGL", "120", {"C1", "C2", "C3"})));
    EXPECT_EQ(listing.bonds.size() + listing.angles.size(), 4u);
}

}  // namespace
