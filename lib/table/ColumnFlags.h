#ifndef TESRA_TABLE_COLUMNFLAGS_H
#define TESRA_TABLE_COLUMNFLAGS_H

#include <string>

#include "foundation/StringCompare.h"

// The flags byte of one column: how the column's values enter search keys.
//   bits 4-7  data type: 1 text (the default), 2 integer, 3 kept as written
//   bit 0     text only: case-insensitive keys
//   bit 1     text only: whitespace-insensitive keys
//   bits 2-3  reserved, cleared on validation
// A table and each of its segments keep one byte per column.
typedef unsigned char ColumnFlags;

const ColumnFlags COLUMN_TYPE_TEXT = 0x10;
const ColumnFlags COLUMN_TYPE_INTEGER = 0x20;
const ColumnFlags COLUMN_TYPE_VERBATIM = 0x30;
const ColumnFlags COLUMN_CASE_INSENSITIVE = 0x01;
const ColumnFlags COLUMN_WHITESPACE_INSENSITIVE = 0x02;
const ColumnFlags DEFAULT_COLUMN_FLAGS = COLUMN_TYPE_TEXT;

// Rules of the flags byte and of the key texts built from cell values.
// A key component is one value converted by its column's flags so that
// plain byte order of components follows the order of the values
// (integers by numeric value, case-insensitive text without regard to case).
// The public key texts join components with one blank after each.
class ColumnKey {
public:
    // The data type in the high nibble (1 text, 2 integer, 3 verbatim;
    // other values are invalid until validated).
    static unsigned int DataType(ColumnFlags flags) { return flags >> 4; }

    // An invalid type (0 or above 3) makes the whole byte 0x10; the
    // reserved bits 2 and 3 are always cleared.
    static ColumnFlags Validate(ColumnFlags flags);

    // The byte that results from setting `given` on a column holding
    // `stored`: a non-zero type nibble of `given` replaces the stored one,
    // bits 0 and 1 are taken from `given`, then the byte is validated.
    static ColumnFlags Merge(ColumnFlags stored, ColumnFlags given);

    // True for a text column with bit 0 set.
    static bool IsCaseInsensitive(ColumnFlags flags);

    // The compare type of an index map whose first column has these flags:
    // case-insensitive (1) for case-insensitive text, else case-sensitive.
    static CompareType KeyCompareType(ColumnFlags firstColumnFlags);

    // Appends the key component of `value` under `flags` (no blank).
    // An integer column value that is not a whole int, or a negative one
    // of 11 characters, raises the std::runtime_error of String::StringToInt.
    static void AppendComponent(std::string& key, const std::string& value, ColumnFlags flags);

    // The integer rule alone: `out` is cleared first and stays empty for
    // inputs longer than 11 characters.
    static void MakeIntegerKey(const std::string& in, std::string& out);

    // `out` = `in` without whitespace, then A-Z lower-cased.
    static void NormalizeText(const std::string& in, std::string& out);

    // Appends the floating-point order text of `in` to `out` (which is not
    // cleared); infinities and NaN append nothing.
    static void MakeDoubleKey(const std::string& in, std::string& out);

    // Index maps hold their own encoding of the components, not the public
    // blank-joined text: cells may contain blanks, so ("a b", "c") and
    // ("a", "b c") would share a blank-joined key. Each component is
    // followed by a terminator that orders below every byte a component
    // can hold under the map's compare type; a component byte equal to the
    // terminator's first byte is escaped. Whole encoded keys then order as
    // the component lists do, component by component.
    //
    // Terminates the component that starts at `componentStart` in `key`.
    static void TerminateIndexComponent(std::string& key, std::string::size_type componentStart,
                                        CompareType mapCompareType);
};

#endif
