#ifndef TESRA_VALIDATE_CONSTRUCTREADER_H
#define TESRA_VALIDATE_CONSTRUCTREADER_H

#include <bitset>
#include <string>
#include <vector>

// One reading of a type construct, as regcomp with REG_EXTENDED reads it in
// the C locale, into a flat list of tokens: bytes, byte sets (the bracket
// expressions), '.', the anchors, group ends, '|' and repetitions. The same
// pass measures what regcomp would write out (TypePattern's limits) and
// applies the rules of what RE2 cannot match as glibc does, so that the
// limits, the refusals and RE2's text all come from one reading. Linear in
// the construct; a construct already beyond a limit is read no further.
//
// Not thread-safe; one object reads one construct.
class ConstructReader {
public:
    typedef std::bitset<256> ByteSet;

    // A bound of a repetition that has none.
    static const unsigned int kUnbounded = ~0u;

    struct Token {
        enum Kind : unsigned char { kByte, kSet, kAny, kStart, kEnd, kOpen, kClose, kOr, kRepeat };
        Kind kind;
        unsigned char byte;  // kByte
        // kSet: its index in Sets(); kOpen: the index of its kClose.
        unsigned int index;
        // kRepeat: the counts it allows; a count above TypePattern::kMaxCopies
        // is read as kMaxCopies + 1, which no construct within the limits has.
        unsigned int min;
        unsigned int max;
    };

    // False when regcomp refuses the pattern in a way found while reading
    // (an unclosed group, an interval or a bracket expression it cannot read,
    // a backslash at the end), when it is beyond one of TypePattern's limits,
    // or when RE2 could not match it as glibc does: back-references, the GNU
    // escapes, a '^' after what may take bytes, what may take bytes after a
    // '$', a repeated anchor. The pattern is read as it is, NUL bytes
    // included: regcomp's reading ends at the first, so the caller cuts
    // there first.
    bool Read(const std::string& pattern);

    // After a successful Read.
    const std::vector<Token>& Tokens() const { return _tokens; }
    const std::vector<ByteSet>& Sets() const { return _sets; }

private:
    // Per open group (the whole pattern first).
    struct Level {
        unsigned int open = 0;  // its kOpen token
        // What regcomp writes out: the most copies of an atom within it, and
        // of its last atom (0 when there is none to repeat); the atoms and
        // the empty forks (see TypePattern.h) written out for it, and for its
        // last atom.
        unsigned long most = 1;
        unsigned long last = 0;
        unsigned long atoms = 0;
        unsigned long lastAtoms = 0;
        unsigned long forks = 0;
        unsigned long lastForks = 0;
        // Whether the atoms of its current alternative before the last one,
        // and the last one, can match the empty string, and how many of its
        // alternatives so far can.
        bool emptyBefore = true;
        bool hasLast = false;
        bool lastEmpty = false;
        unsigned long emptyAlternatives = 0;
        // Anchors: whether all before it takes no bytes; whether its
        // alternatives so far and its current one may take bytes, hold an
        // anchor, and end in a '$'.
        bool cleanStart = true;
        bool takes = false;
        bool altTakes = false;
        bool anchored = false;
        bool ends = false;
        bool altEnds = false;

        void EndAlternative();
        // The empty forks of the whole group, once it ends.
        unsigned long AllForks();
    };

    bool _Escape(char escaped);
    bool _Bracket();
    bool _Interval();
    // An atom: `copies`, `atoms`, `empty` and `forks` as regcomp writes it
    // out; `takes` and `anchored` for the anchor rules.
    bool _Atom(unsigned long copies, unsigned long atoms, bool empty, unsigned long forks,
               bool takes, bool anchored);
    bool _Repeat(unsigned int min, unsigned int max);
    void _Push(Token::Kind kind, unsigned char byte = 0, unsigned int index = 0,
               unsigned int min = 0, unsigned int max = 0);
    // False once the innermost group is beyond a limit: nothing after it
    // can make the construct smaller.
    bool _WithinLimits() const;

    const std::string* _pattern = nullptr;
    std::string::size_type _at = 0;
    std::vector<Level> _levels;
    // Whether a repetition may follow, and whether what it would repeat
    // holds an anchor.
    bool _repeatable = false;
    bool _lastAnchored = false;
    std::vector<Token> _tokens;
    std::vector<ByteSet> _sets;
};

#endif  // TESRA_VALIDATE_CONSTRUCTREADER_H
