// ISTable: named search indices, searches over all segments, duplicate
// rows and the row-list set operations.

#include <algorithm>
#include <stdexcept>

#include "foundation/Exceptions.h"
#include "table/ISTable.h"

namespace {
const char* const KEY_INDEX_NAME = "__key__";
}

// ---- Index lists ----------------------------------------------------------

unsigned int ISTable::GetIndexNumber(const std::string& indexName) const {
    for (std::size_t i = 0; i < _indexNames.size(); ++i) {
        if (_indexNames[i] == indexName) {
            return static_cast<unsigned int>(i);
        }
    }
    return NO_INDEX;
}

std::string ISTable::MakeIndexName(unsigned int n) {
    return "index_" + std::to_string(n);
}

void ISTable::RemoveIndexEntry(unsigned int indexNumber) {
    if (indexNumber >= _indexNames.size()) {
        throw std::out_of_range("Invalid index number in ISTable::RemoveIndexEntry");
    }
    _indexFlags.erase(_indexFlags.begin() + indexNumber);
    _indexColumns.erase(_indexColumns.begin() + indexNumber);
    _indexNames.erase(_indexNames.begin() + indexNumber);
}

bool ISTable::IsColumnInIndex(unsigned int indexNumber, unsigned int colIndex) const {
    if (indexNumber >= _indexColumns.size()) {
        throw std::out_of_range("Invalid index number in ISTable::IsColumnInIndex");
    }
    const std::vector<unsigned int>& columns = _indexColumns[indexNumber];
    return std::find(columns.begin(), columns.end(), colIndex) != columns.end();
}

void ISTable::RenumberIndexColumns(unsigned int colIndex) {
    _ShiftIndexColumnsDown(colIndex);
}

void ISTable::_ShiftIndexColumnsUp(unsigned int colIndex) {
    for (std::vector<unsigned int>& columns : _indexColumns) {
        for (unsigned int& c : columns) {
            if (c >= colIndex) {
                ++c;
            }
        }
    }
}

void ISTable::_ShiftIndexColumnsDown(unsigned int colIndex) {
    for (std::vector<unsigned int>& columns : _indexColumns) {
        for (unsigned int& c : columns) {
            if (c >= colIndex) {
                --c;
            }
        }
    }
}

// ---- Creating and deleting indices ---------------------------------------

void ISTable::CreateIndex(const std::string& indexName, const std::vector<unsigned int>& colIndices,
                          unsigned int unique) {
    if (colIndices.empty()) {
        throw EmptyValueException("Empty column indices", "ISTable::CreateIndex");
    }
    // Checked against the table's columns, which in a table with rows are
    // the segments' columns; a table without rows records the index and
    // its first row builds it.
    for (const unsigned int c : colIndices) {
        if (c >= _colNames.size()) {
            throw std::out_of_range("Invalid column index in  ITTable::VerifyColumnsIndices");
        }
    }
    if (GetIndexNumber(indexName) != NO_INDEX) {
        throw AlreadyExistsException("Duplicate search index name", "ISTable::CreateIndex");
    }

    const unsigned int indexNumber = GetNumIndices();
    _indexNames.push_back(indexName);
    _indexColumns.push_back(colIndices);
    _indexFlags.push_back(unique);
    if (_numRows == 0) {
        return;
    }

    std::size_t built = 0;
    try {
        for (; built < _segments.size(); ++built) {
            _segments[built].CreateIndex(colIndices, unique);
        }
    } catch (...) {
        // A repeated key of a unique index, or a key that cannot be built:
        // no segment keeps the index, and the table does not list it.
        for (std::size_t s = 0; s <= built && s < _segments.size(); ++s) {
            if (_segments[s].GetNumIndices() > indexNumber) {
                _segments[s].DeleteIndex(indexNumber);
            }
        }
        RemoveIndexEntry(indexNumber);
        throw;
    }
}

void ISTable::CreateIndex(const std::string& indexName, const std::vector<std::string>& colNames,
                          unsigned int unique) {
    std::vector<unsigned int> colIndices;
    GetColumnIndices(colIndices, colNames);
    CreateIndex(indexName, colIndices, unique);
}

void ISTable::DeleteIndex(const std::string& indexName) {
    const unsigned int indexNumber = GetIndexNumber(indexName);
    if (indexNumber == NO_INDEX) {
        throw NotFoundException("Search index not found", "ISTable::DeleteIndex");
    }
    for (ITTable& segment : _segments) {
        // A segment that lost its indices with its rows has none to remove.
        if (segment.GetNumIndices() > indexNumber) {
            segment.DeleteIndex(indexNumber);
        }
    }
    RemoveIndexEntry(indexNumber);
}

void ISTable::CreateKeyIndex(const std::vector<std::string>& colNames) {
    CreateIndex(KEY_INDEX_NAME, colNames, 1);
}

