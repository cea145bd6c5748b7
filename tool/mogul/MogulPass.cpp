#include "mogul/MogulPass.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "Operations.h"
#include "common/HydrogenBonds.h"
#include "common/TuningParameters.h"
#include "mogul/HybridisationTable.h"
#include "mogul/MogulAngleMeans.h"
#include "mogul/MogulCorrections.h"
#include "mogul/MogulDictWriter.h"
#include "mogul/MogulRecords.h"
#include "mogul/PlaneDecisions.h"
#include "mogul/TorsionClassifier.h"

namespace {

using Words = std::vector<std::string>;

// Word counts a record line and its STATS line need for the words the pass reads.
constexpr std::size_t kBondWords = 7;      // atoms at 5 and 6
constexpr std::size_t kAngleWords = 9;     // atoms at 6 to 8
constexpr std::size_t kTorsionWords = 11;  // atoms at 7 to 10
constexpr std::size_t kStatsWords = 7;     // sd at 6
constexpr std::size_t kTorsionStatsWords = 2;

float read_float(const std::string& word) {
    return static_cast<float>(std::strtod(word.c_str(), nullptr));
}

bool starts_with_keyword(const std::vector<Words>& lines, std::size_t i, const char* keyword,
                         std::size_t least_words) {
    return i < lines.size() && lines[i].size() >= least_words && lines[i][0] == keyword;
}

// The Mogul results file as word lists, one per line ended by a line feed (text
// after the last line feed is not used). A file that cannot be opened ends the
// run: treating it as empty would let the run report success without a result.
std::vector<Words> read_results_file(const std::string& path) {
    std::ifstream in(path);
    if (!in.is_open()) {
        std::cerr << " Can't open Mogul results file " << path << "\n";
        std::exit(1);
    }
    std::vector<Words> lines;
    std::string line;
    while (std::getline(in, line) && in.good()) lines.push_back(split_at_blanks(line));
    return lines;
}

// Everything the pass collects from the results file.
struct PassResults {
    MogulBondList bonds;
    MogulAngleList angles;
    MogulAngleMeans angle_means;
    TorsionClass torsions;
};

void handle_bond(Block& block, const Words& record, const Words& stats, bool correct_all,
                 bool write_outputs, PassResults& results) {
    const float query = read_float(record[3]);
    const std::string& atom1 = record[5];
    const std::string& atom2 = record[6];
    const float observations = read_float(stats[1]);
    const float mean = read_float(stats[2]);
    const float sd = read_float(stats[6]);
    const float z = (query - mean) / sd;
    if (!mogul_result_used(observations, z, tuning.tesra_bond_atleast, tuning.tesra_bond_sigdev,
                           correct_all))
        return;
    if (write_outputs) {
        results.bonds.push_back(MogulBondStats{atom1, atom2, mean, sd});
    } else {
        print_bond_correction(atom1, atom2, mean, query, z, observations);
        update_bond_length(block, atom1, atom2, mean);
    }
}

void handle_angle(Block& block, const Words& record, const Words& stats, bool correct_all,
                  bool write_outputs, PassResults& results) {
    const float query = read_float(record[4]);
    const std::string& atom1 = record[6];
    const std::string& centre = record[7];
    const std::string& atom3 = record[8];
    const float observations = read_float(stats[1]);
    const float mean = read_float(stats[2]);
    const float sd = read_float(stats[6]);
    // The plane decisions want every reported angle, however few its observations.
    results.angle_means[angle_mean_key(atom1, centre, atom3)] = mean;

    const float z = (query - mean) / sd;
    const bool trace = verbosity > 1;
    if (trace)
        std::cout << "\n Analysing ANGLE " << atom1 << " " << centre << " " << atom3 << " :\n";
    if (!(observations >= tuning.tesra_angle_atleast)) {
        if (trace)
            std::cout << "   Skipping - not enough samples (" << observations << " < "
                      << tuning.tesra_angle_atleast << ")\n";
        return;
    }
    if (!mogul_result_used(observations, z, tuning.tesra_angle_atleast, tuning.tesra_angle_sigdev,
                           correct_all)) {
        if (trace)
            std::cout << "   Skipping - Z too smal (|" << z << "| <= " << tuning.tesra_angle_sigdev
                      << ")\n";
        return;
    }
    if (write_outputs) {
        results.angles.push_back(MogulAngleStats{atom1, centre, atom3, mean, sd});
    } else {
        print_angle_correction(atom1, centre, atom3, mean, query, z, observations);
        update_angle(block, atom1, centre, atom3, mean);
    }
}

// One pass over the lines. A record is a BOND, ANGLE or TORSION line with its
// follow-up lines directly after it; the follow-up lines are not consumed, and a
// record whose lines lack the words read is treated as absent.
PassResults read_mogul_results(Block& block, const std::vector<Words>& lines, bool correct_all,
                               bool write_outputs) {
    PassResults results;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (starts_with_keyword(lines, i, "BOND", kBondWords) &&
            starts_with_keyword(lines, i + 1, "STATS", kStatsWords))
            handle_bond(block, lines[i], lines[i + 1], correct_all, write_outputs, results);

        if (starts_with_keyword(lines, i, "ANGLE", kAngleWords) &&
            starts_with_keyword(lines, i + 1, "STATS", kStatsWords))
            handle_angle(block, lines[i], lines[i + 1], correct_all, write_outputs, results);

        if (starts_with_keyword(lines, i, "TORSION", kTorsionWords) &&
            starts_with_keyword(lines, i + 1, "STATS", kTorsionStatsWords) &&
            starts_with_keyword(lines, i + 2, "DISTRIBUTION", 1)) {
            const Words& record = lines[i];
            MogulTorsionStats torsion{TorsionKey{record[7], record[8], record[9], record[10]},
                                      read_float(lines[i + 1][1]), lines[i + 2]};
            classify_torsion_distribution(results.torsions, torsion.torsion[0], torsion.torsion[1],
                                          torsion.torsion[2], torsion.torsion[3],
                                          torsion.observations, torsion.distribution_words);
        }
    }
    return results;
}

}  // namespace

