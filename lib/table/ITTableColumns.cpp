#include <stdexcept>

#include "foundation/Exceptions.h"
#include "table/ITTable.h"
#include "table/ITTableRekey.h"

using ittable_detail::EmptyCell;

// ---------------------------------------------------------------- columns

void ITTable::CreateColumn(unsigned int colIndex, ValueIterator first, ValueIterator last) {
    const unsigned int numColumns = GetNumColumns();
    if (colIndex > numColumns)
        throw std::out_of_range("Invalid column index in ITTable::CreateColumn");
    if (last < first)
        throw std::out_of_range("Invalid column range in TTable::CreateColumn");
    const std::size_t n = static_cast<std::size_t>(last - first);
    const unsigned int numRows = GetNumRows();
    if (numRows > 0 && n > numRows)
        throw std::out_of_range("Invalid column size in ITTable::FillColumn");
    if (n == 0)
        return;

    if (_orientation != 0)
        _store.InsertColumn(colIndex, first, last);
    else
        _store.InsertTuple(colIndex, first, last);

    _ExtendFlags(colIndex);
    _flags.insert(_flags.begin() + colIndex, DEFAULT_COLUMN_FLAGS);

    if (colIndex < numColumns)
        IncrementIndexColumns(colIndex);
}

void ITTable::CreateColumn(unsigned int colIndex, const Row& values) {
    CreateColumn(colIndex, values.begin(), values.end());
}

void ITTable::_AddColumn(unsigned int colIndex, ValueIterator first, ValueIterator last) {
    const unsigned int numRows = GetNumRows();
    if (numRows == 0) {
        CreateColumn(colIndex, first, last);
        return;
    }
    if (colIndex > GetNumColumns())
        throw std::out_of_range("Invalid column index in ITTable::CreateColumn");
    if (last < first)
        throw std::out_of_range("Invalid column range in TTable::CreateColumn");
    const std::size_t n = static_cast<std::size_t>(last - first);
    if (n > numRows)
        throw std::out_of_range("Invalid column size in ITTable::FillColumn");

    // The new column belongs to no index, so its values need no re-keying;
    // a key index still refuses the fill and leaves the column empty.
    if (n == 0 || HasUniqueIndex()) {
        const Row empty(numRows);
        CreateColumn(colIndex, empty);
        if (n != 0)
            _RefuseIfUnique("ITTable::UpdateIndicesOnCellUpdate");
        return;
    }
    CreateColumn(colIndex, first, last);
}

void ITTable::AddColumn(unsigned int colIndex, const Row& values) {
    _AddColumn(colIndex, values.begin(), values.end());
}

void ITTable::InsertColumn(unsigned int colIndex, ValueIterator first, ValueIterator last) {
    _AddColumn(colIndex, first, last);
}

void ITTable::FillColumn(unsigned int colIndex, ValueIterator first, ValueIterator last) {
    if (colIndex >= GetNumColumns())
        throw std::out_of_range("Invalid column index in ITTable::FillColumn");
    if (last < first)
        throw std::out_of_range("Invalid column range in ITTable::FillColumn");
    const std::size_t n = static_cast<std::size_t>(last - first);
    const unsigned int numRows = GetNumRows();
    // Refused before any cell is written, so the indices stay in step.
    if (n > numRows)
        throw std::out_of_range("Invalid column size in ITTable::FillColumn");
    if (numRows == 0)
        return;

    _RefuseIfUnique("ITTable::UpdateIndicesOnCellUpdate");

    auto rebuilt = _RebuildIndicesOver(
        colIndex, [this, colIndex, first, n](unsigned int r, unsigned int c) -> const std::string& {
            return (c == colIndex && r < n) ? first[r] : _Cell(r, c);
        });

    for (unsigned int r = 0; r < n; ++r) _Cell(r, colIndex) = first[r];
    for (auto& entry : rebuilt) _indices[entry.first].map.swap(entry.second);
}

void ITTable::FillColumn(const Row& values, unsigned int colIndex) {
    if (values.empty())
        return;
    FillColumn(colIndex, values.begin(), values.end());
}

void ITTable::ClearColumn(unsigned int colIndex) {
    const unsigned int numRows = GetNumRows();
    // The column is read before it changes; the store's read refuses what
    // it cannot read.
    if (colIndex >= GetNumColumns() || (_orientation != 0 && numRows == 0)) {
        Row column;
        if (_orientation != 0)
            _store.GetColumn(column, colIndex, 0, numRows);
        else
            _store.GetTuple(column, colIndex, 0, numRows);
    }
    if (numRows == 0)
        return;

    _RefuseIfUnique("ITTable::UpdateIndicesOnCellUpdate");

    auto rebuilt = _RebuildIndicesOver(
        colIndex, [this, colIndex](unsigned int r, unsigned int c) -> const std::string& {
            return c == colIndex ? EmptyCell() : _Cell(r, c);
        });

    if (_orientation != 0)
        _store.ClearColumn(colIndex);
    else
        _store.ClearTuple(colIndex);
    for (auto& entry : rebuilt) _indices[entry.first].map.swap(entry.second);
}

void ITTable::DeleteColumn(unsigned int colIndex) {
    if (_orientation != 0)
        _store.DeleteColumn(colIndex);
    else
        _store.DeleteTuple(colIndex);

    if (colIndex < _flags.size())
        _flags.erase(_flags.begin() + colIndex);

    for (std::size_t i = _indices.size(); i-- > 0;)
        if (_Holds(_indices[i], colIndex))
            _indices.erase(_indices.begin() + i);
    DecrementIndexColumns(colIndex);
}

void ITTable::GetColumn(Row& column, unsigned int colIndex) const {
    const unsigned int numRows = GetNumRows();
    if (_orientation != 0)
        _store.GetColumn(column, colIndex, 0, numRows);
    else
        _store.GetTuple(column, colIndex, 0, numRows);
}

void ITTable::GetColumn(Row& column, unsigned int colIndex, unsigned int fromRowIndex,
                        unsigned int toRowIndex) const {
    column.clear();
    if (fromRowIndex > toRowIndex)
        return;
    for (unsigned long long r = fromRowIndex; r <= toRowIndex; ++r) {
        _CheckCell(static_cast<unsigned int>(r), colIndex);
        column.push_back(_Cell(static_cast<unsigned int>(r), colIndex));
    }
}

void ITTable::GetColumn(Row& column, unsigned int colIndex, const ColumnList& rowIndices) const {
    column.clear();
    column.reserve(rowIndices.size());
    for (const unsigned int r : rowIndices) {
        _CheckCell(r, colIndex);
        column.push_back(_Cell(r, colIndex));
    }
}

void ITTable::GetColumnInIndexOrder(Row& column, unsigned int colIndex,
                                    unsigned int indexNum) const {
    column.clear();
    _CheckIndexNumber(indexNum, "ITTable::GetColumnInIndexOrder");
    for (const auto& entry : _indices[indexNum].map) {
        _CheckCell(entry.second, colIndex);
        column.push_back(_Cell(entry.second, colIndex));
    }
}
