#include "validate/MatcherBudget.h"

#include <algorithm>

#include "validate/TypePattern.h"

void MatcherBudget::_Use(const TypePattern& pattern) {
    if (!_live.empty() && _live.front() == &pattern) {
        return;
    }
    const auto at = std::find(_live.begin(), _live.end(), &pattern);
    if (at != _live.end()) {
        std::rotate(_live.begin(), at, at + 1);
        return;
    }
    _live.insert(_live.begin(), &pattern);
    if (_live.size() > kMaxLive) {
        const TypePattern* oldest = _live.back();
        _live.pop_back();
        oldest->_Release();
    }
}

void MatcherBudget::_Forget(const TypePattern& pattern) {
    const auto at = std::find(_live.begin(), _live.end(), &pattern);
    if (at != _live.end()) {
        _live.erase(at);
    }
}
