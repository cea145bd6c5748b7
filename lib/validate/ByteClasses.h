#ifndef TESRA_VALIDATE_BYTECLASSES_H
#define TESRA_VALIDATE_BYTECLASSES_H

#include <array>
#include <vector>

#include "validate/ConstructReader.h"

// The bytes of a construct that none of its atoms tells apart, in classes:
// every bracket expression and every byte standing for itself is a union of
// classes, and '.' is all of them. A value read through the class map
// matches the construct written over classes as it matches the construct,
// so a bracket expression of a hundred ranges of bytes becomes a few ranges
// of classes, and RE2's program an instruction or so an atom.
//
// The classes are numbered so that most sets are one run of them: each set,
// largest first, splits every class it cuts into the part inside, numbered
// first, and the part outside. So a set and the sets and bytes nested in it
// stay runs. Cost: one pass over the distinct sets, each splitting at most
// 256 classes.
class ByteClasses {
public:
    typedef ConstructReader::ByteSet ByteSet;

    // The classes of the sets and bytes of a construct read.
    explicit ByteClasses(const ConstructReader& reader);

    // How many classes there are, 1 to 256.
    unsigned Count() const { return _count; }
    // The class of a byte, from 0 to Count() - 1.
    unsigned Of(unsigned char byte) const { return _of[byte]; }
    // The classes of a set that is a union of them, as a set of their
    // numbers.
    ByteSet Classes(const ByteSet& bytes) const;

    // The runs of consecutive members of a set.
    static unsigned long Ranges(const ByteSet& set);

private:
    std::array<unsigned short, 256> _of{};
    unsigned _count = 1;
};

#endif  // TESRA_VALIDATE_BYTECLASSES_H
