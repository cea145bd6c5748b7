#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "Operations.h"
#include "cif/Block.h"
#include "common/ExceptionDictionary.h"
#include "coords/PdbAtomPositions.h"
#include "table/ISTable.h"
#include "tool/ToolTestSupport.h"

namespace {

using namespace tooltest;

// A PDB record with the fields at their columns.
std::string record(const std::string& kind, const std::string& name, const std::string& x,
                   const std::string& y, const std::string& z) {
    char line[100];
    std::snprintf(line, sizeof line, "%-6s%5d %-4s LIG A   1    %8s%8s%8s  1.00  0.00",
                  kind.c_str(), 1, name.c_str(), x.c_str(), y.c_str(), z.c_str());
    return line;
}

// A PDB file in a directory of its own, removed with it.
class PdbFile {
public:
    explicit PdbFile(const std::string& text) : _path(_dir.write("atoms.pdb", text)) {}
    const std::string& path() const { return _path; }

private:
    ScratchDir _dir;
    std::string _path;
};

AtomPositionMap read(const std::string& text) {
    std::istringstream in(text);
    return read_pdb_atom_positions(in);
}

TEST(PdbAtomPositions, RecordsAndFields) {
    const std::string text = record("ATOM", "C1", "12.3456", "-1.5", "abc") + "\n" +
                             record("HETATM", "N1'", "", "2", "3") + "\r\n" + "ATOM   " +
                             std::string(60, ' ') + "\n" +  // blank name, blank fields
                             record("atom", "C9", "1", "1", "1") + "\n" +  // case matters
                             record("ANISOU", "C1", "9", "9", "9") + "\n" + "ATOM\n" +
                             record("ATOM", "C1", "7", "8", "9").substr(0, 45) +
                             "\n" +  // ends inside y
                             record("ATOM", "O1", "1.25", "2.5", "4").substr(0, 46) + "\n" +
                             record("HETATM", "C1", "1", "2", "3.5") + "\n" +  // the last C1 wins
                             record("HETATM", "O2", "1", "2", "3");            // no line feed
    const AtomPositionMap positions = read(text);
    ASSERT_EQ(positions.size(), 5u);

    EXPECT_FLOAT_EQ(positions.at("C1").z, 3.5f);
    EXPECT_TRUE(read("").empty());
    EXPECT_FLOAT_EQ(positions.at("N1'").x, 0.0f);
    EXPECT_FLOAT_EQ(positions.at("N1'").z, 3.0f);
    EXPECT_FLOAT_EQ(positions.at("").y, 0.0f);
    EXPECT_FLOAT_EQ(positions.at("O1").y, 2.5f);
    EXPECT_FLOAT_EQ(positions.at("O1").z, 0.0f);  // the line ends where z starts
    EXPECT_FLOAT_EQ(positions.at("O2").z, 3.0f);
    EXPECT_EQ(positions.count("C9"), 0u);

    // Beyond the float range: an infinity, not an undefined narrowing.
    const AtomPositionMap huge = read(record("ATOM", "C1", "1e39", "-1e39", "1e308") + "\n");
    EXPECT_TRUE(std::isinf(huge.at("C1").x) && huge.at("C1").x > 0);
    EXPECT_TRUE(std::isinf(huge.at("C1").y) && huge.at("C1").y < 0);
    EXPECT_TRUE(std::isinf(huge.at("C1").z));
}

// Names compare with case; unmatched rows keep their values; missing axes are
// added at the end.
TEST(TranscribeCoords, WritesMatchedRowsAndAddsColumns) {
    const struct {
        Words columns;
        Rows rows, expected;
    } cases[] = {
        {{"atom_id", "type_symbol"},
         {{"C1", "C"}, {"c2", "C"}, {"", "X"}, {"N3", "N"}},
         {{"atom_id", "type_symbol", "x", "y", "z"},
          {"C1", "C", "12.346", "-0.000", "0.000"},
          {"c2", "C", "", "", ""},
          {"", "X", "7.000", "8.000", "9.000"},
          {"N3", "N", "", "", ""}}},
        {{"atom_id", "x", "z"},
         {{"C1", "0.1", "0.3"}, {"C4", "1.1", "1.3"}},
         {{"atom_id", "x", "z", "y"},
          {"C1", "12.346", "0.000", "-0.000"},
          {"C4", "1.1", "1.3", ""}}},
    };
    const PdbFile pdb(record("HETATM", "C1", "12.3456", "-0.0004", "abc") + "\n" +
                      record("HETATM", "C2", "5", "5", "5") + "\n" +
                      record("HETATM", "", "7", "8", "9") + "\n");
    for (const auto& c : cases) {
        Block block("comp_LIG");
        ISTable& atoms = add_table(block, "chem_comp_atom", c.columns, c.rows);
        transcribe_coords(block, pdb.path());
        EXPECT_EQ(atoms.GetColumnNames(), c.expected[0]);
        for (unsigned int r = 0; r + 1 < c.expected.size(); ++r)
            EXPECT_EQ(atoms.GetRow(r), c.expected[r + 1]) << r;
    }
}

TEST(TranscribeCoords, WithoutAtomIdNothingIsTakenFromAnotherColumn) {
    Block block("comp_LIG");
    ISTable& atoms = add_table(block, "chem_comp_atom", {"comp_id", "type_symbol"}, {{"C1", "C"}});
    const PdbFile pdb(record("ATOM", "C1", "4", "5", "6") + "\n");
    testing::internal::CaptureStderr();
    transcribe_coords(block, pdb.path());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("atom_id"), std::string::npos);
    EXPECT_EQ(atoms.GetRow(0), (std::vector<std::string>{"C1", "C", "", "", ""}));
}

TEST(TranscribeCoords, NonFiniteCoordinatesAndDirectoriesEndTheRun) {
    Block block("comp_LIG");
    add_table(block, "chem_comp_atom", {"atom_id"}, {{"C1"}});
    EXPECT_RUN_END(transcribe_coords(block, "/tmp"), 1, "/tmp");

    // A coordinate that is no finite number would go into the dictionary as
    // "inf" or "nan"; an atom that no row names does no harm.
    for (const char* bad : {"nan", "inf", "-1e39"}) {
        const PdbFile coords(record("ATOM", "C1", "1", bad, "3") + "\n");
        SCOPED_TRACE(bad);
        EXPECT_RUN_END(transcribe_coords(block, coords.path()), 1,
                       "atom C1 a coordinate that is not a finite number");
    }
    const PdbFile unmatched(record("ATOM", "C1", "1", "2", "3") + "\n" +
                            record("ATOM", "O9", "nan", "2", "3") + "\n");
    transcribe_coords(block, unmatched.path());
    EXPECT_EQ(block.GetTablePtr("chem_comp_atom")->GetRow(0),
              (std::vector<std::string>{"C1", "1.000", "2.000", "3.000"}));
}

}  // namespace
