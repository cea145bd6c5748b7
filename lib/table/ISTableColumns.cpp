// ISTable: creating, filling, renaming, clearing, deleting and reading
// columns; column flags.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <stdexcept>

#include "foundation/Exceptions.h"
#include "table/ISTable.h"

namespace {
const unsigned int NEW_COLUMN_NUMBER = 15;

// Lists up to this length are checked for repeats pair by pair.
const std::size_t REPEAT_SCAN_LIMIT = 16;

// The position of the first name that repeats an earlier one, or the list's
// length. The positions are sorted stably by name, so that equivalent names
// stand together in list order and each but the first of a run is a repeat:
// n log n comparisons where a pairwise check of a wide table's names costs
// n squared.
std::size_t FirstRepeat(const std::vector<std::string>& names, const StringLess& less) {
    std::vector<std::uint32_t> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<std::uint32_t>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&names, &less](std::uint32_t a, std::uint32_t b) {
        return less(names[a], names[b]);
    });
    std::size_t first = names.size();
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (!less(names[order[k - 1]], names[order[k]])) {
            first = std::min<std::size_t>(first, order[k]);
        }
    }
    return first;
}
}  // namespace

void ISTable::AddColumn(const std::string& colName, const std::vector<std::string>& col) {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::AddColumn");
    }
    if (_numRows > 0 && col.size() > _numRows) {
        throw std::out_of_range("In table \"" + _name + "\", size of column \"" + colName + "\", " +
                                std::to_string(col.size()) +
                                ", is greater than the number of rows, " +
                                std::to_string(_numRows) + ", generated at: ISTable::AddColumn");
    }
    InsertColumn(colName, _colNames.size(), col);
}

void ISTable::AddColumns(std::vector<std::string>&& colNames) {
    const StringLess less(_colCompareType);
    const auto same = [this, &less](const std::string& a, const std::string& b) {
        return _colCompareType == CaseSensitive ? a == b : !less(a, b) && !less(b, a);
    };
    // Only the byte and the case-folding orders sort: a numeric one throws
    // on the first text that is no number, and the pairwise check decides
    // which text that is.
    const bool sorted = colNames.size() > REPEAT_SCAN_LIMIT &&
                        (_colCompareType == CaseSensitive || _colCompareType == CaseInsensitive);
    const std::size_t firstRepeat = sorted ? FirstRepeat(colNames, less) : colNames.size();
    for (std::size_t i = 0; i < colNames.size(); ++i) {
        const std::string& name = colNames[i];
        if (name.empty()) {
            throw EmptyValueException("Empty column name", "ISTable::AddColumn");
        }
        bool repeated = IsColumnPresent(name) || i == firstRepeat;
        for (std::size_t j = 0; j < i && !repeated && !sorted; ++j) {
            repeated = same(name, colNames[j]);
        }
        if (repeated) {
            throw AlreadyExistsException(
                "Duplicate column name \"" + name + "\" in table \"" + _name + "\"",
                "ISTable::CreateColumn");
        }
    }
    if (_numRows > 0) {
        // Every segment gets the columns' empty cells.
        for (const std::string& name : colNames) {
            AddColumn(name, std::vector<std::string>());
        }
    } else {
        // Names only: appended columns move no index column.
        if (_colNames.size() == 0) {
            // A reader names all of a table's columns in one call.
            _colNames.reserve(colNames.size());
        }
        _colFlags.reserve(_colFlags.size() + colNames.size());
        _colNumbers.reserve(_colNumbers.size() + colNames.size());
        for (std::string& name : colNames) {
            _colNames.push_back(std::move(name));
            _colFlags.push_back(DEFAULT_COLUMN_FLAGS);
            _colNumbers.push_back(NEW_COLUMN_NUMBER);
        }
    }
    colNames.clear();
}

void ISTable::InsertColumn(const std::string& colName, const std::string& atColName,
                           const std::vector<std::string>& col) {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::InsertColumn");
    }
    if (atColName.empty()) {
        throw EmptyValueException("Empty at column name", "ISTable::InsertColumn");
    }
    const unsigned int colIndex = _LookupColumn(atColName, "ISTable::InsertColumn");
    InsertColumn(colName, colIndex, col);
}

