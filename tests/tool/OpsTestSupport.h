#ifndef TESRA_TESTS_TOOL_OPSTESTSUPPORT_H
#define TESRA_TESTS_TOOL_OPSTESTSUPPORT_H

// Small helpers shared by the tests of the restraint operations: in-memory
// compound blocks, temporary files and cell reads.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cif/Block.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "common/RunStatus.h"
#include "common/TableHelpers.h"
#include "io/CommentKeeper.h"
#include "table/ISTable.h"
#include "tool/RovidevRun.h"

namespace opstest {

using Rows = std::vector<std::vector<std::string>>;

// Adds a table of the given columns and rows to the block (which owns it).
inline ISTable& add_table(Block& block, const std::string& name,
                          const std::vector<std::string>& columns, const Rows& rows) {
    auto table = std::make_unique<ISTable>(name, CaseSensitive);
    for (const std::string& column : columns) table->AddColumn(column, std::vector<std::string>());
    for (const auto& row : rows) table->AddRow(row);
    return hand_to_block(block, std::move(table));
}

// Atoms given as (atom_id, type_symbol, type_energy).
inline void add_atoms(Block& block, const Rows& atoms) {
    Rows rows;
    for (const auto& atom : atoms) rows.push_back({"LIG", atom[0], atom[1], atom[2]});
    add_table(block, "chem_comp_atom", {"comp_id", "atom_id", "type_symbol", "type_energy"}, rows);
}

// Bonds given as (atom_id_1, atom_id_2), with value 9.999 and esd 0.999.
inline void add_bonds(Block& block, const Rows& bonds) {
    Rows rows;
    for (const auto& bond : bonds)
        rows.push_back({"LIG", bond[0], bond[1], "single", "9.999", "0.999"});
    add_table(block, "chem_comp_bond",
              {"comp_id", "atom_id_1", "atom_id_2", "type", "value_dist", "value_dist_esd"}, rows);
}

// Angles given as (atom_id_1, atom_id_2, atom_id_3), with value 99.9 and esd 9.9.
inline void add_angles(Block& block, const Rows& angles) {
    Rows rows;
    for (const auto& angle : angles)
        rows.push_back({"LIG", angle[0], angle[1], angle[2], "99.9", "9.9"});
    add_table(block, "chem_comp_angle",
              {"comp_id", "atom_id_1", "atom_id_2", "atom_id_3", "value_angle", "value_angle_esd"},
              rows);
}

// The cell of the named column in the given row.
inline std::string cell(Block& block, const std::string& table, unsigned row,
                        const std::string& column) {
    const ISTable* found = block.GetTablePtr(table);
    if (found == nullptr)
        return "<no table>";
    const std::vector<std::string>& names = found->GetColumnNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == column)
            return found->GetRow(row)[i];
    return "<no column>";
}

using TempDir = rovidevtest::ScratchDir;
using rovidevtest::monomer;

inline std::string read_file(const std::string& path) {
    return rovidevtest::read_text(path);
}

// A fixed-column listing record: the tag, the value at column 13, the atom
// names at columns 26, 34, 42, ...
inline std::string listing_record(const std::string& tag, const std::string& value,
                                  const std::vector<std::string>& atoms) {
    std::string line = tag;
    line.resize(13, ' ');
    line += value;
    for (size_t i = 0; i < atoms.size(); ++i) {
        line.resize(26 + 8 * i, ' ');
        line += atoms[i];
    }
    return line;
}

// A restraint dictionary read as the tool reads it (comments and a leading
// global_ header taken out first).
inline std::unique_ptr<CifFile> load_dictionary(const std::string& path) {
    CommentKeeper comments;
    const std::string text = comments.strip(read_file(path));
    auto cif = std::make_unique<CifFile>(80, "?");
    CifParser parser(*cif);
    std::string diagnostics;
    parser.ParseString(text, diagnostics, "");
    EXPECT_EQ(diagnostics, "") << path;
    return cif;
}

// The one compound block of a dictionary (the block after comp_list).
inline Block& compound_block(CifFile& cif) {
    std::vector<std::string> names;
    cif.GetBlockNames(names);
    return cif.GetBlock(names.at(1));
}

// A table's cells by column name, one map per row.
inline std::vector<std::map<std::string, std::string>> table_rows(Block& block,
                                                                  const std::string& name) {
    std::vector<std::map<std::string, std::string>> rows;
    const ISTable* table = block.GetTablePtr(name);
    if (table == nullptr)
        return rows;
    const std::vector<std::string>& columns = table->GetColumnNames();
    for (unsigned row = 0; row < table->GetNumRows(); ++row) {
        std::map<std::string, std::string> cells;
        for (size_t i = 0; i < columns.size(); ++i) cells[columns[i]] = table->GetRow(row)[i];
        rows.push_back(std::move(cells));
    }
    return rows;
}

// The status a step ended the run with (-1 when it returned) and what it
// printed on standard error.
struct RunEnding {
    int status = -1;
    std::string err;
};

template <typename Step>
RunEnding run_ending(const Step& step) {
    RunEnding ending;
    ::testing::internal::CaptureStderr();
    try {
        step();
    } catch (const RunEnd& end) {
        ending.status = end.status;
    }
    ending.err = ::testing::internal::GetCapturedStderr();
    return ending;
}

#ifdef TESRA_ROVIDEV_BIN
using ToolRun = rovidevtest::RunResult;

// Runs the built tool in `dir`; `args` are blank-separated words.
inline ToolRun run_tool(const TempDir& dir, const std::string& args,
                        const rovidevtest::Environment& env = {}) {
    std::vector<std::string> words;
    std::istringstream in(args);
    for (std::string word; in >> word;) words.push_back(word);
    return rovidevtest::run_rovidev(dir.path(), words, env);
}
#endif

}  // namespace opstest

// Expects `statement` to end the run with `status` after printing a text on
// standard error that contains `text`.
#define EXPECT_RUN_END(statement, expected_status, text)                                           \
    do {                                                                                           \
        const opstest::RunEnding ending_ = opstest::run_ending([&] { statement; });                \
        EXPECT_EQ(ending_.status, expected_status);                                                \
        EXPECT_NE(ending_.err.find(text), std::string::npos) << "standard error: " << ending_.err; \
    } while (false)

#endif
