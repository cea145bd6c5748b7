#ifndef TESRA_TOOL_MOGUL_MOGULANGLEMEANS_H
#define TESRA_TOOL_MOGUL_MOGULANGLEMEANS_H

#include <map>
#include <string>

#include "common/AtomKeys.h"

// Angle key (smaller outer atom, centre, larger outer atom) -> Mogul mean in degrees.
using MogulAngleMeans = std::map<NameTriple, float>;

// The key of an angle: its outer names ordered byte-wise around the centre.
NameTriple angle_mean_key(const std::string& a, const std::string& centre, const std::string& c);

// The mean stored for (a, b, c), else for (c, b, a), else 0.
float mogul_angle_mean(const MogulAngleMeans& means, const std::string& a, const std::string& b,
                       const std::string& c);

#endif
