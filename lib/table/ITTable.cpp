#include "table/ITTable.h"

#include <algorithm>
#include <iomanip>
#include <stdexcept>

#include "foundation/Exceptions.h"
#include "table/ITTableRekey.h"

namespace {

const char* const KEY_INDEX_REFUSAL = "Attempting to change the table that has a key search index";

}  // namespace

// ---------------------------------------------------------------- lifetime

ITTable::ITTable() : _orientation(1) {}

ITTable::ITTable(unsigned int orientation) : _orientation(orientation) {}

void ITTable::Clear() {
    _store.Clear();
    _flags.clear();
    _indices.clear();
}

unsigned int ITTable::GetNumRows() const {
    return _orientation != 0 ? _store.GetNumTuples() : _store.GetWidth();
}

unsigned int ITTable::GetNumColumns() const {
    return _orientation != 0 ? _store.GetWidth() : _store.GetNumTuples();
}

// ---------------------------------------------------------------- helpers

const std::string& ITTable::_Cell(unsigned int rowIndex, unsigned int colIndex) const {
    return _orientation != 0 ? _store.GetCell(rowIndex, colIndex)
                             : _store.GetCell(colIndex, rowIndex);
}

std::string& ITTable::_Cell(unsigned int rowIndex, unsigned int colIndex) {
    return _orientation != 0 ? _store.UpdateCell(rowIndex, colIndex)
                             : _store.UpdateCell(colIndex, rowIndex);
}

void ITTable::_CheckCell(unsigned int rowIndex, unsigned int colIndex) const {
    if (colIndex >= GetNumColumns())
        throw std::out_of_range("Invalid column index in ITTable::operator()");
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::operator()");
}

void ITTable::_CheckIndexNumber(unsigned int indexNum, const char* method) const {
    if (indexNum >= _indices.size())
        throw std::out_of_range(std::string("Invalid index number in ") + method);
}

ColumnFlags ITTable::_FlagsOf(unsigned int colIndex) const {
    return colIndex < _flags.size() ? _flags[colIndex] : DEFAULT_COLUMN_FLAGS;
}

void ITTable::_ExtendFlags(std::size_t count) {
    if (_flags.size() < count)
        _flags.resize(count, DEFAULT_COLUMN_FLAGS);
}

bool ITTable::_IsLive(const Index& index) const {
    if (index.columns.empty())
        return false;
    const unsigned int numColumns = GetNumColumns();
    for (const unsigned int c : index.columns)
        if (c >= numColumns)
            return false;
    return true;
}

bool ITTable::_Holds(const Index& index, unsigned int colIndex) {
    return std::find(index.columns.begin(), index.columns.end(), colIndex) != index.columns.end();
}

bool ITTable::HasUniqueIndex() const {
    for (const Index& index : _indices)
        if (index.unique == 1)
            return true;
    return false;
}

void ITTable::_RefuseIfUnique(const char* method) const {
    if (HasUniqueIndex())
        throw AlreadyExistsException(KEY_INDEX_REFUSAL, method);
}

// ---------------------------------------------------------------- flags and keys

ColumnFlags ITTable::GetFlags(unsigned int colIndex) const {
    if (colIndex >= _flags.size())
        throw std::out_of_range("Invalid column index in ITTable::GetFlags");
    return _flags[colIndex];
}

int ITTable::SetFlags(ColumnFlags flags, unsigned int colIndex) {
    if (colIndex >= _flags.size())
        throw std::out_of_range("Invalid column index in ITTable::SetFlags");
    _flags[colIndex] = ColumnKey::Merge(_flags[colIndex], flags);
    return 0;
}

void ITTable::ValidateOptions(unsigned int colIndex) {
    if (colIndex >= _flags.size())
        throw std::out_of_range("Invalid column index in ITTable::ValidateOptions");
    _flags[colIndex] = ColumnKey::Validate(_flags[colIndex]);
}

