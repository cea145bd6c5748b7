// Type patterns refereed by glibc: on fixed and generated constructs and
// values, TypePattern compiles only what regcomp (REG_EXTENDED, C locale)
// compiles and answers as regexec does; and the rules of the translation one
// by one, each with its own small cases.

#include <gtest/gtest.h>
#include <locale.h>
#include <regex.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "validate/ConstructReader.h"
#include "validate/LargeBracket.h"
#include "validate/TypePattern.h"

namespace {

typedef TypePattern::Match Match;
const Match kNone = TypePattern::NO_MATCH;
const Match kPart = TypePattern::PART_MATCH;
const Match kWhole = TypePattern::WHOLE_MATCH;

// The bytes printable, the others as \xNN, for messages.
std::string Shown(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : text.substr(0, 80)) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7f) {
            shown.push_back(c);
        } else {
            shown += "\\x";
            shown.push_back(kHex[b >> 4]);
            shown.push_back(kHex[b & 15]);
        }
    }
    return shown + (text.size() > 80 ? "..." : "");
}

const char* Name(Match match) {
    return match == kNone ? "none" : match == kPart ? "part" : "whole";
}

// The given locale for the calling thread while the scope lasts.
class ThreadLocale {
public:
    explicit ThreadLocale(locale_t locale) : _previous(uselocale(locale)) {}
    ~ThreadLocale() { uselocale(_previous); }
    ThreadLocale(const ThreadLocale&) = delete;
    ThreadLocale& operator=(const ThreadLocale&) = delete;

private:
    locale_t _previous;
};

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

// glibc's reading of a construct: regcomp with REG_EXTENDED and regexec, both
// in the C locale, regexec given ten regmatch_t (flags 0, only the first
// read) as the validator is defined. With more than one, glibc follows its
// search with a pass that finds the groups' matches and drops a match whose
// anchor holds only beside a line feed that the match takes ("(b|a$)\n"
// matches "a\n" with one regmatch_t, not with two), which TypePattern
// refuses; so the answers with one and with ten agree on all it compiles.
// That pass may never return on a repeated group that can match the empty
// string, where only one is asked for.
class Glibc {
public:
    static constexpr std::size_t kSlots = 10;

    explicit Glibc(const std::string& construct) {
        std::string pattern;
        TypePattern::ConvertEscapes(construct, pattern);
        const ThreadLocale c(CLocale());
        _compiled = regcomp(&_regex, pattern.c_str(), REG_EXTENDED) == 0;
    }
    ~Glibc() {
        if (_compiled) {
            regfree(&_regex);
        }
    }
    Glibc(const Glibc&) = delete;
    Glibc& operator=(const Glibc&) = delete;

    bool IsCompiled() const { return _compiled; }

    Match Test(const std::string& value, std::size_t slots = kSlots) const {
        const ThreadLocale c(CLocale());
        regmatch_t matches[kSlots];
        if (regexec(&_regex, value.c_str(), std::min(slots, kSlots), matches, 0) != 0) {
            return kNone;
        }
        const bool whole = matches[0].rm_so == 0 &&
                           matches[0].rm_eo == static_cast<regoff_t>(std::strlen(value.c_str())) &&
                           value.find('\0') == std::string::npos;
        return whole ? kWhole : kPart;
    }

private:
    regex_t _regex;
    bool _compiled = false;
};

// What a referee run saw: constructs compiled, refused by TypePattern (for
// its documented refusals, or by glibc) by the rule that refuses them, or
// with no rule that says why, the answers compared and how many differed.
struct Tally {
    unsigned long constructs = 0;
    unsigned long compiled = 0;
    unsigned long refused = 0;
    std::map<std::string, unsigned long> rules;
    unsigned long unexplained = 0;
    unsigned long answers[3] = {0, 0, 0};
    unsigned long divergences = 0;
};

// The rule that refuses a construct (see Refusal), or "" when none does.
typedef std::function<std::string()> Explanation;

// Compares TypePattern's verdict and answers with glibc's on one construct:
// what TypePattern compiles glibc compiles, and answers alike. glibc is not
// asked about a construct that TypePattern refuses, since its limits keep out
// those on which regcomp takes seconds. glibc is given `slots` regmatch_t,
// and one as well when that is more, whose answers must be the same (see
// Glibc). Given an explanation, a refusal needs a rule that says why. The
// first divergences and unexplained refusals fail with their construct and
// value; all are counted.
void Referee(const std::string& construct, const std::vector<std::string>& values, Tally& tally,
             std::size_t slots = Glibc::kSlots, const Explanation& explain = Explanation()) {
    const unsigned long kShown = 25;
    ++tally.constructs;
    const TypePattern pattern(construct);
    if (!pattern.IsCompiled()) {
        ++tally.refused;
        const std::string rule = explain ? explain() : std::string("not asked");
        if (!rule.empty()) {
            ++tally.rules[rule];
        } else if (tally.unexplained++ < kShown) {
            ADD_FAILURE() << "refused, and no rule says why: " << Shown(construct);
        }
        return;
    }
    const Glibc glibc(construct);
    if (!glibc.IsCompiled()) {
        if (tally.divergences++ < kShown) {
            ADD_FAILURE() << "compiled, but glibc refuses: " << Shown(construct);
        }
        return;
    }
    ++tally.compiled;
    for (const std::string& value : values) {
        const Match expected = glibc.Test(value, slots);
        const Match actual = pattern.Test(value);
        const Match oneSlot = slots > 1 ? glibc.Test(value, 1) : expected;
        ++tally.answers[expected];
        if ((actual != expected || oneSlot != expected) && tally.divergences++ < kShown) {
            ADD_FAILURE() << Shown(construct) << " on \"" << Shown(value) << "\": glibc "
                          << Name(expected) << " (" << Name(oneSlot) << " with one regmatch_t)"
                          << ", TypePattern " << Name(actual);
        }
    }
}

std::vector<std::string> AllBytes() {
    std::vector<std::string> values;
    for (int b = 0; b < 256; ++b) {
        values.push_back(std::string(1, static_cast<char>(b)));
    }
    return values;
}

// Every string made of up to `length` of the `parts`, the empty one too.
std::vector<std::string> AllStrings(const std::vector<std::string>& parts, std::size_t length) {
    std::vector<std::string> values(1);
    for (std::size_t from = 0, to = 1; length-- > 0; from = to, to = values.size()) {
        for (std::size_t i = from; i < to; ++i) {
            for (const std::string& part : parts) {
                values.push_back(values[i] + part);
            }
        }
    }
    return values;
}

// Every string over `alphabet` up to `length` bytes long, the empty one too.
std::vector<std::string> AllStrings(const std::string& alphabet, std::size_t length) {
    std::vector<std::string> parts;
    for (const char c : alphabet) {
        parts.emplace_back(1, c);
    }
    return AllStrings(parts, length);
}

const char* const kClassNames[] = {"alpha", "digit", "alnum", "upper", "lower", "space",
                                   "blank", "punct", "print", "graph", "cntrl", "xdigit"};

// Every class name, alone, negated and in company, holds the bytes it holds
// in the C locale.
TEST(TypePatternReferee, ClassNamesHoldTheirBytes) {
    const std::vector<std::string> values = AllBytes();
    Tally tally;
    for (const char* name : kClassNames) {
        const std::string form = std::string("[:") + name + ":]";
        for (const std::string& construct :
             {"[" + form + "]", "[^" + form + "]", "[" + form + "_]", "[^" + form + "\\]",
              "[" + form + "[:digit:]]", "[" + form + "]+"}) {
            Referee(construct, values, tally);
        }
    }
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(tally.constructs, tally.compiled);
}

