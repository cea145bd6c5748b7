// ISTable: inserting, reading, changing and deleting rows; cell access.

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "foundation/Exceptions.h"
#include "table/ISTable.h"

namespace {
const char* const KEY_INDEX_REFUSAL = "Attempting to change the table that has a key search index";
}

void ISTable::_RefuseIfUnique(const char* location) const {
    for (const unsigned int flag : _indexFlags) {
        if (flag == 1) {
            throw AlreadyExistsException(KEY_INDEX_REFUSAL, location);
        }
    }
}

unsigned int ISTable::AddRow(const std::vector<std::string>& row) {
    return InsertRow(_numRows, std::vector<std::string>(row));
}

unsigned int ISTable::AddRow(std::vector<std::string>&& row) {
    return InsertRow(_numRows, std::move(row));
}

unsigned int ISTable::InsertRow(unsigned int rowIndex, const std::vector<std::string>& row) {
    return InsertRow(rowIndex, std::vector<std::string>(row));
}

unsigned int ISTable::InsertRow(unsigned int rowIndex, std::vector<std::string>&& row) {
    if (_colNames.size() == 0) {
        throw EmptyContainerException("No columns in table", "ISTable::InsertRow");
    }
    if (row.size() > _colNames.size()) {
        throw std::out_of_range("Invalid row size in ISTable::InsertRow");
    }

    // A new segment holding the row: every column, flag and index of the
    // table, the row's cells moved in.
    const auto segmentOfRow = [this](std::vector<std::string>&& cells) {
        if (_orientation != 0) {
            ITTable segment(_orientation);
            segment._TakeFirstRow(std::move(cells), _colFlags);
            _BuildSegmentIndices(segment);
            return segment;
        }
        ITTable segment = _NewSegment(1);
        for (unsigned int c = 0; c < cells.size(); ++c) {
            segment(0, c) = std::move(cells[c]);
        }
        _BuildSegmentIndices(segment);
        return segment;
    };

    if (_numRows == 0) {
        // The first row creates the cells of every column and every index
        // of the table, in one fresh segment that replaces the empty one.
        _RefuseIfUnique("ITTable::InsertEntry");
        ITTable segment = segmentOfRow(std::move(row));
        _segments.clear();
        _segments.push_back(std::move(segment));
        _RebuildStarts();
        return _numRows;
    }

    if (rowIndex == _numRows) {
        ITTable& last = _segments.back();
        if (last.GetNumRows() != SEGMENT_ROWS) {
            try {
                last.InsertRow(std::move(row));
            } catch (...) {
                _RebuildStarts();  // keep the row count in step with the segment
                throw;
            }
            return ++_numRows;
        }

        // A full last segment: the row opens a new one, which gets every
        // column, flag and index before it joins the table.
        _RefuseIfUnique("ITTable::UpdateIndices");
        ITTable segment = segmentOfRow(std::move(row));
        _segStarts.reserve(_segStarts.size() + 1);
        _segments.push_back(std::move(segment));
        _segStarts.push_back(_numRows);
        return ++_numRows;
    }

    // A row in the middle goes into the segment holding rowIndex, which may
    // grow beyond SEGMENT_ROWS; segments are never split.
    const RowLocation at = _Locate(rowIndex);
    try {
        _segments[at.segment].InsertRow(at.offset, std::move(row));
    } catch (...) {
        _RebuildStarts();
        throw;
    }
    for (std::size_t s = at.segment + 1; s < _segStarts.size(); ++s) {
        ++_segStarts[s];
    }
    ++_numRows;
    _ResetLocationCache();
    return _numRows;
}

unsigned int ISTable::AppendRows(std::vector<std::vector<std::string>>&& rows) {
    if (rows.empty()) {
        return _numRows;
    }
    if (_colNames.size() == 0) {
        throw EmptyContainerException("No columns in table", "ISTable::InsertRow");
    }
    for (const std::vector<std::string>& row : rows) {
        if (row.size() > _colNames.size()) {
            throw std::out_of_range("Invalid row size in ISTable::InsertRow");
        }
    }
    std::size_t next = 0;
    if (!_indexNames.empty() || _orientation != 1) {
        // Index entries are made row by row; a refusal comes with the first.
        for (; next < rows.size(); ++next) {
            AddRow(std::move(rows[next]));
        }
        rows.clear();
        return _numRows;
    }
    // A last segment that is not full takes rows first, as AddRow does.
    while (_numRows > 0 && next < rows.size() && _segments.back().GetNumRows() != SEGMENT_ROWS) {
        AddRow(std::move(rows[next++]));
    }
    const std::size_t left = rows.size() - next;
    const std::size_t newSegments = (left + SEGMENT_ROWS - 1) / SEGMENT_ROWS;
    _segments.reserve(_segments.size() + newSegments);
    _segStarts.reserve(_segStarts.size() + newSegments);
    while (next < rows.size()) {
        const std::size_t count = std::min<std::size_t>(SEGMENT_ROWS, rows.size() - next);
        std::vector<std::vector<std::string>> chunk;
        if (count == rows.size()) {
            chunk.swap(rows);
        } else {
            chunk.reserve(count);
            std::move(rows.begin() + next, rows.begin() + next + count, std::back_inserter(chunk));
        }
        ITTable segment(_orientation);
        segment._TakeRows(std::move(chunk), _colFlags);
        if (_numRows == 0) {
            // The table's first rows replace its empty segment.
            _segments.clear();
            _segStarts.clear();
        }
        _segments.push_back(std::move(segment));
        _segStarts.push_back(_numRows);
        _numRows += static_cast<unsigned int>(count);
        next += count;
    }
    rows.clear();
    _ResetLocationCache();
    return _numRows;
}

