#ifndef TESRA_VALIDATE_TYPEPATTERN_H
#define TESRA_VALIDATE_TYPEPATTERN_H

#include <regex.h>

#include <string>

// The construct of a DDL2 item type (item_type_list.construct), compiled as a
// POSIX extended regular expression: regcomp with REG_EXTENDED. The
// constructs are written for POSIX leftmost-longest matching: the float
// construct matches the whole of "1.5", where an ECMAScript engine such as
// std::regex stops after "1". Compiling and matching run in the C locale,
// whatever the caller's locale is, so that bracket expressions mean bytes.
//
// Cost. regcomp writes out every repetition: an atom under {m,n} is copied n
// times, under {m,} m + 1 times, under + twice, and the counts multiply
// through nesting, so ".{0,32767}" or "(.{0,255}){0,255}" take gigabytes, and
// many bounded atoms in a row add up ("a{0,250}" a hundred times). And regcomp
// follows every way through a row of choices among alternatives that can
// each match the empty string, so its time doubles with each such choice
// that it writes out: "(a*|b*){24,}" takes seconds, and 28 bytes take
// minutes. A construct in which some atom is copied more than kMaxCopies
// times, which is written out to more than kMaxAtoms atoms in all, or in which
// such choices (a choice among n counting n - 1) are written out more than
// kMaxEmptyForks times, counts as one that does not compile; the dictionaries
// in use need at most 18 copies, 463 atoms and no such choice. Matching
// is linear in the value: the construct is also compiled anchored at both
// ends (is the value a whole match?) and behind a leading ".*" (does some
// part match?), each tried once from the start of the value, where an
// unanchored search that fails would be retried from every position.
//
// Ownership: the object owns the compiled expressions and frees them; it is
// neither copied nor moved. Failures: none are raised; a pattern that does
// not compile only makes IsCompiled false.
class TypePattern {
public:
    enum Match { NO_MATCH, PART_MATCH, WHOLE_MATCH };

    // The most copies regcomp may make of one atom of a construct.
    static const unsigned long kMaxCopies = 256;
    // The most atoms regcomp may write out for a whole construct.
    static const unsigned long kMaxAtoms = 1024;
    // The most choices among alternatives that can each match the empty
    // string that regcomp may write out for a whole construct.
    static const unsigned long kMaxEmptyForks = 8;

    // Translates the construct (ConvertEscapes) and compiles it. The empty
    // pattern counts as one that does not compile.
    explicit TypePattern(const std::string& construct);
    ~TypePattern();
    TypePattern(const TypePattern&) = delete;
    TypePattern& operator=(const TypePattern&) = delete;

    bool IsCompiled() const { return _compiled; }

    // How the first match (leftmost, then longest) covers the value: all of
    // it, part of it, or no match, which also stands for every regexec
    // failure. Like regexec, it reads the value up to its first NUL byte, so
    // a value holding one is never matched whole. Only for a compiled
    // pattern.
    Match Test(const std::string& value) const;

    // The pattern of a construct: a backslash pair, "\t" and "\n" become one
    // backslash, a tab and a line feed; every other backslash stays, so "\."
    // and "\(" reach the expression unchanged.
    static void ConvertEscapes(const std::string& construct, std::string& pattern);

private:
    regex_t _whole;  // each alternative of the construct between ^ and $
    regex_t _part;   // each alternative behind ^.*
    bool _compiled;
};

#endif  // TESRA_VALIDATE_TYPEPATTERN_H
