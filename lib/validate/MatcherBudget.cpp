#include "validate/MatcherBudget.h"

#include <algorithm>

long MatcherBudget::Grant(long least, long wanted) {
    const long share = std::min(wanted, std::max(least, _left / kSpread));
    if (share > _left) {
        return 0;
    }
    _left -= share;
    return share;
}
