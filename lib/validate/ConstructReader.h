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
    // '$', a repeated anchor. An atom that can only match the empty string
    // ("a{0}", "()") takes no bytes. The pattern is read as it is, NUL bytes
    // included: regcomp's reading ends at the first, so the caller cuts
    // there first.
    bool Read(const std::string& pattern);

    // After a successful Read.
    const std::vector<Token>& Tokens() const { return _tokens; }
    const std::vector<ByteSet>& Sets() const { return _sets; }

private:
    // What regcomp's epsilon closure meets in a part of the construct: the
    // ways of its choices between parts that take no byte (a choice among n
    // alternatives that can each match the empty string offers n, an
    // optional copy of what can match it 2, a loop 2), and its steps (each
    // '|', group, anchor and optional or starred copy is one).
    struct Ways {
        unsigned long choices = 0;
        unsigned long steps = 0;

        // Adds `other` `times` over, up to a bound far above the limits.
        Ways& Add(const Ways& other, unsigned long times = 1);
    };

    // A stretch of steps that the closure walks without taking a byte, and
    // whether it holds a loop (an unbounded repetition of what can match the
    // empty string).
    struct Run {
        unsigned long steps = 0;
        bool loop = false;

        Run& Add(const Run& other);
    };

    // A part of the construct as regcomp's closure meets it (TypePattern.h):
    // the ways into a loop and the ways and steps after an anchor are
    // charged, and so are the steps of a run that holds a loop, once it ends.
    struct Closure {
        bool empty = true;          // it can match the empty string
        Ways charged;               // counted against the limits
        Ways all;                   // all that it writes out
        Ways head;                  // reached from its start without a byte
        unsigned long tail = 0;     // ways reaching its end so, not charged
        bool loopHead = false;      // a loop is reached from its start so
        unsigned long anchors = 0;  // anchors that reach its end so
        // The runs open at its start and at its end; when it can match the
        // empty string, one run through it, `first`.
        Run first;
        Run last;
    };

    static Closure _ByteClosure();
    static Closure _AnchorClosure();
    // The closure of `a` followed by `b`, and of `x` under a repetition.
    static Closure _Then(const Closure& a, const Closure& b);
    static Closure _Repeated(const Closure& x, unsigned int min, unsigned int max);
    // Charges the steps of `run`, which ends, when it holds a loop.
    static void _Close(const Run& run, Closure& closure);

    // Per open group (the whole pattern first).
    struct Level {
        unsigned int open = 0;  // its kOpen token
        // What regcomp writes out: the most copies of an atom within it, and
        // of its last atom (0 when there is none to repeat); the atoms
        // written out for it, and for its last atom.
        unsigned long most = 1;
        unsigned long last = 0;
        unsigned long atoms = 0;
        unsigned long lastAtoms = 0;
        // Its closure: its alternatives so far (summed; `alternatives.last`
        // sums the runs at the end of those that cannot match the empty
        // string), its current alternative before the last atom, and the
        // last atom, which joins its alternative once nothing can repeat it;
        // how many alternatives it has had, and how many of them can match
        // the empty string.
        Closure alternatives;
        Closure current;
        Closure lastClosure;
        bool hasLast = false;
        unsigned long count = 0;
        unsigned long empties = 0;
        // The choices and steps charged within it so far: at most what it
        // charges in the end.
        unsigned long forks = 0;
        unsigned long steps = 0;
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
        // The closure of the whole group, once it ends; of the whole
        // pattern, its runs closed.
        Closure End(bool group) const;
        void Charge();
    };

    bool _Escape(char escaped);
    bool _Bracket();
    bool _Interval();
    // An atom: `copies`, `atoms` and `closure` as regcomp writes it out;
    // `takes`, `anchored` and `ends` (it holds a '$') for the anchor rules.
    bool _Atom(unsigned long copies, unsigned long atoms, const Closure& closure, bool takes,
               bool anchored, bool ends = false);
    // The last atom joins its alternative; false when it may take bytes
    // after a '$'.
    bool _Commit();
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
