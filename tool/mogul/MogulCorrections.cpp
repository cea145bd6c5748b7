#include "mogul/MogulCorrections.h"

#include <cmath>
#include <iostream>

#include "cif/Block.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "table/ISTable.h"

bool mogul_result_used(float observations, float z, float atleast, float sigdev, bool correct_all) {
    // Written so that a count, z-score or setting that is not a number fails.
    if (!(observations >= atleast))
        return false;
    if (correct_all)
        return true;
    return std::fabs(z) > sigdev;
}

void print_bond_correction(const std::string& a, const std::string& b, float mean, float query,
                           float z, float observations) {
    std::cout << a << "-" << b << " bond length corrected to " << float_to_string(mean, 3)
              << " from " << float_to_string(query, 3) << " (was ";
    if (z > 0)
        std::cout << float_to_string(z, 2) << " sigmas too long; ";
    else
        std::cout << float_to_string(-z, 2) << " sigmas too short; ";
    std::cout << observations << " observations in CSD)\n";
}

void print_angle_correction(const std::string& a, const std::string& b, const std::string& c,
                            float mean, float query, float z, float observations) {
    std::cout << a << "-" << b << "-" << c << " angle corrected to " << float_to_string(mean, 1)
              << " from " << float_to_string(query, 1) << " (was " << float_to_string(z, 2)
              << " sigmas out; " << observations << " observations in CSD)\n";
}

bool update_bond_length(Block& block, const std::string& a, const std::string& b, float value) {
    bool found = false;
    // A block without the table is treated as a table without rows.
    if (ISTable* bonds = block.GetTablePtr("chem_comp_bond")) {
        std::string text;
        double_to_string(text, "%.3f", value);
        // atom_id_1 and atom_id_2 by standard position.
        const unsigned rows = standard_row_count(bonds, 3);
        for (unsigned r = 0; r < rows; ++r) {
            const std::vector<std::string>& row = bonds->GetRow(r);
            if ((row[1] == a && row[2] == b) || (row[2] == a && row[1] == b)) {
                require_column(*bonds, "chem_comp_bond", "value_dist", "correct bond lengths");
                bonds->UpdateCell(r, "value_dist", text);
                found = true;
            }
        }
    }
    return found;
}

bool update_angle(Block& block, const std::string& a, const std::string& b, const std::string& c,
                  float value) {
    bool found = false;
    if (ISTable* angles = block.GetTablePtr("chem_comp_angle")) {
        std::string text;
        double_to_string(text, "%.3f", value);
        // atom_id_1, atom_id_2 (the centre) and atom_id_3 by standard position.
        const unsigned rows = standard_row_count(angles, 4);
        for (unsigned r = 0; r < rows; ++r) {
            const std::vector<std::string>& row = angles->GetRow(r);
            if (row[2] != b)
                continue;
            if ((row[1] == a && row[3] == c) || (row[1] == c && row[3] == a)) {
                require_column(*angles, "chem_comp_angle", "value_angle", "correct angles");
                angles->UpdateCell(r, "value_angle", text);
                found = true;
            }
        }
    }
    return found;
}
