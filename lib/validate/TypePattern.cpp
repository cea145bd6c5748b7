#include "validate/TypePattern.h"

#include <locale.h>
#include <re2/re2.h>
#include <regex.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "validate/ConstructReader.h"
#include "validate/MatcherBudget.h"

namespace {

typedef ConstructReader::Token Token;
typedef std::vector<Token>::size_type Index;

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
    static locale_t CLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        return c;
    }

    locale_t _previous;
};

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
void AppendBytes(std::string& out, ConstructReader::ByteSet bytes) {
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
// "(ab)*", "a{1}{1}" is "a". "a{2}?" allows 0 and 2 and stays two.
bool Compose(Counts inner, Counts outer, Counts& result) {
    if (outer.min == 1 && outer.max == 1) {
        result = inner;
        return true;
    }
    if (inner.min == 1 && inner.max == 1) {
        result = outer;
        return true;
    }
    if (inner.max == 0 || outer.max == 0) {
        result = Counts{0, 0};
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
    // Within the limits every count is at most kMaxCopies: no product
    // overflows.
    result.min = outer.min * inner.min;
    result.max =
        inner.max == kUnbounded || outer.max == kUnbounded ? kUnbounded : outer.max * inner.max;
    return true;
}

// Folds the repetitions that follow one another from `first` into as few as
// say the same, calls write(counts, closes) for each in order (`closes`
// false for the first), and returns the index past them.
template <typename Write>
Index FoldRepeats(const std::vector<Token>& tokens, Index first, Write write) {
    Index i = first;
    Counts counts{0, 0};
    bool closes = false;
    for (; i < tokens.size() && tokens[i].kind == Token::kRepeat; ++i) {
        const Counts next{tokens[i].min, tokens[i].max};
        if (i == first) {
            counts = next;
        } else if (!Compose(counts, next, counts)) {
            write(counts, closes);
            closes = true;
            counts = next;
        }
    }
    if (i > first) {
        write(counts, closes);
    }
    return i;
}

void AppendCounts(std::string& out, Counts counts) {
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

// RE2's text of a construct read: every byte that stands for itself and
// every bracket expression as hexadecimal escapes; stacked repetitions
// folded where that says the same, and grouped where it does not, each group
// opened where its atom starts. Within the limits at most a few stay apart
// ("a{2}?{2}?..."), so RE2 never meets the long chains of them that would
// take it past what its walkers visit ("a{1}{1}..." of a megabyte), where
// it writes to standard error and refuses the construct.
std::string WriteExpression(const ConstructReader& reader) {
    const std::vector<Token>& tokens = reader.Tokens();
    std::string out;
    // Opens the groups that the repetitions after the atom ending at `last`
    // need.
    auto open = [&](Index last) {
        FoldRepeats(tokens, last + 1, [&](Counts, bool closes) {
            if (closes) {
                out.push_back('(');
            }
        });
    };
    for (Index i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        switch (token.kind) {
            case Token::kByte:
                open(i);
                AppendByte(out, token.byte);
                break;
            case Token::kSet:
                open(i);
                AppendBytes(out, reader.Sets()[token.index]);
                break;
            case Token::kAny:
                open(i);
                out.push_back('.');
                break;
            case Token::kStart:
                out.push_back('^');
                break;
            case Token::kEnd:
                out.push_back('$');
                break;
            case Token::kOpen:
                open(token.index);
                out.push_back('(');
                break;
            case Token::kClose:
                out.push_back(')');
                break;
            case Token::kOr:
                out.push_back('|');
                break;
            case Token::kRepeat:
                i = FoldRepeats(tokens, i,
                                [&](Counts counts, bool closes) {
                                    if (closes) {
                                        out.push_back(')');
                                    }
                                    AppendCounts(out, counts);
                                }) -
                    1;
                break;
        }
    }
    return out;
}

// RE2 objects built, for Compilations().
std::atomic<unsigned long> compilations{0};

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

// Whether the construct ends in a '$' outside any group and alternation,
// and does not start with a '^' so: RE2 then finds every match from the
// end of the value backwards, with the reverse program, whose DFA holds a
// state for each position however large the construct is.
bool AnchoredAtEndOnly(const std::vector<Token>& tokens) {
    if (tokens.empty() || tokens.back().kind != Token::kEnd ||
        tokens.front().kind == Token::kStart) {
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
    if (!reader.Read(pattern)) {
        return;
    }
    // regcomp decides what compiles; within the reader's limits it is quick
    // and shallow.
    {
        const CLocaleScope cLocale;
        regex_t plain;
        if (regcomp(&plain, pattern.c_str(), REG_EXTENDED | REG_NOSUB) != 0) {
            return;
        }
        regfree(&plain);
    }
    // Whether RE2 can hold the program is decided at kMaxMemory; a
    // construct of a smaller program matches with kMatchMemory, room enough
    // for the DFAs of the constructs in use. A construct anchored at its
    // end alone matches from the end with a reverse DFA, which keeps few
    // states whatever its size; so it is given room for one from the start,
    // however large its program. Other constructs of large programs match
    // without a DFA: one pays while its states recur, and costs some four
    // times the simulation where nearly every byte makes a new one.
    const std::string expression = WriteExpression(reader);
    _anchoredAtEnd = AnchoredAtEndOnly(reader.Tokens());
    long memory = _anchoredAtEnd ? kMaxMemory : kMatchMemory;
    std::unique_ptr<const re2::RE2> matcher = Compile(expression, memory);
    if (!matcher->ok() && memory < kMaxMemory) {
        memory = kMaxMemory;
        matcher = Compile(expression, memory);
    }
    if (!matcher->ok()) {
        return;
    }
    _compiled = true;
    // The reverse program, compiled only when a search needs it, is as
    // large.
    const long size = matcher->ProgramSize();
    const long programs = kProgramBytes * size + kProgramSlack;
    const long room = memory - programs;
    const long least = kDfaBytes * size;
    // What the DFAs may hold comes from the run's budget; a matcher that
    // cannot have it is compiled again with the room of its programs alone.
    if (room >= least) {
        if (_Take(room)) {
            _matcher = std::move(matcher);
            return;
        }
    } else if (_anchoredAtEnd) {
        _Take(least);
    } else if (memory < kNoDfaBytes * size) {
        _matcher = std::move(matcher);
        return;
    }
    matcher.reset();
    _matcher = Compile(expression, programs + _share);
    _compiled = _matcher->ok();
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

unsigned long TypePattern::Compilations() {
    return compilations.load(std::memory_order_relaxed);
}

TypePattern::Match TypePattern::Test(const std::string& value) const {
    const re2::RE2& matcher = *_matcher;
    const std::string::size_type nul = value.find('\0');
    const re2::StringPiece text(value.data(), nul == std::string::npos ? value.size() : nul);
    const bool cut = nul != std::string::npos;
    if (_anchoredAtEnd) {
        // Every match ends at the end of the text: the leftmost one, which
        // the reverse DFA finds, covers the value when it starts there.
        re2::StringPiece match;
        if (!matcher.Match(text, 0, text.size(), RE2::UNANCHORED, &match, 1)) {
            return NO_MATCH;
        }
        return !cut && match.data() == text.data() && match.size() == text.size() ? WHOLE_MATCH
                                                                                  : PART_MATCH;
    }
    // A match of the whole value is the leftmost one, and the longest there.
    // The search for any match comes first: it stops at the first match
    // that it finds, and a value with none is read once.
    if (!matcher.Match(text, 0, text.size(), RE2::UNANCHORED, nullptr, 0)) {
        return NO_MATCH;
    }
    return !cut && matcher.Match(text, 0, text.size(), RE2::ANCHOR_BOTH, nullptr, 0) ? WHOLE_MATCH
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
