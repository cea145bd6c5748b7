#ifndef TESRA_VALIDATE_MATCHERBUDGET_H
#define TESRA_VALIDATE_MATCHERBUDGET_H

// The memory that the type patterns of one check run may give to what their
// matchers learn while they match (RE2's DFA states), bounded whatever the
// number of patterns: kRunMemory in all. A pattern asks for its share once,
// when it compiles, and keeps it for its lifetime: the programs themselves
// are kept for the whole run, since they grow only with the dictionary, so
// no pattern is ever compiled again. Each pattern is given a part of what is
// left (a kSpread-th, at most what it wants), so that the first few dozen
// constructs, as many as real dictionaries hold, get room enough and a
// dictionary of thousands still stays within the allowance; one that cannot
// be given the least it can work with gets nothing and matches without a
// DFA.
//
// Ownership: shared by its patterns (TypePattern holds a std::shared_ptr),
// which know it; it knows none of them. Not thread-safe.
class MatcherBudget {
public:
    static constexpr long kRunMemory = 64L << 20;
    static constexpr long kSpread = 16;

    MatcherBudget() = default;
    MatcherBudget(const MatcherBudget&) = delete;
    MatcherBudget& operator=(const MatcherBudget&) = delete;

    // A share of at least `least` and at most `wanted` bytes, taken from
    // what is left; 0 when not even `least` is left.
    long Grant(long least, long wanted);
    // A share granted before, back to the allowance.
    void Return(long share) { _left += share; }

    // What the shares granted and not returned add up to.
    long Granted() const { return kRunMemory - _left; }

private:
    long _left = kRunMemory;
};

#endif  // TESRA_VALIDATE_MATCHERBUDGET_H
