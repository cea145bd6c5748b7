// Type patterns: which constructs compile, and how values match them.

#include "validate/TypePattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Repetitions that regcomp would write out more than 256 times, or more than
// 1024 atoms in all, count as not compiling; brackets and escapes hold no
// repetitions. So do more than 8 written-out choices among alternatives that
// can match the empty string (an optional or repeated part that can match it
// is one such choice in each copy).
TEST(TypePattern, RefusesConstructsRepeatedTooOften) {
    const struct {
        const char* construct;
        bool compiled;
    } cases[] = {
        {".{0,9}", true},
        {".{256}", true},
        {".{0,257}", false},
        {"a{255,}", true},
        {"a{256,}", false},  // an open bound writes one copy more
        {"(a{16}){0,16}", true},
        {"(a{20}){20}", false},
        {"(a|(b){2}c){150}", false},
        {"((((((((a+)+)+)+)+)+)+)+)", true},
        {"(((((((((a+)+)+)+)+)+)+)+)+)", false},
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
        {"(a*|b*){8}", true},
        {"(a*|b*){9}", false},
        {"(a*|b*){3,}", true},
        {"(a*|b*){4,}", false},
        {"((((a*|b*){2,}){2,}){2,}){2,}", false},
        {"(a?|b){200}", true},
        {"((a?)?){8}", true},
        {"((a?)?){9}", false},
        {"(a?b*)+", true},
        {"(a?b*){0,8}", true},
        {"(a?b*){0,9}", false},
        {"a*|b*|c*|d*|e*|f*|g*|h*|i*", true},
        {"a*|b*|c*|d*|e*|f*|g*|h*|i*|j*", false},
        {"", false},
        {"a(", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.compiled, TypePattern(c.construct).IsCompiled()) << c.construct;
    }
}

std::string Many(char c, std::string::size_type count = 200000) {
    return std::string(count, c);
}

// The first match, leftmost and then longest, covers all of the value, part
// of it or nothing; long values too.
TEST(TypePattern, TellsWholePartAndNoMatch) {
    const char* const kFloat =
        "-?(([0-9]+)[.]?|([0-9]*[.][0-9]+))([(][0-9]+[)])?([eE][+-]?[0-9]+)?";
    const char* const kSequence = "(([\\nA-Z]+)?|(\\([0-9A-Z][0-9A-Z]?[0-9A-Z]?\\))?)+";
    const char* const kAuthor = "[A-Za-z]+(( |-)[A-Za-z]+)*, [A-Za-z]\\.(-?[A-Za-z]+\\.)*$";
    const TypePattern::Match none = TypePattern::NO_MATCH;
    const TypePattern::Match part = TypePattern::PART_MATCH;
    const TypePattern::Match whole = TypePattern::WHOLE_MATCH;
    const struct {
        const char* construct;
        std::string value;
        TypePattern::Match match;
    } cases[] = {
        {"[+-]?[0-9]+", "-12", whole},
        {"[+-]?[0-9]+", "12a", part},
        {"[+-]?[0-9]+", "abc", none},
        {kFloat, "1.5e3", whole},
        {kFloat, "1.5(2)x", part},
        {"a|b", "ab", part},
        {"a|b", "b", whole},
        {"a|", "b", part},
        {"(a|b)\\1", "bb", whole},
        {"(a|b)\\1", "xaa", part},
        {"(a|b)\\1", "ab", none},
        {"a$", "ba", part},
        {"a$", "ab", none},
        {"^b", "ab", none},
        {"a)", "a)", whole},
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
    };
    for (const auto& c : cases) {
        const TypePattern pattern(c.construct);
        ASSERT_TRUE(pattern.IsCompiled()) << c.construct;
        EXPECT_EQ(c.match, pattern.Test(c.value)) << c.construct << " on " << c.value.substr(0, 20);
    }
}

}  // namespace
