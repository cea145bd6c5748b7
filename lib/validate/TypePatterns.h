#ifndef TESRA_VALIDATE_TYPEPATTERNS_H
#define TESRA_VALIDATE_TYPEPATTERNS_H

#include <map>
#include <memory>
#include <string>

#include "validate/MatcherBudget.h"
#include "validate/TypePattern.h"

// The type patterns of one check run: a construct met again gets the pattern
// made for it, and every pattern's share of memory comes from the run's one
// MatcherBudget. Ordered by construct, so that constructs made to
// collide cost no more than any others.
//
// Ownership: shares the patterns it hands out and their budget. Not
// thread-safe.
class TypePatterns {
public:
    std::shared_ptr<const TypePattern> Get(const std::string& construct) {
        std::shared_ptr<const TypePattern>& pattern = _byConstruct[construct];
        if (pattern == nullptr) {
            pattern = std::make_shared<const TypePattern>(construct, _budget);
        }
        return pattern;
    }

    const MatcherBudget& Budget() const { return *_budget; }

private:
    std::shared_ptr<MatcherBudget> _budget = std::make_shared<MatcherBudget>();
    std::map<std::string, std::shared_ptr<const TypePattern> > _byConstruct;
};

#endif  // TESRA_VALIDATE_TYPEPATTERNS_H