void ISTable::InsertColumn(const std::string& colName, unsigned int colIndex,
                           const std::vector<std::string>& col) {
    if (_numRows > 0 && col.size() > _numRows) {
        throw std::out_of_range("Invalid column size in ISTable::InsertColumn");
    }
    // In a table with rows CreateColumn pads the values with "" to the row
    // count, so every segment gets the column.
    CreateColumn(colName, colIndex, col);
}

void ISTable::CreateColumn(const std::string& colName, unsigned int colIndex,
                           const std::vector<std::string>& col) {
    if (colIndex > _colNames.size()) {
        throw std::out_of_range("Invalid column index in ISTable::CreateColumn");
    }
    if (_numRows > 0 && col.size() > _numRows) {
        throw std::out_of_range("Invalid column size in ISTable::FillColumn");
    }
    if (IsColumnPresent(colName)) {
        throw AlreadyExistsException(
            "Duplicate column name \"" + colName + "\" in table \"" + _name + "\"",
            "ISTable::CreateColumn");
    }

    if (colIndex == _colNames.size()) {
        // The common case (every column the CIF reader adds): an append
        // moves no other name, so the list needs no renumbering walk.
        _colNames.push_back(colName);
    } else {
        _colNames.insert(colIndex, colName);
    }
    _colFlags.insert(_colFlags.begin() + colIndex, DEFAULT_COLUMN_FLAGS);
    _colNumbers.insert(_colNumbers.begin() + colIndex, NEW_COLUMN_NUMBER);
    _ShiftIndexColumnsUp(colIndex);

    if (_numRows == 0 && col.empty()) {
        return;  // a column in name only; the first row creates its cells
    }

    try {
        if (_numRows == 0) {
            _MaterializeColumn(colIndex, col);
        } else if (col.size() == _numRows) {
            _DistributeColumn(colIndex, col);
        } else {
            // A column without a cell in some rows would leave the segments
            // one column short and every later column misnumbered.
            std::vector<std::string> padded(col);
            padded.resize(_numRows);
            _DistributeColumn(colIndex, padded);
        }
    } catch (...) {
        // A refusing segment: take the column out again everywhere, so that
        // the table and its segments agree.
        const unsigned int numColumns = _colNames.size();
        for (ITTable& segment : _segments) {
            if (segment.GetNumColumns() == numColumns) {
                segment.DeleteColumn(colIndex);
            }
        }
        const std::string storedName = _colNames[colIndex];
        _colNames.erase(storedName);
        _colFlags.erase(_colFlags.begin() + colIndex);
        _colNumbers.erase(_colNumbers.begin() + colIndex);
        _ShiftIndexColumnsDown(colIndex + 1);
        throw;
    }
}

void ISTable::_DistributeColumn(unsigned int colIndex, const std::vector<std::string>& col) {
    auto first = col.begin();
    for (ITTable& segment : _segments) {
        const auto last = first + segment.GetNumRows();
        segment.InsertColumn(colIndex, first, last);
        segment.SetFlags(_colFlags[colIndex], colIndex);
        first = last;
    }
}

ITTable ISTable::_NewSegment(unsigned int numRows) const {
    ITTable segment(_orientation);
    const std::vector<std::string> empties(numRows);
    for (unsigned int c = 0; c < _colNames.size(); ++c) {
        segment.CreateColumn(c, empties);
        segment.SetFlags(_colFlags[c], c);
    }
    return segment;
}

void ISTable::_BuildSegmentIndices(ITTable& segment) const {
    for (std::size_t i = 0; i < _indexNames.size(); ++i) {
        segment.CreateIndex(_indexColumns[i], _indexFlags[i]);
    }
}