// Bracket forms: ']' and "^]" first, '-' first and last, ranges and the
// bytes on either side of their ends, across 127 and 128, backslash, '['
// and the collating symbols and equivalence classes, also as range ends.
TEST(TypePatternReferee, BracketFormsHoldTheirBytes) {
    // clang-format off
    const char* const kBrackets[] = {
        // ']' and '-' first and last
        "[]a]", "[^]a]", "[]]", "[^]]", "[]-a]", "[^]-a]", "[-a]", "[^-a]", "[a-]", "[^a-]",
        "[ab-]", "[-ab-]", "[--/]", "[%--]", "[!---]", "[a-c-]", "[[-]]",
        // ranges, and across 127 and 128
        "[a-c]", "[^a-c]", "[b-b]", "[a-cx-z]", "[0-9A-Fa-f]", "[ -~]", "[^ -~]", "[\t-\r]",
        "[\\t-\\r ]", "[~-\x81]", "[\x7f-\x80]", "[\x80-\xff]", "[^\x80-\xff]", "[\xe0-\xef]",
        "[\x01-\x7f]", "[\x01-\xff]", "[\xfe-\xff]", "[a-\xe9]", "[\xa9-\xc3]",
        // backslash, '[', and bytes special outside brackets
        "[\\\\]", "[\\]]", "[\\\\-a]", "[a\\\\]", "[[]", "[a[]", "[[a]", "[a^]", "[^^]",
        "[\\n]", "[^\\n]", "[.]", "[*+?{}()|$^]", "[ab]", "[^ab]", "[\xe9]", "[^\xe9]",
        // collating symbols and equivalence classes, also as range ends
        "[[.-.]]", "[[.-.]a]", "[[.-.]-0]", "[!-[.-.]]", "[[.].]]", "[[.^.]]", "[[.[.]]",
        "[[.a.]-[.c.]]", "[[.a.]-c]", "[a-[.c.]]", "[[=a=]]", "[[=a=]b-c]", "[^[=a=]]",
        "[[=-=]]", "[[=]=]]", "[[.\xe9.]]", "[[=\xe9=]]",
        // classes in company
        "[[:digit:]-]", "[[:alpha:]0-2]", "[^[:space:][:punct:]]", "[[:upper:][:digit:]]",
    };
    // clang-format on
    const std::vector<std::string> values = AllBytes();
    Tally tally;
    for (const char* construct : kBrackets) {
        Referee(construct, values, tally);
    }
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(tally.constructs, tally.compiled);
}

// Repetitions stacked on atoms, brackets and groups, alternatives and
// anchors, on every short string over their letters.
TEST(TypePatternReferee, RepetitionsAndAlternativesAnswerOnShortValues) {
    // clang-format off
    const char* const kConstructs[] = {
        // repetitions stacked on atoms, brackets and groups
        "(ab){2}{3}", "(ab){2}{2}", "(a|b)*{2}", "[ab]{1,2}{2}", "a{2}?", "(ab)+{0,1}",
        "(a|bc)+{2}", "a+{3}", "a{1,2}{2}", "(ab){2}*", "a{2}{0}", "a{2}+", "a?{2}",
        "(a|b){2}{2}{2}", "((ab){1,2}){2}", "(a{2}){2}?", "a**", "a*+", "a+?", "(a|b)?*",
        "[abc]{0,2}{2,3}", "[ab]{2}{1,2}c", "(a|b)+{2}c", "((a|b){2})+", "(a(b|c){2})*",
        // intervals: "{,n}", "{,}", and the escapes \0 and \, as glibc reads them
        "c{,2}a", "(a{,2}b){2,}", "a{0}b", "a{,}b", "(ab){\\0,1}c", "a{2\\,}", "a{\\,2}b",
        // alternatives, leftmost and then longest
        "(a|bc|cab)+", "a|b|c", "ab|a|abc", "(a|ab)(c|bcd)", "(a|ab)(bc|c)", "a(b|c)*c",
        "(abc|ab|a)*c", "(a|b|c){3}c", "(a*)(b|c)", "a*(b|ab)*c", "(a)|b", "a)",
        // anchors
        "(ab|a)(ba|b)*$", "^(a|b)c", "^a|b$", "(^a|b)c", "(ab|ba){1,3}$", "^(ab)?(a|c)*",
        // empty groups and alternatives, also in repeated groups
        "()a", "a()b", "a|", "|b", "(a|)b", "(|a)*b", "(a|)+b", "(()|a)+", "(a|())*b",
        "(a*|b)*c", "(a?|b)+c", "(a*)*b", "(a*)+b", "()*a",
    };
    // clang-format on
    const std::vector<std::string> values = AllStrings("abc", 6);
    Tally tally;
    for (const char* construct : kConstructs) {
        Referee(construct, values, tally);
    }
    // With ten regmatch_t glibc never returns on "bab" here; one gives the same
    // answers, as it holds no anchor (see Glibc).
    Referee("(|a|b)*+(ab)", values, tally, 1);
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(tally.constructs, tally.compiled);
}

// What no limit refuses any longer answers as glibc does on every value of
// up to five bytes of "ab\n\x80": fixed counts and rows of what can match
// the empty string, loops of it, also beside anchors, empty alternatives
// and stacked '?', counts beyond 256 and deep nesting; atoms repeated zero
// times beside anchors, and a bracket expression that holds no byte. glibc
// is asked with one regmatch_t where a repeated group can match the empty
// string (see Glibc).
TEST(TypePatternReferee, AnswersAsGlibcWhereNothingGrows) {
    std::string row;
    for (int i = 0; i < 18; ++i) {
        row += "(a*|b*)";
    }
    const std::string constructs[] = {
        "(a*|b*){16}",
        "(a*|b*){200}b",
        "((a*|b*)\\n){20}",
        row,
        "(a*|b*){9}a",
        "((a?)?){9}b",
        "(a?b*){0,9}\\n",
        "a*|b*|\\n*|(ab)*|(ba)*|a*b|b*a|a+|b+|\\n+",
        "(a*|b*){3,}",
        "(a*|b*)(a*|b*)(a*|b*)(a*|b*)()*a",
        "()*(a*|b*)(a*|b*)(a*|b*)(a*|b*)(a*|b*)b",
        "(a?b*){0,4}()*",
        "()+++",
        "b*+{33}",
        "(\\n?{2,}){3}a",
        "^(a*|b*){4}",
        "^()*()*()*()*b",
        "a$(|)(|)(|)(|)",
        "a{0}^b",
        "$a{0}",
        "()^a",
        "a{0}{3}^b",
        "(b{0})^a",
        "(b{0}|)^a$()",
        "\\n{0}^a",
        "a$\\n{0}",
        "(a$|b)\\n{0}",
        "a|[^[:cntrl:][:print:]\x80-\xff]",
        "[^[:cntrl:][:print:]\x80-\xff]*a",
        "([^\x01-\xff]|b)+",
        "(a*|b*){8,}",
        "^(a*|b*)+\\n",
        "^a*?+",
        ".{0,257}b",
        "(a{20}){20}",
        "((((((((((a+)+)+)+)+)+)+)+)+)+)",
        "a" + std::string(64, '?') + "b",
        std::string(257, '(') + "a|b" + std::string(257, ')'),
    };
    const std::string emptyLoops[] = {
        "^(|)+",
        "^(|)+.",
        "$(|)+",
        "^()?+",
        "^(|){128}",
        "(|){128}*",
        "(||a)**",
        "(" + std::string(64, '|') + "){4}",
        "((|||){4}){4}a",
        "(a|||b){3}",
        "(((a|)|)|)*b",
        "^((|a)?)+$",
        "()*{128}",
        "^()*()*()*()*()*",
        "a$(|)(|)(|)(|)(|)",
        "((a?)?){5}()*",
    };
    const std::vector<std::string> values = AllStrings("ab\n\x80", 5);
    Tally tally;
    for (const std::string& construct : constructs) {
        Referee(construct, values, tally);
    }
    for (const std::string& construct : emptyLoops) {
        Referee(construct, values, tally, 1);
    }
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(tally.constructs, tally.compiled);
}

