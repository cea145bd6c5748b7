#include "validate/ConstructReader.h"

#include <ctype.h>
#include <locale.h>

#include <algorithm>
#include <cstring>

#include "validate/TypePattern.h"

namespace {

typedef std::string::size_type Position;
typedef ConstructReader::ByteSet ByteSet;

// Above the limits, so that products and sums stay small.
const unsigned long kTooMany = TypePattern::kMaxCopies + 1;
const unsigned long kTooLarge = TypePattern::kMaxAtoms + 1;

unsigned long Times(unsigned long a, unsigned long b, unsigned long cap = kTooMany) {
    return a != 0 && b > cap / a ? cap : a * b;
}

unsigned long Plus(unsigned long a, unsigned long b) {
    return std::min(a + b, kTooLarge);
}

// The bytes of the character class `name` in the C locale; false for a name
// regcomp does not know.
bool ClassBytes(const std::string& name, ByteSet& bytes) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    static const struct {
        const char* name;
        int (*is)(int, locale_t);
    } kClasses[] = {{"alnum", isalnum_l}, {"alpha", isalpha_l}, {"blank", isblank_l},
                    {"cntrl", iscntrl_l}, {"digit", isdigit_l}, {"graph", isgraph_l},
                    {"lower", islower_l}, {"print", isprint_l}, {"punct", ispunct_l},
                    {"space", isspace_l}, {"upper", isupper_l}, {"xdigit", isxdigit_l}};
    for (const auto& k : kClasses) {
        if (name == k.name) {
            for (int b = 0; b < 256; ++b) {
                if (k.is(b, c) != 0) {
                    bytes.set(b);
                }
            }
            return true;
        }
    }
    return false;
}

// One element of a bracket expression: a byte (also a collating symbol or an
// equivalence class, which in the C locale are the one byte they name), or
// a character class.
struct BracketElement {
    bool isClass = false;
    bool rangeEnd = true;  // a byte or collating symbol may bound a range
    unsigned char byte = 0;
    ByteSet bytes;
};

// Reads the element at `i` and moves `i` past it. A '-' that is not the
// first element nor a range's end must close the list.
bool ReadElement(const std::string& pattern, Position& i, bool hyphenFree,
                 BracketElement& element) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '[' && (next == '.' || next == '=' || next == ':')) {
        const char close[] = {next, ']', '\0'};
        const Position end = pattern.find(close, i + 2);
        if (end == std::string::npos) {
            return false;
        }
        const std::string name = pattern.substr(i + 2, end - i - 2);
        i = end + 2;
        if (next == ':') {
            element.isClass = true;
            element.rangeEnd = false;
            return ClassBytes(name, element.bytes);
        }
        if (name.size() != 1) {
            return false;
        }
        element.byte = static_cast<unsigned char>(name[0]);
        element.rangeEnd = next == '.';
        return true;
    }
    if (pattern[i] == '-' && !hyphenFree && next != ']') {
        return false;
    }
    element.byte = static_cast<unsigned char>(pattern[i]);
    ++i;
    return true;
}

// The bytes of the bracket expression opening at `i`, read as regcomp reads
// it in the C locale: a ']' first in the list is a member, a backslash is
// itself, ranges run by byte value. Moves `i` to its closing ']'.
bool ReadBracket(const std::string& pattern, Position& i, ByteSet& bytes) {
    ++i;
    const bool negated = i < pattern.size() && pattern[i] == '^';
    if (negated) {
        ++i;
    }
    for (bool first = true;; first = false) {
        if (i >= pattern.size()) {
            return false;
        }
        if (!first && pattern[i] == ']') {
            break;
        }
        BracketElement start;
        if (!ReadElement(pattern, i, first, start)) {
            return false;
        }
        const bool range =
            !start.isClass && i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']';
        if (range) {
            ++i;
            BracketElement end;
            if (!start.rangeEnd || !ReadElement(pattern, i, true, end) || !end.rangeEnd ||
                end.byte < start.byte) {
                return false;
            }
            for (unsigned b = start.byte; b <= end.byte; ++b) {
                bytes.set(b);
            }
        } else if (start.isClass) {
            bytes |= start.bytes;
        } else {
            bytes.set(start.byte);
        }
    }
    if (negated) {
        bytes.flip();
    }
    return bytes.any();
}

}  // namespace