void ISTable::_MaterializeColumn(unsigned int colIndex, const std::vector<std::string>& col) {
    // Every column gets its cells and every index of the table its entries
    // in the new segments: columns in name only and indices that the table
    // kept after losing its rows would otherwise be out of step with them.
    std::vector<ITTable> segments;
    segments.reserve((col.size() + SEGMENT_ROWS - 1) / SEGMENT_ROWS);
    for (std::size_t start = 0; start < col.size(); start += SEGMENT_ROWS) {
        const std::size_t count = std::min<std::size_t>(SEGMENT_ROWS, col.size() - start);
        ITTable segment = _NewSegment(static_cast<unsigned int>(count));
        for (std::size_t r = 0; r < count; ++r) {
            segment(static_cast<unsigned int>(r), colIndex) = col[start + r];
        }
        _BuildSegmentIndices(segment);
        segments.push_back(std::move(segment));
    }
    _segments.swap(segments);
    _RebuildStarts();
}

void ISTable::FillColumn(const std::string& colName, const std::vector<std::string>& col) {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::FillColumn");
    }
    if (col.empty()) {
        return;
    }
    if (_numRows > 0 && col.size() > _numRows) {
        throw std::out_of_range("Column size greater than number of rows in  ISTable::FillColumn");
    }
    const unsigned int colIndex = _LookupColumn(colName, "ISTable::FillColumn");

    if (_numRows == 0) {
        _MaterializeColumn(colIndex, col);
        return;
    }

    auto first = col.begin();
    for (ITTable& segment : _segments) {
        const std::size_t left = static_cast<std::size_t>(col.end() - first);
        const std::size_t count = std::min<std::size_t>(segment.GetNumRows(), left);
        segment.FillColumn(colIndex, first, first + count);
        first += count;
        if (first == col.end()) {
            break;
        }
    }
}

void ISTable::DeleteColumn(const std::string& colName) {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::DeleteColumn");
    }
    const unsigned int colIndex = _LookupColumn(colName, "ISTable::DeleteColumn");

    if (_numRows > 0) {
        for (ITTable& segment : _segments) {
            segment.DeleteColumn(colIndex);
        }
    }
    for (unsigned int i = GetNumIndices(); i-- > 0;) {
        if (IsColumnInIndex(i, colIndex)) {
            RemoveIndexEntry(i);
        }
    }
    RenumberIndexColumns(colIndex);

    _colNumbers.erase(_colNumbers.begin() + colIndex);
    _colFlags.erase(_colFlags.begin() + colIndex);
    const std::string storedName = _colNames[colIndex];
    _colNames.erase(storedName);

    if (_numRows > 0 && _segments[0].GetNumRows() == 0) {
        // A column-wise table loses its rows with its last column.
        std::vector<ITTable> fresh;
        fresh.emplace_back(_orientation);
        _segments.swap(fresh);
        _RebuildStarts();
    }
}

void ISTable::RenameColumn(const std::string& oldName, const std::string& newName) {
    if (oldName.empty()) {
        throw EmptyValueException("Empty old column name", "ISTable::RenameColumn");
    }
    if (newName.empty()) {
        throw EmptyValueException("Empty new column name", "ISTable::RenameColumn");
    }
    if (IsColumnPresent(newName)) {
        throw AlreadyExistsException("Duplicate column name", "ISTable::RenameColumn");
    }
    const unsigned int colIndex =
        _LookupColumn(oldName, "ISTable::RenameColumn", "Old column not found");

    const std::string storedName = _colNames[colIndex];
    _colNames.erase(storedName);
    _colNames.insert(colIndex, newName);
}

void ISTable::ClearColumn(const std::string& colName) {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::ClearColumn");
    }
    const unsigned int colIndex = _LookupColumn(colName, "ISTable::ClearColumn");
    if (_numRows == 0) {
        return;  // no cells to clear
    }
    for (ITTable& segment : _segments) {
        segment.ClearColumn(colIndex);
    }
}

unsigned int ISTable::_ColumnForRead(std::vector<std::string>& col,
                                     const std::string& colName) const {
    col.clear();
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::GetColumn");
    }
    return _LookupColumn(colName, "ISTable::GetColumn");
}