void ISTable::CreateKeyIndex(const std::vector<unsigned int>& colIndices) {
    CreateIndex(KEY_INDEX_NAME, colIndices, 1);
}

void ISTable::DeleteKeyIndex() {
    DeleteIndex(KEY_INDEX_NAME);
}

unsigned int ISTable::GetKeyIndexNumber() const {
    return GetIndexNumber(KEY_INDEX_NAME);
}

unsigned int ISTable::_FindIndex(const std::vector<unsigned int>& colIndices) const {
    if (_numRows > 0) {
        // The first segment also knows whether an index's key order still
        // matches the flags of its first column.
        return _segments[0].FindIndex(colIndices);
    }
    if (colIndices.empty()) {
        return NO_INDEX;
    }
    for (std::size_t i = 0; i < _indexColumns.size(); ++i) {
        if (_indexColumns[i] == colIndices) {
            return static_cast<unsigned int>(i);
        }
    }
    return NO_INDEX;
}

unsigned int ISTable::_ChooseIndex(const std::vector<unsigned int>& colIndices,
                                   const std::string& indexName, const char* location) {
    if (!indexName.empty()) {
        const unsigned int indexNumber = GetIndexNumber(indexName);
        if (indexNumber == NO_INDEX) {
            throw NotFoundException("Search index not found", location);
        }
        return indexNumber;
    }
    const unsigned int found = _FindIndex(colIndices);
    if (found != NO_INDEX) {
        return found;
    }
    // The new index stays: later searches over these columns reuse it. It is
    // named by the index count; after a deletion that name may still be
    // taken, so the first free number from there on is used.
    const unsigned int indexNumber = GetNumIndices();
    unsigned int n = indexNumber;
    while (GetIndexNumber(MakeIndexName(n)) != NO_INDEX) {
        ++n;
    }
    CreateIndex(MakeIndexName(n), colIndices, 0);
    return indexNumber;
}

// ---- Search ---------------------------------------------------------------

void ISTable::_SearchSegments(std::vector<unsigned int>& result,
                              const std::vector<std::string>& targets,
                              const std::vector<unsigned int>& colIndices, unsigned int indexNumber,
                              unsigned int fromRowIndex, unsigned int direction,
                              unsigned int searchType) {
    const RowLocation at = _Locate(fromRowIndex);
    std::vector<unsigned int> local;

    if (direction == 0) {
        for (std::size_t s = at.segment; s < _segments.size(); ++s) {
            _segments[s].Search(local, targets, colIndices, indexNumber, searchType);
            const unsigned int base = _segStarts[s];
            for (const unsigned int r : local) {
                if (s != at.segment || base + r >= fromRowIndex) {
                    result.push_back(base + r);
                }
            }
        }
        return;
    }

    for (std::size_t s = at.segment + 1; s-- > 0;) {
        _segments[s].Search(local, targets, colIndices, indexNumber, searchType);
        const unsigned int base = _segStarts[s];
        for (auto it = local.rbegin(); it != local.rend(); ++it) {
            if (s != at.segment || base + *it <= fromRowIndex) {
                result.push_back(base + *it);
            }
        }
    }
}

void ISTable::Search(std::vector<unsigned int>& result, const std::vector<std::string>& targets,
                     const std::vector<std::string>& colNames, unsigned int fromRowIndex,
                     unsigned int direction, unsigned int searchType,
                     const std::string& indexName) {
    result.clear();
    if (colNames.size() != targets.size()) {
        throw std::out_of_range("colNames and targets have different size in ISTable::Search");
    }
    // Columns are checked first, so that a table without rows refuses an
    // unknown column as a filled one does.
    std::vector<unsigned int> colIndices;
    GetColumnIndices(colIndices, colNames);
    if (_numRows == 0) {
        return;
    }
    const unsigned int indexNumber = _ChooseIndex(colIndices, indexName, "ISTable::Search");
    _SearchSegments(result, targets, colIndices, indexNumber, fromRowIndex, direction, searchType);
}

void ISTable::Search(std::vector<unsigned int>& result, const std::string& target,
                     const std::string& colName, unsigned int fromRowIndex, unsigned int direction,
                     unsigned int searchType) {
    result.clear();
    if (colName.empty()) {
        throw EmptyValueException("Empty column name", "ISTable::Search");
    }
    const unsigned int colIndex = _LookupColumn(colName, "ISTable::Search");
    if (_numRows == 0) {
        return;
    }
    const std::vector<unsigned int> colIndices(1, colIndex);
    const unsigned int indexNumber = _ChooseIndex(colIndices, std::string(), "ISTable::Search");
    _SearchSegments(result, std::vector<std::string>(1, target), colIndices, indexNumber,
                    fromRowIndex, direction, searchType);
}

