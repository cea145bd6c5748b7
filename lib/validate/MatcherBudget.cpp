#include "validate/MatcherBudget.h"

#include <algorithm>

#include "validate/TypePattern.h"

void MatcherBudget::_Admit(const TypePattern& pattern) {
    pattern._lastUse = _Tick();
    _live.push_back(&pattern);
    if (_live.size() <= kMaxLive) {
        return;
    }
    const auto oldest = std::min_element(
        _live.begin(), _live.end(),
        [](const TypePattern* a, const TypePattern* b) { return a->_lastUse < b->_lastUse; });
    const TypePattern* released = *oldest;
    *oldest = _live.back();
    _live.pop_back();
    released->_Release();
}

void MatcherBudget::_Forget(const TypePattern& pattern) {
    const auto at = std::find(_live.begin(), _live.end(), &pattern);
    if (at != _live.end()) {
        *at = _live.back();
        _live.pop_back();
    }
}
