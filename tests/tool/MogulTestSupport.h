// Shared by the Mogul tests: in-memory compound blocks, Mogul results
// records, scratch files and a fixture that resets the run's globals.
#ifndef TESRA_TESTS_TOOL_MOGULTESTSUPPORT_H
#define TESRA_TESTS_TOOL_MOGULTESTSUPPORT_H

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cif/Block.h"
#include "common/TuningParameters.h"
#include "table/ISTable.h"
#include "tool/OpsTestSupport.h"

namespace mogul_test {

using opstest::Rows;

using opstest::add_table;
using opstest::read_file;

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

inline void write_file(const std::string& path, const std::string& text) {
    rovidevtest::write_text(path, text);
}

#ifdef TESRA_ROVIDEV_BIN
using ToolRun = rovidevtest::RunResult;

inline ToolRun run_tool(const std::string& dir, const std::vector<std::string>& args) {
    return rovidevtest::run_rovidev(dir, args);
}
#endif

// Resets the run's globals before each test.
class MogulTest : public ::testing::Test {
protected:
    void SetUp() override {
        tuning = TuningParameters{};
        verbosity = 0;
    }
    const opstest::TempDir scratch;
    const std::string dir = scratch.path() + "/";
};

}  // namespace mogul_test

#endif
