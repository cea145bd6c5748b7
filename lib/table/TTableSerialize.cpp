// TTable: the first items of a segment group in the binary block file.

#include <cstdint>
#include <string>
#include <utility>

#include "foundation/Exceptions.h"
#include "foundation/Serializer.h"
#include "table/TTable.h"

unsigned int TTable::Write(Serializer* ser, unsigned int& numItems) const {
    if (ser == nullptr) {
        throw InvalidStateException("No Serializer to write to", "TTable::Write");
    }
    const unsigned int first = ser->WriteUInt32(_width);
    unsigned int last = ser->WriteUInt32(GetNumTuples());
    for (const Tuple& tuple : _tuples) {
        if (tuple.size() == _width) {
            last = ser->WriteStrings(tuple);
        } else {
            // Every tuple holds the width's cells; the reader relies on it.
            Tuple cells(tuple);
            cells.resize(_width);
            last = ser->WriteStrings(cells);
        }
    }
    numItems = last - first + 1;
    return first;
}

unsigned int TTable::Read(unsigned int first, Serializer* ser) {
    if (ser == nullptr) {
        throw InvalidStateException("No Serializer to read from", "TTable::Read");
    }
    Clear();
    // The width item is not read: the first tuple fixes the width.
    const UInt32 numTuples = ser->ReadUInt32(first + 1);
    const std::uint64_t firstTuple = static_cast<std::uint64_t>(first) + 2;
    if (firstTuple + numTuples > ser->GetNumIndices()) {
        throw FileException(
            "Stored tuple count " + std::to_string(numTuples) + " exceeds the items of the file",
            "TTable::Read");
    }
    _tuples.reserve(numTuples);
    for (UInt32 k = 0; k < numTuples; ++k) {
        Tuple tuple;
        ser->ReadStrings(tuple, first + 2 + k);
        InsertTuple(k, std::move(tuple));
    }
    return first + 2 + numTuples;
}