bool ITTable::IsCaseInsensitive(const ColumnList& colIndices) const {
    return !colIndices.empty() && ColumnKey::IsCaseInsensitive(_FlagsOf(colIndices[0]));
}

void ITTable::MakeRowKey(std::string& key, const ColumnList& colIndices,
                         unsigned int rowIndex) const {
    key.clear();
    for (const unsigned int c : colIndices) {
        _CheckCell(rowIndex, c);
        ColumnKey::AppendComponent(key, _Cell(rowIndex, c), _FlagsOf(c));
        key.push_back(' ');
    }
}

void ITTable::MakeSearchKey(std::string& key, const Row& targets,
                            const ColumnList& colIndices) const {
    key.clear();
    if (targets.size() > colIndices.size())
        throw std::out_of_range("Invalid search target range in ITTable::MakeSearchKey");
    for (std::size_t i = 0; i < targets.size(); ++i) {
        ColumnKey::AppendComponent(key, targets[i], _FlagsOf(colIndices[i]));
        key.push_back(' ');
    }
}

void ITTable::MakeCellKey(std::string& key, unsigned int colIndex, unsigned int rowIndex) const {
    key.clear();
    _CheckCell(rowIndex, colIndex);
    ColumnKey::AppendComponent(key, _Cell(rowIndex, colIndex), _FlagsOf(colIndex));
}

void ITTable::MakeValueKey(std::string& key, const std::string& value,
                           unsigned int colIndex) const {
    key.clear();
    ColumnKey::AppendComponent(key, value, _FlagsOf(colIndex));
}

void ITTable::MakeRawRowKey(std::string& key, const ColumnList& colIndices,
                            unsigned int rowIndex) const {
    key.clear();
    for (const unsigned int c : colIndices) {
        _CheckCell(rowIndex, c);
        key.append(_Cell(rowIndex, c));
        key.push_back(' ');
    }
}

void ITTable::MakeIntegerKey(const std::string& in, std::string& out) {
    ColumnKey::MakeIntegerKey(in, out);
}

void ITTable::NormalizeText(const std::string& in, std::string& out) {
    ColumnKey::NormalizeText(in, out);
}

void ITTable::MakeDoubleKey(const std::string& in, std::string& out) {
    ColumnKey::MakeDoubleKey(in, out);
}

void ITTable::_MakeIndexKey(std::string& key, const Index& index, unsigned int rowIndex) const {
    _BuildIndexKey(
        key, index, rowIndex,
        [this](unsigned int r, unsigned int c) -> const std::string& { return _Cell(r, c); });
}

// The key a row's entry was made with, when it can still be built; it only
// speeds up finding the entry, so a failure is no error here.
bool ITTable::_TryMakeIndexKey(std::string& key, const Index& index, unsigned int rowIndex) const {
    try {
        _MakeIndexKey(key, index, rowIndex);
        return true;
    } catch (const std::exception&) {
        key.clear();
        return false;
    }
}

void ITTable::_MakeIndexSearchKey(std::string& key, const Index& index, const Row& targets,
                                  const ColumnList& colIndices) const {
    key.clear();
    const CompareType compareType = index.map.key_comp().GetCompareType();
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::string::size_type start = key.size();
        ColumnKey::AppendComponent(key, targets[i], _FlagsOf(colIndices[i]));
        ColumnKey::TerminateIndexComponent(key, start, compareType);
    }
}

// ---------------------------------------------------------------- index entries

ITTable::IndexMap::iterator ITTable::_FindEntry(IndexMap& map, unsigned int rowIndex,
                                                const std::string* oldKey) {
    if (oldKey != nullptr) {
        const auto range = map.equal_range(*oldKey);
        for (auto it = range.first; it != range.second; ++it)
            if (it->second == rowIndex)
                return it;
    }
    // Entries made under flags that have changed since cannot be found
    // through their key.
    for (auto it = map.begin(); it != map.end(); ++it)
        if (it->second == rowIndex)
            return it;
    return map.end();
}

