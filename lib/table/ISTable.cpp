// ISTable: construction, copying, clearing, column lookup and row location.

#include "table/ISTable.h"

#include <algorithm>
#include <stdexcept>

#include "foundation/Exceptions.h"

ISTable::ISTable(CompareType colCompareType) : ISTable(std::string(), 1, colCompareType) {}

ISTable::ISTable(unsigned int orientation, CompareType colCompareType)
    : ISTable(std::string(), orientation, colCompareType) {}

ISTable::ISTable(const std::string& name, CompareType colCompareType)
    : ISTable(name, 1, colCompareType) {}

ISTable::ISTable(const std::string& name, unsigned int orientation, CompareType colCompareType)
    : _name(name),
      _orientation(orientation),
      _colCompareType(colCompareType),
      _colNames(colCompareType),
      _serializer(nullptr),
      _modified(0),
      _numRows(0),
      _segStarts(1, 0) {
    _segments.emplace_back(_orientation);
}

ISTable::ISTable(const ISTable& other) = default;

ISTable::ISTable(ISTable&& other)
    : ISTable(other._name, other._orientation, other._colCompareType) {
    _Swap(other);
}

ISTable& ISTable::operator=(const ISTable& other) {
    if (this != &other) {
        ISTable copy(other);
        _Swap(copy);
    }
    return *this;
}

ISTable& ISTable::operator=(ISTable&& other) {
    if (this != &other) {
        ISTable taken(std::move(other));
        _Swap(taken);
    }
    return *this;
}

ISTable::~ISTable() = default;

void ISTable::_Swap(ISTable& other) noexcept {
    using std::swap;
    swap(_name, other._name);
    swap(_segments, other._segments);
    swap(_orientation, other._orientation);
    swap(_colCompareType, other._colCompareType);
    swap(_colNames, other._colNames);
    swap(_colNumbers, other._colNumbers);
    swap(_colFlags, other._colFlags);
    swap(_indexNames, other._indexNames);
    swap(_indexColumns, other._indexColumns);
    swap(_indexFlags, other._indexFlags);
    swap(_serializer, other._serializer);
    swap(_modified, other._modified);
    swap(_numRows, other._numRows);
    swap(_segStarts, other._segStarts);
    swap(_cached, other._cached);
}

void ISTable::Clear() {
    // One fresh segment, not the emptied old ones: a segment left without
    // columns behind others would take the next rows out of order.
    std::vector<ITTable> fresh;
    fresh.emplace_back(_orientation);
    _segments.swap(fresh);
    _segStarts.assign(1, 0);

    _colNames.clear();
    _modified = 0;
    _numRows = 0;
    _ResetLocationCache();

    _indexNames.clear();
    _indexColumns.clear();
    _indexFlags.clear();
    _colNumbers.clear();
    _colFlags.clear();
}

unsigned int ISTable::GetColumnIndex(const std::string& colName) const {
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::GetColumnIndex");
    }
    const unsigned int colIndex = _colNames.find(colName);
    if (colIndex == _colNames.size()) {
        throw NotFoundException(
            "Column \"" + colName + "\" not found in the table \"" + _name + "\"",
            "ISTable::GetColumnIndex");
    }
    return colIndex;
}

unsigned int ISTable::_LookupColumn(const std::string& colName, const char* location,
                                    const char* message) const {
    try {
        return GetColumnIndex(colName);
    } catch (NotFoundException& e) {
        e.BuildText(message, location);
        throw;
    }
}

void ISTable::GetColumnIndices(std::vector<unsigned int>& colIndices,
                               const std::vector<std::string>& colNames) const {
    colIndices.clear();
    colIndices.reserve(colNames.size());
    for (const std::string& colName : colNames) {
        colIndices.push_back(GetColumnIndex(colName));
    }
}

bool ISTable::IsColumnPresent(const std::string& colName) const {
    // Same answer as asking GetColumnIndex and catching its NotFoundException
    // (an empty name still throws), without paying for an exception per
    // absent column: the CIF reader asks this for every column it adds.
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::GetColumnIndex");
    }
    return _colNames.find(colName) != _colNames.size();
}

void ISTable::_RebuildStarts() {
    _segStarts.resize(_segments.size());
    unsigned int total = 0;
    for (std::size_t s = 0; s < _segments.size(); ++s) {
        _segStarts[s] = total;
        total += _segments[s].GetNumRows();
    }
    _numRows = total;
    _ResetLocationCache();
}

ISTable::RowLocation ISTable::_Locate(unsigned int rowIndex) const {
    if (rowIndex == _cached.row) {
        return _cached;
    }
    if (rowIndex > _numRows) {
        throw std::out_of_range("Invalid row index in ISTable::CacheRowLocation");
    }
    if (rowIndex == 0) {
        _ResetLocationCache();
        return _cached;
    }
    if (rowIndex == _numRows) {
        // The append position: just past the last row. Not recorded, since
        // no row lives there.
        RowLocation end;
        end.row = rowIndex;
        end.segment = static_cast<unsigned int>(_segments.size() - 1);
        end.offset = _segments.back().GetNumRows();
        return end;
    }

    unsigned int segment = _cached.segment;
    const unsigned int start = _segStarts[segment];
    if (rowIndex < start || rowIndex - start >= _segments[segment].GetNumRows()) {
        // The last segment starting at or before the row. Empty segments
        // share their start with the next one, so this is the one that
        // holds the row.
        const auto it = std::upper_bound(_segStarts.begin(), _segStarts.end(), rowIndex);
        segment = static_cast<unsigned int>(it - _segStarts.begin()) - 1;
    }
    _cached.row = rowIndex;
    _cached.segment = segment;
    _cached.offset = rowIndex - _segStarts[segment];
    return _cached;
}

void ISTable::CacheRowLocation(unsigned int rowIndex) const {
    _Locate(rowIndex);
}

void ISTable::GetRowLocation(std::pair<unsigned int, unsigned int>& location,
                             unsigned int rowIndex) const {
    const RowLocation found = _Locate(rowIndex);
    location.first = found.segment;
    location.second = found.offset;
}
