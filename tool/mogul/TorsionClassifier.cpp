#include "mogul/TorsionClassifier.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "common/RunStatus.h"
#include "common/TuningParameters.h"

namespace {

// The classifier reads bins 0, 1, 4 to 7, 16 and 17 by position, so it needs at
// least 18 bins of 10 degrees starting at 0.
constexpr long kLeastBins = 18;
constexpr std::size_t kFirstCountWord = 6;

[[noreturn]] void reject_distribution(const std::vector<std::string>& words) {
    std::cerr << " This is odd: distribution line\n";
    for (const std::string& word : words) std::cerr << word << " ";
    std::cerr << "\n doesn't have form 0 180 \n";
    throw RunEnd{exit_status::bad_torsion_distribution};
}

float read_float(const std::string& word) {
    return static_cast<float>(std::strtod(word.c_str(), nullptr));
}

// A histogram the bins can be read from by position: bounds 0 and 180, a width of
// 10 degrees, at least 18 bins and every declared count on the line.
bool is_readable_histogram(const std::vector<std::string>& words, float lower, float upper,
                           float width, long bins) {
    if (!(lower == 0.0f) || !(upper == 180.0f))
        return false;
    if (!(width == 10.0f) || bins < kLeastBins)
        return false;
    return static_cast<unsigned long>(bins) <= words.size() - kFirstCountWord;
}

void print_histogram(const std::string& atom1, const std::string& atom2, const std::string& atom3,
                     const std::string& atom4, float samples, float lower, float width,
                     const std::vector<float>& fractions) {
    const std::size_t bins = fractions.size();
    char cell[64];
    std::string range = "      Range";
    std::string midpoint = "   Midpoint";
    std::string rule(11, ' ');
    std::string values(11, ' ');
    float sum = 0.0f;
    for (std::size_t i = 0; i < bins; ++i) {
        const float index = static_cast<float>(i);
        const float from = index * width + lower;
        const float to = (index + 1.0f) * width + lower;
        std::snprintf(cell, sizeof cell, " %3.3d-%3.3d", static_cast<int>(from),
                      static_cast<int>(to));
        range += cell;
        const float mid = (index + 0.5f) * width + lower;
        std::snprintf(cell, sizeof cell, "   %3.3d  ", static_cast<int>(mid));
        midpoint += cell;
        rule += " -------";
        std::snprintf(cell, sizeof cell, " %7.3f", static_cast<double>(fractions[i]));
        values += cell;
        sum += fractions[i];
    }
    std::snprintf(cell, sizeof cell, "    Sum = %6.3f", static_cast<double>(sum));
    values += cell;
    std::cout << "\n Torsion for atoms " << atom1 << " " << atom2 << " " << atom3 << " " << atom4
              << " (with " << samples << " samples)\n"
              << range << "\n"
              << midpoint << "\n"
              << rule << "\n"
              << values << "\n";
}

}  // namespace

void classify_torsion_distribution(TorsionClass& result, const std::string& atom1,
                                   const std::string& atom2, const std::string& atom3,
                                   const std::string& atom4, float samples,
                                   const std::vector<std::string>& words) {
    if (words.size() < kFirstCountWord)
        reject_distribution(words);
    const float lower = read_float(words[1]);
    const float upper = read_float(words[2]);
    const float width = read_float(words[3]);
    const long bins = std::atol(words[4].c_str());
    if (!is_readable_histogram(words, lower, upper, width, bins))
        reject_distribution(words);

    // Counts stay in double precision up to the division; only the quotient is
    // narrowed.
    std::vector<float> fractions(static_cast<std::size_t>(bins));
    for (std::size_t i = 0; i < fractions.size(); ++i) {
        const double count = std::strtod(words[kFirstCountWord + i].c_str(), nullptr);
        fractions[i] = static_cast<float>(count / static_cast<double>(samples));
    }

    const bool trace = verbosity >= 2;
    if (trace)
        print_histogram(atom1, atom2, atom3, atom4, samples, lower, width, fractions);

    if (!(samples >= tuning.tesra_tors_atleast)) {
        if (trace)
            std::cout << "   skipping (less than " << tuning.tesra_tors_atleast << " samples)\n";
        return;
    }

    const float near0 = fractions[0] + fractions[1];
    const float near180 = fractions[16] + fractions[17];
    const float middle = fractions[4] + fractions[5] + fractions[6] + fractions[7];

    const float planar = near0 + near180;
    int plane_flag = 0;
    int unimodal = 0;
    if (planar > tuning.tesra_tors_planeprob) {
        plane_flag = 1;
        if (trace)
            std::cout << "   This is a plane (" << planar << " > " << tuning.tesra_tors_planeprob
                      << ")\n";
        if (near0 > tuning.tesra_tors_unimodprob) {
            unimodal = 1;
            if (trace)
                std::cout << "   This is unimodal around 0 (" << near0 << " > "
                          << tuning.tesra_tors_unimodprob << ")\n";
        }
        if (near180 > tuning.tesra_tors_unimodprob) {
            unimodal = -1;
            if (trace)
                std::cout << "   This is unimodal around 180 (" << near180 << " > "
                          << tuning.tesra_tors_unimodprob << ")\n";
        }
    } else if (trace) {
        std::cout << "   This is not a plane (" << planar << " <= " << tuning.tesra_tors_planeprob
                  << ")\n";
    }

    const TorsionKey key{atom1, atom2, atom3, atom4};
    result.plane_flags[key] = plane_flag;
    result.unimodal[key] = unimodal;

    const float staggered = near180 + middle;
    if (staggered > tuning.tesra_tors_3060prob) {
        result.torsions_3060.insert(key);
        if (trace)
            std::cout << "   This is a 3060 (" << staggered << " > " << tuning.tesra_tors_3060prob
                      << ")\n";
    } else if (trace) {
        std::cout << "   This is not 3060 (" << staggered << " <= " << tuning.tesra_tors_3060prob
                  << ")\n";
    }
}
