#ifndef TESRA_VALIDATE_TYPEPATTERN_H
#define TESRA_VALIDATE_TYPEPATTERN_H

#include <memory>
#include <string>

namespace re2 {
class RE2;
}

class MatcherBudget;

// The construct of a DDL2 item type (item_type_list.construct), a POSIX
// extended regular expression as regcomp with REG_EXTENDED reads it in the C
// locale, whatever the caller's locale is: bracket expressions mean bytes,
// and collating symbols and equivalence classes the one byte they name. The
// constructs are written for POSIX leftmost-longest matching: the float
// construct matches the whole of "1.5", where an ECMAScript engine such as
// std::regex stops after "1".
//
// Engine. regcomp only decides which constructs compile. Matching is RE2's,
// on the construct written in RE2's syntax with the same meaning: time
// linear in the value and memory bounded (see Cost of matching); a
// construct whose program does not fit in kMaxMemory does not compile.
// What RE2 cannot match so, or could mean otherwise, counts as not
// compiling:
// back-references ("\1" to "\9"), the GNU escapes \w \W \s \S \b \B \< \>
// \` \', a '^' that does not come before all that may take bytes in the
// ways through the construct, a '$' that does not come after all of it, and
// an anchor under a repetition: glibc lets an anchor match beside a line
// feed that the match takes ("a$\nb" matches "a\nb"), which RE2 has no means
// to say. An atom that can only match the empty string ("a{0}", "()") takes
// no bytes. The construct is read up to its first NUL byte, as regcomp reads
// it, and once (ConstructReader), for the limits below, these rules and
// RE2's text alike.
//
// Cost of compiling. regcomp writes out every repetition: an atom under
// {m,n} is copied n times (n - m of them optional), under {m,} m + 1 times
// (the last starred), under + twice, and the counts multiply through
// nesting, so ".{0,32767}" or "(.{0,255}){0,255}" take gigabytes, and many
// bounded atoms in a row add up ("a{0,250}" a hundred times). Its parser
// recurses once per group nesting level and overflows the stack from some
// ten thousand levels on. It then finds, for each part, all it reaches
// without taking a byte (its epsilon closure). Choices between parts that
// can match the empty string cost nothing there by themselves
// ("(a*|b*){200}" takes milliseconds), but regcomp walks each way that leads
// into a loop (a starred copy of what can match the empty string) again,
// and copies what follows an anchor for each anchor and each way: its time
// doubles with each such choice ("(a*|b*){24,}" takes seconds, 28 copies
// minutes), and grows as the cube of the steps walked by a loop. A construct
// whose groups nest deeper than kMaxDepth, in which some atom is copied more
// than kMaxCopies times, which is written out to more than kMaxAtoms atoms
// in all, in which more than kMaxEmptyForks ways of such choices lead into
// a loop or follow an anchor (a choice among n alternatives that can each
// match the empty string has n ways, an optional copy of what can match it
// 2, a loop after an anchor 2), or in which more than kMaxClosureSteps
// steps (each '|', group, anchor and optional or starred copy is one) lie
// in a stretch without bytes that holds a loop or follow an anchor (for
// each anchor) counts as one that does not compile. Within the limits
// regcomp, as called here (REG_NOSUB), takes well under 0.1 s and 100 MB;
// the dictionaries in use need a depth of at most 6, at most 18 copies, 463
// atoms, 4 such ways and 19 such steps.
//
// Cost of matching. A compiled construct keeps its programs for its
// lifetime, and with them what RE2 learns while it matches (its DFA states)
// within its room: kMatchMemory for a small program, and for a construct
// anchored at its end alone room for a reverse DFA whatever its size. Given
// a MatcherBudget, that room is taken from the run's budget, and a pattern
// that finds the budget spent matches with RE2's slower simulation alone.
// So no construct is compiled more than twice (to decide, and again where
// its first compilation is not what it matches with) however often it is
// tested, and a run holds a bounded amount beyond its programs whatever the
// number of patterns.
//
// Ownership: the object owns its compiled expression and a share of the
// budget, which it returns when it ends; it is neither copied nor moved.
// Failures: none are raised; a pattern that does not compile only makes
// IsCompiled false. Thread safety: once made, a pattern may be tested from
// several threads at once; patterns that share a budget may not be made or
// destroyed at once.
class TypePattern {
public:
    enum Match { NO_MATCH, PART_MATCH, WHOLE_MATCH };

    // The most copies regcomp may make of one atom of a construct.
    static const unsigned long kMaxCopies = 256;
    // The most atoms regcomp may write out for a whole construct.
    static const unsigned long kMaxAtoms = 1024;
    // The most ways of choices between parts that take no byte that may
    // lead into a loop or follow an anchor (see Cost of compiling).
    static const unsigned long kMaxEmptyForks = 8;
    // The most steps of regcomp's epsilon closure that may lie in a stretch
    // without bytes that holds a loop, or follow an anchor.
    static const unsigned long kMaxClosureSteps = 256;
    // The deepest nesting of groups.
    static const unsigned long kMaxDepth = 256;
    // The memory in which RE2 must fit a construct's program, in bytes.
    static const long kMaxMemory = 8L << 20;
    // RE2's memory for a construct of a small program, its DFAs' room.
    static const long kMatchMemory = 1L << 20;

    // Translates the construct (ConvertEscapes) and compiles it, its share
    // granted by `budget` when one is given. The empty pattern counts as one
    // that does not compile.
    explicit TypePattern(const std::string& construct,
                         std::shared_ptr<MatcherBudget> budget = nullptr);
    ~TypePattern();
    TypePattern(const TypePattern&) = delete;
    TypePattern& operator=(const TypePattern&) = delete;

    bool IsCompiled() const { return _compiled; }

    // How the first match (leftmost, then longest) covers the value: all of
    // it, part of it, or no match. Like regexec, it reads the value up to its
    // first NUL byte, so a value holding one is never matched whole. Only for
    // a compiled pattern.
    Match Test(const std::string& value) const;

    // The pattern of a construct: a backslash pair, "\t" and "\n" become one
    // backslash, a tab and a line feed; every other backslash stays, so "\."
    // and "\(" reach the expression unchanged.
    static void ConvertEscapes(const std::string& construct, std::string& pattern);

    // How many RE2 objects the process has built so far.
    static unsigned long Compilations();

private:
    // Takes `bytes` from the budget, if any, as the share; false when the
    // budget has not that much left.
    bool _Take(long bytes);

    bool _compiled = false;
    std::shared_ptr<MatcherBudget> _budget;
    // What the budget granted, returned when the pattern ends.
    long _share = 0;
    // Whether the construct is anchored at its end alone (one search, from
    // the end, answers).
    bool _anchoredAtEnd = false;
    std::unique_ptr<const re2::RE2> _matcher;
};

#endif  // TESRA_VALIDATE_TYPEPATTERN_H
