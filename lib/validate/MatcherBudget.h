#ifndef TESRA_VALIDATE_MATCHERBUDGET_H
#define TESRA_VALIDATE_MATCHERBUDGET_H

#include <cstddef>
#include <vector>

class TypePattern;

// The memory that the type patterns of one check run keep for matching,
// bounded whatever the number of patterns: at most kMaxLive of them keep a
// compiled expression (each up to TypePattern::kMaxMemory, 96 MB in all), the
// least recently used releasing its own when another needs one. The real
// dictionaries put at most 9 type codes in one category, so a table's
// columns are tested without compiling again.
//
// Ownership: shared by its patterns (TypePattern holds a std::shared_ptr),
// which it knows by address and which leave it when they end. Not
// thread-safe.
class MatcherBudget {
public:
    static constexpr std::size_t kMaxLive = 12;

    MatcherBudget() = default;
    MatcherBudget(const MatcherBudget&) = delete;
    MatcherBudget& operator=(const MatcherBudget&) = delete;

    // How many patterns keep a compiled expression now.
    std::size_t Live() const { return _live.size(); }

private:
    friend class TypePattern;

    // A use's time: a pattern that keeps it is the most recently used. A
    // test costs this alone, a compilation also the walk in _Admit.
    unsigned long long _Tick() { return ++_clock; }
    // The pattern has just compiled its expression.
    void _Admit(const TypePattern& pattern);
    void _Forget(const TypePattern& pattern);

    unsigned long long _clock = 0;
    std::vector<const TypePattern*> _live;
};

#endif  // TESRA_VALIDATE_MATCHERBUDGET_H
