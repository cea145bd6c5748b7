#include "validate/ConstructReader.h"

#include <ctype.h>
#include <locale.h>

#include <algorithm>
#include <cstring>

#include "validate/TypePattern.h"

namespace {

typedef std::string::size_type Position;
typedef ConstructReader::ByteSet ByteSet;

// Where the atoms are held: above the limit, so that products and sums stay
// small.
const unsigned long kAtomsHeld = TypePattern::kMaxAtoms + 1;

// Products and sums of counts, held at `hold` once they reach it. A count
// held there stays above every limit below it: sums and copies only raise
// it, and a repetition of zero makes it none, as it makes the count that it
// stands for. So no count overflows however deep the nesting, and none is
// ever lowered by a subtraction.
unsigned long Times(unsigned long a, unsigned long b, unsigned long hold) {
    return a != 0 && b > hold / a ? hold : std::min(a * b, hold);
}

unsigned long Plus(unsigned long a, unsigned long b, unsigned long hold) {
    return std::min(a + b, hold);
}

// The copies of its atom that a repetition writes out: {m,n} n, {m} m,
// {m,} m + 1 (m and a starred one); none when it repeats it zero times.
unsigned long Copies(unsigned int min, unsigned int max) {
    return max == ConstructReader::kUnbounded ? min + 1UL : max;
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
    // A set that holds no byte compiles, and matches nothing.
    return true;
}

}  // namespace

void ConstructReader::Level::EndAlternative() {
    ends = ends || altEnds;
    altEnds = false;
    altTakes = false;
}

ConstructReader::Verdict ConstructReader::Read(const std::string& pattern) {
    _pattern = &pattern;
    _levels.assign(1, Level());
    _verdict = kRead;
    _groups = 0;
    _closed = 0;
    _repeatable = false;
    _lastAnchored = false;
    _tokens.clear();
    // No more tokens than bytes: no copies while the list grows.
    _tokens.reserve(pattern.size());
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
                // What comes before the group can no longer be repeated.
                _Commit();
                Level inner;
                inner.open = static_cast<unsigned int>(_tokens.size());
                _groups = std::min(_groups + 1, 10u);
                inner.number = _groups <= 9 ? static_cast<unsigned char>(_groups) : 0;
                inner.initialClosed = static_cast<unsigned short>(_closed);
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
                    _Atom(1, true, false);
                } else {
                    _Commit();
                    Level inner = _levels.back();
                    _levels.pop_back();
                    if (_verdict == kRead) {
                        _tokens[inner.open].index = static_cast<unsigned int>(_tokens.size());
                    }
                    _Push(Token::kClose);
                    inner.EndAlternative();
                    _closed |= inner.earlierClosed | ((1u << inner.number) & ~1u);
                    _Atom(std::max<unsigned long>(inner.atoms, 1), inner.takes, inner.anchored,
                          inner.ends);
                    Level& outer = _levels.back();
                    outer.anchored = outer.anchored || inner.anchored;
                }
                break;
            case '|': {
                _Commit();
                Level& level = _levels.back();
                level.EndAlternative();
                // A back-reference sees no group of another alternative.
                level.earlierClosed = static_cast<unsigned short>(level.earlierClosed | _closed);
                _closed = level.initialClosed;
                _Push(Token::kOr);
                _repeatable = false;
                break;
            }
            case '^': {
                // glibc lets a '^' match after a line feed that the match
                // itself has taken, which RE2 has no means to say.
                _Commit();
                Level& level = _levels.back();
                if (!level.cleanStart || level.altTakes) {
                    _Refuse(kAnchor);
                }
                _Push(Token::kStart);
                _Atom(1, false, true, false, false);
                _levels.back().anchored = true;
                break;
            }
            case '$':
                // Likewise a '$' before a line feed that the match goes on
                // to take (see _Commit).
                _Push(Token::kEnd);
                _Atom(1, false, true, true, false);
                _levels.back().anchored = true;
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
                _Atom(1, true, false);
                break;
            default:
                _Push(Token::kByte, c);
                _Atom(1, true, false);
                break;
        }
        if (!read) {
            return _verdict = kSyntax;
        }
    }
    if (_levels.size() != 1) {
        return _verdict = kSyntax;
    }
    _Commit();
    return _verdict;
}

// Back-references and the GNU escapes: no linear-time match, or another
// meaning in RE2. glibc takes a back-reference only to a group already
// closed, and no repetition after \b \B \< \> \` \', which it reads as
// anchors.
bool ConstructReader::_Escape(char escaped) {
    if (escaped >= '1' && escaped <= '9') {
        if ((_closed & (1u << (escaped - '0'))) == 0) {
            return false;
        }
        _Refuse(kEscape);
    } else if (std::strchr("wWsS", escaped) != nullptr) {
        _Refuse(kEscape);
    } else if (std::strchr("bB<>`'", escaped) != nullptr) {
        _Refuse(kEscape);
        _Atom(1, false, false, false, false);
        return true;
    }
    _Push(Token::kByte, static_cast<unsigned char>(escaped));
    _Atom(1, true, false);
    return true;
}

