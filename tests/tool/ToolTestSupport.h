#ifndef TESRA_TESTS_TOOL_TOOLTESTSUPPORT_H
#define TESRA_TESTS_TOOL_TOOLTESTSUPPORT_H

// Shared by the tool's tests: compound blocks built in memory, Mogul and
// listing records, the run's end as a status, and the built tool run in a
// scratch directory.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
#include "common/TuningParameters.h"
#include "io/CommentKeeper.h"
#include "support/Files.h"
#include "table/ISTable.h"

namespace tooltest {

using Words = std::vector<std::string>;
using Rows = std::vector<Words>;
using RowMaps = std::vector<std::map<std::string, std::string>>;
using Files = std::map<std::string, std::string>;

inline std::string monomer(const std::string& code) {
    return data_path("monomers/" + code + ".cif");
}

// Adds a table of the given columns and rows to the block (which owns it).
inline ISTable& add_table(Block& block, const std::string& name, const Words& columns,
                          const Rows& rows) {
    auto table = std::make_unique<ISTable>(name, CaseSensitive);
    for (const std::string& column : columns) table->AddColumn(column, Words());
    for (const auto& row : rows) table->AddRow(row);
    return hand_to_block(block, std::move(table));
}

inline Words split_words(const std::string& text) {
    Words words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// Rows of a compound's table, each given as one blank-separated line whose
// words are completed with `tail`.
inline void add_rows(Block& block, const std::string& table, const Words& columns,
                     const std::string& comp, const Words& lines, const Words& tail) {
    Rows rows;
    for (const std::string& line : lines) {
        rows.push_back({comp});
        for (const std::string& word : split_words(line)) rows.back().push_back(word);
        rows.back().insert(rows.back().end(), tail.end() - (columns.size() - rows.back().size()),
                           tail.end());
    }
    add_table(block, table, columns, rows);
}

// Atoms as "atom_id type_symbol type_energy".
inline void add_atoms(Block& block, const std::string& comp, const Words& atoms) {
    add_rows(block, "chem_comp_atom", {"comp_id", "atom_id", "type_symbol", "type_energy"}, comp,
             atoms, {});
}

// Bonds as "atom_id_1 atom_id_2 [type]": 1.500 and 0.020.
inline void add_bonds(Block& block, const std::string& comp, const Words& bonds) {
    add_rows(block, "chem_comp_bond",
             {"comp_id", "atom_id_1", "atom_id_2", "type", "value_dist", "value_dist_esd"}, comp,
             bonds, {"single", "1.500", "0.020"});
}

// Angles as "atom_id_1 atom_id_2 atom_id_3": 109.500 and 3.000.
inline void add_angles(Block& block, const std::string& comp, const Words& angles) {
    add_rows(block, "chem_comp_angle",
             {"comp_id", "atom_id_1", "atom_id_2", "atom_id_3", "value_angle", "value_angle_esd"},
             comp, angles, {"109.500", "3.000"});
}

// Planes as "plane_id atom_id atom_id ...", each atom with 0.020.
inline void add_planes(Block& block, const std::string& comp, const Words& planes) {
    Words lines;
    for (const std::string& plane : planes) {
        const Words words = split_words(plane);
        for (size_t i = 1; i < words.size(); ++i) lines.push_back(words[0] + " " + words[i]);
    }
    add_rows(block, "chem_comp_plane_atom", {"comp_id", "plane_id", "atom_id", "dist_esd"}, comp,
             lines, {"0.020"});
}

inline Words column(Block& block, const std::string& table, const std::string& name) {
    Words values;
    block.GetTablePtr(table)->GetColumn(values, name);
    return values;
}

// A table's cells by column name, one map per row.
inline RowMaps table_rows(Block& block, const std::string& name) {
    RowMaps rows;
    const ISTable* table = block.GetTablePtr(name);
    for (unsigned row = 0; table != nullptr && row < table->GetNumRows(); ++row) {
        rows.emplace_back();
        for (const std::string& column : table->GetColumnNames())
            rows.back()[column] = (*table)(row, column);
    }
    return rows;
}

// A restraint dictionary read as the tool reads it (comments and a leading
// global_ header taken out first).
inline std::unique_ptr<CifFile> load_dictionary(const std::string& path) {
    CommentKeeper comments;
    auto cif = std::make_unique<CifFile>(80, "?");
    CifParser parser(*cif);
    std::string diagnostics;
    parser.ParseString(comments.strip(read_text(path)), diagnostics, "");
    EXPECT_EQ(diagnostics, "") << path;
    return cif;
}

// The one compound block of a dictionary (the block after comp_list).
inline Block& compound_block(CifFile& cif) {
    Words names;
    cif.GetBlockNames(names);
    return cif.GetBlock(names.at(1));
}

// A fixed-column listing record: the tag, the value at column 13, the atom
// names at columns 26, 34, 42, ...
inline std::string listing_record(const std::string& tag, const std::string& value,
                                  const Words& atoms) {
    std::string line = tag;
    line.resize(13, ' ');
    line += value;
    for (size_t i = 0; i < atoms.size(); ++i) {
        line.resize(26 + 8 * i, ' ');
        line += atoms[i];
    }
    return line;
}

// Mogul results records in the layout the pass reads (word positions matter,
// the filler words do not).
inline std::string bond_record(const std::string& a, const std::string& b, const std::string& query,
                               const std::string& n, const std::string& mean,
                               const std::string& sd) {
    return "BOND 1 query " + query + " atoms " + a + " " + b + "\nSTATS " + n + " " + mean +
           " 0.0 9.0 " + mean + " " + sd + "\n";
}

inline std::string angle_record(const std::string& a, const std::string& b, const std::string& c,
                                const std::string& query, const std::string& n,
                                const std::string& mean, const std::string& sd) {
    return "ANGLE 1 query - " + query + " atoms " + a + " " + b + " " + c + "\nSTATS " + n + " " +
           mean + " 0.0 180.0 " + mean + " " + sd + "\n";
}

// An 18-bin DISTRIBUTION line of 10 degrees; counts by bin, the rest 0.
inline std::string distribution_line(const std::map<int, int>& counts) {
    std::string line = "DISTRIBUTION 0 180 10 18 counts";
    for (int bin = 0; bin < 18; ++bin)
        line += " " + std::to_string(counts.count(bin) ? counts.at(bin) : 0);
    return line;
}

inline std::string torsion_record(const std::string& a, const std::string& b, const std::string& c,
                                  const std::string& d, int samples,
                                  const std::map<int, int>& counts) {
    return "TORSION 1 query - 180.0 - atoms " + a + " " + b + " " + c + " " + d + "\nSTATS " +
           std::to_string(samples) + "\n" + distribution_line(counts) + "\n";
}

// Resets the run's globals around each test.
class ToolTest : public ::testing::Test {
protected:
    ToolTest() { reset(); }
    ~ToolTest() override { reset(); }
    static void reset() {
        tuning = TuningParameters{};
        verbosity = 0;
    }
    const ScratchDir scratch;
    const std::string dir = scratch.path() + "/";
};

// Every file under the directory (parser logs left out) with its bytes.
inline Files contents(const ScratchDir& dir) {
    Files files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        const std::string name = entry.path().string().substr(dir.path().size() + 1);
        if (entry.is_regular_file() && name.find("-parser.log") == std::string::npos)
            files[name] = read_text(entry.path().string());
    }
    return files;
}

#ifdef TESRA_ROVIDEV_BIN
struct RunResult {
    int status = -1;
    std::string out, err;
};

// Runs the built tool in `dir`, which is also its TMPDIR, with KTW_home at the
// project's data/ directory and no TESRA_EXCEPTION_DICTIONARY; `env` holds
// further options of env(1): "-u NAME" or "NAME=value".
inline RunResult run_tool(const std::string& dir, const std::string& args,
                          const std::string& env = "") {
    const std::string data = TESRA_SOURCE_DIR "/data", tool = TESRA_ROVIDEV_BIN;
    const std::string command = "cd " + dir + " && TMPDIR=" + dir + " KTW_home=" + data +
                                " env -u TESRA_EXCEPTION_DICTIONARY " + env + " " + tool + " " +
                                args + " >.stdout 2>.stderr";
    const int status = std::system(command.c_str());
    RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_text(dir + "/.stdout"),
                     read_text(dir + "/.stderr")};
    std::remove((dir + "/.stdout").c_str());
    std::remove((dir + "/.stderr").c_str());
    return result;
}
#endif

}  // namespace tooltest

// Expects `statement` to end the run with `status` after printing a text on
// standard error that contains `text`.
#define EXPECT_RUN_END(statement, expected_status, text)                             \
    do {                                                                             \
        int status_ = -1;                                                            \
        ::testing::internal::CaptureStderr();                                        \
        try {                                                                        \
            statement;                                                               \
        } catch (const RunEnd& end) {                                                \
            status_ = end.status;                                                    \
        }                                                                            \
        const std::string err_ = ::testing::internal::GetCapturedStderr();           \
        EXPECT_EQ(status_, expected_status);                                         \
        EXPECT_NE(err_.find(text), std::string::npos) << "standard error: " << err_; \
    } while (false)

#endif