// What RE2 is given nothing for answers as glibc does: atoms and groups
// repeated zero times however the repetitions stack, '.' and bracket
// expressions among them, and groups that can match only the empty string,
// alone, repeated and inside alternatives; and constructs at the atoms
// limit with a part repeated zero times after it, on values about as long.
TEST(TypePatternReferee, WhatIsWrittenAsNothingAnswersAsGlibc) {
    const std::string constructs[] = {
        "()b",         "(|)b",         "(()|)b",       "((|)|)b",
        "(|()|)b",     "(a{0}|)b",     "a{2}{0}b",     "a{0}{2}b",
        "(a{0}|b)",    "(b|a{0})",     "(b|a{0}|c)",   "(.{0}|b)",
        "([ab]{0}|b)", "((a){0}|b)",   "(a{0}{2}|b)",  "(a{2}{0}|b)",
        "((a{0})|b)",  "(a|(|))",      "((|)|a)b",     "a(b|())",
        "((|)a)",      "(^)b",         "b(|)$",        "(|)^a",
        "a$(a{0}|)",   "(a|b{0}){2}b", "(a{0}|b){3}a", "((a|b{0}){0}|a)b",
    };
    const std::string emptyLoops[] = {
        "(|)*b", "(|)?b", "(a{0})*b", "(a{0}(|))*b", "((|){2}|b)", "(b|(a{0})*)", "(|)+a",
    };
    std::vector<std::string> values = AllStrings("ab\n", 4);
    Tally tally;
    for (const std::string& construct : constructs) {
        Referee(construct, values, tally);
    }
    for (const std::string& construct : emptyLoops) {
        Referee(construct, values, tally, 1);
    }
    const std::string atLimit[] = {
        "a{1000}a{24}b{0}",      "(ab){512}c{0}",       "((ab){512}c){0}a",
        "(ab){500}(ba){12}b{0}", "(a{1000}a{23}b{0})a",
    };
    std::string abs;
    while (abs.size() < 1024) {
        abs += "ab";
    }
    values = {"a",
              std::string(1023, 'a'),
              std::string(1024, 'a'),
              std::string(1025, 'a'),
              abs,
              "b" + abs,
              abs + "a"};
    for (const std::string& construct : atLimit) {
        Referee(construct, values, tally);
    }
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(tally.constructs, tally.compiled);
}

// Constructs whose bracket expressions would write more ranges of bytes
// than any construct of '.' may are written over the classes of bytes that
// they tell apart, and answer as glibc does on values over bytes at the
// classes' edges: sets one byte apart or overlapping, negated, beside '.',
// holding all 256 bytes, a line feed, bytes above 127, 0x01 or 0xff alone,
// a small set apart from a large one, and literals in a set or outside all
// of them; on values holding a NUL before, inside or after a match.
TEST(TypePatternReferee, ClassesOfBytesAnswerAsGlibc) {
    const std::string x = LargeBracket();
    const std::string y = LargeBracket(true);
    const std::string notX = "[^" + x.substr(1);
    const std::string constructs[] = {
        x + "{0,9}c",
        "(" + x + "|" + y + "){0,9}c",
        "(" + x + "?" + y + "?){5}c",
        "(" + x + "|" + notX + "){0,5}b",
        notX + "{0,9}b",
        x + "{0,9}.c",
        ".(" + x + "{2}|.){0,5}",
        x + "{0,9}bd",
        x + "{0,9}\\n\x80",
        x + "{0,9}[[:cntrl:][:print:]\x80-\xff]c",
        x + "{0,9}[\x80-\xff]",
        x + "{0,9}[c\x81]",
        x + "{0,9}[\xff]",
        x + "{0,9}[\x01]",
        x + "{0,9}[^\xff]c",
        x + "{0,9}[^\x01]",
        x + "{0,9}[^b\n]\\n",
        "^" + x + "{0,9}c$",
        x + "{0,9}b$",
    };
    const std::vector<std::string> values =
        AllStrings(std::string("bcd\n\x02\x03\x3e\x3f\x80\x81\xfe\xff\x01\0", 14), 3);
    Tally tally;
    for (const std::string& construct : constructs) {
        Referee(construct, values, tally);
    }
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(tally.constructs, tally.compiled);
}

// An alternation of every byte from 1 to 255 but those `left` out, each as
// itself or in a bracket expression of its own, `last` last.
std::string EveryByteBut(const std::string& left, char last) {
    std::string alternation;
    auto add = [&alternation](unsigned char b) {
        alternation += alternation.empty() ? "(" : "|";
        if (std::isalnum(b) != 0) {
            alternation.push_back(static_cast<char>(b));
        } else if (b == '^') {
            alternation += "\\^";
        } else {
            alternation += "[" + std::string(1, static_cast<char>(b)) + "]";
        }
    };
    for (int b = 1; b < 256; ++b) {
        if (left.find(static_cast<char>(b)) == std::string::npos &&
            b != static_cast<unsigned char>(last)) {
            add(static_cast<unsigned char>(b));
        }
    }
    add(static_cast<unsigned char>(last));
    return alternation + ")";
}

// A construct that tells 254, 255 or all 256 bytes apart, written over
// classes below 256 and over bytes at 256, answers as glibc on every byte
// and on pairs of the bytes that share a class or were split last.
TEST(TypePatternReferee, ClassesOfEveryByteAnswerAsGlibc) {
    const std::string x = LargeBracket();
    // b, d, f and h are in X; NUL in no set.
    const std::string constructs[] = {
        x + "{0,9}" + EveryByteBut("b", 'd'),       x + "{0,9}" + EveryByteBut("bf", 'd'),
        x + "{0,9}" + EveryByteBut("bfh", 'd'),     x + "{0,9}" + EveryByteBut("", '\xff'),
        x + "{0,9}" + EveryByteBut("\xfe", '\xff'), x + "{0,9}" + EveryByteBut("\x01", 'd'),
    };
    std::vector<std::string> values = AllBytes();
    const std::vector<std::string> pairs = AllStrings(std::string("bdfh\x01\xfe\xff\0", 8), 2);
    values.insert(values.end(), pairs.begin(), pairs.end());
    Tally tally;
    for (const std::string& construct : constructs) {
        Referee(construct, values, tally);
    }
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(tally.constructs, tally.compiled);
}

// Whether regcomp (REG_EXTENDED, C locale) takes the pattern, and whether
// the reading refuses it as syntax; they must disagree nowhere.
bool RegcompTakes(const std::string& pattern) {
    const ThreadLocale c(CLocale());
    regex_t regex;
    if (regcomp(&regex, pattern.c_str(), REG_EXTENDED | REG_NOSUB) != 0) {
        return false;
    }
    regfree(&regex);
    return true;
}

void ExpectSyntaxAsRegcomp(const std::string& pattern, unsigned long& differences) {
    ConstructReader reader;
    const bool syntax = reader.Read(pattern) == ConstructReader::kSyntax;
    if (syntax == RegcompTakes(pattern) && differences++ < 25) {
        ADD_FAILURE() << Shown(pattern) << ": regcomp " << (syntax ? "takes" : "refuses")
                      << " it, the reading " << (syntax ? "refuses" : "takes") << " it";
    }
}

// The reading refuses as syntax exactly what regcomp refuses: every pattern
// of up to four bytes that make syntax, every one of up to five tokens, and
// the edges: counts up to RE_DUP_MAX and beyond, intervals, bracket forms,
// classes, equivalence classes and collating symbols, a backslash at the
// end, repetitions with nothing to repeat, back-references to groups open
// or not yet there, or in another alternative. All are short, and none
// makes many optional copies ("a{0,32767}" takes regcomp seconds): regcomp
// is quick on them.
TEST(ConstructReader, RefusesAsSyntaxWhatRegcompRefuses) {
    unsigned long differences = 0;
    const std::vector<std::string> tokens = {"a",    "(", ")", "|",   "*",  "{2}",
                                             "{1,}", "^", "$", "\\1", "[a]"};
    for (const std::vector<std::string>& patterns :
         {AllStrings("a()|*+?{},1[]^$\\-:.=", 4), AllStrings(tokens, 5)}) {
        for (const std::string& pattern : patterns) {
            ExpectSyntaxAsRegcomp(pattern, differences);
        }
    }
    // clang-format off
    const char* const kEdges[] = {
        // counts
        "a{32767}", "a{32768}", "a{32767,32767}", "a{0,32768}", "a{32767,}", "a{32768,}",
        "a{,32768}", "a{32768,1}", "a{99999999999999999999}", "a{2,1}", "a{1,1}",
        "a{007}", "a{0}", "a{,}", "a{}", "a{,5", "a{1,2", "a{1,2,3}", "a{ 1}", "a{1 }", "a{a}",
        "a{1}{2}", "a{\\1}", "a{1\\,2}", "a{-1}", "a{1,-2}", "{1}", "a|{1}", "({1})", "^{1}",
        // repetitions of nothing
        "*a", "+a", "?a", "(*a)", "(+)", "a|*b", "a(|?b)", "^*", "$+", "a$?", "(^)*", "a**",
        "a+?*", "()*", "(|)+",
        // brackets
        "[", "[]", "[]]", "[^]", "[^]]", "[]a]", "[a", "[a-]", "[-a]", "[z-a]", "[a-a]",
        "[a-\\]", "[\\]", "[[]", "[[a]", "[a[]", "[[:alpha:]]", "[[:alpha:]", "[[:alpha:]-z]",
        "[a-[:alpha:]]", "[[:nope:]]", "[[:ALPHA:]]", "[[::]]", "[[=a=]]", "[[=ab=]]",
        "[[==]]", "[[=a=]-z]", "[a-[=z=]]", "[[.a.]]", "[[.ab.]]", "[[.space.]]", "[[..]]",
        "[[.-.]-0]", "[[.a.]-[.c.]]", "[[.].]]", "[[:alpha:", "[[.a", "[[=a", "[--]",
        "[a--]", "[!--]", "[a-c-e]", "[%--]",
        // backslashes
        "\\", "a\\", "(a\\)", "[\\", "\\a", "\\{", "\\}", "\\(", "\\)", "\\0", "\\.",
        // back-references, and the GNU escapes
        "\\1", "(a)\\1", "\\1(a)", "(a\\1)", "(a)(b)\\2", "((a)\\2)", "((a)\\1)", "(a)\\2",
        "(((((((((a)))))))))\\9", "((((((((a))))))))\\9", "()|\\1", "(()|\\1)", "(()|a)\\1",
        "(a)|b\\1", "(a)(|\\1)", "(a|())\\2", "(a)||\\1", "(()|())\\2", "\\b*", "\\<+", "\\`?", "\\w*",
        "\\s{2}", "a\\'", "(\\B)",
        // groups
        "()", "(|)", "a)", ")", "(()", "())", "(a|)", "(|a)", "((a)|b)*",
    };
    // clang-format on
    for (const char* edge : kEdges) {
        ExpectSyntaxAsRegcomp(edge, differences);
    }
    EXPECT_EQ(0UL, differences);
}

