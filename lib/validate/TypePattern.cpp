#include "validate/TypePattern.h"

#include <re2/re2.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "validate/ByteClasses.h"
#include "validate/ConstructReader.h"
#include "validate/MatcherBudget.h"

namespace {

typedef ConstructReader::Token Token;
typedef ConstructReader::ByteSet ByteSet;
typedef std::vector<Token>::size_type Index;

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

// The counts a repetition allows.
struct Counts {
    unsigned int min;
    unsigned int max;  // ConstructReader::kUnbounded when there is no bound
};

const unsigned int kUnbounded = ConstructReader::kUnbounded;

// Repeating what `inner` repeats under `outer` allows the counts n1 + ... +
// nk, each ni in inner, k in outer. When those are one interval, sets
// `result` to it and returns true: "a{2}{3}" is "a{6}", "(ab)*+" is
// "(ab)*", "a{1}{1}" is "a". "a{2}?" allows 0 and 2 and stays two. No
// count is zero: an atom repeated zero times is written as nothing.
bool Compose(Counts inner, Counts outer, Counts& result) {
    if (outer.min == 1 && outer.max == 1) {
        result = inner;
        return true;
    }
    if (inner.min == 1 && inner.max == 1) {
        result = outer;
        return true;
    }
    // k copies allow [k * min, k * max]; the intervals of k and k + 1 meet
    // when k * (max - min) >= min - 1, which holds for every k >= 1 once it
    // holds for the smallest.
    const bool meet = outer.min == outer.max || inner.min <= 1 ||
                      (outer.min >= 1 && (inner.max == kUnbounded ||
                                          outer.min * (inner.max - inner.min) >= inner.min - 1));
    if (!meet) {
        return false;
    }
    // Within kMaxAtoms no atom is copied more than that many times in all:
    // no product overflows.
    result.min = outer.min * inner.min;
    result.max =
        inner.max == kUnbounded || outer.max == kUnbounded ? kUnbounded : outer.max * inner.max;
    return true;
}

// Folds the repetitions that follow one another from `first` into as few as
// say the same, calls write(counts, closes) for each in order (`closes`
// false for the first), and returns the index past them. `optional`: the
// atom is a group written without its empty alternatives, which a '?' then
// stands for, before the repetitions.
template <typename Write>
Index FoldRepeats(const std::vector<Token>& tokens, Index first, bool optional, Write write) {
    Index i = first;
    bool any = optional;
    Counts counts{0, 1};
    bool closes = false;
    for (; i < tokens.size() && tokens[i].kind == Token::kRepeat; ++i) {
        const Counts next{tokens[i].min, tokens[i].max};
        if (!any) {
            counts = next;
            any = true;
        } else if (!Compose(counts, next, counts)) {
            write(counts, closes);
            closes = true;
            counts = next;
        }
    }
    if (any) {
        write(counts, closes);
    }
    return i;
}

// The index past the repetitions from `first`.
Index PastRepeats(const std::vector<Token>& tokens, Index first) {
    while (first < tokens.size() && tokens[first].kind == Token::kRepeat) {
        ++first;
    }
    return first;
}

// Whether one of the repetitions from `first` repeats their atom zero times,
// which leaves it only the empty string to match, so that it is written as
// nothing; `last` is set to the last of them.
bool RepeatedZeroTimes(const std::vector<Token>& tokens, Index first, Index& last) {
    const Index past = PastRepeats(tokens, first);
    const bool zero = std::any_of(tokens.begin() + first, tokens.begin() + past,
                                  [](const Token& repeat) { return repeat.max == 0; });
    if (zero) {
        last = past - 1;
    }
    return zero;
}

// "{1}" says nothing, and is left out.
void AppendCounts(std::string& out, Counts counts) {
    if (counts.min == 1 && counts.max == 1) {
        return;
    }
    if (counts.max == kUnbounded) {
        out += counts.min == 0   ? "*"
               : counts.min == 1 ? "+"
                                 : "{" + std::to_string(counts.min) + ",}";
    } else if (counts.min == 0 && counts.max == 1) {
        out.push_back('?');
    } else if (counts.min == counts.max) {
        out += "{" + std::to_string(counts.min) + "}";
    } else {
        out += "{" + std::to_string(counts.min) + "," + std::to_string(counts.max) + "}";
    }
}

// How a group is written: as it is; without its empty alternatives, which
// a '?' after it stands for; bare, without its parentheses, where it has one
// alternative and no repetition; or as nothing, with its repetitions, where
// it can match only the empty string.
enum GroupForm : unsigned char { kAsIs, kOptional, kBare, kNothing };

// The form of each group, by its kOpen token, and of the whole construct,
// at the end (kAsIs or kOptional).
std::vector<GroupForm> GroupForms(const std::vector<Token>& tokens) {
    struct Scan {
        Index open;
        bool empty = false;    // an empty alternative
        bool full = false;     // one that is not
        bool current = false;  // the current alternative holds a token
        bool alternatives = false;

        void EndAlternative() {
            (current ? full : empty) = true;
            current = false;
        }
        GroupForm Form(bool repeated) const {
            return empty && full ? kOptional : !alternatives && !repeated ? kBare : kAsIs;
        }
    };
    std::vector<GroupForm> forms(tokens.size() + 1, kAsIs);
    std::vector<Scan> scans(1, Scan{tokens.size()});
    for (Index i = 0; i < tokens.size(); ++i) {
        switch (tokens[i].kind) {
            case Token::kOpen:
                if (!RepeatedZeroTimes(tokens, tokens[i].index + 1, i)) {
                    scans.push_back(Scan{i});
                }
                break;
            case Token::kClose: {
                Scan& scan = scans.back();
                scan.EndAlternative();
                const Index past = PastRepeats(tokens, i + 1);
                const GroupForm form = scan.full ? scan.Form(past > i + 1) : kNothing;
                forms[scan.open] = form;
                scans.pop_back();
                // A group that writes nothing leaves its alternative empty.
                if (form == kNothing) {
                    i = past - 1;
                } else {
                    scans.back().current = true;
                }
                break;
            }
            case Token::kOr:
                scans.back().EndAlternative();
                scans.back().alternatives = true;
                break;
            case Token::kByte:
            case Token::kSet:
            case Token::kAny:
                if (!RepeatedZeroTimes(tokens, i + 1, i)) {
                    scans.back().current = true;
                }
                break;
            default:
                scans.back().current = true;
                break;
        }
    }
    scans.back().EndAlternative();
    forms[tokens.size()] = scans.back().empty && scans.back().full ? kOptional : kAsIs;
    return forms;
}

// RE2's text of a construct read, in a form that says the same in fewer
// nodes, since RE2's parser takes time growing as the square of nested
// empty alternatives, and its walkers stop past a million nodes, writing to
// standard error and refusing the construct: every byte that stands for
// itself and every bracket expression as hexadecimal escapes; the empty
// alternatives of a group left out for a '?' after it ("(a||b)" is
// "(a|b)?"), a group of one alternative not repeated left bare ("((a))" is
// "a"); stacked repetitions folded where that says the same and grouped
// where it does not, each group opened where its atom starts, "{1}" left
// out, and an atom repeated zero times or a group that can match only the
// empty string written as nothing, its alternative empty where nothing else
// is in it ("(a{0}|b)" and "((|)|b)" are "(b)?"): RE2 takes an instruction
// for each "()" while it compiles, though none is left in its program, so
// that a run of them needed the memory of a large program, and a verdict
// could depend on the room that the run's budget left the construct. So
// every repetition that RE2 meets nested in another is of
// a count of 2 or more, or one that it merges with the other ("(a?)*" is
// "a*"), and RE2's tree stays within a few nodes an atom written out,
// however the construct stacks or nests repetitions ("a{1}{1}..." or
// "((a){1}){1}..." of megabytes).
//
// With `classes`, every byte and set is written as its classes, for values
// read through the class map.
std::string WriteExpression(const ConstructReader& reader, const ByteClasses* classes) {
    const std::vector<Token>& tokens = reader.Tokens();
    const std::vector<GroupForm> forms = GroupForms(tokens);
    const std::vector<ByteSet>& sets = classes != nullptr ? classes->Sets() : reader.Sets();
    std::string out;
    // Per open group: its form, whether an alternative is written, and
    // whether a '|' is owed before the next.
    struct Level {
        GroupForm form;
        bool any;
        bool separator;
    };
    std::vector<Level> levels(1, Level{forms[tokens.size()], false, false});
    auto write = [&](Counts counts, bool closes) {
        if (closes) {
            out.push_back(')');
        }
        AppendCounts(out, counts);
    };
    // Starts an atom or anchor: the '|' owed before it.
    auto separate = [&]() {
        Level& level = levels.back();
        if (level.separator) {
            out.push_back('|');
        }
        level.any = true;
        level.separator = false;
    };
    // Starts the atom ending at `last`: opens the groups that the
    // repetitions after it need, or, where they repeat it zero times, writes
    // nothing for it all and moves `i` to the last of them.
    auto open = [&](Index& i, Index last, bool optionalGroup) {
        if (RepeatedZeroTimes(tokens, last + 1, i)) {
            return false;
        }
        separate();
        std::string::size_type groups = 0;
        FoldRepeats(tokens, last + 1, optionalGroup,
                    [&](Counts, bool closes) { groups += closes ? 1 : 0; });
        out.append(groups, '(');
        return true;
    };
    for (Index i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        switch (token.kind) {
            case Token::kByte:
                if (open(i, i, false)) {
                    AppendByte(out, classes != nullptr ? classes->Of(token.byte) : token.byte);
                }
                break;
            case Token::kSet:
                if (open(i, i, false)) {
                    AppendBytes(out, sets[token.index]);
                }
                break;
            case Token::kAny:
                if (open(i, i, false)) {
                    out.push_back('.');
                }
                break;
            case Token::kStart:
            case Token::kEnd:
                separate();
                out.push_back(token.kind == Token::kStart ? '^' : '$');
                break;
            case Token::kOpen: {
                const GroupForm form = forms[i];
                if (form == kNothing) {
                    i = PastRepeats(tokens, token.index + 1) - 1;
                } else if (open(i, token.index, form == kOptional)) {
                    if (form != kBare) {
                        out.push_back('(');
                    }
                    levels.push_back(Level{form, false, false});
                }
                break;
            }
            case Token::kClose: {
                const GroupForm form = levels.back().form;
                levels.pop_back();
                if (form != kBare) {
                    out.push_back(')');
                    i = FoldRepeats(tokens, i + 1, form == kOptional, write) - 1;
                }
                break;
            }
            case Token::kOr:
                levels.back().separator = levels.back().any;
                break;
            case Token::kRepeat:
                i = FoldRepeats(tokens, i, false, write) - 1;
                break;
        }
    }
    if (forms[tokens.size()] == kOptional) {
        out = "(" + out + ")?";
    }
    return out;
}

// RE2 objects built and searches made, for Compilations() and Searches().
std::atomic<unsigned long> compilations{0};
std::atomic<unsigned long> searches{0};

bool Search(const re2::RE2& matcher, const re2::StringPiece& text, RE2::Anchor anchor) {
    searches.fetch_add(1, std::memory_order_relaxed);
    return matcher.Match(text, 0, text.size(), anchor, nullptr, 0);
}

std::unique_ptr<const re2::RE2> Compile(const std::string& expression, long maxMemory) {
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingLatin1);
    options.set_posix_syntax(true);
    options.set_longest_match(true);
    options.set_one_line(true);
    options.set_dot_nl(true);
    options.set_never_capture(true);
    options.set_log_errors(false);
    options.set_max_mem(maxMemory);
    compilations.fetch_add(1, std::memory_order_relaxed);
    return std::make_unique<const RE2>(expression, options);
}