bool ConstructReader::_Bracket() {
    ByteSet bytes;
    if (!ReadBracket(*_pattern, _at, bytes)) {
        return false;
    }
    if (_verdict == kRead) {
        _Push(Token::kSet, 0, static_cast<unsigned int>(_sets.size()));
        _sets.push_back(bytes);
    }
    _Atom(1, true, false);
    return true;
}

// regcomp takes "{" only as an interval: "{m}", "{m,}", "{m,n}", "{,n}" or
// "{,}" (the last as "{0,}"), no count above kMaxCount. Within it an escaped
// digit or comma stands for itself; "\1" to "\9" and any other token are an
// error.
bool ConstructReader::_Interval() {
    const std::string& pattern = *_pattern;
    const unsigned long kTooMany = kMaxCount + 1UL;
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
            const unsigned long min = bounds[0];
            const unsigned long max = part == 0 ? min : digits[1] ? bounds[1] : kUnbounded;
            if (min > kMaxCount || (max != kUnbounded && (max > kMaxCount || min > max))) {
                return false;
            }
            return _Repeat(static_cast<unsigned int>(min), static_cast<unsigned int>(max));
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

void ConstructReader::_Atom(unsigned long atoms, bool takes, bool anchored, bool ends,
                            bool repeatable) {
    _Commit();
    Level& level = _levels.back();
    _repeatable = repeatable;
    _lastAnchored = anchored;
    level.lastAtoms = static_cast<unsigned short>(atoms);
    level.hasLast = true;
    level.lastTakes = takes;
    level.lastEnds = ends;
}

void ConstructReader::_Commit() {
    Level& level = _levels.back();
    if (!level.hasLast) {
        return;
    }
    // glibc lets a '$' match before a line feed that the match goes on to
    // take, which RE2 has no means to say.
    if (level.lastTakes && level.altEnds) {
        _Refuse(kAnchor);
    }
    level.takes = level.takes || level.lastTakes;
    level.altTakes = level.altTakes || level.lastTakes;
    level.altEnds = level.altEnds || level.lastEnds;
    level.hasLast = false;
    // Only a repetition of zero could make the last atom's count none; once
    // it has joined, the count of the whole stands, as nothing repeats it.
    level.atoms = static_cast<unsigned short>(Plus(level.atoms, level.lastAtoms, kAtomsHeld));
    level.lastAtoms = 0;
    if (_levels.size() == 1 && level.atoms > TypePattern::kMaxAtoms) {
        _Refuse(kTooLarge);
    }
}

bool ConstructReader::_Repeat(unsigned int min, unsigned int max) {
    if (!_repeatable) {
        return false;
    }
    if (_lastAnchored) {
        _Refuse(kAnchor);
    }
    _Push(Token::kRepeat, 0, 0, min, max);

    Level& level = _levels.back();
    level.lastAtoms =
        static_cast<unsigned short>(Times(level.lastAtoms, Copies(min, max), kAtomsHeld));
    // Repeated zero times, it takes no bytes.
    level.lastTakes = level.lastTakes && max != 0;
    return true;
}

void ConstructReader::_Push(Token::Kind kind, unsigned char byte, unsigned int index,
                            unsigned int min, unsigned int max) {
    if (_verdict == kRead) {
        _tokens.push_back(Token{kind, byte, index, min, max});
    }
}

void ConstructReader::_Refuse(Verdict verdict) {
    if (_verdict == kRead) {
        _verdict = verdict;
        _tokens.clear();
        _tokens.shrink_to_fit();
        _sets.clear();
        _sets.shrink_to_fit();
    }
}

unsigned long ConstructReader::WrittenOut(const std::vector<unsigned long>& setWeights) const {
    // Per open group: all that it writes out before its last atom, and its
    // last atom, which a repetition multiplies; held one beyond the ranges
    // limit (see Times).
    const unsigned long hold = TypePattern::kMaxRanges + 1;
    struct Group {
        unsigned long before;
        unsigned long last;
    };
    std::vector<Group> groups(1, Group{0, 0});
    for (const Token& token : _tokens) {
        unsigned long atom = 1;
        switch (token.kind) {
            case Token::kOpen:
                groups.push_back(Group{0, 0});
                continue;
            case Token::kClose:
                // A group that writes nothing counts one, as for the atoms.
                atom = std::max(Plus(groups.back().before, groups.back().last, hold), 1UL);
                groups.pop_back();
                break;
            case Token::kRepeat:
                groups.back().last = Times(groups.back().last, Copies(token.min, token.max), hold);
                continue;
            case Token::kSet:
                atom = setWeights[token.index];
                break;
            default:
                break;
        }
        Group& group = groups.back();
        group.before = Plus(group.before, group.last, hold);
        group.last = token.kind == Token::kOr ? 0 : atom;
    }
    return Plus(groups.front().before, groups.front().last, hold);
}
