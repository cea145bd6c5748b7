#include "mogul/MogulPass.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <utility>

#include "common/RunStatus.h"
#include "common/SideFileCheck.h"
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
constexpr std::size_t kFirstCountWord = 6;  // DISTRIBUTION lower upper width bins counts c1 c2 ...

bool starts_with_keyword(const std::vector<MogulWords>& lines, std::size_t i, const char* keyword,
                         std::size_t least_words) {
    return i < lines.size() && lines[i].size() >= least_words && lines[i][0] == keyword;
}

// One pass over the lines of one results file. A record's numbers are read
// only once its atoms are known to be the compound's, so the record of
// another compound is skipped whatever it holds.
class ResultsPass {
public:
    ResultsPass(Block& block, const std::vector<MogulWords>& lines, bool correct_all,
                bool write_outputs, SideFileCheck& check)
        : _block(block),
          _lines(lines),
          _correctAll(correct_all),
          _writeOutputs(write_outputs),
          _check(check) {}

    PassResults run() {
        for (std::size_t i = 0; i < _lines.size(); ++i) {
            if (starts_with_keyword(_lines, i, "BOND", kBondWords) &&
                starts_with_keyword(_lines, i + 1, "STATS", kStatsWords))
                _bond(i);

            if (starts_with_keyword(_lines, i, "ANGLE", kAngleWords) &&
                starts_with_keyword(_lines, i + 1, "STATS", kStatsWords))
                _angle(i);

            if (starts_with_keyword(_lines, i, "TORSION", kTorsionWords) &&
                starts_with_keyword(_lines, i + 1, "STATS", kTorsionStatsWords) &&
                starts_with_keyword(_lines, i + 2, "DISTRIBUTION", 1))
                _torsion(i);
        }
        return std::move(_results);
    }

private:
    // Word `word` of line `line` (from 0) as a finite number.
    float _number(std::size_t line, std::size_t word) {
        _check.at_line(line + 1);
        return _check.number(_lines[line][word]);
    }

    bool _known(std::size_t line, const std::vector<std::string>& atoms) {
        _check.at_line(line + 1);
        return _check.knows_atoms(atoms);
    }

    void _bond(std::size_t i) {
        const MogulWords& record = _lines[i];
        const std::string& atom1 = record[5];
        const std::string& atom2 = record[6];
        if (!_known(i, {atom1, atom2}))
            return;
        const float query = _number(i, 3);
        const float observations = _number(i + 1, 1);
        const float mean = _number(i + 1, 2);
        const float sd = _number(i + 1, 6);
        const float z = (query - mean) / sd;
        if (!mogul_result_used(observations, z, tuning.tesra_bond_atleast, tuning.tesra_bond_sigdev,
                               _correctAll))
            return;
        if (_writeOutputs) {
            _results.bonds.push_back(MogulBondStats{atom1, atom2, mean, sd});
        } else {
            print_bond_correction(atom1, atom2, mean, query, z, observations);
            if (!update_bond_length(_block, atom1, atom2, mean))
                _check.warn("Unable to update bond length " + shown_word(atom1) + " " +
                            shown_word(atom2));
        }
    }

    void _angle(std::size_t i) {
        const MogulWords& record = _lines[i];
        const std::string& atom1 = record[6];
        const std::string& centre = record[7];
        const std::string& atom3 = record[8];
        if (!_known(i, {atom1, centre, atom3}))
            return;
        const float query = _number(i, 4);
        const float observations = _number(i + 1, 1);
        const float mean = _number(i + 1, 2);
        const float sd = _number(i + 1, 6);
        // The plane decisions want every reported angle, however few its observations.
        _results.angle_means[ordered_angle_key(atom1, centre, atom3)] = mean;

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
        if (!mogul_result_used(observations, z, tuning.tesra_angle_atleast,
                               tuning.tesra_angle_sigdev, _correctAll)) {
            if (trace)
                std::cout << "   Skipping - Z too smal (|" << z
                          << "| <= " << tuning.tesra_angle_sigdev << ")\n";
            return;
        }
        if (_writeOutputs) {
            _results.angles.push_back(MogulAngleStats{atom1, centre, atom3, mean, sd});
        } else {
            print_angle_correction(atom1, centre, atom3, mean, query, z, observations);
            if (!update_angle(_block, atom1, centre, atom3, mean))
                _check.warn("Unable to update angle " + shown_word(atom1) + " " +
                            shown_word(centre) + " " + shown_word(atom3));
        }
    }

    void _torsion(std::size_t i) {
        const MogulWords& record = _lines[i];
        const TorsionKey key{record[7], record[8], record[9], record[10]};
        if (!_known(i, std::vector<std::string>(key.begin(), key.end())))
            return;
        const float samples = _number(i + 1, 1);
        // The counts of the histogram; its bounds are checked by the classifier.
        const MogulWords& distribution = _lines[i + 2];
        for (std::size_t w = kFirstCountWord; w < distribution.size(); ++w) _number(i + 2, w);
        const MogulTorsionStats torsion{key, samples, distribution};
        classify_torsion_distribution(_results.torsions, torsion.torsion[0], torsion.torsion[1],
                                      torsion.torsion[2], torsion.torsion[3], torsion.observations,
                                      torsion.distribution_words);
    }

    Block& _block;
    const std::vector<MogulWords>& _lines;
    const bool _correctAll;
    const bool _writeOutputs;
    SideFileCheck& _check;
    PassResults _results;
};

}  // namespace

std::vector<MogulWords> read_results_file(const std::string& path) {
    std::ifstream in(path);
    if (!in.is_open()) {
        std::cerr << " Can't open Mogul results file " << path << "\n";
        throw RunEnd{exit_status::failure};
    }
    std::vector<MogulWords> lines;
    std::string line;
    while (read_text_line(in, line) && in.good()) lines.push_back(split_at_blanks(line));
    if (in.bad()) {
        std::cerr << " Problem reading Mogul results file " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    return lines;
}

PassResults read_mogul_results(Block& block, const std::vector<MogulWords>& lines, bool correct_all,
                               bool write_outputs, SideFileCheck& check) {
    return ResultsPass(block, lines, correct_all, write_outputs, check).run();
}

std::string hybridisation_file_path() {
    const char* home = std::getenv("KTW_home");
    return std::string(home != nullptr ? home : "") +
           "/autoFARNIX/tesra-data/ccp4_atomtype_hybridisation.dat";
}