// Bytes above 127 in literals and alternatives that share a prefix, a line
// feed beside anchors, and '.', on every short string of such bytes.
TEST(TypePatternReferee, HighBytesAndLineFeedsAnswerOnShortValues) {
    // clang-format off
    const char* const kConstructs[] = {
        "\xe9|\xe9.", "[\xe9]|[\xe9].", "(\xe9" "a|\xe9)+", "\xe9\xff|\xe9" "a|\xff", "a\xe9*$",
        "[^a]+", "[\x80-\xff]" "a", ".\xe9", "(\xe9|\xe9\xe9)(\xe9" "a|a)", "^(a|\xe9)*$",
        "[[:alpha:]\xe9]+\\n?", "a$", "(a|\\n)$", "\\n*$", "^\\n|a", ".", ".+$",
    };
    // clang-format on
    const std::vector<std::string> values = AllStrings("a\xe9\xff\n", 4);
    Tally tally;
    for (const char* construct : kConstructs) {
        Referee(construct, values, tally);
    }
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(tally.constructs, tally.compiled);
}

// A generated construct, with what it takes to build values along it: the
// bytes an atom may take (a guess for brackets), its parts, and the bounds of
// a repetition; and for the rules that refuse constructs, the anchors, the
// empty parts, which choices are groups, and the text of a literal.
struct Node {
    enum Kind { kBytes, kSequence, kChoice, kRepeat, kEmpty, kStart, kEnd };
    Kind kind = kBytes;
    std::string bytes;
    std::vector<Node> parts;
    unsigned low = 0;
    unsigned high = 0;
    bool group = false;
    std::string text;
};

// Whether the node can match the empty string.
bool MatchesEmpty(const Node& node) {
    switch (node.kind) {
        case Node::kBytes:
            return node.bytes.empty();
        case Node::kSequence:
            return std::all_of(node.parts.begin(), node.parts.end(), MatchesEmpty);
        case Node::kChoice:
            return std::any_of(node.parts.begin(), node.parts.end(), MatchesEmpty);
        case Node::kRepeat:
            return node.low == 0 || MatchesEmpty(node.parts[0]);
        case Node::kEmpty:
        case Node::kStart:
        case Node::kEnd:
            return true;
    }
    return false;
}

// Whether a group under a repetition can match the empty string: glibc's
// regexec may never return on such a construct when asked for the groups'
// matches ("(a{0,}|b)*{1,}" on "b").
bool RepeatsAnEmptyGroup(const Node& node, bool repeated = false) {
    const bool group = node.kind == Node::kChoice || (node.kind == Node::kEmpty && node.group);
    if (group && repeated && MatchesEmpty(node)) {
        return true;
    }
    return std::any_of(node.parts.begin(), node.parts.end(), [&](const Node& part) {
        return RepeatsAnEmptyGroup(part, repeated || node.kind == Node::kRepeat);
    });
}

// Seeded constructs and values. The shapes stay small, so that regcomp
// stays quick on them and few exceed the limit of atoms. Empty alternatives
// and "()" sit in repeated groups too, also after a '^', and '?' runs are
// stacked on atoms now and then: glibc's regexec never returns on some
// repeated groups that can match the empty string when asked for the
// groups' matches ("(|a|#b)*+(ab)" on "#bab"), which the referee asks about
// with one regmatch_t (RepeatsAnEmptyGroup).
class Generator {
public:
    explicit Generator(std::uint32_t seed) : _random(seed) {}

    std::string Construct(Node& node) {
        std::string construct;
        node = Node();
        node.kind = Node::kSequence;
        const bool caret = Chance(10);
        if (caret) {
            construct += "^";
        }
        node.parts.emplace_back();
        construct += Choice(0, node.parts.back());
        // The anchors belong to the first and the last alternative.
        if (caret) {
            AddAnchor(Node::kStart, node.parts.back().parts.front());
        }
        if (Chance(10)) {
            construct += "$";
            AddAnchor(Node::kEnd, node.parts.back().parts.back());
        }
        if (Chance(2)) {
            // regcomp reads the construct up to its first NUL.
            construct += std::string(1, '\0') + (Chance(50) ? "((" : "[");
        }
        return construct;
    }

    // Values along the construct and beside it, and NULs at the start,
    // before any match and after a match.
    std::vector<std::string> Values(const Node& node) {
        std::vector<std::string> values = {""};
        for (int i = 0; i < 4; ++i) {
            values.push_back(Sample(node));
        }
        const std::string s = Sample(node);
        const std::string t = Sample(node);
        const std::string nul(1, '\0');
        values.push_back(s + t);
        values.push_back(Byte() + s);
        values.push_back(s + Byte());
        if (!s.empty()) {
            std::string changed = s;
            changed[Below(static_cast<unsigned>(s.size()))] = Byte()[0];
            values.push_back(changed);
            values.push_back(s.substr(0, s.size() - 1));
            values.push_back(s.substr(1));
        }
        std::string random;
        for (unsigned n = Below(5); n > 0; --n) {
            random += Byte();
        }
        values.push_back(random);
        values.push_back(nul + s);
        values.push_back(s + nul);
        values.push_back(s + nul + t);
        values.push_back(Byte() + nul + s);
        values.push_back(s.substr(0, s.size() / 2) + nul + s.substr(s.size() / 2));
        return values;
    }

private:
    unsigned Below(unsigned n) { return static_cast<unsigned>(_random() % n); }
    bool Chance(unsigned percent) { return Below(100) < percent; }

    // A byte of the values beside the constructs' own.
    std::string Byte() {
        static const char kPool[] = "abc#-]}\n\t\\.\xe9\x80\xff\x7f\x01 0A{(|*";
        return std::string(1, kPool[Below(sizeof kPool - 1)]);
    }

    std::string Sample(const Node& node) {
        std::string sample;
        switch (node.kind) {
            case Node::kBytes:
                if (!node.bytes.empty()) {
                    sample.push_back(node.bytes[Below(static_cast<unsigned>(node.bytes.size()))]);
                }
                break;
            case Node::kSequence:
                for (const Node& part : node.parts) {
                    sample += Sample(part);
                }
                break;
            case Node::kChoice:
                sample = Sample(node.parts[Below(static_cast<unsigned>(node.parts.size()))]);
                break;
            case Node::kRepeat: {
                const unsigned high = std::min(node.high, node.low + 2);
                for (unsigned n = node.low + Below(high - node.low + 1); n > 0; --n) {
                    sample += Sample(node.parts[0]);
                }
                break;
            }
            case Node::kEmpty:
            case Node::kStart:
            case Node::kEnd:
                break;
        }
        return sample;
    }

