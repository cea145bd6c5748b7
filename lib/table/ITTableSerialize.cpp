// ITTable: one segment group in the binary block file.

#include "foundation/Serializer.h"
#include "table/ITTable.h"

void ITTable::Write(Serializer* ser) const {
    unsigned int numItems = 0;
    _store.Write(ser, numItems);
    ser->WriteUInt32(_orientation);
}

unsigned int ITTable::Read(unsigned int first, Serializer* ser) {
    Clear();
    const unsigned int orientationItem = _store.Read(first, ser);
    // Any non-zero stored value means row-wise; the table's row operations
    // know only 1 for it.
    _orientation = ser->ReadUInt32(orientationItem) != 0 ? 1 : 0;
    _ExtendFlags(GetNumColumns());
    return orientationItem + 1;
}
