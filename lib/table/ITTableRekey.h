#ifndef TESRA_TABLE_ITTABLEREKEY_H
#define TESRA_TABLE_ITTABLEREKEY_H

// Private to the ITTable sources: the templates that build encoded index
// keys from a chosen cell source and plan re-keying. A cell source maps
// (row, column) to the text a key is to be built from, so keys of a change
// can be built, and refused, before the change is made.

#include <string>

#include "table/ITTable.h"

namespace ittable_detail {

inline const std::string& EmptyCell() {
    static const std::string empty;
    return empty;
}

}  // namespace ittable_detail

template <class CellOf>
void ITTable::_BuildIndexKey(std::string& key, const Index& index, unsigned int rowIndex,
                             CellOf cellOf) const {
    key.clear();
    const CompareType compareType = index.map.key_comp().GetCompareType();
    for (const unsigned int c : index.columns) {
        const std::string::size_type start = key.size();
        ColumnKey::AppendComponent(key, cellOf(rowIndex, c), _FlagsOf(c));
        ColumnKey::TerminateIndexComponent(key, start, compareType);
    }
}

template <class Affects, class CellOf>
std::vector<ITTable::Rekey> ITTable::_PlanRekey(unsigned int rowIndex, Affects affects,
                                                CellOf newCell) const {
    std::vector<Rekey> plan;
    for (unsigned int i = 0; i < _indices.size(); ++i) {
        const Index& index = _indices[i];
        if (!_IsLive(index) || !affects(index))
            continue;
        plan.emplace_back();
        Rekey& rekey = plan.back();
        rekey.indexNum = i;
        _BuildIndexKey(rekey.newKey, index, rowIndex, newCell);
        rekey.haveOldKey = _TryMakeIndexKey(rekey.oldKey, index, rowIndex);
    }
    return plan;
}

template <class CellOf>
std::vector<std::pair<unsigned int, ITTable::IndexMap>> ITTable::_RebuildIndicesOver(
    unsigned int colIndex, CellOf newCell) const {
    std::vector<std::pair<unsigned int, IndexMap>> rebuilt;
    const unsigned int numRows = GetNumRows();
    std::string key;
    for (unsigned int i = 0; i < _indices.size(); ++i) {
        const Index& index = _indices[i];
        if (!_IsLive(index) || !_Holds(index, colIndex))
            continue;
        // Re-keying every row in row order leaves equal keys in row order,
        // which is what a fresh map filled in row order holds.
        IndexMap map(index.map.key_comp());
        for (unsigned int r = 0; r < numRows; ++r) {
            _BuildIndexKey(key, index, r, newCell);
            map.emplace(std::move(key), r);
        }
        rebuilt.emplace_back(i, std::move(map));
    }
    return rebuilt;
}

#endif
