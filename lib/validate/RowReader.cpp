#include "validate/RowReader.h"

#include <algorithm>
#include <utility>

RowReader::RowReader(const ISTable& table) : RowReader(table, std::vector<unsigned int>()) {}

RowReader::RowReader(const ISTable& table, std::vector<unsigned int> aheadColumns)
    : _table(table), _ahead(std::move(aheadColumns)) {
    unsigned int start = 0;
    for (unsigned int s = 0; s < table.GetNumSegments(); ++s) {
        _starts.push_back(start);
        start += table.GetSegment(s).GetNumRows();
    }
}

const std::vector<std::string>& RowReader::_Copy(unsigned int row) {
    _table.GetRow(_copy, row, std::string(), std::string());
    return _copy;
}

void RowReader::_Seek(unsigned int row) {
    // The last segment starting at or before the row: empty segments share
    // their start with the segment after them.
    const unsigned int segment = static_cast<unsigned int>(
        std::upper_bound(_starts.begin(), _starts.end(), row) - _starts.begin() - 1);
    _start = _starts[segment];
    _rows = &_table.GetSegment(segment).GetRows();
}