unsigned int ISTable::_FindFirstInSegments(const std::vector<std::string>& targets,
                                           const std::vector<unsigned int>& colIndices,
                                           unsigned int indexNumber) {
    std::vector<unsigned int> matches;
    for (std::size_t s = 0; s < _segments.size(); ++s) {
        const ITTable& segment = _segments[s];
        const unsigned int numRows = segment.GetNumRows();
        if (numRows == 0) {
            continue;  // a table without rows: its segment has no index yet
        }
        const unsigned int first = segment.FindFirst(targets, colIndices, indexNumber);
        if (first >= numRows) {
            continue;
        }
        // Among equal keys the segment answers with the entry made first,
        // which after an insertion or a cell update need not be the lowest
        // row; the equality search lists all of them in row order.
        segment.Search(matches, targets, colIndices, indexNumber, ITTable::EQUAL);
        const unsigned int lowest = matches.empty() ? first : std::min(first, matches.front());
        return _segStarts[s] + lowest;
    }
    return _numRows;
}

unsigned int ISTable::FindFirst(const std::vector<std::string>& targets,
                                const std::vector<std::string>& colNames,
                                const std::string& indexName) {
    if (colNames.size() != targets.size()) {
        throw std::out_of_range("colNames and targets have different size in ISTable::FindFirst");
    }
    std::vector<unsigned int> colIndices;
    GetColumnIndices(colIndices, colNames);
    if (_numRows == 0) {
        return 0;
    }
    const unsigned int indexNumber = _ChooseIndex(colIndices, indexName, "ISTable::FindFirst");
    return _FindFirstInSegments(targets, colIndices, indexNumber);
}

unsigned int ISTable::FindFirst(const std::vector<std::string>& targets,
                                const std::vector<unsigned int>& colIndices,
                                const std::string& indexName) {
    const unsigned int indexNumber = _ChooseIndex(colIndices, indexName, "ISTable::FindFirst");
    return _FindFirstInSegments(targets, colIndices, indexNumber);
}

// ---- Duplicate rows -------------------------------------------------------

void ISTable::FindDuplicateRows(std::vector<std::pair<unsigned int, unsigned int> >& duplicates,
                                const std::vector<std::string>& colNames, bool findOnly,
                                bool fromLast) {
    duplicates.clear();
    std::vector<unsigned int> colIndices;
    colIndices.reserve(colNames.size());
    for (const std::string& colName : colNames) {
        colIndices.push_back(_LookupColumn(colName, "ISTable::FindDuplicateRows"));
    }

    const unsigned int numRows = _numRows;
    std::vector<bool> isDuplicate(numRows, false);
    std::vector<std::string> targets(colIndices.size());
    std::vector<unsigned int> found;
    unsigned int indexNumber = NO_INDEX;

    for (unsigned int step = 0; step < numRows; ++step) {
        const unsigned int row = fromLast ? numRows - 1 - step : step;
        if (isDuplicate[row]) {
            continue;
        }
        if (fromLast ? row == 0 : row + 1 == numRows) {
            continue;  // nothing beyond it to compare with
        }
        for (std::size_t k = 0; k < colIndices.size(); ++k) {
            targets[k] = (*this)(row, colIndices[k]);
        }
        if (indexNumber == NO_INDEX) {
            indexNumber = _ChooseIndex(colIndices, std::string(), "ISTable::Search");
        }
        found.clear();
        _SearchSegments(found, targets, colIndices, indexNumber, fromLast ? row - 1 : row + 1,
                        fromLast ? 1 : 0, ITTable::EQUAL);
        for (const unsigned int match : found) {
            duplicates.emplace_back(row, match);
            isDuplicate[match] = true;
        }
    }

    if (!findOnly && !duplicates.empty()) {
        std::vector<unsigned int> rows;
        rows.reserve(duplicates.size());
        for (const auto& pair : duplicates) {
            rows.push_back(pair.second);
        }
        DeleteRows(rows);
    }
}

// ---- Row lists ------------------------------------------------------------

void ISTable::UniteRowIndices(const std::vector<unsigned int>& a,
                              const std::vector<unsigned int>& b,
                              std::vector<unsigned int>& result) {
    std::vector<unsigned int> united;
    united.reserve(a.size() + b.size());
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && a[i] < b[j])) {
            united.push_back(a[i++]);
        } else if (i == a.size() || b[j] < a[i]) {
            united.push_back(b[j++]);
        } else {
            united.push_back(a[i]);
            ++i;
            ++j;
        }
    }
    result.swap(united);
}

void ISTable::IntersectRowIndices(const std::vector<unsigned int>& a,
                                  const std::vector<unsigned int>& b,
                                  std::vector<unsigned int>& result) {
    std::vector<unsigned int> common;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] < b[j]) {
            ++i;
        } else if (b[j] < a[i]) {
            ++j;
        } else {
            common.push_back(a[i]);
            ++i;
            ++j;
        }
    }
    result.swap(common);
}
