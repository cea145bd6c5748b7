#include "validate/TypePattern.h"

#include <ctype.h>
#include <locale.h>
#include <re2/re2.h>
#include <regex.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <memory>
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

// What a scan of a pattern finds: how deep its groups nest, the most copies
// regcomp makes of any one atom, how many atoms it writes out in all and how
// many empty forks (below) it writes out.
//
// A choice among n alternatives that can each match the empty string is an
// empty fork of n - 1: regcomp follows every way through a row of such
// choices, so its work doubles with each one ("(a*|b*){24,}" takes seconds,
// "((((a*|b*){2,}){2,}){2,}){2,}" minutes).
struct PatternShape {
    unsigned long depth = 0;
    unsigned long copies = 1;
    unsigned long atoms = 0;
    unsigned long forks = 0;
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
                // Deeper nesting does not compile: no need to follow it.
                if (groups.size() > TypePattern::kMaxDepth) {
                    shape.depth = groups.size();
                    return shape;
                }
                groups.push_back(Group());
                shape.depth = std::max<unsigned long>(shape.depth, groups.size() - 1);
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

// The bytes of a bracket expression.
typedef std::bitset<256> ByteSet;

// The bytes of the character class `name` in the C locale; false for a name
// regcomp does not know.
bool ClassBytes(const std::string& name, ByteSet& bytes) {
    static const struct {
        const char* name;
        int (*is)(int, locale_t);
    } kClasses[] = {{"alnum", isalnum_l}, {"alpha", isalpha_l}, {"blank", isblank_l},
                    {"cntrl", iscntrl_l}, {"digit", isdigit_l}, {"graph", isgraph_l},
                    {"lower", islower_l}, {"print", isprint_l}, {"punct", ispunct_l},
                    {"space", isspace_l}, {"upper", isupper_l}, {"xdigit", isxdigit_l}};
    for (const auto& c : kClasses) {
        if (name == c.name) {
            for (int b = 0; b < 256; ++b) {
                if (c.is(b, CLocale()) != 0) {
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

void AppendHex(std::string& out, unsigned b) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\x";
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 15]);
}

// Letters and digits stand for themselves; other bytes are escaped. A byte
// above 127 goes in a class with NUL, which no matched text holds: RE2
// 2022-06-01 loses the Latin-1 meaning of a literal above 127 when it
// factors alternatives ("\xe9|\xe9." then matches no "\xe9").
void AppendByte(std::string& out, unsigned b) {
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
        out.push_back(static_cast<char>(b));
    } else if (b < 128) {
        AppendHex(out, b);
    } else {
        out += "[\\x00";
        AppendHex(out, b);
        out.push_back(']');
    }
}

// A class of the bytes, NUL added (see AppendByte).
void AppendBytes(std::string& out, ByteSet bytes) {
    bytes.set(0);
    out.push_back('[');
    for (unsigned b = 0; b < 256; ++b) {
        if (!bytes.test(b)) {
            continue;
        }
        unsigned last = b;
        while (last + 1 < 256 && bytes.test(last + 1)) {
            ++last;
        }
        AppendHex(out, b);
        if (last > b) {
            out.push_back('-');
            AppendHex(out, last);
        }
        b = last;
    }
    out.push_back(']');
}

// Writes a pattern that regcomp accepts in the syntax of RE2, with the
// meaning regcomp gives it: every byte that stands for itself and every
// bracket expression as hexadecimal escapes, "{,n}" as "{0,n}", a repeated
// repetition grouped. False for what RE2 cannot match in linear time or
// could mean otherwise: back-references and the GNU escapes (\w \W \s \S \b
// \B \< \> \` \'), and anchors inside the construct. glibc lets a '^' match
// after a line feed that the match itself has taken, and a '$' before one
// that it goes on to take ("a$\nb" matches "a\nb"), which RE2 has no
// means to say; so a '^' must come before, and a '$' after, all that
// takes bytes in the ways through the construct, outside any repetition.
// Loops over the pattern without recursing on its nesting.
bool Translate(const std::string& pattern, std::string& out) {
    // Per open group (the whole pattern first): where it starts in `out`;
    // whether all before it takes no bytes; whether its alternatives so far
    // and its current one take bytes, hold an anchor, and end in a '$'.
    struct Level {
        Position start = 0;
        bool cleanStart = true;
        bool takes = false;
        bool altTakes = false;
        bool anchored = false;
        bool ends = false;
        bool altEnds = false;
    };
    std::vector<Level> levels(1);
    out.clear();
    bool hasLast = false;  // an atom that a repetition may follow
    bool lastRepeated = false;
    bool lastAnchored = false;
    Position lastStart = 0;
    // An atom that takes bytes, or (a group) may not.
    auto atom = [&](Position start, bool takes, bool anchored) {
        Level& level = levels.back();
        if (takes && level.altEnds) {
            return false;
        }
        level.takes = level.takes || takes;
        level.altTakes = level.altTakes || takes;
        hasLast = true;
        lastRepeated = false;
        lastAnchored = anchored;
        lastStart = start;
        return true;
    };
    auto repeat = [&](const std::string& op) {
        if (!hasLast || lastAnchored) {
            return false;
        }
        if (lastRepeated) {
            out.insert(lastStart, 1, '(');
            out.push_back(')');
        }
        out += op;
        lastRepeated = true;
        return true;
    };
    for (Position i = 0; i < pattern.size(); ++i) {
        const Position start = out.size();
        const unsigned char c = static_cast<unsigned char>(pattern[i]);
        switch (c) {
            case '\\': {
                if (++i == pattern.size()) {
                    return false;
                }
                const char e = pattern[i];
                if ((e >= '1' && e <= '9') || std::strchr("wWsSbB<>`'", e) != nullptr) {
                    return false;
                }
                AppendByte(out, static_cast<unsigned char>(e));
                if (!atom(start, true, false)) {
                    return false;
                }
                break;
            }
            case '[': {
                ByteSet bytes;
                if (!ReadBracket(pattern, i, bytes)) {
                    return false;
                }
                AppendBytes(out, bytes);
                if (!atom(start, true, false)) {
                    return false;
                }
                break;
            }
            case '(': {
                Level inner;
                inner.start = start;
                inner.cleanStart = levels.back().cleanStart && !levels.back().altTakes;
                levels.push_back(inner);
                out.push_back('(');
                hasLast = false;
                break;
            }
            case ')':
                if (levels.size() == 1) {
                    AppendByte(out, c);
                    if (!atom(start, true, false)) {
                        return false;
                    }
                } else {
                    const Level inner = levels.back();
                    levels.pop_back();
                    out.push_back(')');
                    if (!atom(inner.start, inner.takes, inner.anchored)) {
                        return false;
                    }
                    levels.back().anchored = levels.back().anchored || inner.anchored;
                    levels.back().altEnds = levels.back().altEnds || inner.ends || inner.altEnds;
                }
                break;
            case '|':
                levels.back().ends = levels.back().ends || levels.back().altEnds;
                levels.back().altEnds = false;
                levels.back().altTakes = false;
                out.push_back('|');
                hasLast = false;
                break;
            case '^':
                if (!levels.back().cleanStart || levels.back().altTakes) {
                    return false;
                }
                levels.back().anchored = true;
                out.push_back('^');
                hasLast = false;
                break;
            case '$':
                levels.back().anchored = true;
                levels.back().altEnds = true;
                out.push_back('$');
                hasLast = false;
                break;
            case '*':
            case '+':
            case '?':
                if (!repeat(std::string(1, static_cast<char>(c)))) {
                    return false;
                }
                break;
            case '{': {
                // regcomp takes "{" only as an interval: "{m}", "{m,}",
                // "{m,n}" or "{,n}". The bounds are within kMaxCopies.
                std::string op = "{";
                unsigned long bound = 0;
                bool digits = false;
                for (++i; i < pattern.size() && pattern[i] != '}'; ++i) {
                    const char d = pattern[i];
                    if (d == ',') {
                        op += std::to_string(bound) + ",";
                        bound = 0;
                        digits = false;
                    } else if (d >= '0' && d <= '9') {
                        bound =
                            std::min(bound * 10 + static_cast<unsigned long>(d - '0'), kTooMany);
                        digits = true;
                    } else {
                        return false;
                    }
                }
                if (i == pattern.size() ||
                    !repeat(op + (digits ? std::to_string(bound) : "") + "}")) {
                    return false;
                }
                break;
            }
            case '.':
                out.push_back('.');
                if (!atom(start, true, false)) {
                    return false;
                }
                break;
            default:
                AppendByte(out, c);
                if (!atom(start, true, false)) {
                    return false;
                }
                break;
        }
    }
    return levels.size() == 1;
}

}  // namespace

TypePattern::TypePattern(const std::string& construct) {
    std::string pattern;
    ConvertEscapes(construct, pattern);
    if (pattern.empty()) {
        return;
    }
    const PatternShape shape = Scan(pattern);
    if (shape.depth > kMaxDepth) {
        return;
    }
    if (shape.copies > kMaxCopies || shape.atoms > kMaxAtoms || shape.forks > kMaxEmptyForks) {
        return;
    }
    // regcomp reads the pattern up to its first NUL byte, and decides what
    // compiles; within the limits above it is quick and shallow.
    pattern.resize(std::strlen(pattern.c_str()));
    {
        const CLocaleScope cLocale;
        regex_t plain;
        if (regcomp(&plain, pattern.c_str(), REG_EXTENDED | REG_NOSUB) != 0) {
            return;
        }
        regfree(&plain);
    }
    std::string translated;
    if (!Translate(pattern, translated)) {
        return;
    }
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingLatin1);
    options.set_posix_syntax(true);
    options.set_longest_match(true);
    options.set_one_line(true);
    options.set_dot_nl(true);
    options.set_never_capture(true);
    options.set_log_errors(false);
    options.set_max_mem(kMaxMemory);
    auto expression = std::make_unique<RE2>(translated, options);
    if (expression->ok()) {
        _expression = std::move(expression);
    }
}

TypePattern::~TypePattern() = default;

TypePattern::Match TypePattern::Test(const std::string& value) const {
    // A match of the whole value is the leftmost one, and the longest there.
    // The search for any match comes first: it stops at the first match
    // that it finds, and a value with none is read once.
    const std::string::size_type nul = value.find('\0');
    const re2::StringPiece text(value.data(), nul == std::string::npos ? value.size() : nul);
    if (!_expression->Match(text, 0, text.size(), RE2::UNANCHORED, nullptr, 0)) {
        return NO_MATCH;
    }
    return nul == std::string::npos &&
                   _expression->Match(text, 0, text.size(), RE2::ANCHOR_BOTH, nullptr, 0)
               ? WHOLE_MATCH
               : PART_MATCH;
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
