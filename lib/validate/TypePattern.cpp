#include "validate/TypePattern.h"

#include <locale.h>

#include <algorithm>
#include <vector>

namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

// The C locale for the calling thread while the scope lasts. Should the
// locale object be missing, uselocale(0) changes nothing.
class CLocaleScope {
public:
    CLocaleScope() : _previous(uselocale(CLocale())) {}
    ~CLocaleScope() {
        if (_previous != static_cast<locale_t>(0)) {
            uselocale(_previous);
        }
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t _previous;
};

typedef std::string::size_type Position;

// Above the limits, so that products and sums stay small.
const unsigned long kTooMany = TypePattern::kMaxCopies + 1;
const unsigned long kTooLarge = TypePattern::kMaxAtoms + 1;

unsigned long Times(unsigned long a, unsigned long b, unsigned long cap = kTooMany) {
    return a != 0 && b > cap / a ? cap : a * b;
}

unsigned long Plus(unsigned long a, unsigned long b) {
    return std::min(a + b, kTooLarge);
}

// One past the ']' that closes the bracket expression opening at `i`, or npos.
// A ']' first in the list (after an optional '^') is a member, and a class,
// equivalence class or collating symbol runs to its own ":]", "=]" or ".]".
Position BracketEnd(const std::string& pattern, Position i) {
    ++i;
    if (i < pattern.size() && pattern[i] == '^') {
        ++i;
    }
    if (i < pattern.size() && pattern[i] == ']') {
        ++i;
    }
    while (i < pattern.size() && pattern[i] != ']') {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '[' && (next == ':' || next == '=' || next == '.')) {
            const char close[] = {next, ']', '\0'};
            i = pattern.find(close, i + 2);
            if (i == std::string::npos) {
                return i;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return i < pattern.size() ? i + 1 : std::string::npos;
}

// Reads the interval "{m}", "{m,}", "{m,n}" or "{,n}" opening at `i`: sets
// `copies` to what regcomp makes of its atom and `minimum` to m (0 when not
// given), and returns the position of its '}', or npos when there is no
// interval (regcomp then refuses the brace).
Position Interval(const std::string& pattern, Position i, unsigned long& copies,
                  unsigned long& minimum) {
    unsigned long bounds[2] = {0, 0};
    bool digits[2] = {false, false};
    int part = 0;
    for (++i; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c >= '0' && c <= '9') {
            bounds[part] =
                std::min(bounds[part] * 10 + static_cast<unsigned long>(c - '0'), kTooMany);
            digits[part] = true;
        } else if (c == ',' && part == 0) {
            part = 1;
        } else if (c == '}' && (digits[0] || digits[1])) {
            // {m} is m copies; {m,n} n; {m,} m and a starred one.
            copies = part == 0 ? bounds[0] : digits[1] ? bounds[1] : bounds[0] + 1;
            copies = std::max(copies, 1UL);
            minimum = bounds[0];
            return i;
        } else {
            break;
        }
    }
    return std::string::npos;
}

// What a scan of a pattern finds: the most copies regcomp makes of any one
// atom, how many atoms it writes out in all, how many empty forks (below) it
// writes out, and where the alternatives of the whole pattern meet (its '|'
// outside every group and bracket expression).
//
// A choice among n alternatives that can each match the empty string is an
// empty fork of n - 1: regcomp follows every way through a row of such
// choices, so its work doubles with each one ("(a*|b*){24,}" takes seconds,
// "((((a*|b*){2,}){2,}){2,}){2,}" minutes).
struct PatternShape {
    unsigned long copies = 1;
    unsigned long atoms = 0;
    unsigned long forks = 0;
    std::vector<Position> bars;
};

PatternShape Scan(const std::string& pattern) {
    // Per open group: the most copies of an atom within it, and of its last
    // atom (0 when there is none to repeat); the atoms and empty forks written
    // out for it, and for its last atom; whether the atoms of its current
    // alternative before the last one, and the last one, can match the empty
    // string; and how many of its alternatives so far can.
    struct Group {
        unsigned long most = 1;
        unsigned long last = 0;
        unsigned long atoms = 0;
        unsigned long lastAtoms = 0;
        unsigned long forks = 0;
        unsigned long lastForks = 0;
        bool emptyBefore = true;
        bool hasLast = false;
        bool lastEmpty = false;
        unsigned long emptyAlternatives = 0;

        // Ends the current alternative.
        void EndAlternative() {
            if (emptyBefore && (!hasLast || lastEmpty)) {
                ++emptyAlternatives;
            }
            emptyBefore = true;
            hasLast = false;
        }
    };
    std::vector<Group> groups(1);
    PatternShape shape;
    auto atom = [&groups](unsigned long copies, unsigned long atoms, bool empty = false,
                          unsigned long forks = 0) {
        Group& group = groups.back();
        group.last = copies;
        group.lastAtoms = atoms;
        group.atoms = Plus(group.atoms, atoms);
        group.emptyBefore = group.emptyBefore && (!group.hasLast || group.lastEmpty);
        group.hasLast = true;
        group.lastEmpty = empty;
        group.lastForks = forks;
        group.forks = Plus(group.forks, forks);
    };
    // An atom that can match the empty string, made optional or repeated
    // beyond a fixed count, is a fork of its own in each copy.
    auto repeat = [&groups](unsigned long copies, unsigned long minimum, bool fixed = false) {
        Group& group = groups.back();
        const unsigned long own = group.hasLast && group.lastEmpty && !fixed ? copies : 0;
        group.last = Times(group.last, copies);
        group.most = std::max(group.most, group.last);
        const unsigned long atoms = Times(group.lastAtoms, copies, kTooLarge);
        group.atoms = Plus(group.atoms, atoms - std::min(atoms, group.lastAtoms));
        group.lastAtoms = atoms;
        const unsigned long forks = Plus(Times(group.lastForks, copies, kTooLarge), own);
        group.forks = Plus(group.forks, forks - std::min(forks, group.lastForks));
        group.lastForks = forks;
        group.lastEmpty = group.lastEmpty || minimum == 0;
    };
    // The forks of a group's alternatives, when it closes.
    auto forksOf = [](Group& group) {
        group.EndAlternative();
        return Plus(group.forks, group.emptyAlternatives > 1 ? group.emptyAlternatives - 1 : 0);
    };
    for (Position i = 0; i < pattern.size(); ++i) {
        unsigned long copies = 1;
        switch (pattern[i]) {
            case '\\':
                ++i;
                atom(1, 1);
                break;
            case '[':
                i = BracketEnd(pattern, i);
                if (i == std::string::npos) {
                    i = pattern.size();
                }
                --i;
                atom(1, 1);
                break;
            case '(':
                groups.push_back(Group());
                break;
            case ')':
                // An unmatched ')' is an ordinary character.
                if (groups.size() > 1) {
                    Group inner = groups.back();
                    groups.pop_back();
                    const unsigned long forks = forksOf(inner);
                    atom(inner.most, std::max(inner.atoms, 1UL), inner.emptyAlternatives > 0,
                         forks);
                } else {
                    atom(1, 1);
                }
                break;
            case '|':
                groups.back().last = 0;
                groups.back().lastAtoms = 0;
                groups.back().lastForks = 0;
                groups.back().EndAlternative();
                if (groups.size() == 1) {
                    shape.bars.push_back(i);
                }
                break;
            case '*':
            case '?':
                repeat(1, 0);
                break;
            case '+':
                repeat(2, 1);
                break;
            case '{': {
                unsigned long minimum = 0;
                const Position end = Interval(pattern, i, copies, minimum);
                if (end != std::string::npos) {
                    repeat(copies, minimum, minimum == copies);
                    i = end;
                } else {
                    atom(1, 1);
                }
                break;
            }
            case '^':
            case '$':
                // Anchors match no character.
                atom(1, 1, true);
                break;
            default:
                atom(1, 1);
                break;
        }
        groups.back().most = std::max(groups.back().most, groups.back().last);
    }
    // Groups left open do not compile; their atoms count all the same.
    for (Group& group : groups) {
        shape.copies = std::max(shape.copies, group.most);
        shape.atoms = Plus(shape.atoms, group.atoms);
        shape.forks = Plus(shape.forks, forksOf(group));
    }
    return shape;
}

// Each alternative of the pattern between `before` and `after`, joined by
// '|'. Anchoring the alternatives one by one keeps the pattern's groups and
// their numbers (back-references) as they are.
std::string EachAlternative(const std::string& pattern, const std::vector<Position>& bars,
                            const char* before, const char* after) {
    std::string result;
    Position from = 0;
    for (std::size_t k = 0; k <= bars.size(); ++k) {
        const Position to = k < bars.size() ? bars[k] : pattern.size();
        result += (k == 0 ? "" : "|") + (before + pattern.substr(from, to - from)) + after;
        from = to + 1;
    }
    return result;
}

}  // namespace

TypePattern::TypePattern(const std::string& construct) : _whole(), _part(), _compiled(false) {
    std::string pattern;
    ConvertEscapes(construct, pattern);
    if (pattern.empty()) {
        return;
    }
    const PatternShape shape = Scan(pattern);
    if (shape.copies > kMaxCopies || shape.atoms > kMaxAtoms || shape.forks > kMaxEmptyForks) {
        return;
    }
    const CLocaleScope cLocale;
    // The construct itself decides whether it compiles: the anchored forms
    // might accept what it does not, such as a leading '*'.
    regex_t plain;
    if (regcomp(&plain, pattern.c_str(), REG_EXTENDED | REG_NOSUB) != 0) {
        return;
    }
    regfree(&plain);
    const std::string whole = EachAlternative(pattern, shape.bars, "^", "$");
    if (regcomp(&_whole, whole.c_str(), REG_EXTENDED | REG_NOSUB) != 0) {
        return;
    }
    const std::string part = EachAlternative(pattern, shape.bars, "^.*", "");
    if (regcomp(&_part, part.c_str(), REG_EXTENDED | REG_NOSUB) != 0) {
        regfree(&_whole);
        return;
    }
    _compiled = true;
}

TypePattern::~TypePattern() {
    if (_compiled) {
        regfree(&_whole);
        regfree(&_part);
    }
}

TypePattern::Match TypePattern::Test(const std::string& value) const {
    const CLocaleScope cLocale;
    // A match of the whole value is the leftmost one, and the longest there;
    // failing that, any match at all is a part match.
    if (value.find('\0') == std::string::npos &&
        regexec(&_whole, value.c_str(), 0, nullptr, 0) == 0) {
        return WHOLE_MATCH;
    }
    return regexec(&_part, value.c_str(), 0, nullptr, 0) == 0 ? PART_MATCH : NO_MATCH;
}

void TypePattern::ConvertEscapes(const std::string& construct, std::string& pattern) {
    pattern.clear();
    pattern.reserve(construct.size());
    for (std::string::size_type i = 0; i < construct.size(); ++i) {
        const char c = construct[i];
        const char next = i + 1 < construct.size() ? construct[i + 1] : '\0';
        if (c == '\\' && (next == '\\' || next == 't' || next == 'n')) {
            pattern.push_back(next == 't' ? '\t' : next == 'n' ? '\n' : '\\');
            ++i;
        } else {
            pattern.push_back(c);
        }
    }
}
