#ifndef TESRA_CIF_CATEGORYBUFFER_H
#define TESRA_CIF_CATEGORYBUFFER_H

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "table/ISTable.h"

// The rows of one category while its data block is being read. Rows may be
// shorter than the column list (columns added by later save frames); the
// missing cells are unset and become "?" when the table is built.
//
// Rows are kept in lists of ISTable::SEGMENT_ROWS, the rows of one table
// segment each, so that the table takes every list whole (ISTable::AppendRows)
// and no row is moved again once read. The first list starts with room for
// a few rows and then takes a whole segment's room; every later one is
// reserved whole. The last list is cut to its rows when the table takes it,
// so that the many small categories keep no more room than their rows.
// (Against doubling from one row: 0.75% fewer instructions on the monomer
// files, 2.6% on the PDBx dictionary.)
struct CategoryBuffer {
    using Row = std::vector<std::string>;
    static constexpr unsigned int kNoColumn = static_cast<unsigned int>(-1);
    static constexpr std::size_t kChunkRows = ISTable::SEGMENT_ROWS;

    explicit CategoryBuffer(std::string categoryName) : name(std::move(categoryName)) {}
    // The column of that attribute, or kNoColumn.
    unsigned int Find(std::string_view attribute) const {
        if (!_index.empty()) {
            const auto found = _index.find(std::string(attribute));
            return found != _index.end() ? found->second : kNoColumn;
        }
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].size() == attribute.size() && attribute == columns[c]) {
                return static_cast<unsigned int>(c);
            }
        }
        return kNoColumn;
    }

    // The column of that attribute, added at the end when new.
    unsigned int ColumnFor(std::string_view attribute) {
        const unsigned int found = Find(attribute);
        if (found != kNoColumn) {
            return found;
        }
        const unsigned int col = static_cast<unsigned int>(columns.size());
        columns.emplace_back(attribute);
        if (!_index.empty()) {
            _index.emplace(columns.back(), col);
        } else if (columns.size() > kLinearLimit) {
            // A wide category: a scan per lookup would grow with its width.
            for (unsigned int c = 0; c < columns.size(); ++c) {
                _index.emplace(columns[c], c);
            }
        }
        return col;
    }

    // Sets one cell, filling the unset cells before it with "?". A cell past
    // the row's end is made in place, from the text or by a move: no
    // temporary string on the way, the usual cell being the row's next one
    // (against a resize that fills with copies: 10% fewer instructions
    // reading the PDBx dictionary).
    void SetCell(std::size_t row, unsigned int col, std::string_view value) {
        Row& cells = _RowBefore(row, col);
        if (cells.size() == col) {
            cells.emplace_back(value);
        } else {
            cells[col].assign(value);
        }
    }
    void SetCell(std::size_t row, unsigned int col, std::string&& value) {
        Row& cells = _RowBefore(row, col);
        if (cells.size() == col) {
            cells.push_back(std::move(value));
        } else {
            cells[col] = std::move(value);
        }
    }

    std::size_t NumRows() const { return _numRows; }
    Row& RowAt(std::size_t row) { return _chunks[row / kChunkRows][row % kChunkRows]; }
    const Row& RowAt(std::size_t row) const { return _chunks[row / kChunkRows][row % kChunkRows]; }

    // Appends a row (empty unless given) and returns it.
    Row& AddRow(Row&& row = Row()) {
        if (_numRows % kChunkRows == 0) {
            _chunks.emplace_back();
            _chunks.back().reserve(_numRows != 0 ? kChunkRows : kFirstRows);
        } else if (_numRows == kFirstRows) {
            // Past the first few rows the list goes straight to its last
            // size: the steps of doubling cost an allocation and a move
            // of every row each.
            _chunks.back().reserve(kChunkRows);
        }
        ++_numRows;
        _chunks.back().push_back(std::move(row));
        return _chunks.back().back();
    }

    // Drops the rows from `row` on.
    void DropRowsFrom(std::size_t row) {
        while (_numRows > row) {
            _chunks.back().pop_back();
            if (--_numRows % kChunkRows == 0) {
                _chunks.pop_back();
            }
        }
    }

    // Hands the rows over, list by list, and leaves the buffer without rows.
    // The last list is cut to its rows first: the table keeps it for good.
    std::vector<std::vector<Row>> TakeRows() {
        if (!_chunks.empty()) {
            _chunks.back().shrink_to_fit();
        }
        _numRows = 0;
        return std::move(_chunks);
    }

    std::string name;
    std::vector<std::string> columns;

private:
    // The row, its cells before col set ("?" where unset).
    Row& _RowBefore(std::size_t row, unsigned int col) {
        Row& cells = RowAt(row);
        if (cells.size() <= col) {
            // To the width the category has now, in one step: its later
            // cells are likely to come too. At least doubled, though: a
            // row that grows with its category's width (name/value pairs,
            // each a new column) must not be moved once per column.
            if (cells.capacity() < columns.size()) {
                cells.reserve(std::max(columns.size(), 2 * cells.capacity()));
            }
            while (cells.size() < col) {
                cells.emplace_back(1, '?');
            }
        }
        return cells;
    }

    // Categories up to this width are searched by a scan, which costs less
    // than hashing for the few columns of a typical category.
    static constexpr std::size_t kLinearLimit = 32;
    // The room of a category's first list before it takes a whole segment.
    static constexpr std::size_t kFirstRows = 16;
    std::unordered_map<std::string, unsigned int> _index;  // empty until the width passes the limit
    std::vector<std::vector<Row>> _chunks;
    std::size_t _numRows = 0;
};

#endif  // TESRA_CIF_CATEGORYBUFFER_H
