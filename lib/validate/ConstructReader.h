#ifndef TESRA_VALIDATE_CONSTRUCTREADER_H
#define TESRA_VALIDATE_CONSTRUCTREADER_H

#include <bitset>
#include <string>
#include <vector>

// One reading of a type construct, as regcomp with REG_EXTENDED reads it in
// the C locale, into a flat list of tokens: bytes, byte sets (the bracket
// expressions), '.', the anchors, group ends, '|' and repetitions. The same
// pass decides whether the construct compiles: by regcomp's syntax, by the
// rules of what RE2 cannot match as glibc does, and by TypePattern's limit
// on the atoms written out, so that the verdict and RE2's text come from one
// reading. Linear in the construct, in time and memory, whatever its shape.
//
// Not thread-safe; one object reads one construct.
class ConstructReader {
public:
    typedef std::bitset<256> ByteSet;

    // A bound of a repetition that has none.
    static const unsigned int kUnbounded = ~0u;
    // The largest count that regcomp takes in an interval (RE_DUP_MAX).
    static const unsigned int kMaxCount = 32767;

    // How a reading ends: the construct is read, or it does not compile
    // because regcomp refuses it (kSyntax: an unclosed group, an interval or
    // a bracket expression it cannot read, a count above kMaxCount, a
    // repetition of nothing, a back-reference to a group not yet closed, a
    // backslash at the end), because RE2 could not match it as glibc does
    // (kEscape: a back-reference or a GNU escape; kAnchor: a '^' after what
    // may take bytes, what may take bytes after a '$', an anchor under a
    // repetition), or because it writes out more than TypePattern::kMaxAtoms
    // atoms (kTooLarge), which is known once the atoms outside every group
    // pass it, since a group may yet be repeated zero times. The construct is
    // always read to its end, so a syntax error anywhere outranks the others,
    // which are told as they are met.
    enum Verdict { kRead, kSyntax, kEscape, kAnchor, kTooLarge };

    struct Token {
        enum Kind : unsigned char { kByte, kSet, kAny, kStart, kEnd, kOpen, kClose, kOr, kRepeat };
        Kind kind;
        unsigned char byte;  // kByte
        // kSet: its index in Sets(); kOpen: the index of its kClose.
        unsigned int index;
        // kRepeat: the counts it allows.
        unsigned int min;
        unsigned int max;
    };

    // Reads the pattern as it is, NUL bytes included: regcomp's reading ends
    // at the first, so the caller cuts there first. An atom that can only
    // match the empty string ("a{0}", "()") takes no bytes.
    Verdict Read(const std::string& pattern);

    // After a reading that ends in kRead.
    const std::vector<Token>& Tokens() const { return _tokens; }
    const std::vector<ByteSet>& Sets() const { return _sets; }

    // What the construct writes out when each set counts its weight in
    // `setWeights` (by its index in Sets()) and every other atom one, by the
    // rule of the atoms limit: an atom under {m,n} counts n times, under
    // {m,} m + 1 times, under {0} not at all, wherever the {0} stands, and
    // counts multiply through nesting. Exact up to TypePattern::kMaxRanges,
    // and held one beyond it.
    unsigned long WrittenOut(const std::vector<unsigned long>& setWeights) const;

private:
    // Per open group (the whole pattern first); small, as a construct may
    // open millions.
    struct Level {
        unsigned int open = 0;  // its kOpen token
        // Its number, counted from 1, where it is at most 9; else 0, as for
        // the whole.
        unsigned char number = 0;
        // The atoms written out for it before its last atom, and for its
        // last atom, which a repetition may yet multiply, or make none; each
        // held one beyond TypePattern::kMaxAtoms.
        unsigned short atoms = 0;
        unsigned short lastAtoms = 0;
        // The closed groups (as _closed) when it opened, which each of its
        // alternatives starts from, and those closed in its alternatives
        // before the current one, which count again after it.
        unsigned short initialClosed = 0;
        unsigned short earlierClosed = 0;
        bool hasLast = false;  // a last atom, which a repetition may follow
        // Anchors: whether all before it takes no bytes; whether its
        // alternatives so far and its current one may take bytes, hold an
        // anchor, and end in a '$'; whether its last atom may take bytes and
        // holds a '$'.
        bool cleanStart = true;
        bool takes = false;
        bool altTakes = false;
        bool anchored = false;
        bool ends = false;
        bool altEnds = false;
        bool lastTakes = false;
        bool lastEnds = false;

        void EndAlternative();
    };

    // Each returns false on a syntax error, which ends the reading.
    bool _Escape(char escaped);
    bool _Bracket();
    bool _Interval();
    bool _Repeat(unsigned int min, unsigned int max);
    // An atom: the `atoms` written out for it; `takes`, `anchored` and `ends`
    // (it holds a '$') for the anchor rules. `repeatable`: whether a
    // repetition may follow it.
    void _Atom(unsigned long atoms, bool takes, bool anchored, bool ends = false,
               bool repeatable = true);
    // The last atom joins its alternative, which must not take bytes after
    // a '$'.
    void _Commit();
    void _Push(Token::Kind kind, unsigned char byte = 0, unsigned int index = 0,
               unsigned int min = 0, unsigned int max = 0);
    // Keeps the first reason not to compile; the tokens stop there.
    void _Refuse(Verdict verdict);

    const std::string* _pattern = nullptr;
    std::string::size_type _at = 0;
    std::vector<Level> _levels;
    Verdict _verdict = kRead;
    // Groups opened so far (counted up to 10), and which of the first nine
    // are closed (bit n for group n) before this point in its alternative:
    // glibc refuses a back-reference to any other.
    unsigned int _groups = 0;
    unsigned int _closed = 0;
    // Whether a repetition may follow, and whether what it would repeat
    // holds an anchor.
    bool _repeatable = false;
    bool _lastAnchored = false;
    std::vector<Token> _tokens;
    std::vector<ByteSet> _sets;
};

#endif  // TESRA_VALIDATE_CONSTRUCTREADER_H