    // An anchor at the start or the end of an alternative.
    static void AddAnchor(Node::Kind kind, Node& alternative) {
        if (alternative.kind == Node::kEmpty) {
            alternative.kind = Node::kSequence;
        }
        Node anchor;
        anchor.kind = kind;
        alternative.parts.insert(
            kind == Node::kStart ? alternative.parts.begin() : alternative.parts.end(), anchor);
    }

    // Alternatives, an empty one among them now and then.
    std::string Choice(int depth, Node& node) {
        node.kind = Node::kChoice;
        const unsigned r = Below(100);
        const unsigned count = r < 75 ? 1 : r < 93 ? 2 : 3;
        std::string text;
        for (unsigned i = 0; i < count; ++i) {
            if (i > 0) {
                text += "|";
            }
            node.parts.emplace_back();
            if (count > 1 && Chance(8)) {
                node.parts.back().kind = Node::kEmpty;  // the empty alternative
                continue;
            }
            // An anchor at the ends of a group's alternative; TypePattern
            // refuses those that are not at the ends of the construct.
            const bool caret = depth > 0 && Chance(2);
            const bool dollar = depth > 0 && Chance(2);
            text += (caret ? "^" : "") + Sequence(depth, node.parts.back()) + (dollar ? "$" : "");
            if (caret) {
                AddAnchor(Node::kStart, node.parts.back());
            }
            if (dollar) {
                AddAnchor(Node::kEnd, node.parts.back());
            }
        }
        return text;
    }

    std::string Sequence(int depth, Node& node) {
        node.kind = Node::kSequence;
        const unsigned r = Below(10);
        const unsigned count = r < 4 ? 1 : r < 8 ? 2 : 3;
        std::string text;
        for (unsigned i = 0; i < count; ++i) {
            node.parts.emplace_back();
            text += Piece(depth, node.parts.back());
        }
        return text;
    }

    // An atom and up to two repetitions stacked on it, or a run of '?'.
    std::string Piece(int depth, Node& node) {
        const unsigned r = Below(100);
        const bool optionals = r >= 97;
        const unsigned count = r < 55 ? 0 : r < 85 ? 1 : r < 97 ? 2 : 2 + Below(5);
        Node atom;
        std::string text = Atom(depth, atom);
        for (unsigned i = 0; i < count; ++i) {
            Node repeat;
            repeat.kind = Node::kRepeat;
            if (optionals) {
                repeat.high = 1;
                text += "?";
            } else {
                text += Repetition(repeat.low, repeat.high);
            }
            repeat.parts.push_back(atom);
            atom = repeat;
        }
        node = atom;
        return text;
    }

    // A repetition; now and then an interval written with "\\0" or "\\,",
    // which glibc reads as the digit and the comma.
    std::string Repetition(unsigned& low, unsigned& high) {
        const unsigned kMany = 1000;
        const unsigned m = Below(4);
        const unsigned n = m + Below(3);
        const std::string ms = std::to_string(m);
        const std::string ns = std::to_string(n);
        low = m;
        high = n;
        switch (Below(Chance(50) ? 12 : 11)) {
            case 0:
            case 1:
                low = 0;
                high = kMany;
                return "*";
            case 2:
            case 3:
                low = 1;
                high = kMany;
                return "+";
            case 4:
            case 5:
                low = 0;
                high = 1;
                return "?";
            case 6:
                high = m;
                return "{" + ms + "}";
            case 7:
                high = kMany;
                return "{" + ms + ",}";
            case 8:
            case 9:
                return "{" + ms + "," + ns + "}";
            case 10:
                low = 0;
                return "{," + ns + "}";
            default:
                switch (Below(3)) {
                    case 0:
                        low = 0;
                        high = 1;
                        return "{\\0,1}";
                    case 1:
                        high = kMany;
                        return "{" + ms + "\\,}";
                    default:
                        low = 0;
                        return "{\\," + ns + "}";
                }
        }
    }

    std::string Atom(int depth, Node& node) {
        // Constructs and the byte each stands for: letters, the bytes special
        // elsewhere, escapes (ConvertEscapes reads "\\t", "\\n" and a
        // backslash pair), bytes above 127.
        static const struct {
            const char* text;
            char byte;
        } kLiterals[] = {
            {"a", 'a'},    {"a", 'a'},       {"a", 'a'},       {"b", 'b'},   {"b", 'b'},
            {"c", 'c'},    {"#", '#'},       {"-", '-'},       {"}", '}'},   {"]", ']'},
            {" ", ' '},    {"\xe9", '\xe9'}, {"\x80", '\x80'}, {"\\.", '.'}, {"\\*", '*'},
            {"\\[", '['},  {"\\(", '('},     {"\\{", '{'},     {"\\|", '|'}, {"\\\\\\\\", '\\'},
            {"\\t", '\t'}, {"\\n", '\n'},    {"\\a", 'a'},     {"\\0", '0'}, {"\\}", '}'},
            {"\\$", '$'},  {"\\^", '^'},     {"\\+", '+'},     {"\\?", '?'}, {"\\-", '-'},
        };
        const unsigned r = Below(100);
        if (r < 40) {
            const auto& literal = kLiterals[Below(sizeof kLiterals / sizeof kLiterals[0])];
            node.bytes = std::string(1, literal.byte);
            node.text = literal.text;
            return literal.text;
        }
        if (r < 48) {
            node.bytes = "ab\n\xe9#";
            return ".";
        }
        if (r < 73 || depth >= 2) {
            return Bracket(node);
        }
        if (r < 75) {
            node.kind = Node::kEmpty;
            node.group = true;
            return "()";
        }
        const std::string group = "(" + Choice(depth + 1, node) + ")";
        node.group = true;
        return group;
    }

    // A bracket expression of one to three elements, with ']' or '-' first
    // and '-' last now and then.
    std::string Bracket(Node& node) {
        // Bytes that stand for themselves anywhere in a list: no ']', '-',
        // nor '[' and what can follow it to open a symbol or class.
        static const char kPlain[] = "abcxyzAZ09#*\\^$(|{}\t\n \xe9\x80\xff\x7f\x01";
        static const char kRangeStarts[] = "ab0A!~\x7f\x80\xe0%\\\t\x01\xfe";
        static const struct {
            const char* name;
            const char* bytes;
        } kClasses[] = {{"alpha", "aZ"},  {"digit", "07"},         {"alnum", "a5"},
                        {"upper", "QZ"},  {"lower", "qz"},         {"space", " \t\n\v\f\r"},
                        {"blank", " \t"}, {"punct", "!~#-"},       {"print", " a~"},
                        {"graph", "!a~"}, {"cntrl", "\x01\x7f\n"}, {"xdigit", "0fF"}};
        std::string text = "[";
        std::string members;
        const bool negated = Chance(20);
        if (negated) {
            text += "^";
        }
        const unsigned first = Below(10);
        if (first == 0) {
            text += "]";
            members += "]";
        } else if (first == 1) {
            text += "-";
            members += "-";
        }
        for (unsigned count = 1 + Below(3); count > 0; --count) {
            const unsigned kind = Below(10);
            if (kind < 4) {
                const char b = kPlain[Below(sizeof kPlain - 1)];
                // A backslash pair in the construct is one in the pattern.
                text += b == '\\' ? std::string("\\\\") : std::string(1, b);
                members.push_back(b);
            } else if (kind < 7) {
                const unsigned char start =
                    static_cast<unsigned char>(kRangeStarts[Below(sizeof kRangeStarts - 1)]);
                // Now and then a reversed range, which does not compile.
                const unsigned end = Chance(5) ? start - 1 : std::min(255U, start + Below(6));
                text += RangeEnd(start) + "-";
                text += RangeEnd(static_cast<unsigned char>(end));
                members.push_back(static_cast<char>(start));
                members.push_back(static_cast<char>(end));
                members.push_back(static_cast<char>((start + end) / 2));
            } else if (kind < 8) {
                const auto& c = kClasses[Below(sizeof kClasses / sizeof kClasses[0])];
                text += std::string("[:") + c.name + ":]";
                members += c.bytes;
            } else if (kind < 9) {
                static const char kSymbols[] = "a-].^[\xe9";
                const char b = kSymbols[Below(sizeof kSymbols - 1)];
                const bool collating = Chance(50);
                text += std::string(collating ? "[." : "[=") + b + (collating ? ".]" : "=]");
                members.push_back(b);
            } else {
                text += Chance(50) ? "[.-.]-0" : "!-[.-.]";
                members += "-0!";
            }
        }
        if (Chance(10)) {
            text += "-";
            members += "-";
        }
        text += "]";
        node.kind = Node::kBytes;
        if (negated) {
            for (const char b : std::string(kPlain) + "]-") {
                if (members.find(b) == std::string::npos) {
                    node.bytes.push_back(b);
                }
            }
        } else {
            node.bytes = members;
        }
        return text;
    }

