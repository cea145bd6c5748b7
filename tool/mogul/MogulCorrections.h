#ifndef TESRA_TOOL_MOGUL_MOGULCORRECTIONS_H
#define TESRA_TOOL_MOGUL_MOGULCORRECTIONS_H

#include <string>

class Block;

// Whether a Mogul result is used: at least `atleast` observations and, unless
// `correct_all`, |z| above `sigdev`. Anything not a number fails.
bool mogul_result_used(float observations, float z, float atleast, float sigdev, bool correct_all);

// Sets value_dist ("%.3f") of every chem_comp_bond row joining a and b (in
// either order; cells 1 and 2). False when no row matched (or there is no
// table); the caller reports it. A matching row in a table without value_dist
// ends the run (status 1).
bool update_bond_length(Block& block, const std::string& a, const std::string& b, float value);

// Sets value_angle ("%.3f") of every chem_comp_angle row with centre b and
// outer atoms a and c in either order (cells 1, 2, 3). False when no row
// matched (or there is no table); a matching row in a table without
// value_angle ends the run.
bool update_angle(Block& block, const std::string& a, const std::string& b, const std::string& c,
                  float value);

// Correction messages of a used result (standard output).
void print_bond_correction(const std::string& a, const std::string& b, float mean, float query,
                           float z, float observations);
void print_angle_correction(const std::string& a, const std::string& b, const std::string& c,
                            float mean, float query, float z, float observations);

#endif
