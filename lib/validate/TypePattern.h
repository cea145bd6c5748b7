#ifndef TESRA_VALIDATE_TYPEPATTERN_H
#define TESRA_VALIDATE_TYPEPATTERN_H

#include <re2/stringpiece.h>

#include <memory>
#include <string>

namespace re2 {
class RE2;
}

class ByteClasses;
class MatcherBudget;

// The construct of a DDL2 item type (item_type_list.construct), a POSIX
// extended regular expression as regcomp with REG_EXTENDED reads it in the C
// locale, whatever the caller's locale is: bracket expressions mean bytes,
// and collating symbols and equivalence classes the one byte they name. The
// constructs are written for POSIX leftmost-longest matching: the float
// construct matches the whole of "1.5", where an ECMAScript engine such as
// std::regex stops after "1".
//
// Engine. The construct is read once (ConstructReader) as regcomp reads it,
// and that reading decides whether it compiles: no regcomp call is made,
// whose cost grows beyond bounds on constructs that a dictionary can hold
// (a group of 258 empty alternatives repeated 256 times overflows its
// stack). Matching is RE2's, on the construct written in RE2's syntax with
// the same meaning: time linear in the value and memory bounded (see Cost
// of matching). A construct does not compile when regcomp would refuse it
// (its syntax, counts above 32767 included), when RE2 cannot match it as
// glibc means it, or when it is beyond a limit of RE2's own cost:
// - back-references ("\1" to "\9") and the GNU escapes \w \W \s \S \b \B
//   \< \> \` \', which have no linear-time match or mean otherwise in RE2;
// - a '^' that does not come before all that may take bytes in the ways
//   through the construct, a '$' that does not come after all of it, and
//   an anchor under a repetition: glibc lets an anchor match beside a line
//   feed that the match takes ("a$\nb" matches "a\nb"), which RE2 has no
//   means to say. An atom or group that can only match the empty string
//   ("a{0}", "()") takes no bytes, and is written as nothing;
// - more than kMaxAtoms atoms written out: an atom under {m,n} counts n
//   times, under {m,} m + 1 times, under + twice, under {0} not at all,
//   wherever the {0} stands, and the counts multiply through nesting
//   ("(.{0,40}){0,40}" is 1,600); a group that writes nothing counts one;
// - more than kMaxRanges ranges written out, counted as the atoms with each
//   bracket expression weighing its ranges, not the NUL that it is written
//   with (see AppendBytes): of bytes, or, where the construct's sets would
//   write many, of the classes of bytes that the construct does not tell
//   apart (ByteClasses), so that a large set is a range or two. That bounds
//   RE2's program, and so its cost a byte of matching;
// - a count, or a product of counts through nesting, above 1,000 in what
//   is written out, which RE2 does not take, and a program that RE2 cannot
//   fit in kMaxMemory.
// Anything else compiles: any number of empty alternatives, any stacking
// of repetitions, any nesting of groups, loops of what matches the empty
// string beside anchors. The construct is read up to its first NUL byte,
// as regcomp reads it.
//
// Cost of matching. A compiled construct keeps its programs for its
// lifetime, and with them what RE2 learns while it matches (its DFA states)
// within its room, kMatchMemory for a small program. Given a MatcherBudget,
// that room is taken from the run's budget, and a pattern that finds the
// budget spent matches with RE2's slower simulation alone. So a construct
// is compiled to decide, and again where its first compilation is not what
// it matches with (a few times more, at doubling room, where RE2 counts
// more instructions while it compiles than its program keeps), however
// often it is tested; whether it compiles never depends on the budget; and
// a run holds a bounded amount beyond its programs whatever the number of
// patterns. Every search runs forwards, where RE2 leaves its DFA for the
// simulation when the DFA makes states too fast: a byte costs at most the
// simulation's pass over the program.
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

    // The most atoms, and ranges, that a construct may write out (see
    // Engine).
    static constexpr unsigned long kMaxAtoms = 1024;
    static constexpr unsigned long kMaxRanges = 4096;
    // The memory in which RE2 must fit a construct's program, in bytes.
    static constexpr long kMaxMemory = 8L << 20;
    // RE2's memory for a construct of a small program, its DFAs' room.
    static constexpr long kMatchMemory = 1L << 20;

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

    // What a compiled pattern matches with, for tests and benchmarks: the
    // memory RE2 was given, as RE2 tells it, which bounds its programs and
    // what its DFAs learn where they have room (RE2 keeps its reading of
    // the text beside them, some tens of bytes a byte of it); the
    // instructions of its program, and the text it read. The last two only
    // for a compiled pattern.
    long Memory() const;
    long ProgramSize() const;
    const std::string& Expression() const;

    // How many RE2 objects the process has built so far.
    static unsigned long Compilations();
    // How many searches of a value all patterns have made so far.
    static unsigned long Searches();

private:
    // Test on the text that RE2 reads: the value up to its first NUL, read
    // through the class map where there is one; `cut` when a NUL ended it.
    Match _Test(const re2::StringPiece& text, bool cut) const;
    // _Test on the text read through the class map.
    Match _TestClasses(const re2::StringPiece& text, bool cut) const;
    // Takes `bytes` from the budget, if any, as the share; false when the
    // budget has not that much left.
    bool _Take(long bytes);

    bool _compiled = false;
    std::shared_ptr<MatcherBudget> _budget;
    // What the budget granted, returned when the pattern ends.
    long _share = 0;
    // Whether every match ends at the end of the value, so that a match of
    // the whole is sought first.
    bool _endsAtTheEnd = false;
    // The classes of bytes that the construct is written over; null where
    // it is written over bytes.
    std::unique_ptr<const ByteClasses> _classes;
    std::unique_ptr<const re2::RE2> _matcher;
};

#endif  // TESRA_VALIDATE_TYPEPATTERN_H
