#ifndef TESRA_VALIDATE_TYPEPATTERN_H
#define TESRA_VALIDATE_TYPEPATTERN_H

#include <regex.h>

#include <string>

// The construct of a DDL2 item type (item_type_list.construct), compiled as a
// POSIX extended regular expression: regcomp with REG_EXTENDED alone. The
// constructs are written for POSIX leftmost-longest matching: the float
// construct matches the whole of "1.5", where an ECMAScript engine such as
// std::regex stops after "1". Compiling and matching run in the C locale,
// whatever the caller's locale is, so that bracket expressions mean bytes.
//
// Ownership: the object owns the compiled expression and frees it; it is
// neither copied nor moved. Failures: none are raised; a pattern that does
// not compile only makes IsCompiled false.
class TypePattern {
public:
    enum Match { NO_MATCH, PART_MATCH, WHOLE_MATCH };

    // Translates the construct (ConvertEscapes) and compiles it. The empty
    // pattern counts as one that does not compile.
    explicit TypePattern(const std::string& construct);
    ~TypePattern();
    TypePattern(const TypePattern&) = delete;
    TypePattern& operator=(const TypePattern&) = delete;

    bool IsCompiled() const { return _compiled; }

    // How the first match (leftmost, then longest) covers the value: all of
    // it, part of it, or no match, which also stands for every regexec
    // failure. Only for a compiled pattern.
    Match Test(const std::string& value) const;

    // The pattern of a construct: a backslash pair, "\t" and "\n" become one
    // backslash, a tab and a line feed; every other backslash stays, so "\."
    // and "\(" reach the expression unchanged.
    static void ConvertEscapes(const std::string& construct, std::string& pattern);

private:
    regex_t _regex;
    bool _compiled;
};

#endif  // TESRA_VALIDATE_TYPEPATTERN_H