const std::vector<std::string>& ISTable::GetRow(unsigned int rowIndex) const {
    if (_orientation != 1) {
        throw InvalidStateException("Cannot get row reference on column-wise oriented table",
                                    "ISTable::GetRow");
    }
    if (rowIndex >= _numRows) {
        throw std::out_of_range("Invalid row index in ISTable::GetRow");
    }
    const RowLocation at = _Locate(rowIndex);
    return _segments[at.segment].GetRow(at.offset);
}

const ITTable& ISTable::GetSegment(unsigned int s) const {
    if (s >= _segments.size()) {
        throw std::out_of_range("Invalid segment index in ISTable::GetSegment");
    }
    return _segments[s];
}

void ISTable::GetRow(std::vector<std::string>& row, unsigned int rowIndex,
                     const std::string& fromColName, const std::string& toColName) const {
    row.clear();
    if (rowIndex >= _numRows) {
        throw std::out_of_range("Invalid row index in ISTable::GetRow");
    }
    const unsigned int from =
        fromColName.empty() ? 0 : _LookupColumn(fromColName, "ISTable::GetSubRow");
    if (_colNames.size() == 0) {
        return;  // rows without cells
    }
    const unsigned int to =
        toColName.empty() ? _colNames.size() - 1 : _LookupColumn(toColName, "ISTable::GetSubRow");
    if (from > to) {
        return;
    }
    const RowLocation at = _Locate(rowIndex);
    _segments[at.segment].GetRow(row, at.offset, from, to);
}

void ISTable::FillRow(unsigned int rowIndex, const std::vector<std::string>& row) {
    const RowLocation at = _Locate(rowIndex);
    _segments[at.segment].FillRow(at.offset, row);
}

void ISTable::ClearRow(unsigned int rowIndex) {
    const RowLocation at = _Locate(rowIndex);
    _segments[at.segment].ClearRow(at.offset);
}

void ISTable::DeleteRow(unsigned int rowIndex) {
    const RowLocation at = _Locate(rowIndex);
    ITTable& segment = _segments[at.segment];
    segment.DeleteRow(at.offset);

    for (std::size_t s = at.segment + 1; s < _segStarts.size(); ++s) {
        --_segStarts[s];
    }
    if (segment.GetNumRows() == 0) {
        _segments.erase(_segments.begin() + at.segment);
        _segStarts.erase(_segStarts.begin() + at.segment);
    }
    --_numRows;
    if (_segments.empty()) {
        // The table keeps its column names and indices; its next row
        // creates their cells and entries again.
        _segments.emplace_back(_orientation);
        _segStarts.assign(1, 0);
    }
    _ResetLocationCache();
}

void ISTable::DeleteRows(const std::vector<unsigned int>& rowIndices) {
    // Highest first, so that no deletion moves a row still to be deleted;
    // a number listed twice would otherwise take the row that moved into
    // its place.
    std::vector<unsigned int> sorted(rowIndices);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) {
        DeleteRow(*it);
    }
}

std::string& ISTable::operator()(unsigned int rowIndex, const std::string& colName) {
    const ISTable& self = *this;
    return const_cast<std::string&>(self(rowIndex, colName));
}

const std::string& ISTable::operator()(unsigned int rowIndex, const std::string& colName) const {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::operator()");
    }
    if (rowIndex >= _numRows) {
        throw std::out_of_range("Invalid row index in ISTable::operator()");
    }
    const unsigned int colIndex = _LookupColumn(colName, "ISTable::operator()");
    const RowLocation at = _Locate(rowIndex);
    return _segments[at.segment](at.offset, colIndex);
}

std::string& ISTable::operator()(unsigned int rowIndex, unsigned int colIndex) {
    const RowLocation at = _Locate(rowIndex);
    return _segments[at.segment](at.offset, colIndex);
}

const std::string& ISTable::operator()(unsigned int rowIndex, unsigned int colIndex) const {
    const RowLocation at = _Locate(rowIndex);
    return _segments[at.segment](at.offset, colIndex);
}

void ISTable::UpdateCell(unsigned int rowIndex, const std::string& colName,
                         const std::string& value) {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::UpdateCell");
    }
    const unsigned int colIndex = _LookupColumn(colName, "ISTable::UpdateCell");
    if (rowIndex >= _numRows) {
        throw std::out_of_range("Invalid row index in ISTable::UpdateCell");
    }
    const RowLocation at = _Locate(rowIndex);
    _segments[at.segment].UpdateCell(value, colIndex, at.offset);
}

void ISTable::UpdateCell(const std::string& value, unsigned int colIndex, unsigned int rowIndex) {
    const RowLocation at = _Locate(rowIndex);
    _segments[at.segment].UpdateCell(value, colIndex, at.offset);
}
