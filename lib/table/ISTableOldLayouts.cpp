// ISTable: the readers of the older stored layouts. "V8" and "V7" store one
// segment group and share the rest of the "V9" reader (ISTableSerialize.cpp);
// "V6", " $$$3", " $$$2", " $$$1" and the oldest layout store the table
// column by column, and every row lands in the table's single segment.
//
// Items marked "not read" or "read and dropped" in these layouts carry
// nothing the table needs; they are skipped by their numbers.

#include <cstdint>

#include "foundation/Serializer.h"
#include "table/ISTable.h"

namespace {
// The number a column gets when the file holds none for it.
const unsigned int DEFAULT_COLUMN_NUMBER = 15;
}  // namespace

// What the column-wise layouts do differently with the items that follow
// the column names: the names item, the per-column numbers, the flags bytes,
// then one Strings per column.
struct ISTable::_ColumnWiseRules {
    // "V6": the numbers and the flags hold exactly one entry per column.
    // The others take the first entries of longer lists, and a missing
    // numbers list (an empty item) gives every column the default number.
    bool exactLengths;
    // " $$$2": the row marks item follows the columns; a non-zero mark
    // drops the stored row from every column.
    bool rowMarks;
    UInt32 numStoredRows;
};

int ISTable::_ReadColumnWise(unsigned int namesItem, unsigned int numColumns,
                             const _ColumnWiseRules& rules, Serializer* ser) {
    std::vector<std::string> names;
    ser->ReadStrings(names, namesItem);
    const int namesResult = _TakeColumnNames(names, numColumns);
    if (namesResult != READ_DONE) {
        return namesResult;
    }

    std::vector<UInt32> numbers;
    ser->ReadUInt32s(numbers, namesItem + 1);
    if (rules.exactLengths ? numbers.size() != numColumns
                           : !numbers.empty() && numbers.size() < numColumns) {
        return COUNT_MISMATCH;
    }
    if (numbers.empty()) {
        _colNumbers.assign(numColumns, DEFAULT_COLUMN_NUMBER);
    } else {
        _colNumbers.assign(numbers.begin(), numbers.begin() + numColumns);
    }

    std::string flags;
    ser->ReadString(flags, namesItem + 2);
    if (rules.exactLengths ? flags.size() != numColumns : flags.size() < numColumns) {
        return COUNT_MISMATCH;
    }

    const unsigned int firstColumn = namesItem + 3;
    std::vector<UInt32> marks;
    if (rules.rowMarks) {
        ser->ReadUInt32s(marks, firstColumn + numColumns);
        if (marks.size() < rules.numStoredRows) {
            return COUNT_MISMATCH;
        }
        marks.resize(rules.numStoredRows);
    }

    ITTable& segment = _segments[0];
    std::vector<std::string> cells;
    for (unsigned int j = 0; j < numColumns; ++j) {
        ser->ReadStrings(cells, firstColumn + j);
        if (rules.rowMarks) {
            if (cells.size() > marks.size()) {
                return COUNT_MISMATCH;  // a stored cell without its mark
            }
            std::size_t kept = 0;
            for (std::size_t k = 0; k < cells.size(); ++k) {
                if (marks[k] == 0) {
                    cells[kept++].swap(cells[k]);
                }
            }
            cells.resize(kept);
        }
        // The first column added to the empty segment gives it its rows.
        segment.AddColumn(j, cells);
    }
    _RebuildStarts();
    _TakeColumnFlags(flags, numColumns);
    return READ_DONE;
}

int ISTable::_ReadVersion6(unsigned int first, Serializer* ser) {
    ser->ReadString(_name, first);
    const UInt32 numColumns = ser->ReadUInt32(first + 1);
    if (numColumns == 0) {
        return READ_DONE;
    }
    const _ColumnWiseRules rules = {true, false, 0};
    const int result = _ReadColumnWise(first + 3, numColumns, rules, ser);
    if (result != READ_DONE) {
        return result;
    }

    const unsigned int p = first + 6 + numColumns;
    const UInt32 numIndices = ser->ReadUInt32(p);
    if (numIndices == 0) {
        return READ_DONE;
    }
    return _ReadStoredIndices(p + 1, numIndices, ser, true, false);
}

int ISTable::_ReadVersion3(unsigned int first, Serializer* ser) {
    const UInt32 numColumns = ser->ReadUInt32(first + 1);
    const _ColumnWiseRules rules = {false, false, 0};
    const int result = _ReadColumnWise(first + 3, numColumns, rules, ser);
    if (result != READ_DONE) {
        return result;
    }

    // The index names and flags items are there even without an index.
    const unsigned int p = first + 6 + numColumns;
    const UInt32 numIndices = ser->ReadUInt32(p);
    return _ReadStoredIndices(p + 1, numIndices, ser, false, false);
}

int ISTable::_ReadVersion2(unsigned int first, Serializer* ser) {
    // Variants 3 and 4 hold two more items before the column count.
    const UInt32 variant = ser->ReadUInt32(first);
    const unsigned int q = (variant == 3 || variant == 4) ? first + 3 : first + 1;
    const UInt32 numColumns = ser->ReadUInt32(q);
    const UInt32 numStoredRows = ser->ReadUInt32(q + 1);
    const _ColumnWiseRules rules = {false, true, numStoredRows};
    const int result = _ReadColumnWise(q + 4, numColumns, rules, ser);
    if (result != READ_DONE) {
        return result;
    }

    // As in " $$$3"; an index beyond the end of the flags list is not
    // unique.
    const unsigned int p = q + 8 + numColumns;
    const UInt32 numIndices = ser->ReadUInt32(p);
    return _ReadStoredIndices(p + 1, numIndices, ser, false, true);
}

int ISTable::_ReadVersion1(unsigned int first, Serializer* ser) {
    const UInt32 numColumns = ser->ReadUInt32(first + 2);
    const _ColumnWiseRules rules = {false, false, 0};
    // The trailing items after the columns are not needed.
    return _ReadColumnWise(first + 8, numColumns, rules, ser);
}

int ISTable::_ReadVersion0(unsigned int first, Serializer* ser) {
    const UInt32 numColumns = ser->ReadUInt32(first);
    const _ColumnWiseRules rules = {false, false, 0};
    return _ReadColumnWise(first + 6, numColumns, rules, ser);
}