    // A byte as a range end: itself, or a collating symbol.
    // ']' and '[' always as collating symbols: bare, ']' would close the
    // list and '[' could open a class with what follows, so that the
    // construct would no longer be the tree it is built with.
    std::string RangeEnd(unsigned char b) {
        const std::string byte = b == '\\' ? std::string("\\\\") : std::string(1, b);
        const bool symbol = Chance(20);
        return symbol || b == ']' || b == '[' ? "[." + byte + ".]" : byte;
    }

    std::mt19937 _random;
};

// Why TypePattern refuses a generated construct, read again on its tree and
// apart from ConstructReader: the rules that the README names (its "Not
// provided" section), or glibc refusing it too. Each refusal must have one.
class Refusal {
public:
    // The rule that refuses `construct`, read as `node`; "" when none does.
    static std::string Of(const std::string& construct, const Node& node) {
        if (construct.empty() || construct[0] == '\0') {
            return "the empty construct";
        }
        std::string rule = Anchors(node, false);
        if (!rule.empty()) {
            return rule;
        }
        const Cost cost = Measure(node);
        if (cost.escape) {
            return "a back-reference or GNU escape";
        }
        if (cost.atoms > TypePattern::kMaxAtoms) {
            return "too many atoms";
        }
        return Glibc(construct).IsCompiled() ? "" : "glibc refuses it too";
    }

private:
    // Whether a part may take bytes (an atom repeated zero times takes
    // none), and whether it holds an anchor, or a '$'.
    static bool Takes(const Node& node) {
        switch (node.kind) {
            case Node::kBytes:
                return true;
            case Node::kRepeat:
                return node.high > 0 && Takes(node.parts[0]);
            default:
                for (const Node& part : node.parts) {
                    if (Takes(part)) {
                        return true;
                    }
                }
                return false;
        }
    }

    static bool Holds(const Node& node, Node::Kind anchor) {
        if (node.kind == anchor) {
            return true;
        }
        for (const Node& part : node.parts) {
            if (Holds(part, anchor)) {
                return true;
            }
        }
        return false;
    }

    // The anchor rules: no anchor under a repetition, no '^' after what may
    // take bytes, nothing that may take bytes after a '$' (in the ways
    // through the construct: later in a sequence, or after the group that
    // holds it).
    static std::string Anchors(const Node& node, bool bytesBefore) {
        std::string rule;
        switch (node.kind) {
            case Node::kStart:
                return bytesBefore ? "a '^' after bytes" : "";
            case Node::kRepeat:
                if (Holds(node.parts[0], Node::kStart) || Holds(node.parts[0], Node::kEnd)) {
                    return "an anchor under a repetition";
                }
                return Anchors(node.parts[0], bytesBefore);
            case Node::kSequence: {
                bool dollar = false;
                for (const Node& part : node.parts) {
                    if (dollar && Takes(part)) {
                        return "bytes after a '$'";
                    }
                    rule = Anchors(part, bytesBefore);
                    if (!rule.empty()) {
                        return rule;
                    }
                    bytesBefore = bytesBefore || Takes(part);
                    dollar = dollar || Holds(part, Node::kEnd);
                }
                return "";
            }
            default:
                for (const Node& part : node.parts) {
                    rule = Anchors(part, bytesBefore);
                    if (!rule.empty()) {
                        return rule;
                    }
                }
                return "";
        }
    }

    // The atoms written out for a part (an atom under {m,n} n times, under
    // {m,} m + 1 times), and whether it holds a back-reference or a GNU
    // escape.
    struct Cost {
        unsigned long atoms = 0;
        bool escape = false;
    };

    static Cost Measure(const Node& node) {
        Cost cost;
        switch (node.kind) {
            case Node::kBytes:
                cost.atoms = 1;
                cost.escape = node.text.size() == 2 && node.text[0] == '\\' &&
                              std::strchr("123456789wWsSbB<>`'", node.text[1]) != nullptr;
                return cost;
            case Node::kStart:
            case Node::kEnd:
                cost.atoms = 1;
                return cost;
            case Node::kEmpty:
                // An empty alternative, or "()": a group of one.
                cost.atoms = node.group ? 1 : 0;
                return cost;
            case Node::kSequence:
            case Node::kChoice:
                for (const Node& part : node.parts) {
                    const Cost inner = Measure(part);
                    cost.atoms += inner.atoms;
                    cost.escape = cost.escape || inner.escape;
                }
                if (node.kind == Node::kChoice && node.group) {
                    cost.atoms = std::max(cost.atoms, 1UL);
                }
                return cost;
            case Node::kRepeat: {
                // The generator writes an open bound as kMany.
                // An atom repeated zero times counts none.
                const bool unbounded = node.high >= 1000;
                const unsigned long copies =
                    unbounded ? node.low + 1UL : static_cast<unsigned long>(node.high);
                cost = Measure(node.parts[0]);
                cost.atoms *= copies;
                return cost;
            }
        }
        return cost;
    }
};

// Generated constructs and values: the reading refuses as syntax what
// regcomp refuses, TypePattern compiles only what glibc compiles, and then
// answers as glibc does; each construct it refuses, a rule of the README
// refuses (or glibc), read again on the construct's tree. Refusals must stay
// few.
TEST(TypePatternReferee, GeneratedConstructsAnswerAsGlibc) {
    const std::uint32_t kSeeds[] = {20240611, 7, 4099, 31337};
    const unsigned kPerSeed = 1500;
    const unsigned kConstructs = kPerSeed * (sizeof kSeeds / sizeof kSeeds[0]);
    Tally tally;
    unsigned long syntaxDifferences = 0;
    for (const std::uint32_t seed : kSeeds) {
        Generator generator(seed);
        for (unsigned i = 0; i < kPerSeed; ++i) {
            Node node;
            const std::string construct = generator.Construct(node);
            std::string pattern;
            TypePattern::ConvertEscapes(construct, pattern);
            ExpectSyntaxAsRegcomp(pattern.c_str(), syntaxDifferences);
            // With ten regmatch_t glibc may never return on those; one gives
            // the same answers on what TypePattern compiles (see Glibc).
            Referee(construct, generator.Values(node), tally,
                    RepeatsAnEmptyGroup(node) ? 1 : Glibc::kSlots,
                    [&] { return Refusal::Of(construct, node); });
        }
    }
    EXPECT_EQ(0UL, syntaxDifferences);
    EXPECT_EQ(0UL, tally.divergences);
    EXPECT_EQ(0UL, tally.unexplained);
    // Most constructs compile, and every answer comes up often.
    EXPECT_GE(tally.compiled, kConstructs * 3 / 4) << tally.refused << " refused";
    for (const unsigned long answers : tally.answers) {
        EXPECT_GE(answers, kConstructs)
            << "whole " << tally.answers[kWhole] << ", part " << tally.answers[kPart] << ", none "
            << tally.answers[kNone];
    }
}

struct Case {
    const char* construct;
    std::string value;
    Match match;
};

void ExpectAnswers(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const TypePattern pattern(c.construct);
        ASSERT_TRUE(pattern.IsCompiled()) << Shown(c.construct);
        EXPECT_EQ(c.match, pattern.Test(c.value))
            << Shown(c.construct) << " on \"" << Shown(c.value) << "\"";
    }
}

