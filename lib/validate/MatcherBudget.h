#ifndef TESRA_VALIDATE_MATCHERBUDGET_H
#define TESRA_VALIDATE_MATCHERBUDGET_H

// The memory that the type patterns of one check run may give to what their
// matchers learn while they match (RE2's DFA states): kRunMemory in all,
// bounded whatever the number of patterns. A pattern takes its room once,
// when it compiles, and keeps it for its lifetime; the programs themselves
// are kept for the whole run, since they grow only with the dictionary, so
// that no pattern is ever compiled again. The first patterns of a run take
// what they need, which for real dictionaries is all of their constructs;
// once the allowance is spent, later ones match without a DFA.
//
// Ownership: shared by its patterns (TypePattern holds a std::shared_ptr),
// which know it; it knows none of them. Not thread-safe.
class MatcherBudget {
public:
    static constexpr long kRunMemory = 64L << 20;

    MatcherBudget() = default;
    MatcherBudget(const MatcherBudget&) = delete;
    MatcherBudget& operator=(const MatcherBudget&) = delete;

    // Takes `bytes` from what is left; false, taking nothing, when less is
    // left.
    bool Take(long bytes);
    // What was taken before, back to the allowance.
    void Return(long bytes) { _left += bytes; }

    // What is taken and not returned.
    long Taken() const { return kRunMemory - _left; }

private:
    long _left = kRunMemory;
};

#endif  // TESRA_VALIDATE_MATCHERBUDGET_H