// RE2's memory for a program of `size` instructions, measured on RE2
// 2022-06-01: its two programs (forward and reverse) compile within
// kProgramBytes an instruction. A DFA starts only when its part of the
// memory holds its work queues and room for twenty states of the largest
// kind the program could make: for the forward and the reverse DFA together
// some 375 bytes an instruction beyond the programs, whatever the
// construct, and never less than kNoDfaBytes in all. Without one RE2
// matches with its slower simulation alone, and keeps nothing between
// values.
const long kProgramBytes = 80;
const long kProgramSlack = 8L << 10;
const long kDfaBytes = 400;
const long kNoDfaBytes = 350;

// RE2 compiled in the room of its programs, `programs`. RE2 counts, while
// it compiles, instructions that its program does not keep (a thousand
// alternatives that are one, "(a|a|...)", are one instruction in the
// end), so that room may not hold it: it is tried at twice the room, and so
// on up to `compiled`, the memory in which it compiled before. So the
// construct compiles here whenever it compiled there, within at most twice
// what RE2 needs.
std::unique_ptr<const re2::RE2> CompileWithin(const std::string& expression, long programs,
                                              long compiled) {
    long memory = std::min(programs, compiled);
    std::unique_ptr<const re2::RE2> matcher = Compile(expression, memory);
    while (!matcher->ok() && memory < compiled) {
        memory = std::min(2 * memory, compiled);
        matcher.reset();
        matcher = Compile(expression, memory);
    }
    return matcher;
}

