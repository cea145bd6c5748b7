#include <stdexcept>

#include "foundation/Exceptions.h"
#include "table/ITTable.h"

namespace {

const char* const DUPLICATE_KEY = "Duplicate value on key index";

}  // namespace

void ITTable::CreateIndex(const ColumnList& colIndices, unsigned int unique) {
    if (colIndices.empty())
        throw EmptyValueException("Empty column indices", "ITTable::CreateIndex");
    VerifyColumnsIndices(colIndices);

    const CompareType compareType = ColumnKey::KeyCompareType(_FlagsOf(colIndices[0]));
    _indices.push_back(Index{colIndices, unique, IndexMap(StringLess(compareType))});

    // A repeated key stops a unique build; the index stays with the
    // entries made so far.
    Index& index = _indices.back();
    const unsigned int numRows = GetNumRows();
    std::string key;
    for (unsigned int r = 0; r < numRows; ++r) {
        _MakeIndexKey(key, index, r);
        if (index.unique == 1 && index.map.find(key) != index.map.end())
            throw AlreadyExistsException(DUPLICATE_KEY, "ITTable::InsertIndexEntry");
        index.map.emplace(std::move(key), r);
    }
}

unsigned int ITTable::FindIndex(const ColumnList& colIndices) const {
    if (colIndices.empty())
        return NO_INDEX;
    const CompareType compareType = ColumnKey::KeyCompareType(_FlagsOf(colIndices[0]));
    for (unsigned int i = 0; i < _indices.size(); ++i) {
        const Index& index = _indices[i];
        if (index.columns == colIndices && index.map.key_comp().GetCompareType() == compareType)
            return i;
    }
    return NO_INDEX;
}

void ITTable::VerifyColumnsIndices(const ColumnList& colIndices) const {
    if (!CheckColumnsIndices(colIndices))
        throw std::out_of_range("Invalid column index in  ITTable::VerifyColumnsIndices");
}

bool ITTable::CheckColumnsIndices(const ColumnList& colIndices) const {
    const unsigned int numColumns = GetNumColumns();
    for (const unsigned int c : colIndices)
        if (c >= numColumns)
            return false;
    return true;
}

const ITTable::ColumnList& ITTable::GetIndexColumns(unsigned int indexNum) const {
    _CheckIndexNumber(indexNum, "ITTable::GetIndexColumns");
    return _indices[indexNum].columns;
}

unsigned int ITTable::GetIndexFlag(unsigned int indexNum) const {
    _CheckIndexNumber(indexNum, "ITTable::GetIndexFlag");
    return _indices[indexNum].unique;
}

void ITTable::InsertIndexEntry(unsigned int indexNum, unsigned int rowIndex) {
    _CheckIndexNumber(indexNum, "ITTable::InsertIndexEntry");
    const unsigned int numRows = GetNumRows();
    // Unsigned on purpose: without rows every row passes here and the key
    // builder's row check refuses it.
    if (rowIndex > numRows - 1u)
        throw std::out_of_range("Invalid row index in ITTable::InsertIndexEntry");

    Index& index = _indices[indexNum];
    if (!_IsLive(index))
        return;
    _CheckCell(rowIndex, index.columns[0]);

    std::string key;
    _MakeIndexKey(key, index, rowIndex);
    if (index.unique == 1 && index.map.find(key) != index.map.end())
        throw AlreadyExistsException(DUPLICATE_KEY, "ITTable::InsertIndexEntry");

    if (rowIndex != numRows - 1)
        _ShiftRows(index.map, rowIndex, true);
    index.map.emplace(std::move(key), rowIndex);
}

void ITTable::UpdateIndex(unsigned int indexNum, unsigned int rowIndex) {
    _CheckIndexNumber(indexNum, "ITTable::UpdateIndex");
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::UpdateIndex");

    Index& index = _indices[indexNum];
    if (!_IsLive(index))
        return;

    std::string key;
    _MakeIndexKey(key, index, rowIndex);
    // The row's own entry counts: a unique index refuses even an
    // unchanged key.
    if (index.unique == 1 && index.map.find(key) != index.map.end())
        throw AlreadyExistsException(DUPLICATE_KEY, "ITTable::InsertIndexEntry");

    const auto it = _FindEntry(index.map, rowIndex, &key);
    if (it == index.map.end()) {
        index.map.emplace(std::move(key), rowIndex);
        return;
    }
    auto node = index.map.extract(it);
    node.key() = std::move(key);
    index.map.insert(std::move(node));
}

void ITTable::DeleteIndexEntry(unsigned int indexNum, unsigned int rowIndex) {
    _CheckIndexNumber(indexNum, "ITTable::DeleteIndexEntry");
    // Called after the row has left the store.
    if (rowIndex > GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::InsertIndexEntry");

    Index& index = _indices[indexNum];
    if (!_IsLive(index))
        return;

    bool erased = false;
    for (auto it = index.map.begin(); it != index.map.end();) {
        if (!erased && it->second == rowIndex) {
            it = index.map.erase(it);
            erased = true;
            continue;
        }
        if (it->second >= rowIndex)
            --it->second;
        ++it;
    }
}

void ITTable::DeleteIndexEntries(unsigned int rowIndex) {
    for (unsigned int i = 0; i < _indices.size(); ++i) DeleteIndexEntry(i, rowIndex);
}

void ITTable::DeleteIndex(unsigned int indexNum) {
    _CheckIndexNumber(indexNum, "ITTable::DeleteIndex");
    _indices.erase(_indices.begin() + indexNum);
}

void ITTable::ClearIndex(unsigned int indexNum) {
    _CheckIndexNumber(indexNum, "ITTable::ClearIndex");
    _indices[indexNum].columns.clear();
    _indices[indexNum].map.clear();
}

void ITTable::ClearIndices() {
    for (unsigned int i = 0; i < _indices.size(); ++i) ClearIndex(i);
}

void ITTable::IncrementIndexColumns(unsigned int colIndex) {
    for (Index& index : _indices)
        for (unsigned int& c : index.columns)
            if (c >= colIndex)
                ++c;
}

void ITTable::DecrementIndexColumns(unsigned int colIndex) {
    for (Index& index : _indices)
        for (unsigned int& c : index.columns)
            if (c >= colIndex)
                --c;
}

std::string ITTable::MakeIndexName(unsigned int n) {
    return "index_" + std::to_string(n);
}
