#ifndef TESRA_VALIDATE_ROWREADER_H
#define TESRA_VALIDATE_ROWREADER_H

#include <string>
#include <vector>

#include "table/ISTable.h"

// Reads the rows of a table by number, a row-wise table's from its stored
// tuples: rows in ascending order segment by segment, any other row through
// a binary search over the segments' first rows.
//
// A walk down a large table is bound by the wait for each row's cells, which
// lie apart in memory; the reader asks for the cells of the columns a walk
// reads a few rows ahead, so that those waits overlap.
//
// The table is borrowed and must outlive the reader, unchanged.
class RowReader {
public:
    explicit RowReader(const ISTable& table);
    // Asks for these cells ahead of an ascending walk.
    RowReader(const ISTable& table, std::vector<unsigned int> aheadColumns);

    // Valid until the next call.
    const std::vector<std::string>& Row(unsigned int row) {
        if (!_table.IsRowWise()) {
            return _Copy(row);
        }
        if (_rows == nullptr || row < _start || row - _start >= _rows->size()) {
            _Seek(row);
        }
        const unsigned int at = row - _start;
        if (!_ahead.empty() && at + kAhead < _rows->size()) {
            const std::string* cells = (*_rows)[at + kAhead].data();
            for (const unsigned int column : _ahead) {
                __builtin_prefetch(cells + column);
            }
        }
        return (*_rows)[at];
    }

private:
    // Far enough ahead to cover a memory access at the pace of the cheapest
    // walks; a segment's first rows go unasked.
    static constexpr unsigned int kAhead = 16;

    const std::vector<std::string>& _Copy(unsigned int row);
    void _Seek(unsigned int row);

    const ISTable& _table;
    std::vector<unsigned int> _ahead;
    std::vector<unsigned int> _starts;
    // The tuples of the segment that holds the last row read.
    const std::vector<std::vector<std::string> >* _rows = nullptr;
    unsigned int _start = 0;
    std::vector<std::string> _copy;
};

#endif  // TESRA_VALIDATE_ROWREADER_H
