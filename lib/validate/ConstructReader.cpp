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
// Far above the limits of the closure.
const unsigned long kFar = 1UL << 20;

unsigned long Times(unsigned long a, unsigned long b, unsigned long cap = kTooMany) {
    return a != 0 && b > cap / a ? cap : a * b;
}

unsigned long Plus(unsigned long a, unsigned long b, unsigned long cap = kTooLarge) {
    return std::min(a + b, cap);
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

// An atom that takes a byte, and an anchor: a step that takes none.
ConstructReader::Closure ConstructReader::_ByteClosure() {
    Closure closure;
    closure.empty = false;
    return closure;
}

ConstructReader::Closure ConstructReader::_AnchorClosure() {
    Closure closure;
    closure.all = closure.head = Ways{0, 1};
    closure.anchors = 1;
    closure.first.steps = 1;
    return closure;
}

ConstructReader::Ways& ConstructReader::Ways::Add(const Ways& other, unsigned long times) {
    choices = Plus(choices, Times(other.choices, times, kFar), kFar);
    steps = Plus(steps, Times(other.steps, times, kFar), kFar);
    return *this;
}

ConstructReader::Run& ConstructReader::Run::Add(const Run& other) {
    steps = Plus(steps, other.steps, kFar);
    loop = loop || other.loop;
    return *this;
}

void ConstructReader::_Close(const Run& run, Closure& closure) {
    if (run.loop) {
        closure.charged.Add(Ways{0, run.steps});
    }
}

// The ways into a loop in `b` charge what reaches it from `a`, and the
// anchors at the end of `a` charge what `b` leads to from its start, once
// for each anchor: regcomp copies that for each. Where neither can match the
// empty string, the run between them ends.
ConstructReader::Closure ConstructReader::_Then(const Closure& a, const Closure& b) {
    Closure c;
    c.empty = a.empty && b.empty;
    c.charged = a.charged;
    c.charged.Add(b.charged);
    if (b.loopHead) {
        c.charged.Add(Ways{a.tail, 0});
    }
    c.charged.Add(b.head, a.anchors);
    c.all = a.all;
    c.all.Add(b.all);
    c.head = a.head;
    if (a.empty) {
        c.head.Add(b.head);
    }
    c.tail = b.tail;
    if (b.empty && !b.loopHead) {
        c.tail = Plus(c.tail, a.tail, kFar);
    }
    c.loopHead = a.loopHead || (a.empty && b.loopHead);
    c.anchors = Plus(b.anchors, b.empty ? a.anchors : 0, kFar);
    c.first = a.first;
    if (a.empty) {
        c.first.Add(b.first);
        c.last = b.last;
    } else if (b.empty) {
        c.last = a.last;
        c.last.Add(b.first);
    } else {
        Run between = a.last;
        _Close(between.Add(b.first), c);
        c.last = b.last;
    }
    return c;
}

// regcomp writes {m,n} out as m copies and n - m optional ones, {m,} as m
// copies and a starred one (see TypePattern.h). An optional copy of what can
// match the empty string is a choice of two ways; a starred one is a loop,
// whose closure walks all of it again for each way into it, and which is a
// choice of two ways to what follows an anchor. {0} drops the atom, but what
// it charged stays charged.
ConstructReader::Closure ConstructReader::_Repeated(const Closure& x, unsigned int min,
                                                    unsigned int max) {
    Closure repeated;
    if (max == 0) {
        repeated.charged = x.charged;
        return repeated;
    }
    for (unsigned int i = 0; i < min; ++i) {
        repeated = _Then(repeated, x);
    }
    if (max == min) {
        return repeated;
    }
    const bool loop = max == kUnbounded && x.empty;
    Closure copy;
    copy.charged = x.charged;
    copy.all = x.all;
    copy.all.Add(Ways{0, 1});
    copy.first = x.first;
    if (!x.empty) {
        copy.first.Add(x.last);
    }
    copy.first.Add(Run{1, loop});
    if (loop) {
        copy.charged.Add(Ways{x.all.choices, 0});
        copy.head = copy.all;
        copy.head.Add(Ways{2, 0});
        copy.loopHead = true;
    } else {
        const unsigned long own = max != kUnbounded && x.empty ? 2 : 0;
        copy.all.Add(Ways{own, 0});
        copy.head = x.head;
        copy.head.Add(Ways{own, 1});
        copy.tail = Plus(x.tail, own, kFar);
        copy.loopHead = x.loopHead;
    }
    const unsigned int copies = max == kUnbounded ? 1 : max - min;
    for (unsigned int i = 0; i < copies; ++i) {
        repeated = _Then(repeated, copy);
    }
    return repeated;
}

void ConstructReader::Level::EndAlternative() {
    alternatives.charged.Add(current.charged);
    alternatives.all.Add(current.all);
    alternatives.head.Add(current.head);
    alternatives.tail = Plus(alternatives.tail, current.tail, kFar);
    alternatives.loopHead = alternatives.loopHead || current.loopHead;
    alternatives.anchors = Plus(alternatives.anchors, current.anchors, kFar);
    alternatives.first.Add(current.first);
    if (!current.empty) {
        alternatives.last.Add(current.last);
    }
    ++count;
    if (current.empty) {
        ++empties;
    }
    current = Closure();
    ends = ends || altEnds;
    altEnds = false;
    altTakes = false;
}

// A choice among n alternatives that can each match the empty string offers
// n ways; each '|', and the group itself, is a step. When one alternative
// can match the empty string, the runs at the ends of all are one.
ConstructReader::Closure ConstructReader::Level::End(bool group) const {
    Closure closure = alternatives;
    closure.empty = empties > 0;
    const Ways own{empties > 1 ? empties : 0, count - 1 + (group ? 1 : 0)};
    closure.all.Add(own);
    closure.head.Add(own);
    closure.tail = Plus(closure.tail, own.choices, kFar);
    const Run steps{own.steps, false};
    closure.first.Add(steps);
    if (closure.empty) {
        closure.first.Add(closure.last);
        closure.last = Run();
    } else {
        closure.last.Add(steps);
    }
    if (!group) {
        _Close(closure.first, closure);
        _Close(closure.last, closure);
    }
    return closure;
}

void ConstructReader::Level::Charge() {
    Ways charged = alternatives.charged;
    charged.Add(current.charged);
    if (hasLast) {
        charged.Add(lastClosure.charged);
    }
    forks = charged.choices;
    steps = charged.steps;
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
                // What comes before the group can no longer be repeated.
                if (!_Commit()) {
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
                    read = _Atom(1, 1, _ByteClosure(), true, false);
                } else {
                    if (!_Commit()) {
                        return false;
                    }
                    Level inner = _levels.back();
                    _levels.pop_back();
                    _tokens[inner.open].index = static_cast<unsigned int>(_tokens.size());
                    _Push(Token::kClose);
                    inner.EndAlternative();
                    read = _Atom(inner.most, std::max(inner.atoms, 1UL), inner.End(true),
                                 inner.takes, inner.anchored, inner.ends);
                    Level& outer = _levels.back();
                    outer.anchored = outer.anchored || inner.anchored;
                }
                break;
            case '|': {
                if (!_Commit()) {
                    return false;
                }
                Level& level = _levels.back();
                level.last = 0;
                level.lastAtoms = 0;
                level.EndAlternative();
                _Push(Token::kOr);
                _repeatable = false;
                break;
            }
            case '^': {
                // glibc lets a '^' match after a line feed that the match
                // itself has taken, which RE2 has no means to say.
                if (!_Commit()) {
                    return false;
                }
                Level& level = _levels.back();
                if (!level.cleanStart || level.altTakes) {
                    return false;
                }
                _Push(Token::kStart);
                read = _Atom(1, 1, _AnchorClosure(), false, true);
                level.anchored = true;
                _repeatable = false;
                break;
            }
            case '$':
                // Likewise a '$' before a line feed that the match goes on
                // to take (see _Commit).
                _Push(Token::kEnd);
                read = _Atom(1, 1, _AnchorClosure(), false, true, true);
                _levels.back().anchored = true;
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
                read = _Atom(1, 1, _ByteClosure(), true, false);
                break;
            default:
                _Push(Token::kByte, c);
                read = _Atom(1, 1, _ByteClosure(), true, false);
                break;
        }
        if (!read || !_WithinLimits()) {
            return false;
        }
    }
    if (_levels.size() != 1 || !_Commit()) {
        return false;
    }
    Level& top = _levels.back();
    top.EndAlternative();
    const Closure whole = top.End(false);
    top.forks = whole.charged.choices;
    top.steps = whole.charged.steps;
    return _WithinLimits();
}

