#ifndef TESRA_TOOL_MOGUL_MOGULRECORDS_H
#define TESRA_TOOL_MOGUL_MOGULRECORDS_H

#include <string>
#include <vector>

#include "mogul/TorsionClassifier.h"

// One Mogul bond result kept for the GEOMETRY restraint file (or an override
// that stands in for one).
struct MogulBondStats {
    std::string atom_1;
    std::string atom_2;
    float mean = 0.0f;
    float sd = 0.0f;
};

// One Mogul angle result; atom_2 is the centre atom. The atoms stay in file order.
struct MogulAngleStats {
    std::string atom_1;
    std::string atom_2;
    std::string atom_3;
    float mean = 0.0f;
    float sd = 0.0f;
};

// One Mogul torsion result as it is handed to the classifier.
struct MogulTorsionStats {
    TorsionKey torsion;
    float observations = 0.0f;
    std::vector<std::string> distribution_words;
};

using MogulBondList = std::vector<MogulBondStats>;
using MogulAngleList = std::vector<MogulAngleStats>;

#endif
