#include "validate/MatcherBudget.h"

bool MatcherBudget::Take(long bytes) {
    if (bytes > _left) {
        return false;
    }
    _left -= bytes;
    return true;
}
