// Type patterns: which constructs compile, and how values match them.

#include "validate/TypePattern.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "validate/CheckTestSupport.h"
#include "validate/LargeBracket.h"
#include "validate/MatcherBudget.h"
#include "validate/TypePatterns.h"

namespace {

// Repeated `count` times.
std::string Times(const std::string& part, int count) {
    std::string whole;
    for (int i = 0; i < count; ++i) {
        whole += part;
    }
    return whole;
}

// A construct that writes out more than 1024 atoms in all does not compile,
// nor one with a count, or a product of counts through nesting, above
// 1,000 (RE2 takes none); brackets and escapes hold no repetitions. Nothing
// else limits repetitions, alternatives or nesting: the limits that stood
// for regcomp's cost are gone.
TEST(TypePattern, RefusesConstructsRepeatedTooOften) {
    const struct {
        std::string construct;
        bool compiled;
    } cases[] = {
        {".{0,9}", true},
        {".{0,257}", true},
        {"a{1000}", true},
        {"a{1000,}", true},
        {"a{1001}", false},
        {"(a{2}){500}", true},
        {"(a{2}){501}", false},
        {".{0,1024}", false},
        {"(a{20}){20}", true},
        {"(a|(b){2}c){150}", true},
        {"((((((((((a+)+)+)+)+)+)+)+)+)+)", true},
        {"(((((((((((a+)+)+)+)+)+)+)+)+)+)+)", false},
        {"(([0-9]+ ){3}\\n){3}", true},
        {"[]{300}]", true},
        {"[^]{300}]", true},
        {"[[:alpha:]{300}]", true},
        {"\\{300}", true},
        {"a{0,250}a{0,250}a{0,250}a{0,250}b{24}", true},
        {"a{0,250}a{0,250}a{0,250}a{0,250}b{25}", false},
        {"(ab){200}(cd){200}(e{2}){112}", true},
        {"(ab){200}(cd){200}(e{2}){113}", false},
        {"x|y{250}|z{250}|w{250}|v{250}|u{250}", false},
        {Times("a", 1024), true},
        {Times("a", 1025), false},
        {"b{1000}a{23,}", true},  // an open bound writes one copy more
        {"b{1000}a{24,}", false},
        // An atom repeated zero times counts none, wherever the {0} stands:
        // the count is exact whatever follows, and never overflows.
        {"x{0}{1000}[0-9]{24}", true},
        {"x{0}{1000}[0-9]{30}", true},
        {"a{1000}a{24}b{0}", true},
        {"a{1000}a{25}b{0}", false},
        {"a{1000}a{24}(b){0}", true},
        {"(a{1000}a{24}b{0})", true},
        {"(a{1000}a{24}b{0}){2}", false},
        {"(ab){512}c{0}", true},
        {"(ab){512}c", false},
        {"((ab){512}c){0}d", true},
        {"(ab){500}(cd){12}e{0}", true},
        {"(ab){500}(cd){12}e", false},
        {"a{2000}{0}b", true},
        {"a{1024}b{0}", false},
        {"((((a{32767}){32767}){32767}){32767})b", false},
        {"((((a{32767}){32767}){32767}){32767}b){0}b", true},
        // A count read to its end, however long, and refused.
        {"a{32768}", false},
        {"a{18446744073709551621}", false},
        {"a{0,18446744073709551621}", false},
        // Choices between parts that can match the empty string, loops of
        // them, and runs of empty groups, also beside anchors.
        {"(a*|b*){24,}", true},
        {"((((a*|b*){2,}){2,}){2,}){2,}", true},
        {"(a*|b*|c*|d*|e*|f*|g*|h*|i*)*", true},
        {"^(a*|b*){200}", true},
        {"^" + Times("()*", 300), true},
        {"a$" + Times("(|)", 300), true},
        {"()*{1000}", true},
        {Times("()", 1000) + "()*", true},
        {"(" + std::string(257, '|') + "){256}", true},
        {"((" + std::string(31, '|') + "){16}){16}", true},
        {"a" + std::string(32768, '?'), true},
        {"(" + std::string(32767, '|') + ")", true},
        {"", false},
        {"a(", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.compiled, TypePattern(c.construct).IsCompiled()) << c.construct.substr(0, 60);
    }
}

std::string Many(char c, std::string::size_type count = 200000) {
    return std::string(count, c);
}

const TypePattern::Match none = TypePattern::NO_MATCH;
const TypePattern::Match part = TypePattern::PART_MATCH;
const TypePattern::Match whole = TypePattern::WHOLE_MATCH;

// A construct, a value, and how the first match of the construct covers it.
struct Answer {
    std::string construct;
    std::string value;
    TypePattern::Match match;
};

// Each construct compiles and answers as given; long constructs and values
// are named by their start.
void ExpectAnswers(const std::vector<Answer>& answers) {
    for (const Answer& a : answers) {
        const TypePattern pattern(a.construct);
        ASSERT_TRUE(pattern.IsCompiled()) << a.construct.substr(0, 40);
        EXPECT_EQ(a.match, pattern.Test(a.value))
            << a.construct.substr(0, 40) << " on " << a.value.substr(0, 20);
    }
}

// The first match, leftmost and then longest, covers all of the value, part
// of it or nothing; long values too.
TEST(TypePattern, TellsWholePartAndNoMatch) {
    const char* const kFloat =
        "-?(([0-9]+)[.]?|([0-9]*[.][0-9]+))([(][0-9]+[)])?([eE][+-]?[0-9]+)?";
    const char* const kSequence = "(([\\nA-Z]+)?|(\\([0-9A-Z][0-9A-Z]?[0-9A-Z]?\\))?)+";
    const char* const kAuthor = "[A-Za-z]+(( |-)[A-Za-z]+)*, [A-Za-z]\\.(-?[A-Za-z]+\\.)*$";
    ExpectAnswers({
        {"[+-]?[0-9]+", "-12", whole},
        {"[+-]?[0-9]+", "12a", part},
        {"[+-]?[0-9]+", "abc", none},
        {kFloat, "1.5e3", whole},
        {kFloat, "1.5(2)x", part},
        {"a|b", "ab", part},
        {"a|b", "b", whole},
        {"a|", "b", part},
        {"a$", "ba", part},
        {"a$", "ab", none},
        {"^b", "ab", none},
        {"a)", "a)", whole},
        {"[]a]+", "]a]", whole},
        {"[^]a]", "]", none},
        {"[a\\]+", "\\a", whole},  // a backslash is itself in brackets
        {"[[.-.]a]+", "-a", whole},
        {"[[=e=]]", "e", whole},
        {"[[:digit:]-]+", "1-2", whole},
        {"a{,2}", "aaa", part},
        {"a{2}{3}", "aaaaaa", whole},
        {"\\x41", "x41", whole},  // no escape of RE2's
        {"\\\\n", "n", whole},
        {"\\{", "{", whole},
        {"\351|\351.", "1\351", part},
        {"[\351]|[\351].", "1\351", part},
        {".", "\n", whole},
        {"^(a|b$)", "b", whole},
        {"(^a|b)$", "ab", part},
        {"[0-9]", std::string("1\0", 2), part},  // regexec stops at a NUL
        {"[+-]?[0-9]+", Many('1'), whole},
        {"[+-]?[0-9]+", Many('1') + "a", part},
        {"[+-]?[0-9]+-[+-]?[0-9]+", Many('1'), none},
        {"[+-]?[0-9]+-[+-]?[0-9]+", Many('1') + "-1", whole},
        {kSequence, Many('A'), whole},
        {kSequence, Many('A') + "*", part},
        {"[A-Z]+$", Many('A') + "*", none},
        {kAuthor, Many('A'), none},
        {kAuthor, Many('A') + ", B.", whole},
        {kAuthor, "*" + Many('A') + ", B.", part},
    });
}

// What a construct needs that RE2 cannot match in linear time or could mean
// otherwise does not compile: back-references (a back-reference in a
// repetition crashed matching, and four of them took time growing as the
// value's length to the fifth power), the GNU escapes, and anchors that
// glibc lets match beside a line feed that the match takes; beside an
// anchor, an atom that can only match the empty string takes no bytes.
TEST(TypePattern, RefusesWhatCannotBeMatchedInLinearTime) {
    const struct {
        const char* construct;
        bool compiled;
    } cases[] = {
        {"(a|b)\\1", false},
        {"(|)(\\1\\1)*", false},
        {"(a*)(a*)(a*)(a*)\\4\\3\\2\\1b", false},
        {"\\w+", false},
        {"a\\b", false},
        {"\\<a", false},
        {"a$\nb", false},
        {".^a", false},
        {"a(^b)", false},
        {"(a$|b)c", false},
        {"(^a)*", false},
        {"^(^a|b)$|^c$", true},
        {"\\0", true},
        // An atom that can only match the empty string takes no bytes.
        {"a{0}^b", true},
        {"$a{0}", true},
        {"()^a", true},
        {"a{0}{3}^b", true},
        {"(b{0})^a", true},
        {"(b{0}|)^a$()", true},
        {"a{1}^b", false},
        {"a{0,1}^b", false},
        {"$a{0,1}", false},
        {"(a|b{0})^c", false},
        {"$(a{0}|b)", false},
        {"(^a){0}", false},
        // Bytes after a '$' that a part repeated zero times comes between.
        {"a$a{0}\n", false},
        {"a$[a]{0}\\n", false},
        {"(a$|b)a{0}\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.compiled, TypePattern(c.construct).IsCompiled()) << c.construct;
    }
}

// Groups nest as deep as a construct goes: the nesting limit stood for
// regcomp's stack, which overflowed on twenty thousand levels.
TEST(TypePattern, CompilesDeepNesting) {
    for (const std::string::size_type depth : {257, 20000, 100000, 1000000}) {
        const TypePattern pattern(std::string(depth, '(') + "a" + std::string(depth, ')'));
        ASSERT_TRUE(pattern.IsCompiled()) << depth;
        EXPECT_EQ(TypePattern::WHOLE_MATCH, pattern.Test("a"));
        EXPECT_EQ(TypePattern::PART_MATCH, pattern.Test("ab"));
    }
}

// A construct whose DFA would need a state for every row of 21 letters
// still answers for long values: regexec took time growing as the square of
// the length and ~5 KB a byte (32 s for 160,000 letters).
TEST(TypePattern, MatchesLongValuesOfManyStates) {
    std::string letters;
    unsigned seed = 1;
    for (int i = 0; i < 400000; ++i) {
        seed = seed * 1103515245u + 12345u;
        letters.push_back((seed >> 16) & 1 ? 'a' : 'b');
    }
    for (const std::string::size_type row : {20, 100}) {
        const std::string construct = "[ab]*a[ab]{" + std::to_string(row) + "}c";
        const TypePattern pattern(construct);
        ASSERT_TRUE(pattern.IsCompiled()) << construct;
        const std::string tail = "a" + std::string(row, 'b') + "c";
        EXPECT_EQ(TypePattern::NO_MATCH, pattern.Test(letters + "d")) << construct;
        EXPECT_EQ(TypePattern::WHOLE_MATCH, pattern.Test(letters + tail)) << construct;
        EXPECT_EQ(TypePattern::PART_MATCH, pattern.Test(letters + tail + "d")) << construct;
    }
}

// Within an interval an escaped digit or comma stands for itself, as glibc
// reads it; any other escape there does not compile.
TEST(TypePattern, ReadsEscapesInsideIntervals) {
    ExpectAnswers({
        {"x{2\\,}", "x", none},
        {"x{2\\,}", "xx", whole},
        {"x{2\\,}", "xxxxx", whole},
        {"x{1\\,3}", "xxx", whole},
        {"x{1\\,3}", "xxxx", part},
        {"(ab){\\0,1}", "ab", whole},
        {"(ab){\\0,1}", "abab", part},
        {"x{\\,2}", "xx", whole},
        {"x{,\\0}y", "xy", part},
        {"x{\\0\\,\\0}y", "y", whole},
    });
    for (const char* refused :
         {"x{\\1}", "x{1\\}", "x{\\9,}", "x{1,\\a}", "x{1\\,2\\,}", "x{}", "x{2,1}"}) {
        EXPECT_FALSE(TypePattern(refused).IsCompiled()) << refused;
    }
}

// Repetitions stacked on one atom say what glibc makes of them, folded into
// one where that says the same and grouped where it does not; a megabyte of
// them compiles in time linear in its length.
TEST(TypePattern, ReadsStackedRepetitions) {
    std::string ones = "(ab)";
    while (ones.size() < (1u << 20)) {
        ones += "{1}";
    }
    ExpectAnswers({
        {"a{2}?", "a", part},
        {"a{2}?", "aa", whole},
        {"a{2}?b", "ab", part},
        {"(ab){2}?", "abab", whole},
        {"(ab){2}?x", "abx", part},
        {"a{2}{0,2}", "aaaa", whole},
        {"a{2}{0,2}", "aaa", part},
        {"a{2,3}{2}", "aaaaa", whole},
        {"a{3}{1,2}b", "aaaab", part},
        {"(a|bc)+{2}", "a", none},
        {"(a|bc)+{2}", "abc", whole},
        {"a{0}{2}b", "ab", part},
        {"x{2}?{2}", "xx", whole},
        {"x{2}?{2}", "xxx", part},
        {ones, "ab", whole},
        {ones, "abab", part},
    });
}

// regcomp reads a construct up to its first NUL byte, the limits too.
TEST(TypePattern, ReadsUpToTheFirstNul) {
    const TypePattern pattern(std::string("a\0.{0,999}", 10));
    ASSERT_TRUE(pattern.IsCompiled());
    EXPECT_EQ(TypePattern::WHOLE_MATCH, pattern.Test("a"));
    EXPECT_EQ(TypePattern::PART_MATCH, pattern.Test("ab"));
}

// A bracket expression of the bytes from 1 to 255 whose bit `bit` is set:
// ']' first, '^' and '-' last, so that each stands for itself.
std::string BitBracket(int bit) {
    std::string members;
    for (int b = 1; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if ((b >> bit & 1) != 0 && c != ']' && c != '^' && c != '-') {
            members.push_back(c);
        }
    }
    auto holds = [bit](char c) { return (static_cast<unsigned char>(c) >> bit & 1) != 0; };
    return std::string("[") + (holds(']') ? "]" : "") + members + (holds('^') ? "^" : "") +
           (holds('-') ? "-" : "") + "]";
}

// The bit brackets of bits 7 to 1, in a row, then '|': 127 ranges, and with
// bit 0 all 256 bytes told apart, so that no class map helps.
std::string EveryByteApart() {
    std::string row;
    for (int bit = 7; bit >= 1; --bit) {
        row += BitBracket(bit);
    }
    return row + "|";
}

// The ranges that RE2 is given are bounded: 4096 in all, each bracket
// expression counting its ranges of bytes where the construct tells every
// byte apart. The odd bytes are 128 ranges.
TEST(TypePattern, LimitsTheRangesWrittenOut) {
    const std::string odd = EveryByteApart() + "(" + BitBracket(0) + "){31}";
    for (const std::string end : {"a", "$"}) {
        const TypePattern pattern(odd + end);
        ASSERT_TRUE(pattern.IsCompiled()) << end;
        const std::string value(31, '\x81');
        EXPECT_EQ(TypePattern::WHOLE_MATCH, pattern.Test(value + (end[0] == 'a' ? "a" : "")))
            << end;
        EXPECT_EQ(TypePattern::PART_MATCH,
                  pattern.Test("\x81" + value + (end[0] == 'a' ? "a" : "")))
            << end;
    }
    // Past the limit a construct stays past it, whatever follows: atoms and
    // groups repeated zero times, alternatives, anchors, groups around it.
    // Each repetition stacked on a group counts its copies, and a group that
    // writes nothing counts one.
    const std::string atLimit = odd + "a";
    const std::string apart = EveryByteApart() + "(" + BitBracket(0) + ")";
    const struct {
        std::string construct;
        bool compiled;
    } cases[] = {
        {atLimit + "a", false},
        {atLimit + "ab{0}", false},
        {atLimit + "a(b){0}", false},
        {atLimit + "a(){0}", false},
        {atLimit + "ab{0}(){0}", false},
        {atLimit + "a|b{0}", false},
        {atLimit + "a$b{0}", false},
        {"(" + atLimit + "ab{0})", false},
        {"(" + atLimit + "a)b{0}", false},
        {atLimit + "()", false},
        {odd + "()", true},
        {odd + "(a{0})", true},
        {odd + "(|)", true},
        {atLimit + "b{0}", true},
        {apart + "{32}", false},
        {apart + "{2}{2}{2}{2}{2}", false},
        {apart + "{2}{2}{2}{2}{2}b{0}", false},
        {apart + "{31}{1}a", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.compiled, TypePattern(c.construct).IsCompiled())
            << c.construct.substr(c.construct.size() - 30);
    }
}

// A large bracket expression costs what one atom costs: its copies are
// written over the classes of bytes that the construct tells apart, so
// that X{1000} gives RE2 a program of the size of .{1000}'s, which leaves a
// DFA its room, and answers as X does. A set of two runs of classes, as Y
// is beside X, costs an instruction more a copy. Numbered so that most sets
// are one run, the sets of a chain of optional atoms keep the DFA that
// larger programs lose, and so does X{0,9} beside a row of 20 sets.
TEST(TypePattern, WritesALargeSetAsFewClasses) {
    const std::string x = LargeBracket();
    const std::string y = LargeBracket(true);
    const struct {
        std::string withSets;
        std::string withAny;
        long extra;
    } twins[] = {
        {x + "{1000}b[bd]*", ".{1000}b[bd]*", 0},
        {x + "{1000}b[bd]*$", ".{1000}b[bd]*$", 0},
        {"(" + x + "?" + y + "?){300}c", "(.?.?){300}c", 300},
        {x + "{990}bdbdbdbdbdbd", ".{990}bdbdbdbdbdbd", 0},
        {x + "{0,9}c", ".{0,9}c", 0},
        {"[ab]*a[ab]{20}" + x + "{0,9}c", "[ab]*a[ab]{20}.{0,9}c", 0},
        {"(" + x + "?" + y + "?[a-z]?[0-9a-fA-F]?){150}c", "(.?.?[a-z]?[0-9a-fA-F]?){150}c", 300},
    };
    for (const auto& twin : twins) {
        const TypePattern withSets(twin.withSets);
        const TypePattern withAny(twin.withAny);
        ASSERT_TRUE(withSets.IsCompiled()) << twin.withAny;
        ASSERT_TRUE(withAny.IsCompiled()) << twin.withAny;
        EXPECT_LE(withSets.ProgramSize(), withAny.ProgramSize() + twin.extra) << twin.withAny;
    }
    // At 1024 ranges of bytes, as many as a construct of '.' may write, the
    // bytes are written as they are: classes would cost each value a pass.
    EXPECT_EQ(0U, TypePattern("[ac]{512}").Expression().find("[\\x00\\x61\\x63]{512}"));
    const std::string letters = std::string(1000, 'd') + "b" + std::string(50, 'b');
    ExpectAnswers({
        {x + "{1000}b[bd]*", letters, whole},
        {x + "{1000}b[bd]*", letters + "c", part},
        {x + "{1000}b[bd]*", "c" + letters, part},
        {x + "{1000}b[bd]*$", letters + "c", none},
        {x + "{1000}b[bd]*$", "c" + letters, part},
        {x + "{1000}b[bd]*", std::string(999, 'd') + "cb", none},
        {"(" + x + "?" + y + "?){300}c", ">?c", whole},
        {"(" + x + "?" + y + "?){300}c", "?>c", whole},
        {"(" + x + "?" + y + "?){300}c", "?>cd", part},
        {"(" + x + "?" + y + "?){300}c", std::string(3000, 'b'), none},
    });
}

// Where every match ends at the end of the value, a match of the whole is
// sought first, anchored at both ends: one search answers a value that the
// construct matches whole, where a search for any match would go through
// the whole value from each start. Other values take a second search, as
// every value that a bare construct matches does.
TEST(TypePattern, SeeksAWholeMatchFirstWhereMatchesEndAtTheEnd) {
    const std::string x = LargeBracket();
    const std::string letters = std::string(1001, 'b') + std::string(2000, 'd');
    const struct {
        std::string construct;
        std::string value;
        TypePattern::Match match;
        unsigned long searches;
    } cases[] = {
        {x + "{1000}b[bd]*$", letters, whole, 1},
        {".{1000}b[bd]*$", letters, whole, 1},
        {"^" + x + "{1000}b[bd]*$", letters, whole, 1},
        {"(a|b)d*$", "b" + letters.substr(1001), whole, 1},
        {x + "{1000}b[bd]*$", "c" + letters, part, 2},
        {x + "{1000}b[bd]*$", letters + "c", none, 2},
        {"^" + x + "{1000}b[bd]*$", "c" + letters, none, 2},
        {x + "{1000}b[bd]*", letters, whole, 2},
        {"a|[bd]*$", letters, whole, 2},
        {"(a)[ab]*x|c$", "d", none, 1},
    };
    for (const auto& c : cases) {
        const TypePattern pattern(c.construct);
        ASSERT_TRUE(pattern.IsCompiled()) << c.construct.substr(0, 40);
        const unsigned long before = TypePattern::Searches();
        EXPECT_EQ(c.match, pattern.Test(c.value)) << c.construct.substr(0, 40);
        EXPECT_EQ(c.searches, TypePattern::Searches() - before) << c.construct.substr(0, 40);
    }
}

// RE2 searches a construct that ends in '$' from the end backwards, with a
// DFA that it never leaves for its simulation (1 ms a byte): no text that
// it is given ends in '$', whatever groups close after it.
TEST(TypePattern, GivesRe2NoConstructEndingInAnEndAnchor) {
    for (const char* construct :
         {"a$", "([ab]{20}a[abc]*$)", "((a$))", "(a|b)$", "(a$)b{0}", "a|b$", "^(a$)"}) {
        const TypePattern pattern(construct);
        ASSERT_TRUE(pattern.IsCompiled()) << construct;
        const std::string& text = pattern.Expression();
        EXPECT_NE('$', text[text.find_last_not_of(')')]) << construct << ": " << text;
    }
}

// What can match only the empty string gives RE2 nothing to read: an atom
// or group repeated zero times, however the repetitions stack, and a group
// of nothing else, in any form; an alternative of nothing else is empty,
// with no '|' owed before it. RE2 counts an instruction for each "()" while
// it compiles, so that a run of them written out needs the memory of a
// large program. Anchors stay.
TEST(TypePattern, WritesNothingForWhatMatchesOnlyTheEmptyString) {
    const struct {
        const char* construct;
        const char* text;
    } cases[] = {
        {"()b", "b"},
        {"(|)b", "b"},
        {"(||)b", "b"},
        {"(()|)b", "b"},
        {"((|)|)b", "b"},
        {"(|()|)b", "b"},
        {"(|)*b", "b"},
        {"(|)?b", "b"},
        {"(a{0})*b", "b"},
        {"(a{0}|)b", "b"},
        {"(a{0}(|))*b", "b"},
        {"a{2}{0}b", "b"},
        {"a{0}{2}b", "b"},
        {"(a{0}|b)", "(b)?"},
        {"(b|a{0})", "(b)?"},
        {"(b|a{0}|c)", "(b|c)?"},
        {"(.{0}|b)", "(b)?"},
        {"([ab]{0}|b)", "(b)?"},
        {"((a){0}|b)", "(b)?"},
        {"(a{0}{2}|b)", "(b)?"},
        {"(a{2}{0}|b)", "(b)?"},
        {"((|){2}|b)", "(b)?"},
        {"((a{0})|b)", "(b)?"},
        {"(b|(a{0})*)", "(b)?"},
        {"(a|(|))", "(a)?"},
        {"((|)|a)c", "(a)?c"},
        {"x(a|())", "x(a)?"},
        {"((|)a)", "a"},
        {"(^)b", "^b"},
        {"b(|)*$", "b$\\x00?"},
    };
    for (const auto& c : cases) {
        const TypePattern pattern(c.construct);
        ASSERT_TRUE(pattern.IsCompiled()) << c.construct;
        EXPECT_EQ(c.text, pattern.Expression()) << c.construct;
    }
}

// Whether a construct compiles, and what it answers, never depends on what
// the run compiled before it: made without a budget, with a fresh one and
// with one that earlier patterns have spent, it compiles alike and answers
// alike. Past the budget, a pattern holds the room of its programs alone,
// or, where RE2 counts many more instructions while it compiles than its
// program keeps (a thousand alternatives that are one), twice what RE2
// needs at most.
TEST(TypePattern, CompilesAlikeWhateverTheRunCompiledBefore) {
    const std::vector<std::string> values = {"",   "a",   "b", "ab",
                                             "ba", "aab", "c", std::string(3000, 'a')};
    const struct {
        std::string construct;
        long spentMemory;  // the most that a pattern past the budget holds
    } cases[] = {
        {Times("(|)", 800) + "b", 16L << 10},
        {Times("(||)", 600) + "b", 16L << 10},
        {Times("(()|)", 500) + "b", 16L << 10},
        {Times("(|)*", 800) + "b", 16L << 10},
        {Times("(|)?", 800) + "b", 16L << 10},
        {Times("(a{0})*", 800) + "b", 16L << 10},
        {Times("(a{0}|)", 800) + "b", 16L << 10},
        {"(" + Times("a|", 999) + "a)", 64L << 10},
        {"(" + Times("ab|", 399) + "ab)", 64L << 10},
        {"([ab]*){800}c", 512L << 10},
        {"[0-9]+", 16L << 10},
    };
    for (const auto& c : cases) {
        const std::string name =
            c.construct.substr(0, 12) + "..." + std::to_string(c.construct.size());
        auto spent = std::make_shared<MatcherBudget>();
        ASSERT_TRUE(spent->Take(MatcherBudget::kRunMemory));
        const TypePattern alone(c.construct);
        const TypePattern fresh(c.construct, std::make_shared<MatcherBudget>());
        const TypePattern past(c.construct, spent);
        ASSERT_TRUE(alone.IsCompiled()) << name;
        ASSERT_TRUE(fresh.IsCompiled()) << name;
        ASSERT_TRUE(past.IsCompiled()) << name;
        EXPECT_LE(past.Memory(), c.spentMemory) << name;
        for (const std::string& value : values) {
            const TypePattern::Match match = alone.Test(value);
            EXPECT_EQ(match, fresh.Test(value)) << name << " on " << value.substr(0, 5);
            EXPECT_EQ(match, past.Test(value)) << name << " on " << value.substr(0, 5);
        }
    }
}

// RE2 is built once for a construct, and again only where that is what it
// matches with: a program too large for kMatchMemory is built at
// kMaxMemory, and one of a middle size, whose DFA would have no room (its
// states need some 375 bytes an instruction), with the room of its programs
// alone. A construct that RE2 refuses for another reason than its size, a
// small one without a budget, a large one that matches without a DFA
// anyway, and one whose text is long but its program small are built once,
// at kMatchMemory.
TEST(TypePattern, BuildsRe2OnlyAsOftenAsItMatchesWith) {
    const std::string apart = EveryByteApart() + "(" + BitBracket(0) + ")";
    const std::string zeros = Times("a{0}", 100000) + "b";
    const struct {
        std::string construct;
        bool budget;
        bool compiled;
        unsigned long compilations;
    } cases[] = {
        {"a{1001}", true, false, 1},      {"a{1001}", false, false, 1},
        {"[0-9]+", false, true, 1},       {"[0-9]+", true, true, 1},
        {apart + "{22}", true, true, 2},  {apart + "{22}", false, true, 2},
        {apart + "{31}", true, true, 1},  {apart + "{31}", false, true, 1},
        {"([ab]*){700}c", true, true, 1}, {"([ab]*){750}c", true, true, 2},
        {"([ab]*){800}c", true, true, 2}, {zeros, true, true, 1},
    };
    for (const auto& c : cases) {
        const unsigned long before = TypePattern::Compilations();
        const TypePattern pattern(c.construct,
                                  c.budget ? std::make_shared<MatcherBudget>() : nullptr);
        EXPECT_EQ(c.compiled, pattern.IsCompiled()) << c.construct.substr(c.construct.size() - 8);
        EXPECT_EQ(c.compilations, TypePattern::Compilations() - before)
            << c.construct.substr(c.construct.size() - 8) << (c.budget ? " budget" : "");
        if (c.compiled && c.compilations == 1) {
            EXPECT_LE(pattern.Memory(), TypePattern::kMatchMemory)
                << c.construct.substr(c.construct.size() - 8);
        }
    }
}

// What a run's patterns keep for matching stays within the run's allowance
// however many constructs there are: the allowance is spent, no more, and
// what later patterns could not be given leaves them answering all the
// same. A pattern gives its share back when it ends.
TEST(MatcherBudget, BoundsWhatPatternsKeepForMatching) {
    const int kConstructs = 600;
    const unsigned long compilations = TypePattern::Compilations();
    TypePatterns store;
    std::vector<std::shared_ptr<const TypePattern> > patterns;
    long beyond = 0;
    for (int i = 0; i < kConstructs; ++i) {
        const long taken = store.Budget().Taken();
        patterns.push_back(store.Get("[ab]*a[ab]{3}c|z" + std::to_string(i) + "y"));
        ASSERT_TRUE(patterns.back()->IsCompiled());
        EXPECT_LE(store.Budget().Taken(), MatcherBudget::kRunMemory);
        if (store.Budget().Taken() == taken) {
            // Beyond the allowance, a pattern holds its programs alone.
            EXPECT_LT(patterns.back()->Memory(), 16L << 10) << i;
            beyond += patterns.back()->Memory();
        }
    }
    EXPECT_LT(beyond, 16L << 20);
    EXPECT_GE(store.Budget().Taken(), MatcherBudget::kRunMemory / 10 * 9);
    // Those beyond the allowance once more, to match without a DFA.
    EXPECT_LT(TypePattern::Compilations() - compilations, 2UL * kConstructs);
    EXPECT_GT(TypePattern::Compilations() - compilations, 1UL * kConstructs);
    for (const int i : {0, 1, kConstructs / 2, kConstructs - 1}) {
        const std::string own = "z" + std::to_string(i) + "y";
        EXPECT_EQ(TypePattern::WHOLE_MATCH, patterns[i]->Test(own)) << i;
        EXPECT_EQ(TypePattern::NO_MATCH, patterns[i]->Test("z" + std::to_string(i + 1) + "y")) << i;
        EXPECT_EQ(TypePattern::PART_MATCH, patterns[i]->Test("babbbcc")) << i;
    }
    EXPECT_EQ(patterns[7], store.Get("[ab]*a[ab]{3}c|z7y"));

    auto budget = std::make_shared<MatcherBudget>();
    {
        const TypePattern first("[0-9]+", budget);
        const TypePattern second("[a-z]+", budget);
        EXPECT_GT(budget->Taken(), 0);
    }
    EXPECT_EQ(0, budget->Taken());
    // All that is asked for, or nothing.
    EXPECT_FALSE(budget->Take(MatcherBudget::kRunMemory + 1));
    EXPECT_TRUE(budget->Take(MatcherBudget::kRunMemory));
    EXPECT_FALSE(budget->Take(1));
    EXPECT_EQ(MatcherBudget::kRunMemory, budget->Taken());
}

// The room each compilation draws, whole, from the budget: kMatchMemory
// less its programs, far below 64 KB here, anchored or not. It all comes
// back when the pattern ends.
TEST(MatcherBudget, GivesEachCompilationItsRoom) {
    const long kPrograms = 64L << 10;
    const struct {
        const char* construct;
        const char* value;
    } cases[] = {
        {"[0-9]+", "12"}, {"[ab]*a$", "ba"},  {"(a|b)c$", "bc"},
        {"(a|b$)", "b"},  {"^[ab]*a$", "ba"}, {"a|b$", "b"},
    };
    for (const auto& c : cases) {
        const auto budget = std::make_shared<MatcherBudget>();
        {
            const TypePattern pattern(c.construct, budget);
            ASSERT_TRUE(pattern.IsCompiled()) << c.construct;
            EXPECT_EQ(TypePattern::kMatchMemory, pattern.Memory()) << c.construct;
            EXPECT_GT(budget->Taken(), TypePattern::kMatchMemory - kPrograms) << c.construct;
            // The programs stay outside it: some 80 bytes an instruction, and
            // 8 KB for what RE2 holds beside them.
            EXPECT_GE(pattern.Memory() - budget->Taken(), 80 * pattern.ProgramSize() + (8L << 10))
                << c.construct;
            EXPECT_EQ(TypePattern::WHOLE_MATCH, pattern.Test(c.value)) << c.construct;
        }
        EXPECT_EQ(0, budget->Taken()) << c.construct;
    }
}

// A grant that the budget cannot give is no share: the pattern matches all
// the same, without a DFA, and gives nothing back when it ends, so what the
// run may take never grows.
TEST(MatcherBudget, RecordsNoShareOfARefusedGrant) {
    const auto budget = std::make_shared<MatcherBudget>();
    const long taken = MatcherBudget::kRunMemory - 4096;
    ASSERT_TRUE(budget->Take(taken));
    for (const char* construct : {"[0-9]+", "[ab]*a$"}) {
        {
            const TypePattern pattern(construct, budget);
            ASSERT_TRUE(pattern.IsCompiled()) << construct;
            EXPECT_EQ(taken, budget->Taken()) << construct;
            EXPECT_EQ(TypePattern::NO_MATCH, pattern.Test("x")) << construct;
        }
        EXPECT_EQ(taken, budget->Taken()) << construct;
    }
    budget->Return(taken);
    EXPECT_EQ(0, budget->Taken());
}

// A dictionary with `codes` type codes c0 ... and its own construct each,
// given to the items v0 ... of the categories named, in turn.
std::string CodesDictionary(const std::vector<std::string>& categories, int codes) {
    std::string text = "data_dict\nloop_\n_category.id\n_category.mandatory_code\n";
    std::string keys = "loop_\n_category_key.id\n_category_key.name\n";
    std::string items = "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n";
    std::string types = "loop_\n_item_type.name\n_item_type.code\n";
    std::string list =
        "loop_\n_item_type_list.code\n_item_type_list.primitive_code\n"
        "_item_type_list.construct\n";
    for (const std::string& category : categories) {
        text += category + " no\n";
        keys += category + " '_" + category + ".v0'\n";
    }
    for (int k = 0; k < codes; ++k) {
        const std::string& category = categories[k % categories.size()];
        const std::string item = "'_" + category + ".v" + std::to_string(k / categories.size());
        items +=
            item + "' " + category + (k < static_cast<int>(categories.size()) ? " yes\n" : " no\n");
        types += item + "' c" + std::to_string(k) + "\n";
        list += "c" + std::to_string(k) + " char '[a-c]+" + std::to_string(k) + "'\n";
    }
    return text + keys + items + types + list;
}

// The RE2 objects that checking `data` against `dictionary` builds; the
// data must check clean.
unsigned long CompilationsOfCheck(const std::string& data, const std::string& dictionary) {
    const std::unique_ptr<CifFile> dict = ReadCif(dictionary);
    const std::unique_ptr<CifFile> file = ReadCif(data);
    const std::string log = testing::TempDir() + "tesra-compilations.log";
    std::remove(log.c_str());
    const unsigned long before = TypePattern::Compilations();
    EXPECT_EQ(1, file->DataChecking(*dict, log, false, false));
    return TypePattern::Compilations() - before;
}

// Each construct of a run is compiled once however its values lie: in many
// columns of many rows, or in categories that take turns over the data
// blocks.
TEST(TypePatterns, CompileEachConstructOncePerRun) {
    std::string rows = "data_b\nloop_\n";
    for (int k = 0; k < 13; ++k) {
        rows += "_s.v" + std::to_string(k) + "\n";
    }
    for (int row = 0; row < 300; ++row) {
        for (int k = 0; k < 13; ++k) {
            // Distinct rows: the row number in the letters a to c.
            for (int n = row + k + 1; n > 0; n /= 3) {
                rows.push_back("abc"[n % 3]);
            }
            rows += std::to_string(k) + " ";
        }
        rows += "\n";
    }
    EXPECT_EQ(13UL, CompilationsOfCheck(rows, CodesDictionary({"s"}, 13)));

    std::string blocks;
    for (int block = 0; block < 64; ++block) {
        const std::string category = block % 2 == 0 ? "p" : "q";
        blocks += "data_b" + std::to_string(block) + "\n";
        for (int k = block % 2; k < 24; k += 2) {
            blocks +=
                "_" + category + ".v" + std::to_string(k / 2) + " ab" + std::to_string(k) + "\n";
        }
    }
    EXPECT_EQ(24UL, CompilationsOfCheck(blocks, CodesDictionary({"p", "q"}, 24)));
}

// The store keys a construct by all of its bytes, NUL bytes too, and keeps
// the pattern of one that does not compile as it keeps any other: made
// once, however often it is met.
TEST(TypePatterns, MakeEachConstructOnceCompiledOrNot) {
    TypePatterns store;
    EXPECT_NE(store.Get(""), store.Get(std::string("\0x", 2)));
    EXPECT_NE(store.Get("a"), store.Get(std::string("a\0b", 3)));
    const unsigned long before = TypePattern::Compilations();
    const std::shared_ptr<const TypePattern> refused = store.Get("a{1001}");
    EXPECT_FALSE(refused->IsCompiled());
    EXPECT_EQ(refused, store.Get("a{1001}"));
    EXPECT_EQ(1UL, TypePattern::Compilations() - before);
}

}  // namespace