void ITTable::_ShiftRows(IndexMap& map, unsigned int fromRow, bool up) {
    for (auto& entry : map)
        if (entry.second >= fromRow) {
            if (up)
                ++entry.second;
            else
                --entry.second;
        }
}

void ITTable::_ApplyRekey(std::vector<Rekey>& plan, unsigned int rowIndex) {
    for (Rekey& rekey : plan) {
        IndexMap& map = _indices[rekey.indexNum].map;
        const auto it = _FindEntry(map, rowIndex, rekey.haveOldKey ? &rekey.oldKey : nullptr);
        if (it == map.end()) {
            map.emplace(std::move(rekey.newKey), rowIndex);
            continue;
        }
        // Re-inserted after any entries with an equal key, reusing the node.
        auto node = map.extract(it);
        node.key() = std::move(rekey.newKey);
        map.insert(std::move(node));
    }
}

void ITTable::_AddAppendedEntries(unsigned int firstRow,
                                  std::vector<std::vector<std::string>>& keys) {
    for (unsigned int k = 0; k < keys.size(); ++k) {
        std::size_t live = 0;
        for (Index& index : _indices) {
            if (!_IsLive(index))
                continue;
            index.map.emplace(std::move(keys[k][live]), firstRow + k);
            ++live;
        }
    }
}

// ---------------------------------------------------------------- cells

std::string& ITTable::operator()(unsigned int rowIndex, unsigned int colIndex) {
    _CheckCell(rowIndex, colIndex);
    return _Cell(rowIndex, colIndex);
}

const std::string& ITTable::operator()(unsigned int rowIndex, unsigned int colIndex) const {
    _CheckCell(rowIndex, colIndex);
    return _Cell(rowIndex, colIndex);
}

int ITTable::UpdateCell(const std::string& value, unsigned int colIndex, unsigned int rowIndex) {
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::UpdateCell");
    _CheckCell(rowIndex, colIndex);

    _RefuseIfUnique("ITTable::UpdateIndicesOnCellUpdate");

    if (_indices.empty()) {
        _Cell(rowIndex, colIndex) = value;
        return 0;
    }

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, [colIndex](const Index& index) { return _Holds(index, colIndex); },
        [this, colIndex, &value](unsigned int r, unsigned int c) -> const std::string& {
            return c == colIndex ? value : _Cell(r, c);
        });

    _Cell(rowIndex, colIndex) = value;
    _ApplyRekey(plan, rowIndex);
    return 0;
}

void ITTable::UpdateIndices(unsigned int rowIndex) {
    _RefuseIfUnique("ITTable::UpdateIndices");
    if (_indices.empty())
        return;
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::UpdateIndex");

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, [](const Index&) { return true; },
        [this](unsigned int r, unsigned int c) -> const std::string& { return _Cell(r, c); });
    _ApplyRekey(plan, rowIndex);
}

void ITTable::UpdateIndicesOnCellUpdate(unsigned int rowIndex, unsigned int colIndex) {
    _RefuseIfUnique("ITTable::UpdateIndicesOnCellUpdate");
    auto affects = [colIndex](const Index& index) { return _Holds(index, colIndex); };
    if (std::none_of(_indices.begin(), _indices.end(), affects))
        return;
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::UpdateIndex");

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, affects,
        [this](unsigned int r, unsigned int c) -> const std::string& { return _Cell(r, c); });
    _ApplyRekey(plan, rowIndex);
}

// ---------------------------------------------------------------- output

std::ostream& operator<<(std::ostream& out, const ITTable& table) {
    const unsigned int numRows = table.GetNumRows();
    const unsigned int numColumns = table.GetNumColumns();
    for (unsigned int r = 0; r < numRows; ++r) {
        out << std::setw(5) << r;
        for (unsigned int c = 0; c < numColumns; ++c) out << std::setw(10) << table(r, c) << ' ';
        out << std::endl;
    }
    return out;
}
