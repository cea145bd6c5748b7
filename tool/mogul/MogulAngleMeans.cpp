#include "mogul/MogulAngleMeans.h"

NameTriple angle_mean_key(const std::string& a, const std::string& centre, const std::string& c) {
    return c < a ? NameTriple{c, centre, a} : NameTriple{a, centre, c};
}

float mogul_angle_mean(const MogulAngleMeans& means, const std::string& a, const std::string& b,
                       const std::string& c) {
    auto found = means.find(NameTriple{a, b, c});
    if (found != means.end())
        return found->second;
    found = means.find(NameTriple{c, b, a});
    return found != means.end() ? found->second : 0.0f;
}