// A repetition of an atom that is already repeated repeats all of it: the
// inner repetition is not replaced, dropped, nor read as a lazy one.
TEST(TypePatternRules, RepeatsARepeatedAtomAsAWhole) {
    ExpectAnswers({
        {"(ab){2}{2}", "ababab", kNone},
        {"(ab){2}{2}", "abababab", kWhole},
        {"(ab){2}{2}", "ababababab", kPart},
        {"(ab){2}{3}", "abababab", kNone},
        {"(ab){2}{3}", "abababababab", kWhole},
        {"(a|bc)+{2}", "a", kNone},
        {"(a|bc)+{2}", "bc", kNone},
        {"(a|bc)+{2}", "abc", kWhole},
        {"(a|bc)+{2}", "bcabca", kWhole},
        {"(a|b)*{2}", "", kWhole},
        {"(a|b)*{2}", "abba", kWhole},
        {"[ab]{1,2}{2}", "a", kNone},
        {"[ab]{1,2}{2}", "abba", kWhole},
        {"[ab]{1,2}{2}", "ababa", kPart},
        {"a{2}?", "a", kPart},
        {"a{2}?", "aa", kWhole},
        {"a{2}?", "aaa", kPart},
        {"a{2}+", "aaa", kPart},
        {"a{2}+", "aaaa", kWhole},
        {"(ab)+{0,1}", "", kWhole},
        {"(ab)+{0,1}", "ababab", kWhole},
        {"(ab){2}*", "ab", kPart},
        {"(ab){2}*", "abab", kWhole},
        {"(ab){2}*", "ababab", kPart},
        {"a{2}{0}", "a", kPart},
        {"a+{3}", "aa", kNone},
        {"a+{3}", "aaaa", kWhole},
    });
}

// A '-' last in a bracket expression is a member, not the start of a range.
TEST(TypePatternRules, TakesAHyphenLastAsAMember) {
    ExpectAnswers({
        {"[a-]", "-", kWhole},
        {"[a-]", "a", kWhole},
        {"[a-]", "b", kNone},
        {"[ab-]+", "a-b", kWhole},
        {"[ab-]+", "a-c", kPart},
        {"[^a-]", "-", kNone},
        {"[a-c-]+", "b-c", kWhole},
    });
}

// A range includes its end: "[a-c]" holds 'c' but not 'd'.
TEST(TypePatternRules, IncludesARangesEnd) {
    ExpectAnswers({
        {"[a-c]", "c", kWhole},
        {"[a-c]", "d", kNone},
        {"[a-c]", "`", kNone},
        {"[b-b]", "b", kWhole},
        {"[^a-c]", "c", kNone},
        {"[[.a.]-[.c.]]", "c", kWhole},
        {"[0-9]+", "09", kWhole},
        {"[\x80-\xff]+", "\x80\xff", kWhole},
    });
}

// regexec reads the value up to its first NUL, so a match past it does not
// count, and a value holding one is never matched whole.
TEST(TypePatternRules, ReadsTheValueUpToItsFirstNul) {
    const std::string nul(1, '\0');
    ExpectAnswers({
        {"b", "a" + nul + "b", kNone},
        {"b", nul + "b", kNone},
        {"a", "a" + nul, kPart},
        {"a", "a" + nul + "a", kPart},
        {"a*", nul + "a", kPart},
        {"a*", nul, kPart},
        {"a*", "", kWhole},
        {"a$", "a" + nul + "b", kPart},
        {"[^a]", nul, kNone},
    });
}

// Class names other than alpha and digit hold exactly their C locale bytes,
// none above 127: blank is tab and space only, space also \n \v \f \r.
TEST(TypePatternRules, ClassNamesHoldTheirCLocaleBytes) {
    // The bytes of each class from 1 on, as ranges of first and last byte
    // (cntrl holds NUL too, which is never in a value).
    const struct {
        const char* name;
        const char* ranges;
    } kClasses[] = {
        {"blank", "\t\t  "},  {"space", "\t\r  "}, {"punct", "!/:@[`{~"},
        {"print", " ~"},      {"graph", "!~"},     {"cntrl", "\x01\x1f\x7f\x7f"},
        {"xdigit", "09AFaf"}, {"alnum", "09AZaz"}, {"upper", "AZ"},
        {"lower", "az"},
    };
    for (const auto& c : kClasses) {
        const std::string ranges = c.ranges;
        const TypePattern pattern(std::string("[[:") + c.name + ":]]");
        ASSERT_TRUE(pattern.IsCompiled()) << c.name;
        for (int b = 1; b < 256; ++b) {
            bool member = false;
            for (std::size_t i = 0; i + 1 < ranges.size(); i += 2) {
                member = member || (b >= static_cast<unsigned char>(ranges[i]) &&
                                    b <= static_cast<unsigned char>(ranges[i + 1]));
            }
            EXPECT_EQ(member ? kWhole : kNone, pattern.Test(std::string(1, static_cast<char>(b))))
                << c.name << " on byte " << b;
        }
    }
}

// A back-reference does not compile, to \9 with nine groups, though glibc
// compiles it.
TEST(TypePatternRules, RefusesEveryBackReference) {
    for (char digit = '1'; digit <= '9'; ++digit) {
        const std::string construct = std::string("(a)(b)(c)(d)(e)(f)(g)(h)(i)\\") + digit;
        EXPECT_TRUE(Glibc(construct).IsCompiled()) << construct;
        EXPECT_FALSE(TypePattern(construct).IsCompiled()) << construct;
    }
}

// The caller's locale does not reach regcomp: "[\xc3\xa9-\xc3\xa0]" is a
// range of bytes in the C locale, and in a UTF-8 locale the reversed range
// from e-acute to a-grave, which does not compile.
TEST(TypePatternRules, CompilesInTheCLocaleWhateverTheCallers) {
    const char* utf8 = nullptr;
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        const locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
        if (locale != static_cast<locale_t>(0)) {
            freelocale(locale);
            utf8 = name;
            break;
        }
    }
    if (utf8 == nullptr) {
        GTEST_SKIP() << "no UTF-8 locale";
    }
    const std::string construct = "[\xc3\xa9-\xc3\xa0]";
    const std::vector<Case> cases = {
        {construct.c_str(), "\xa0", kWhole}, {construct.c_str(), "\xa9", kWhole},
        {construct.c_str(), "\xb5", kWhole}, {construct.c_str(), "\xc3", kWhole},
        {construct.c_str(), "\xa8", kNone},  {construct.c_str(), "\xc4", kNone},
        {construct.c_str(), "\xe9", kNone},
    };
    // The process's locale, then the thread's.
    const std::string previous = setlocale(LC_ALL, nullptr);
    ASSERT_NE(nullptr, setlocale(LC_ALL, utf8));
    regex_t regex;
    const int inUtf8 = regcomp(&regex, construct.c_str(), REG_EXTENDED);
    if (inUtf8 == 0) {
        regfree(&regex);
    }
    EXPECT_NE(0, inUtf8) << "the construct compiles in " << utf8;
    ExpectAnswers(cases);
    setlocale(LC_ALL, previous.c_str());

    const locale_t locale = newlocale(LC_ALL_MASK, utf8, static_cast<locale_t>(0));
    ASSERT_NE(static_cast<locale_t>(0), locale);
    {
        const ThreadLocale scope(locale);
        ExpectAnswers(cases);
        EXPECT_EQ(locale, uselocale(static_cast<locale_t>(0)));
    }
    freelocale(locale);
}