// A choice among n alternatives that can each match the empty string is an
// empty fork of n - 1.
void ConstructReader::Level::EndAlternative() {
    if (emptyBefore && (!hasLast || lastEmpty)) {
        ++emptyAlternatives;
    }
    emptyBefore = true;
    hasLast = false;
}

unsigned long ConstructReader::Level::AllForks() {
    EndAlternative();
    return Plus(forks, emptyAlternatives > 1 ? emptyAlternatives - 1 : 0);
}

bool ConstructReader::Read(const std::string& pattern) {
    _pattern = &pattern;
    _levels.assign(1, Level());
    _repeatable = false;
    _lastAnchored = false;
    _tokens.clear();
    _sets.clear();
    for (_at = 0; _at < pattern.size(); ++_at) {
        const unsigned char c = static_cast<unsigned char>(pattern[_at]);
        bool read = true;
        switch (c) {
            case '\\':
                read = ++_at < pattern.size() && _Escape(pattern[_at]);
                break;
            case '[':
                read = _Bracket();
                break;
            case '(': {
                // Deeper nesting does not compile: no need to follow it.
                if (_levels.size() > TypePattern::kMaxDepth) {
                    return false;
                }
                Level inner;
                inner.open = static_cast<unsigned int>(_tokens.size());
                inner.cleanStart = _levels.back().cleanStart && !_levels.back().altTakes;
                _levels.push_back(inner);
                _Push(Token::kOpen);
                _repeatable = false;
                break;
            }
            case ')':
                // An unmatched ')' is an ordinary character.
                if (_levels.size() == 1) {
                    _Push(Token::kByte, c);
                    read = _Atom(1, 1, false, 0, true, false);
                } else {
                    Level inner = _levels.back();
                    _levels.pop_back();
                    _tokens[inner.open].index = static_cast<unsigned int>(_tokens.size());
                    _Push(Token::kClose);
                    const unsigned long forks = inner.AllForks();
                    read = _Atom(inner.most, std::max(inner.atoms, 1UL),
                                 inner.emptyAlternatives > 0, forks, inner.takes, inner.anchored);
                    Level& outer = _levels.back();
                    outer.anchored = outer.anchored || inner.anchored;
                    outer.altEnds = outer.altEnds || inner.ends || inner.altEnds;
                }
                break;
            case '|': {
                Level& level = _levels.back();
                level.last = 0;
                level.lastAtoms = 0;
                level.lastForks = 0;
                level.EndAlternative();
                level.ends = level.ends || level.altEnds;
                level.altEnds = false;
                level.altTakes = false;
                _Push(Token::kOr);
                _repeatable = false;
                break;
            }
            case '^': {
                // glibc lets a '^' match after a line feed that the match
                // itself has taken, which RE2 has no means to say.
                Level& level = _levels.back();
                if (!level.cleanStart || level.altTakes) {
                    return false;
                }
                _Push(Token::kStart);
                read = _Atom(1, 1, true, 0, false, true);
                level.anchored = true;
                _repeatable = false;
                break;
            }
            case '$':
                // Likewise a '$' before a line feed that the match goes on
                // to take.
                _Push(Token::kEnd);
                read = _Atom(1, 1, true, 0, false, true);
                _levels.back().anchored = true;
                _levels.back().altEnds = true;
                _repeatable = false;
                break;
            case '*':
                read = _Repeat(0, kUnbounded);
                break;
            case '+':
                read = _Repeat(1, kUnbounded);
                break;
            case '?':
                read = _Repeat(0, 1);
                break;
            case '{':
                read = _Interval();
                break;
            case '.':
                _Push(Token::kAny);
                read = _Atom(1, 1, false, 0, true, false);
                break;
            default:
                _Push(Token::kByte, c);
                read = _Atom(1, 1, false, 0, true, false);
                break;
        }
        if (!read || !_WithinLimits()) {
            return false;
        }
    }
    if (_levels.size() != 1) {
        return false;
    }
    Level& top = _levels.back();
    top.forks = top.AllForks();
    return _WithinLimits();
}

bool ConstructReader::_Escape(char escaped) {
    // Back-references and the GNU escapes: no linear-time match, or another
    // meaning in RE2.
    if ((escaped >= '1' && escaped <= '9') || std::strchr("wWsSbB<>`'", escaped) != nullptr) {
        return false;
    }
    _Push(Token::kByte, static_cast<unsigned char>(escaped));
    return _Atom(1, 1, false, 0, true, false);
}