// Whether every match of the construct ends at the end of the value: it
// ends in a '$' outside any group and alternation.
bool EndsAtTheEnd(const std::vector<Token>& tokens) {
    if (tokens.empty() || tokens.back().kind != Token::kEnd) {
        return false;
    }
    int depth = 0;
    for (const Token& token : tokens) {
        depth += token.kind == Token::kOpen ? 1 : token.kind == Token::kClose ? -1 : 0;
        if (depth == 0 && token.kind == Token::kOr) {
            return false;
        }
    }
    return true;
}

// The weight of each set as RE2 writes it: its ranges, of bytes or of
// classes.
std::vector<unsigned long> SetRanges(const std::vector<ByteSet>& sets) {
    std::vector<unsigned long> ranges;
    ranges.reserve(sets.size());
    for (const ByteSet& set : sets) {
        ranges.push_back(ByteClasses::Ranges(set));
    }
    return ranges;
}

}  // namespace

TypePattern::TypePattern(const std::string& construct, std::shared_ptr<MatcherBudget> budget)
    : _budget(std::move(budget)) {
    std::string pattern;
    ConvertEscapes(construct, pattern);
    if (pattern.empty()) {
        return;
    }
    // regcomp reads the pattern up to its first NUL byte.
    pattern.resize(std::strlen(pattern.c_str()));
    ConstructReader reader;
    if (reader.Read(pattern) != ConstructReader::kRead) {
        return;
    }
    // Over bytes, or over classes where that writes fewer ranges and the
    // bytes would write more than kMaxAtoms: more than a construct of '.'
    // may. The class map costs a pass over each value.
    unsigned long ranges = reader.WrittenOut(SetRanges(reader.Sets()));
    std::unique_ptr<const ByteClasses> classes;
    if (ranges > kMaxAtoms) {
        classes = std::make_unique<const ByteClasses>(reader);
        const unsigned long inClasses =
            classes->Count() < 256 ? reader.WrittenOut(SetRanges(classes->Sets())) : ranges;
        if (inClasses < ranges) {
            ranges = inClasses;
        } else {
            classes.reset();
        }
    }
    if (ranges > kMaxRanges) {
        return;
    }
    // RE2 finds the matches of a construct that ends in '$' from the end
    // backwards, with a DFA that it never leaves for its simulation, however
    // fast it makes states: a NUL, which no value holds, may follow the '$'
    // so that RE2 searches forwards, as for every other construct.
    std::string expression = WriteExpression(reader, classes.get());
    _classes = std::move(classes);
    const std::vector<Token>& tokens = reader.Tokens();
    if (std::any_of(tokens.begin(), tokens.end(),
                    [](const Token& token) { return token.kind == Token::kEnd; })) {
        expression += "\\x00?";
    }
    _endsAtTheEnd = EndsAtTheEnd(tokens);
    // Whether RE2 can hold the program is decided at kMaxMemory; a construct
    // of a smaller program matches with kMatchMemory, room enough for the
    // DFAs of the constructs in use. Others match without a DFA: one pays
    // while its states recur, and costs some four times the simulation
    // where nearly every byte makes a new one.
    long memory = kMatchMemory;
    std::unique_ptr<const re2::RE2> matcher = Compile(expression, memory);
    if (matcher->error_code() == RE2::ErrorPatternTooLarge) {
        memory = kMaxMemory;
        matcher = Compile(expression, memory);
    }
    if (!matcher->ok()) {
        return;
    }
    // kProgramBytes an instruction holds room for a reverse program as
    // large, though no search here makes RE2 build one.
    const long size = matcher->ProgramSize();
    const long programs = kProgramBytes * size + kProgramSlack;
    const long room = memory - programs;
    // What the DFAs may hold comes from the run's budget; a matcher that
    // cannot have it is compiled again with the room of its programs alone,
    // as is one whose DFA would not start in its room: it would keep what
    // it was given for nothing. One too large to start a DFA at all is kept.
    const bool kept = room >= kDfaBytes * size ? _Take(room) : memory < kNoDfaBytes * size;
    if (!kept) {
        matcher = CompileWithin(expression, programs, memory);
    }
    _compiled = matcher->ok();
    _matcher = std::move(matcher);
}