namespace {
// Runs a column read that appends to col; a read that fails part way
// leaves col empty rather than half filled.
template <typename Fill>
void FillColumnOrClear(std::vector<std::string>& col, Fill fill) {
    try {
        fill();
    } catch (...) {
        col.clear();
        throw;
    }
}
}  // namespace

void ISTable::GetColumn(std::vector<std::string>& col, const std::string& colName) const {
    const unsigned int colIndex = _ColumnForRead(col, colName);
    if (_numRows == 0) {
        return;  // the column exists and has no cells
    }

    FillColumnOrClear(col, [&] {
        col.reserve(_numRows);
        std::vector<std::string> part;
        for (const ITTable& segment : _segments) {
            segment.GetColumn(part, colIndex);
            col.insert(col.end(), std::make_move_iterator(part.begin()),
                       std::make_move_iterator(part.end()));
        }
    });
}

void ISTable::GetColumn(std::vector<std::string>& col, const std::string& colName,
                        unsigned int fromRow, unsigned int toRow) const {
    const unsigned int colIndex = _ColumnForRead(col, colName);
    if (fromRow > toRow) {
        return;
    }
    FillColumnOrClear(col, [&] {
        col.reserve(std::min<std::size_t>(static_cast<std::size_t>(toRow) - fromRow + 1, _numRows));
        for (unsigned long long r = fromRow; r <= toRow; ++r) {
            const RowLocation at = _Locate(static_cast<unsigned int>(r));
            col.push_back(_segments[at.segment](at.offset, colIndex));
        }
    });
}

void ISTable::GetColumn(std::vector<std::string>& col, const std::string& colName,
                        const std::vector<unsigned int>& rows) const {
    const unsigned int colIndex = _ColumnForRead(col, colName);
    FillColumnOrClear(col, [&] {
        col.reserve(rows.size());
        for (const unsigned int r : rows) {
            const RowLocation at = _Locate(r);
            col.push_back(_segments[at.segment](at.offset, colIndex));
        }
    });
}

void ISTable::GetColumn(std::vector<std::string>& col, const std::string& colName,
                        const std::string& indexName) const {
    const unsigned int colIndex = _ColumnForRead(col, colName);
    const unsigned int indexNumber = GetIndexNumber(indexName);
    if (indexNumber == NO_INDEX) {
        throw NotFoundException("Search index not found", "ISTable::GetColumn");
    }
    if (_numRows == 0) {
        return;
    }

    FillColumnOrClear(col, [&] {
        col.reserve(_numRows);
        std::vector<std::string> part;
        for (const ITTable& segment : _segments) {
            segment.GetColumnInIndexOrder(part, colIndex, indexNumber);
            col.insert(col.end(), std::make_move_iterator(part.begin()),
                       std::make_move_iterator(part.end()));
        }
    });
}

void ISTable::SetFlags(const std::string& colName, unsigned char flags) {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::SetFlags");
    }
    const unsigned int colIndex = _LookupColumn(colName, "ISTable::SetFlags");

    for (ITTable& segment : _segments) {
        // A column in name only gets the table's byte with its cells.
        if (segment.GetNumColumns() > colIndex) {
            segment.SetFlags(flags, colIndex);
        }
    }
    _colFlags[colIndex] = ColumnKey::Merge(_colFlags[colIndex], flags);
    ValidateOptions(colIndex);
}

unsigned char ISTable::GetFlags(const std::string& colName) const {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::GetFlags");
    }
    return _colFlags[_LookupColumn(colName, "ISTable::GetFlags")];
}

unsigned int ISTable::GetDataType(const std::string& colName) const {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::GetDataType");
    }
    const unsigned int colIndex = _LookupColumn(colName, "ISTable::GetDataType");
    return ColumnKey::DataType(_colFlags[colIndex]);
}

void ISTable::ValidateOptions(unsigned int colIndex) {
    if (colIndex >= _colFlags.size()) {
        throw std::out_of_range("Invalid column index in ISTable::ValidateOptions");
    }
    _colFlags[colIndex] = ColumnKey::Validate(_colFlags[colIndex]);
}