std::vector<std::string> split_at_blanks(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool after_blank = true;
    for (const char c : line) {
        if (c == ' ') {
            if (!after_blank) {
                words.push_back(std::move(word));
                word.clear();
            }
            after_blank = true;
        } else {
            after_blank = false;
            word += c;
        }
    }
    words.push_back(std::move(word));
    return words;
}

std::string hybridisation_file_path() {
    const char* home = std::getenv("KTW_home");
    return std::string(home != nullptr ? home : "") +
           "/autoFARNIX/tesra-data/ccp4_atomtype_hybridisation.dat";
}

void write_mogdict(Block& block, std::string results_path, bool correct_all, bool write_outputs,
                   bool ecloud, std::string restraint_path, std::string compound_code,
                   const ExceptionDictionary& exceptions, std::string veto_path) {
    HybridisationTable hybridisations;
    if (write_outputs)
        hybridisations = load_hybridisation_table(hybridisation_file_path());

    const std::vector<Words> lines = read_results_file(results_path);
    const XhTables xh_tables{ecloud_xh_lengths(), ecloud_xh_sigmas(), nucleus_xh_lengths()};

    PassResults results = read_mogul_results(block, lines, correct_all, write_outputs);

    VetoedPlaneBonds vetoed;
    decide_planes_and_torsions(block, hybridisations, results.torsions.plane_flags,
                               results.torsions.torsions_3060, results.angle_means, vetoed);

    if (!veto_path.empty())
        write_veto_planebond(vetoed, veto_path);
    if (write_outputs)
        write_geometry_file(block, compound_code, restraint_path, results.bonds, results.angles,
                            results.torsions, ecloud, exceptions, xh_tables);
}
