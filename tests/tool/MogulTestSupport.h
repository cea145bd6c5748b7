// Shared by the Mogul tests: in-memory compound blocks, scratch files and
// capture of the process's output streams.
#ifndef TESRA_TESTS_TOOL_MOGULTESTSUPPORT_H
#define TESRA_TESTS_TOOL_MOGULTESTSUPPORT_H

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TuningParameters.h"
#include "cif/Block.h"
#include "table/ISTable.h"

namespace mogul_test {

using Rows = std::vector<std::vector<std::string>>;

inline void add_table(Block& block, const std::string& name,
                      const std::vector<std::string>& columns, const Rows& rows) {
    auto table = std::make_unique<ISTable>(name, CaseSensitive);
    for (const std::string& column : columns) table->AddColumn(column, {});
    for (const auto& row : rows) table->AddRow(row);
    block.WriteTable(table.release());
}

// Rows of atoms given as (atom_id, type_symbol, type_energy), for compound comp.
inline void add_atoms(Block& block, const std::string& comp, const Rows& atoms) {
    Rows rows;
    for (const auto& a : atoms) rows.push_back({comp, a[0], a[1], a[2], "0.000"});
    add_table(block, "chem_comp_atom",
              {"comp_id", "atom_id", "type_symbol", "type_energy", "partial_charge"}, rows);
}

// Bonds given as (atom_id_1, atom_id_2, type).
inline void add_bonds(Block& block, const std::string& comp, const Rows& bonds) {
    Rows rows;
    for (const auto& b : bonds) rows.push_back({comp, b[0], b[1], b[2], "1.500", "0.020"});
    add_table(block, "chem_comp_bond",
              {"comp_id", "atom_id_1", "atom_id_2", "type", "value_dist", "value_dist_esd"}, rows);
}

// Angles given as (atom_id_1, atom_id_2, atom_id_3).
inline void add_angles(Block& block, const std::string& comp, const Rows& angles) {
    Rows rows;
    for (const auto& a : angles) rows.push_back({comp, a[0], a[1], a[2], "109.500", "3.000"});
    add_table(block, "chem_comp_angle",
              {"comp_id", "atom_id_1", "atom_id_2", "atom_id_3", "value_angle", "value_angle_esd"},
              rows);
}

// Plane rows given as (plane_id, atom_id).
inline void add_planes(Block& block, const std::string& comp, const Rows& planes) {
    Rows rows;
    for (const auto& p : planes) rows.push_back({comp, p[0], p[1], "0.020"});
    add_table(block, "chem_comp_plane_atom", {"comp_id", "plane_id", "atom_id", "dist_esd"}, rows);
}

inline std::vector<std::string> column(Block& block, const std::string& table,
                                       const std::string& name) {
    std::vector<std::string> values;
    block.GetTablePtr(table)->GetColumn(values, name);
    return values;
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

// A torsion with an 18-bin histogram; counts by bin, the rest 0.
inline std::string torsion_record(const std::string& a, const std::string& b, const std::string& c,
                                  const std::string& d, int samples,
                                  const std::map<int, int>& counts) {
    std::string line = "DISTRIBUTION 0 180 10 18 counts";
    for (int bin = 0; bin < 18; ++bin) {
        const auto found = counts.find(bin);
        line += " " + std::to_string(found == counts.end() ? 0 : found->second);
    }
    return "TORSION 1 query - 180.0 - atoms " + a + " " + b + " " + c + " " + d + "\nSTATS " +
           std::to_string(samples) + "\n" + line + "\n";
}

// A fresh scratch directory per test.
inline std::string scratch_dir() {
    std::string pattern = ::testing::TempDir() + "mogulXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    EXPECT_NE(made, nullptr);
    return std::string(buffer.data()) + "/";
}

inline void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

#ifdef TESRA_ROVIDEV_BIN
// One run of the built tool in `dir`, with KTW_home at the project's data.
struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

inline ToolRun run_tool(const std::string& dir, const std::vector<std::string>& args,
                        const std::string& environment = "") {
    std::string command = "cd " + quoted(dir) + " && env -u TESRA_EXCEPTION_DICTIONARY KTW_home=" +
                          quoted(TESRA_SOURCE_DIR "/data") + " " + environment + " " +
                          quoted(TESRA_ROVIDEV_BIN);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " >stdout.txt 2>stderr.txt";
    ToolRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = read_file(dir + "stdout.txt");
    run.err = read_file(dir + "stderr.txt");
    return run;
}
#endif

// Resets the run's globals before each test.
class MogulTest : public ::testing::Test {
protected:
    void SetUp() override {
        tuning = TuningParameters{};
        verbosity = 0;
        dir = scratch_dir();
    }
    std::string dir;
};

}  // namespace mogul_test

#endif
