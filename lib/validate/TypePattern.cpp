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
// `copies` to what regcomp makes of its atom and returns the position of its
// '}', or npos when there is no interval (regcomp then refuses the brace).
Position Interval(const std::string& pattern, Position i, unsigned long& copies) {
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
            return i;
        } else {
            break;
        }
    }
    return std::string::npos;
}

// What a scan of a pattern finds: the most copies regcomp makes of any one
// atom, how many atoms it writes out in all, and where the alternatives of
// the whole pattern meet (its '|' outside every group and bracket expression).
struct PatternShape {
    unsigned long copies = 1;
    unsigned long atoms = 0;
    std::vector<Position> bars;
};

PatternShape Scan(const std::string& pattern) {
    // Per open group: the most copies of an atom within it, and of its last
    // atom (0 when there is none to repeat); the atoms written out for it,
    // and for its last atom.
    struct Group {
        unsigned long most;
        unsigned long last;
        unsigned long atoms;
        unsigned long lastAtoms;
    };
    std::vector<Group> groups(1, Group{1, 0, 0, 0});
    PatternShape shape;
    auto atom = [&groups](unsigned long copies, unsigned long atoms) {
        Group& group = groups.back();
        group.last = copies;
        group.lastAtoms = atoms;
        group.atoms = Plus(group.atoms, atoms);
    };
    auto repeat = [&groups](unsigned long copies) {
        Group& group = groups.back();
        group.last = Times(group.last, copies);
        group.most = std::max(group.most, group.last);
        const unsigned long atoms = Times(group.lastAtoms, copies, kTooLarge);
        group.atoms = Plus(group.atoms, atoms - std::min(atoms, group.lastAtoms));
        group.lastAtoms = atoms;
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
                groups.push_back(Group{1, 0, 0, 0});
                break;
            case ')':
                // An unmatched ')' is an ordinary character.
                if (groups.size() > 1) {
                    const Group inner = groups.back();
                    groups.pop_back();
                    atom(inner.most, std::max(inner.atoms, 1UL));
                } else {
                    atom(1, 1);
                }
                break;
            case '|':
                groups.back().last = 0;
                groups.back().lastAtoms = 0;
                if (groups.size() == 1) {
                    shape.bars.push_back(i);
                }
                break;
            case '*':
            case '?':
                break;
            case '+':
                repeat(2);
                break;
            case '{': {
                const Position end = Interval(pattern, i, copies);
                if (end != std::string::npos) {
                    repeat(copies);
                    i = end;
                } else {
                    atom(1, 1);
                }
                break;
            }
            default:
                atom(1, 1);
                break;
        }
        groups.back().most = std::max(groups.back().most, groups.back().last);
    }
    // Groups left open do not compile; their atoms count all the same.
    for (const Group& group : groups) {
        shape.copies = std::max(shape.copies, group.most);
        shape.atoms = Plus(shape.atoms, group.atoms);
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
    if (shape.copies > kMaxCopies || shape.atoms > kMaxAtoms) {
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
