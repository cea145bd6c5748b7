#ifndef TESRA_TOOL_MOGUL_TORSIONCLASSIFIER_H
#define TESRA_TOOL_MOGUL_TORSIONCLASSIFIER_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/AtomKeys.h"

// What Mogul's torsion histograms say about the compound's torsions. Filled by
// classify_torsion_distribution, one call per torsion result.
struct TorsionClass {
    std::map<TorsionKey, int> plane_flags;  // 1 planar, 0 not
    std::map<TorsionKey, int> unimodal;     // +1 around 0 degrees, -1 around 180, 0 neither
    std::set<TorsionKey> torsions_3060;     // mostly between 40-80 or 160-180 degrees
};

// Classifies one torsion from its DISTRIBUTION line (`words`, word 0 being
// "DISTRIBUTION") and its observation count. A torsion with fewer samples than
// tesra_tors_atleast is left out of all three containers. A line that is not a
// histogram of at least 18 bins of 10 degrees from 0 to 180, with every declared
// count present, ends the run with status 11.
void classify_torsion_distribution(TorsionClass& result, const std::string& atom1,
                                   const std::string& atom2, const std::string& atom3,
                                   const std::string& atom4, float samples,
                                   const std::vector<std::string>& words);

#endif
