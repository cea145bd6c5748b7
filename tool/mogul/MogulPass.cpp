#include "mogul/MogulPass.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "common/RunStatus.h"
#include "common/TextHelpers.h"
#include "common/TuningParameters.h"
#include "mogul/MogulCorrections.h"

namespace {

// Word counts a record line and its STATS line need for the words the pass reads.
constexpr std::size_t kBondWords = 7;      // atoms at 5 and 6
constexpr std::size_t kAngleWords = 9;     // atoms at 6 to 8
constexpr std::size_t kTorsionWords = 11;  // atoms at 7 to 10
constexpr std::size_t kStatsWords = 7;     // sd at 6
constexpr std::size_t kTorsionStatsWords = 2;

float read_float(const std::string& word) {
    return static_cast<float>(std::strtod(word.c_str(), nullptr));
}

bool starts_with_keyword(const std::vector<MogulWords>& lines, std::size_t i, const char* keyword,
                         std::size_t least_words) {
    return i < lines.size() && lines[i].size() >= least_words && lines[i][0] == keyword;
}

void handle_bond(Block& block, const MogulWords& record, const MogulWords& stats, bool correct_all,
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

void handle_angle(Block& block, const MogulWords& record, const MogulWords& stats, bool correct_all,
                  bool write_outputs, PassResults& results) {
    const float query = read_float(record[4]);
    const std::string& atom1 = record[6];
    const std::string& centre = record[7];
    const std::string& atom3 = record[8];
    const float observations = read_float(stats[1]);
    const float mean = read_float(stats[2]);
    const float sd = read_float(stats[6]);
    // The plane decisions want every reported angle, however few its observations.
    results.angle_means[ordered_angle_key(atom1, centre, atom3)] = mean;

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

}  // namespace

std::vector<MogulWords> read_results_file(const std::string& path) {
    std::ifstream in(path);
    if (!in.is_open()) {
        std::cerr << " Can't open Mogul results file " << path << "\n";
        throw RunEnd{exit_status::failure};
    }
    std::vector<MogulWords> lines;
    std::string line;
    while (std::getline(in, line) && in.good()) lines.push_back(split_at_blanks(line));
    return lines;
}

PassResults read_mogul_results(Block& block, const std::vector<MogulWords>& lines, bool correct_all,
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
            const MogulWords& record = lines[i];
            MogulTorsionStats torsion{TorsionKey{record[7], record[8], record[9], record[10]},
                                      read_float(lines[i + 1][1]), lines[i + 2]};
            classify_torsion_distribution(results.torsions, torsion.torsion[0], torsion.torsion[1],
                                          torsion.torsion[2], torsion.torsion[3],
                                          torsion.observations, torsion.distribution_words);
        }
    }
    return results;
}

std::string hybridisation_file_path() {
    const char* home = std::getenv("KTW_home");
    return std::string(home != nullptr ? home : "") +
           "/autoFARNIX/tesra-data/ccp4_atomtype_hybridisation.dat";
}