bool ConstructReader::_Escape(char escaped) {
    // Back-references and the GNU escapes: no linear-time match, or another
    // meaning in RE2.
    if ((escaped >= '1' && escaped <= '9') || std::strchr("wWsSbB<>`'", escaped) != nullptr) {
        return false;
    }
    _Push(Token::kByte, static_cast<unsigned char>(escaped));
    return _Atom(1, 1, _ByteClosure(), true, false);
}

bool ConstructReader::_Bracket() {
    ByteSet bytes;
    if (!ReadBracket(*_pattern, _at, bytes)) {
        return false;
    }
    _Push(Token::kSet, 0, static_cast<unsigned int>(_sets.size()));
    _sets.push_back(bytes);
    return _Atom(1, 1, _ByteClosure(), true, false);
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

bool ConstructReader::_Atom(unsigned long copies, unsigned long atoms, const Closure& closure,
                            bool takes, bool anchored, bool ends) {
    if (!_Commit()) {
        return false;
    }
    Level& level = _levels.back();
    _repeatable = true;
    _lastAnchored = anchored;

    level.last = copies;
    level.most = std::max(level.most, level.last);
    level.lastAtoms = atoms;
    level.atoms = Plus(level.atoms, atoms);
    level.hasLast = true;
    level.lastClosure = closure;
    level.lastTakes = takes;
    level.lastEnds = ends;
    level.Charge();
    return true;
}

bool ConstructReader::_Commit() {
    Level& level = _levels.back();
    if (!level.hasLast) {
        return true;
    }
    // glibc lets a '$' match before a line feed that the match goes on to
    // take, which RE2 has no means to say.
    const bool takes = level.lastTakes;
    if (takes && level.altEnds) {
        return false;
    }
    level.takes = level.takes || takes;
    level.altTakes = level.altTakes || takes;
    level.altEnds = level.altEnds || level.lastEnds;
    level.current = _Then(level.current, level.lastClosure);
    level.hasLast = false;
    level.Charge();
    return true;
}

// What regcomp writes out for a repetition: {m,n} makes n copies of its atom,
// {m} m, {m,} m and a starred one; at least one.
bool ConstructReader::_Repeat(unsigned int min, unsigned int max) {
    if (!_repeatable || _lastAnchored) {
        return false;
    }
    _Push(Token::kRepeat, 0, 0, min, max);

    const unsigned long copies = std::max(max == kUnbounded ? min + 1UL : max, 1UL);
    Level& level = _levels.back();
    level.last = Times(level.last, copies);
    level.most = std::max(level.most, level.last);
    const unsigned long atoms = Times(level.lastAtoms, copies, kTooLarge);
    level.atoms = Plus(level.atoms, atoms - std::min(atoms, level.lastAtoms));
    level.lastAtoms = atoms;
    // Repeated zero times, it takes no bytes.
    level.lastTakes = level.lastTakes && max != 0;
    level.lastClosure = _Repeated(level.lastClosure, min, max);
    level.Charge();
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
    if (level.steps > TypePattern::kMaxClosureSteps) {
        return false;
    }
    return level.most <= TypePattern::kMaxCopies && level.atoms <= TypePattern::kMaxAtoms &&
           level.forks <= TypePattern::kMaxEmptyForks;
}