// Standard error (fd 2) sent to a temporary file while the scope lasts.
class StderrCapture {
public:
    StderrCapture() {
        char name[] = "/tmp/tesra-stderr-XXXXXX";
        _file = mkstemp(name);
        if (_file >= 0) {
            unlink(name);
            std::fflush(stderr);
            _saved = dup(2);
            dup2(_file, 2);
        }
    }
    ~StderrCapture() {
        Restore();
        if (_file >= 0) {
            close(_file);
        }
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    bool IsCapturing() const { return _file >= 0 && _saved >= 0; }

    // Ends the capture; returns what was written.
    std::string Restore() {
        std::string written;
        if (_saved >= 0) {
            std::fflush(stderr);
            dup2(_saved, 2);
            close(_saved);
            _saved = -1;
            char buffer[4096];
            ssize_t n;
            for (off_t at = 0; (n = pread(_file, buffer, sizeof buffer, at)) > 0; at += n) {
                written.append(buffer, static_cast<std::size_t>(n));
            }
        }
        return written;
    }

private:
    int _file = -1;
    int _saved = -1;
};

// Hostile and bad constructs, compiled or not, write nothing to standard
// error, nor do their answers on long values: deep nesting, a megabyte of
// repetitions stacked on one atom or nested through a million groups,
// huge alternations, millions of empty alternatives under a count, the
// limits and constructs that do not compile.
TEST(TypePatternRules, WritesNothingToStandardError) {
    std::string stacked = "a";
    while (stacked.size() < (1UL << 20)) {
        stacked += "{1}";
    }
    std::string alternation = "a";
    for (int i = 0; i < 100000; ++i) {
        alternation += "|a";
    }
    // Within the limits: 400 alternatives of two letters.
    std::string words = "aa";
    for (int i = 1; i < 400; ++i) {
        words += std::string("|") + "abc"[i % 3] + "abc"[i / 3 % 3];
    }
    std::string choices = "(a|b)";
    for (int i = 0; i < 200; ++i) {
        choices += "(a|b|c)";
    }
    const std::string deep = std::string(100000, '(') + "a" + std::string(100000, ')');
    // Repetitions nested through more groups than RE2's walkers visit.
    std::string ones = std::string(1100000, '(') + "a";
    std::string zeros = ones;
    std::string optionals = ones;
    for (int i = 0; i < 1100000; ++i) {
        ones += "){1}";
        zeros += "){0}";
        optionals += ")?";
    }
    const std::string constructs[] = {
        stacked,
        ones,
        zeros,
        optionals,
        "(" + std::string(3000000, '|') + "){256}",
        "((" + std::string(1000000, '|') + "a){2}|){2}",
        alternation,
        words,
        choices,
        deep,
        std::string(300, '(') + "a" + std::string(300, ')'),
        std::string(1UL << 20, 'a'),
        "[" + std::string(1UL << 20, 'a') + "]",
        "[ab]*a[ab]{250}c",
        "(.{0,255}){0,255}",
        ".{0,32767}",
        "(a*|b*){100}",
        "(a|b)\\1",
        "\\w",
        "a(",
        "(a",
        "[",
        "[z-a]",
        "[[:nope:]]",
        "a{2,1}",
        "a{99999}",
        "*a",
        "\\",
        "a$b",
        "a{1\\}",
        std::string(1, '\0'),
    };
    std::string letters;
    for (int i = 0; i < 200000; ++i) {
        letters.push_back("ab"[(i * 7 + i / 3) % 2]);
    }
    StderrCapture capture;
    ASSERT_TRUE(capture.IsCapturing());
    unsigned compiled = 0;
    for (const std::string& construct : constructs) {
        const TypePattern pattern(construct);
        if (pattern.IsCompiled()) {
            ++compiled;
            pattern.Test(letters);
            pattern.Test(letters + "c");
            pattern.Test(construct);
        }
    }
    const std::string written = capture.Restore();
    EXPECT_EQ("", Shown(written));
    EXPECT_GE(compiled, 10U);
}

// Each construct answers as given, and so does glibc: the cases pin glibc's
// answers for faults that the generated constructs meet only now and then.
void ExpectAnswersAsGlibc(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const Glibc glibc(c.construct);
        ASSERT_TRUE(glibc.IsCompiled()) << Shown(c.construct);
        EXPECT_EQ(c.match, glibc.Test(c.value))
            << "glibc: " << Shown(c.construct) << " on \"" << Shown(c.value) << "\"";
    }
    ExpectAnswers(cases);
}

// An anchor in nested groups, or a group's alternatives beside one: a '^'
// compiles only before all that may take bytes on every way through the
// construct, a '$' only after all of it, and neither under a repetition;
// glibc compiles them all, and answers as TypePattern where it compiles.
TEST(TypePatternReferee, AnchorsInGroupsCompileOnlyAtTheEnds) {
    // clang-format off
    const struct {
        const char* construct;
        bool compiled;
    } kAnchors[] = {
        // in two or three nested groups
        {"((^a))b", true}, {"(((a$)))", true}, {"(((^a)))b$", true}, {"(x|((^a)))", true},
        {"(x|((^a)))b", true}, {"((^a)|x)b", true}, {"((a$))|b", true}, {"b((^a))", false},
        {"x(((^a)))", false}, {"(b((^a)))", false}, {"((b)((^a)))", false}, {"(((a$)))b", false},
        {"((a$)|b)x", false}, {"((^a))*", false}, {"(((a$)))+", false}, {"((x|(^a)))?", false},
        {"(((^a)b))+", false},
        // a '$' ending a group's last alternative, bytes after the group
        {"(a|b$)", true}, {"(a|b$)|x", true}, {"(a|b$)$", true}, {"(a|b$)()", true},
        {"(a|b$)x", false}, {"((a|b$))x", false}, {"(a|(b$))x", false}, {"(a|b$)x*", false},
        // an earlier alternative takes bytes, the last does not
        {"(a|)b$", true}, {"(a|())$", true}, {"(a|)$", true}, {"(x|^a)", true}, {"x|^a", true},
        {"(a|)^b", false}, {"(|a)^b", false}, {"(a|())^b", false}, {"((a|))^b", false},
        {"(a|()|)^b", false}, {"(a|())$b", false},
        // empty groups after what takes bytes
        {"()^a", true}, {"(())^a", true}, {"()()^a$", true}, {".()$", true}, {".()^a", false},
        {".(())^a", false}, {"a*()^b", false}, {"x()(^a)", false},
    };
    // clang-format on
    const std::vector<std::string> values = AllStrings("abx\n", 4);
    Tally tally;
    for (const auto& a : kAnchors) {
        EXPECT_TRUE(Glibc(a.construct).IsCompiled()) << a.construct;
        EXPECT_EQ(a.compiled, TypePattern(a.construct).IsCompiled()) << a.construct;
        Referee(a.construct, values, tally);
    }
    EXPECT_EQ(0UL, tally.divergences);
}

// The GNU escapes do not compile, though glibc compiles them; other escapes
// outside brackets stand for the byte escaped.
TEST(TypePatternRules, RefusesTheGnuEscapesAlone) {
    for (const char escaped : std::string("wWsSbB<>`'")) {
        const std::string construct = std::string("a\\") + escaped + "b";
        EXPECT_TRUE(Glibc(construct).IsCompiled()) << construct;
        EXPECT_FALSE(TypePattern(construct).IsCompiled()) << construct;
    }
    ExpectAnswersAsGlibc({
        {"\\a+", "aa", kWhole},
        {"\\a", "\\a", kPart},
        {"\\.", ".", kWhole},
        {"\\.", "x", kNone},
        {"x\\0", "x0", kWhole},
        {"\\}{2}", "}}", kWhole},
        {"\\{", "{", kWhole},
        {"\\x", "x", kWhole},
        {"\\|", "|", kWhole},
    });
}

// "{,}" is "{0,}"; repetitions stacked on a bracket expression that allow
// counts no one repetition does stay apart.
TEST(TypePatternRules, ReadsOpenIntervalsAndStackedRepetitionsOnBrackets) {
    ExpectAnswersAsGlibc({
        {"a{,}b", "b", kWhole},
        {"a{,}b", "aaab", kWhole},
        {"a{,}b", "abab", kPart},
        {"a{,}b", "a", kNone},
        {"[ab]{,}c", "abac", kWhole},
        {"x{,}", "", kWhole},
        {"(xy){,}", "xyxy", kWhole},
        {"[ab]{2}{1,2}c", "abc", kWhole},
        {"[ab]{2}{1,2}c", "abbac", kWhole},
        {"[ab]{2}{1,2}c", "aabbbc", kPart},
        {"[ab]{2}{1,2}c", "bc", kNone},
        {"[0-9]{2}?", "", kWhole},
        {"[0-9]{2}?", "1", kPart},
        {"[0-9]{2}?", "12", kWhole},
        {"[0-9]{2}?", "123", kPart},
        {"[0-9]{2}?x", "1x", kPart},
    });
}

// Stacked repetitions folded into one only where that allows the same
// counts: "a{2,}?" allows no single 'a', "a{0}*" nothing but the empty
// string, "{1}" exactly one, and an unbounded repetition over a bounded one
// any count.
TEST(TypePatternRules, FoldsStackedRepetitionsOnlyWhereTheySayTheSame) {
    ExpectAnswersAsGlibc({
        {"a{2,}?", "", kWhole},
        {"a{2,}?", "a", kPart},
        {"a{2,}?", "aaa", kWhole},
        {"a{2,}?b", "ab", kPart},
        {"a{0}*b", "b", kWhole},
        {"a{0}*b", "ab", kPart},
        {"a{0}*", "a", kPart},
        {"a{1}b", "b", kNone},
        {"a{1}b", "ab", kWhole},
        {"(ab){1,1}", "", kNone},
        {"[ab]{1,2}*c", "c", kWhole},
        {"[ab]{1,2}*c", "ababac", kWhole},
        {"(ab){1,2}+", "ababab", kWhole},
        {"a{0,2}{2,}", "aaaaa", kWhole},
    });
}

}  // namespace
