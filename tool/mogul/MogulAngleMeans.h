#ifndef TESRA_TOOL_MOGUL_MOGULANGLEMEANS_H
#define TESRA_TOOL_MOGUL_MOGULANGLEMEANS_H

#include <map>
#include <string>

#include "common/AtomKeys.h"

// Order-free angle key (ordered_angle_key) -> Mogul mean in degrees.
using MogulAngleMeans = std::map<AngleKey, float>;

// The mean stored for (a, b, c), else for (c, b, a), else 0.
inline float mogul_angle_mean(const MogulAngleMeans& means, const std::string& a,
                              const std::string& b, const std::string& c) {
    auto found = means.find(AngleKey{a, b, c});
    if (found != means.end())
        return found->second;
    found = means.find(AngleKey{c, b, a});
    return found != means.end() ? found->second : 0.0f;
}

#endif