bool TypePattern::_Take(long bytes) {
    if (_budget != nullptr && !_budget->Take(bytes)) {
        return false;
    }
    _share = bytes;
    return true;
}

TypePattern::~TypePattern() {
    if (_budget != nullptr) {
        _budget->Return(_share);
    }
}

long TypePattern::Memory() const {
    return _matcher != nullptr ? _matcher->options().max_mem() : 0;
}

long TypePattern::ProgramSize() const {
    return _matcher->ProgramSize();
}

const std::string& TypePattern::Expression() const {
    return _matcher->pattern();
}

unsigned long TypePattern::Compilations() {
    return compilations.load(std::memory_order_relaxed);
}

unsigned long TypePattern::Searches() {
    return searches.load(std::memory_order_relaxed);
}

inline TypePattern::Match TypePattern::_Test(const re2::StringPiece& text, bool cut) const {
    if (_endsAtTheEnd) {
        // Every match ends at the end: one that starts at the start, which
        // the search anchored at both ends finds at once, is the first.
        if (!cut && Search(*_matcher, text, RE2::ANCHOR_BOTH)) {
            return WHOLE_MATCH;
        }
        return Search(*_matcher, text, RE2::UNANCHORED) ? PART_MATCH : NO_MATCH;
    }
    // A match of the whole value is the leftmost one, and the longest there.
    // The search for any match comes first: it stops at the first match
    // that it finds, and a value with none is read once.
    if (!Search(*_matcher, text, RE2::UNANCHORED)) {
        return NO_MATCH;
    }
    return !cut && Search(*_matcher, text, RE2::ANCHOR_BOTH) ? WHOLE_MATCH : PART_MATCH;
}

TypePattern::Match TypePattern::Test(const std::string& value) const {
    const char* const nul = static_cast<const char*>(std::memchr(value.data(), '\0', value.size()));
    const bool cut = nul != nullptr;
    const re2::StringPiece text(value.data(), cut ? nul - value.data() : value.size());
    return _classes == nullptr ? _Test(text, cut) : _TestClasses(text, cut);
}

TypePattern::Match TypePattern::_TestClasses(const re2::StringPiece& text, bool cut) const {
    std::string classes(text.size(), '\0');
    for (std::string::size_type i = 0; i < classes.size(); ++i) {
        classes[i] = static_cast<char>(_classes->Of(static_cast<unsigned char>(text[i])));
    }
    return _Test(re2::StringPiece(classes), cut);
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
