#include <algorithm>
#include <map>
#include <stdexcept>

#include "foundation/Exceptions.h"
#include "table/ITTable.h"

void ITTable::Search(ColumnList& result, const Row& targets, const ColumnList& colIndices,
                     unsigned int indexNum, unsigned int searchType) const {
    result.clear();
    if (targets.size() > colIndices.size() || targets.empty())
        throw std::out_of_range("Invalid search target range in ITTable::Search");
    VerifyColumnsIndices(colIndices);
    _CheckIndexNumber(indexNum, "ITTable::Search");

    const Index& index = _indices[indexNum];
    std::string key;
    _MakeIndexSearchKey(key, index, targets, colIndices);

    // Keys compare component by component on the converted cell values
    // (the encoding keeps blanks inside cells apart from the separators),
    // so a key equal to the search key belongs to a row whose cells match.
    const IndexMap& map = index.map;
    IndexMap::const_iterator from;
    IndexMap::const_iterator to;
    switch (searchType) {
        case EQUAL:
            from = map.lower_bound(key);
            to = map.upper_bound(key);
            break;
        case LESS_THAN:
            from = map.begin();
            to = map.lower_bound(key);
            break;
        case LESS_THAN_OR_EQUAL:
            from = map.begin();
            to = map.upper_bound(key);
            break;
        case GREATER_THAN:
            from = map.upper_bound(key);
            to = map.end();
            break;
        case GREATER_THAN_OR_EQUAL:
            from = map.lower_bound(key);
            to = map.end();
            break;
        default:
            return;
    }

    for (auto it = from; it != to; ++it) result.push_back(it->second);
    if (searchType == EQUAL)
        std::sort(result.begin(), result.end());
}

void ITTable::Search(ColumnList& result, const std::string& target, unsigned int colIndex,
                     unsigned int indexNum) const {
    Search(result, Row(1, target), ColumnList(1, colIndex), indexNum, EQUAL);
}

unsigned int ITTable::FindFirst(const Row& targets, const ColumnList& colIndices,
                                unsigned int indexNum) const {
    if (colIndices.empty())
        throw EmptyValueException("Empty column indices", "ITTable::FindFirst");
    // A target without a column has nothing to be compared with: more
    // targets than columns are refused like fewer.
    if (targets.size() != colIndices.size())
        throw std::out_of_range("Invalid search target range in ITTable::FindFirst");
    VerifyColumnsIndices(colIndices);
    _CheckIndexNumber(indexNum, "ITTable::FindFirst");

    const Index& index = _indices[indexNum];
    std::string key;
    _MakeIndexSearchKey(key, index, targets, colIndices);

    const IndexMap& map = index.map;
    const auto it = map.lower_bound(key);
    if (it != map.end() && !map.key_comp()(key, it->first))
        return it->second;
    return GetNumRows();
}

void ITTable::FindDuplicateRows(const ColumnList& colIndices,
                                std::vector<std::pair<unsigned int, unsigned int>>& pairs,
                                bool findOnly, bool fromLast) {
    pairs.clear();
    const CompareType compareType = IsCaseInsensitive(colIndices) ? CaseInsensitive : CaseSensitive;
    std::map<std::string, unsigned int, StringLess> seen{StringLess(compareType)};

    // The raw cells, each closed by a terminator that no cell byte can
    // imitate, so that cells holding blanks are not taken for others.
    const unsigned int numRows = GetNumRows();
    std::string key;
    for (unsigned int k = 0; k < numRows; ++k) {
        const unsigned int row = fromLast ? numRows - 1 - k : k;
        key.clear();
        for (const unsigned int c : colIndices) {
            _CheckCell(row, c);
            const std::string::size_type start = key.size();
            key.append(_Cell(row, c));
            ColumnKey::TerminateIndexComponent(key, start, compareType);
        }
        const auto found = seen.find(key);
        if (found != seen.end())
            pairs.emplace_back(row, found->second);
        else
            seen.emplace(key, row);
    }

    if (findOnly)
        return;
    ColumnList doomed;
    doomed.reserve(pairs.size());
    for (const auto& pair : pairs) doomed.push_back(pair.first);
    std::sort(doomed.begin(), doomed.end());
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) DeleteRow(*it);
}
