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
// The classes are numbered from 1, so that no class is NUL, which no value
// holds; a construct that tells all 256 bytes apart has no such numbering,
// and no use for one. They are numbered so that most sets are one run of
// them: each set, largest first, splits every class it cuts into the part
// inside, numbered first, and the part outside. So a set and the sets and
// bytes nested in it stay runs. Cost: one pass over the distinct sets, each
// splitting at most 256 classes.
class ByteClasses {
public:
    typedef ConstructReader::ByteSet ByteSet;

    // The classes of the sets and bytes of a construct read.
    explicit ByteClasses(const ConstructReader& reader);

    // How many classes there are, 1 to 256.
    unsigned Count() const { return _count; }
    // Below 256 classes: the class of a byte, from 1 to Count(), and the
    // construct's sets as sets of class numbers, by their index in the
    // reader's Sets().
    unsigned char Of(unsigned char byte) const { return _of[byte]; }
    const std::vector<ByteSet>& Sets() const { return _sets; }

    // The runs of consecutive members of a set.
    static unsigned long Ranges(const ByteSet& set);

private:
    std::array<unsigned char, 256> _of{};
    unsigned _count = 1;
    std::vector<ByteSet> _sets;
};

#endif  // TESRA_VALIDATE_BYTECLASSES_H