bool ConstructReader::_Bracket() {
    ByteSet bytes;
    if (!ReadBracket(*_pattern, _at, bytes)) {
        return false;
    }
    _Push(Token::kSet, 0, static_cast<unsigned int>(_sets.size()));
    _sets.push_back(bytes);
    return _Atom(1, 1, false, 0, true, false);
}

// regcomp takes "{" only as an interval: "{m}", "{m,}", "{m,n}", "{,n}" or
// "{,}" (the last as "{0,}"). Within it an escaped digit or comma stands for
// itself; "\1" to "\9" and any other token are an error.
bool ConstructReader::_Interval() {
    const std::string& pattern = *_pattern;
    unsigned long bounds[2] = {0, 0};
    bool digits[2] = {false, false};
    int part = 0;
    for (++_at; _at < pattern.size(); ++_at) {
        char c = pattern[_at];
        if (c == '\\') {
            if (++_at == pattern.size() || (pattern[_at] != '0' && pattern[_at] != ',')) {
                return false;
            }
            c = pattern[_at];
        } else if (c == '}') {
            if (part == 0 && !digits[0]) {
                return false;  // "{}"
            }
            const unsigned int min = static_cast<unsigned int>(bounds[0]);
            const unsigned int max = part == 0   ? min
                                     : digits[1] ? static_cast<unsigned int>(bounds[1])
                                                 : kUnbounded;
            return (max == kUnbounded || min <= max) && _Repeat(min, max);
        }
        if (c >= '0' && c <= '9') {
            bounds[part] =
                std::min(bounds[part] * 10 + static_cast<unsigned long>(c - '0'), kTooMany);
            digits[part] = true;
        } else if (c == ',' && part == 0) {
            part = 1;
        } else {
            return false;
        }
    }
    return false;
}

bool ConstructReader::_Atom(unsigned long copies, unsigned long atoms, bool empty,
                            unsigned long forks, bool takes, bool anchored) {
    Level& level = _levels.back();
    if (takes && level.altEnds) {
        return false;
    }
    level.takes = level.takes || takes;
    level.altTakes = level.altTakes || takes;
    _repeatable = true;
    _lastAnchored = anchored;

    level.last = copies;
    level.most = std::max(level.most, level.last);
    level.lastAtoms = atoms;
    level.atoms = Plus(level.atoms, atoms);
    level.emptyBefore = level.emptyBefore && (!level.hasLast || level.lastEmpty);
    level.hasLast = true;
    level.lastEmpty = empty;
    level.lastForks = forks;
    level.forks = Plus(level.forks, forks);
    return true;
}

// What regcomp writes out for a repetition: {m,n} makes n copies of its atom,
// {m} m, {m,} m and a starred one; at least one. An atom that can match the
// empty string, made optional or repeated beyond a fixed count, is an empty
// fork of its own in each copy.
bool ConstructReader::_Repeat(unsigned int min, unsigned int max) {
    if (!_repeatable || _lastAnchored) {
        return false;
    }
    _Push(Token::kRepeat, 0, 0, min, max);

    const unsigned long copies = std::max(max == kUnbounded ? min + 1UL : max, 1UL);
    const bool fixed = min == copies;
    Level& level = _levels.back();
    const unsigned long own = level.hasLast && level.lastEmpty && !fixed ? copies : 0;
    level.last = Times(level.last, copies);
    level.most = std::max(level.most, level.last);
    const unsigned long atoms = Times(level.lastAtoms, copies, kTooLarge);
    level.atoms = Plus(level.atoms, atoms - std::min(atoms, level.lastAtoms));
    level.lastAtoms = atoms;
    const unsigned long forks = Plus(Times(level.lastForks, copies, kTooLarge), own);
    level.forks = Plus(level.forks, forks - std::min(forks, level.lastForks));
    level.lastForks = forks;
    level.lastEmpty = level.lastEmpty || min == 0;
    return true;
}

void ConstructReader::_Push(Token::Kind kind, unsigned char byte, unsigned int index,
                            unsigned int min, unsigned int max) {
    _tokens.push_back(Token{kind, byte, index, min, max});
}

// Only the innermost group changes at a step, and what it writes out
// reaches the groups around it when it ends.
bool ConstructReader::_WithinLimits() const {
    const Level& level = _levels.back();
    return level.most <= TypePattern::kMaxCopies && level.atoms <= TypePattern::kMaxAtoms &&
           level.forks <= TypePattern::kMaxEmptyForks;
}
