#ifndef TESRA_VALIDATE_SAMETEXT_H
#define TESRA_VALIDATE_SAMETEXT_H

#include <string_view>

// Whether two texts are equal, compared here rather than through a call to
// memcmp: the cells compared with their neighbours are mostly a few bytes
// long, and the call costs more than the comparison.
inline bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    const char* x = a.data();
    const char* y = b.data();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (x[i] != y[i]) {
            return false;
        }
    }
    return true;
}

#endif  // TESRA_VALIDATE_SAMETEXT_H
