#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>

#include "cif/Block.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "table/ISTable.h"
#include "tool/RovidevRun.h"

namespace {

using namespace rovidevtest;

std::unique_ptr<CifFile> parse_text(const std::string& text, std::string& diagnostics) {
    auto cif = std::make_unique<CifFile>(80, "?");
    CifParser parser(*cif);
    parser.ParseString(text, diagnostics, "");
    return cif;
}

std::string fixed3(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

struct Expected {
    std::string x, y, z;
};

// A PDB file with one HETATM record per atom whose name fits the 4-character
// field, the last one without a line feed; returns the coordinates each name
// should get (the last record of a name wins).
std::map<std::string, Expected> write_pdb(const ISTable& atoms, const std::string& path) {
    std::map<std::string, Expected> expected;
    std::string text;
    for (unsigned int r = 0; r < atoms.GetNumRows(); ++r) {
        const std::string& name = atoms(r, "atom_id");
        if (name.empty() || name.size() > 4 || name.front() == ' ' || name.back() == ' ')
            continue;
        const double x = r * 0.125 - 7.5, y = 3.0625 - r * 0.25, z = r * 1.0625;
        char line[100];
        std::snprintf(line, sizeof line, "HETATM%5u %-4s LIG A   1    %8.3f%8.3f%8.3f  1.00  0.00",
                      r + 1, name.c_str(), x, y, z);
        if (!text.empty())
            text += '\n';
        text += line;
        expected[name] = {fixed3(x), fixed3(y), fixed3(z)};
    }
    write_text(path, text);
    return expected;
}

// Every cell of the output equals the input's, except x, y and z of the atoms
// that the PDB file gives; columns x, y, z that the input lacks come last.
void compare(CifFile& input, CifFile& output, const std::map<std::string, Expected>& coords,
             const std::string& code) {
    std::vector<std::string> in_blocks, out_blocks;
    input.GetBlockNames(in_blocks);
    output.GetBlockNames(out_blocks);
    ASSERT_EQ(out_blocks, in_blocks) << code;
    for (const std::string& block_name : in_blocks) {
        Block& in_block = input.GetBlock(block_name);
        Block& out_block = output.GetBlock(block_name);
        std::vector<std::string> tables;
        in_block.GetTableNames(tables);
        for (const std::string& table_name : tables) {
            const ISTable& in = *in_block.GetTablePtr(table_name);
            const ISTable* out = out_block.GetTablePtr(table_name);
            if (in.GetNumRows() == 0)
                continue;
            ASSERT_NE(out, nullptr) << code << " " << table_name;
            ASSERT_EQ(out->GetNumRows(), in.GetNumRows()) << code << " " << table_name;
            const bool atoms = table_name == "chem_comp_atom";
            std::vector<std::string> columns = in.GetColumnNames();
            if (atoms) {
                for (const char* axis : {"x", "y", "z"}) {
                    if (!in.IsColumnPresent(axis))
                        columns.push_back(axis);
                }
            }
            ASSERT_EQ(out->GetColumnNames(), columns) << code << " " << table_name;
            for (unsigned int r = 0; r < in.GetNumRows(); ++r) {
                const auto found = atoms ? coords.find(in(r, "atom_id")) : coords.end();
                for (const std::string& column : columns) {
                    std::string want = in.IsColumnPresent(column) ? in(r, column) : "?";
                    if (found != coords.end()) {
                        if (column == "x")
                            want = found->second.x;
                        if (column == "y")
                            want = found->second.y;
                        if (column == "z")
                            want = found->second.z;
                    }
                    ASSERT_EQ((*out)(r, column), want)
                        << code << " " << table_name << " row " << r << " " << column;
                }
            }
        }
    }
}

std::vector<std::string> monomer_files() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(TESRA_TEST_DATA_DIR "/monomers")) {
        if (entry.path().extension() == ".cif")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(TranscribeCoordsEndToEnd, CorpusIsThere) {
    EXPECT_GE(monomer_files().size(), 150u);
}

// One test per dictionary, so that ctest runs them side by side.
class TranscribeCoordsMonomer : public testing::TestWithParam<std::string> {};

TEST_P(TranscribeCoordsMonomer, OnlyCoordinatesChange) {
    ScratchDir dir;
    const std::string& file = GetParam();
    const std::string code = std::filesystem::path(file).stem().string();
    std::string diagnostics;
    const std::unique_ptr<CifFile> input = parse_text(read_text(file), diagnostics);
    if (!diagnostics.empty()) {
        // A broken dictionary (HIS.cif) is refused, and nothing is written.
        write_text(dir.file("atoms.pdb"), "");
        const RunResult r =
            run_rovidev(dir, {"-silent", "transcribe-coords", file, "atoms.pdb", "out.cif"});
        EXPECT_EQ(r.status, 1) << code;
        EXPECT_NE(r.err.find("[E001]"), std::string::npos) << code;
        EXPECT_FALSE(exists(dir.file("out.cif"))) << code;
        return;
    }
    std::vector<std::string> blocks;
    input->GetBlockNames(blocks);
    ASSERT_EQ(blocks.size(), 2u) << code;
    const ISTable* atoms = input->GetBlock(blocks[1]).GetTablePtr("chem_comp_atom");
    ASSERT_NE(atoms, nullptr) << code;

    const std::map<std::string, Expected> coords = write_pdb(*atoms, dir.file("atoms.pdb"));
    const RunResult run =
        run_rovidev(dir, {"-silent", "transcribe-coords", file, "atoms.pdb", "out.cif"});
    ASSERT_EQ(run.status, 0) << code << "\n" << run.err;
    EXPECT_EQ(run.err, "") << code;

    const std::unique_ptr<CifFile> output = parse_text(read_text(dir.file("out.cif")), diagnostics);
    ASSERT_EQ(diagnostics, "") << code;
    compare(*input, *output, coords, code);
}

std::string test_name(const testing::TestParamInfo<std::string>& info) {
    std::string name = std::filesystem::path(info.param).stem().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Monomers, TranscribeCoordsMonomer, testing::ValuesIn(monomer_files()),
                         test_name);

}  // namespace
