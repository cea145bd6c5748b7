#include "table/ITTable.h"

#include <algorithm>
#include <iomanip>
#include <stdexcept>

#include "foundation/Exceptions.h"

namespace
{

const std::string EMPTY_CELL;

const char* const KEY_INDEX_REFUSAL =
    "Attempting to change the table that has a key search index";

} // namespace

// ---------------------------------------------------------------- lifetime

ITTable::ITTable() : _orientation(1)
{
}

ITTable::ITTable(unsigned int orientation) : _orientation(orientation)
{
}

void ITTable::Clear()
{
    _store.Clear();
    _flags.clear();
    _indices.clear();
}

unsigned int ITTable::GetNumRows() const
{
    return _orientation != 0 ? _store.GetNumTuples() : _store.GetWidth();
}

unsigned int ITTable::GetNumColumns() const
{
    return _orientation != 0 ? _store.GetWidth() : _store.GetNumTuples();
}

// ---------------------------------------------------------------- helpers

const std::string& ITTable::_Cell(unsigned int rowIndex,
                                  unsigned int colIndex) const
{
    return _orientation != 0 ? _store.GetCell(rowIndex, colIndex)
                             : _store.GetCell(colIndex, rowIndex);
}

std::string& ITTable::_Cell(unsigned int rowIndex, unsigned int colIndex)
{
    return _orientation != 0 ? _store.UpdateCell(rowIndex, colIndex)
                             : _store.UpdateCell(colIndex, rowIndex);
}

void ITTable::_CheckCell(unsigned int rowIndex, unsigned int colIndex) const
{
    if (colIndex >= GetNumColumns())
        throw std::out_of_range("Invalid column index in ITTable::operator()");
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::operator()");
}

void ITTable::_CheckIndexNumber(unsigned int indexNum,
                                const char* method) const
{
    if (indexNum >= _indices.size())
        throw std::out_of_range(std::string("Invalid index number in ") +
                                method);
}

ColumnFlags ITTable::_FlagsOf(unsigned int colIndex) const
{
    return colIndex < _flags.size() ? _flags[colIndex] : DEFAULT_COLUMN_FLAGS;
}

void ITTable::_ExtendFlags(std::size_t count)
{
    if (_flags.size() < count)
        _flags.resize(count, DEFAULT_COLUMN_FLAGS);
}

bool ITTable::_IsLive(const Index& index) const
{
    if (index.columns.empty())
        return false;
    const unsigned int numColumns = GetNumColumns();
    for (const unsigned int c : index.columns)
        if (c >= numColumns)
            return false;
    return true;
}

bool ITTable::_Holds(const Index& index, unsigned int colIndex)
{
    return std::find(index.columns.begin(), index.columns.end(), colIndex) !=
           index.columns.end();
}

bool ITTable::HasUniqueIndex() const
{
    for (const Index& index : _indices)
        if (index.unique == 1)
            return true;
    return false;
}

void ITTable::_RefuseIfUnique(const char* method) const
{
    if (HasUniqueIndex())
        throw AlreadyExistsException(KEY_INDEX_REFUSAL, method);
}

// ---------------------------------------------------------------- flags and keys

ColumnFlags ITTable::GetFlags(unsigned int colIndex) const
{
    if (colIndex >= _flags.size())
        throw std::out_of_range("Invalid column index in ITTable::GetFlags");
    return _flags[colIndex];
}

int ITTable::SetFlags(ColumnFlags flags, unsigned int colIndex)
{
    if (colIndex >= _flags.size())
        throw std::out_of_range("Invalid column index in ITTable::SetFlags");
    _flags[colIndex] = ColumnKey::Merge(_flags[colIndex], flags);
    return 0;
}

void ITTable::ValidateOptions(unsigned int colIndex)
{
    if (colIndex >= _flags.size())
        throw std::out_of_range(
            "Invalid column index in ITTable::ValidateOptions");
    _flags[colIndex] = ColumnKey::Validate(_flags[colIndex]);
}

bool ITTable::IsCaseInsensitive(const ColumnList& colIndices) const
{
    return !colIndices.empty() &&
           ColumnKey::IsCaseInsensitive(_FlagsOf(colIndices[0]));
}

void ITTable::MakeRowKey(std::string& key, const ColumnList& colIndices,
                         unsigned int rowIndex) const
{
    key.clear();
    for (const unsigned int c : colIndices)
    {
        _CheckCell(rowIndex, c);
        ColumnKey::AppendComponent(key, _Cell(rowIndex, c), _FlagsOf(c));
        key.push_back(' ');
    }
}

void ITTable::MakeSearchKey(std::string& key, const Row& targets,
                            const ColumnList& colIndices) const
{
    key.clear();
    if (targets.size() > colIndices.size())
        throw std::out_of_range(
            "Invalid search target range in ITTable::MakeSearchKey");
    for (std::size_t i = 0; i < targets.size(); ++i)
    {
        ColumnKey::AppendComponent(key, targets[i], _FlagsOf(colIndices[i]));
        key.push_back(' ');
    }
}

void ITTable::MakeCellKey(std::string& key, unsigned int colIndex,
                          unsigned int rowIndex) const
{
    key.clear();
    _CheckCell(rowIndex, colIndex);
    ColumnKey::AppendComponent(key, _Cell(rowIndex, colIndex),
                               _FlagsOf(colIndex));
}

void ITTable::MakeValueKey(std::string& key, const std::string& value,
                           unsigned int colIndex) const
{
    key.clear();
    ColumnKey::AppendComponent(key, value, _FlagsOf(colIndex));
}

void ITTable::MakeRawRowKey(std::string& key, const ColumnList& colIndices,
                            unsigned int rowIndex) const
{
    key.clear();
    for (const unsigned int c : colIndices)
    {
        _CheckCell(rowIndex, c);
        key.append(_Cell(rowIndex, c));
        key.push_back(' ');
    }
}

void ITTable::MakeIntegerKey(const std::string& in, std::string& out)
{
    ColumnKey::MakeIntegerKey(in, out);
}

void ITTable::NormalizeText(const std::string& in, std::string& out)
{
    ColumnKey::NormalizeText(in, out);
}

void ITTable::MakeDoubleKey(const std::string& in, std::string& out)
{
    ColumnKey::MakeDoubleKey(in, out);
}

template <class CellOf>
void ITTable::_BuildIndexKey(std::string& key, const Index& index,
                             unsigned int rowIndex, CellOf cellOf) const
{
    key.clear();
    const CompareType compareType = index.map.key_comp().GetCompareType();
    for (const unsigned int c : index.columns)
    {
        const std::string::size_type start = key.size();
        ColumnKey::AppendComponent(key, cellOf(rowIndex, c), _FlagsOf(c));
        ColumnKey::TerminateIndexComponent(key, start, compareType);
    }
}

void ITTable::_MakeIndexKey(std::string& key, const Index& index,
                            unsigned int rowIndex) const
{
    _BuildIndexKey(key, index, rowIndex,
                   [this](unsigned int r, unsigned int c) -> const std::string&
                   { return _Cell(r, c); });
}

// The key a row's entry was made with, when it can still be built; it only
// speeds up finding the entry, so a failure is no error here.
bool ITTable::_TryMakeIndexKey(std::string& key, const Index& index,
                               unsigned int rowIndex) const
{
    try
    {
        _MakeIndexKey(key, index, rowIndex);
        return true;
    }
    catch (const std::exception&)
    {
        key.clear();
        return false;
    }
}

void ITTable::_MakeIndexSearchKey(std::string& key, const Index& index,
                                  const Row& targets,
                                  const ColumnList& colIndices) const
{
    key.clear();
    const CompareType compareType = index.map.key_comp().GetCompareType();
    for (std::size_t i = 0; i < targets.size(); ++i)
    {
        const std::string::size_type start = key.size();
        ColumnKey::AppendComponent(key, targets[i], _FlagsOf(colIndices[i]));
        ColumnKey::TerminateIndexComponent(key, start, compareType);
    }
}

// ---------------------------------------------------------------- index entries

ITTable::IndexMap::iterator ITTable::_FindEntry(IndexMap& map,
                                                unsigned int rowIndex,
                                                const std::string* oldKey)
{
    if (oldKey != nullptr)
    {
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

void ITTable::_ShiftRows(IndexMap& map, unsigned int fromRow, bool up)
{
    for (auto& entry : map)
        if (entry.second >= fromRow)
        {
            if (up)
                ++entry.second;
            else
                --entry.second;
        }
}

template <class Affects, class CellOf>
std::vector<ITTable::Rekey> ITTable::_PlanRekey(unsigned int rowIndex,
                                                Affects affects,
                                                CellOf newCell) const
{
    std::vector<Rekey> plan;
    for (unsigned int i = 0; i < _indices.size(); ++i)
    {
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

void ITTable::_ApplyRekey(std::vector<Rekey>& plan, unsigned int rowIndex)
{
    for (Rekey& rekey : plan)
    {
        IndexMap& map = _indices[rekey.indexNum].map;
        const auto it = _FindEntry(map, rowIndex,
                                   rekey.haveOldKey ? &rekey.oldKey : nullptr);
        if (it == map.end())
        {
            map.emplace(std::move(rekey.newKey), rowIndex);
            continue;
        }
        // Re-inserted after any entries with an equal key, reusing the node.
        auto node = map.extract(it);
        node.key() = std::move(rekey.newKey);
        map.insert(std::move(node));
    }
}

template <class CellOf>
std::vector<std::pair<unsigned int, ITTable::IndexMap>>
ITTable::_RebuildIndicesOver(unsigned int colIndex, CellOf newCell) const
{
    std::vector<std::pair<unsigned int, IndexMap>> rebuilt;
    const unsigned int numRows = GetNumRows();
    std::string key;
    for (unsigned int i = 0; i < _indices.size(); ++i)
    {
        const Index& index = _indices[i];
        if (!_IsLive(index) || !_Holds(index, colIndex))
            continue;
        // Re-keying every row in row order leaves equal keys in row order,
        // which is what a fresh map filled in row order holds.
        IndexMap map(index.map.key_comp());
        for (unsigned int r = 0; r < numRows; ++r)
        {
            _BuildIndexKey(key, index, r, newCell);
            map.emplace(std::move(key), r);
        }
        rebuilt.emplace_back(i, std::move(map));
    }
    return rebuilt;
}

void ITTable::_AddAppendedEntries(unsigned int firstRow,
                                  std::vector<std::vector<std::string>>& keys)
{
    for (unsigned int k = 0; k < keys.size(); ++k)
    {
        std::size_t live = 0;
        for (Index& index : _indices)
        {
            if (!_IsLive(index))
                continue;
            index.map.emplace(std::move(keys[k][live]), firstRow + k);
            ++live;
        }
    }
}

// ---------------------------------------------------------------- rows

void ITTable::_StoreInsertRow(unsigned int rowIndex, Row&& row)
{
    if (_orientation != 0)
        _store.InsertTuple(rowIndex, std::move(row));
    else
        _store.InsertColumn(rowIndex, row.begin(), row.end());
}

unsigned int ITTable::_InsertRow(unsigned int rowIndex, Row&& row)
{
    const unsigned int numColumns = GetNumColumns();
    const unsigned int numRows = GetNumRows();
    if (!row.empty() && row.size() > numColumns)
        throw std::out_of_range("Invalid row size in ITTable::InsertRow");
    if (numRows == 0 && numColumns == 0)
        return 0;

    // The store's own refusals come first; it checks before it changes.
    if (rowIndex > numRows || (_orientation == 0 && row.empty()))
        _StoreInsertRow(rowIndex, std::move(row));

    _RefuseIfUnique("ITTable::InsertEntry");

    // Every key is built before the row enters the store, so a value that
    // cannot be keyed leaves the segment as it was.
    std::vector<std::string> keys;
    if (!_indices.empty())
    {
        keys.reserve(_indices.size());
        for (const Index& index : _indices)
        {
            keys.emplace_back();
            if (_IsLive(index))
                _BuildIndexKey(keys.back(), index, 0,
                               [&row](unsigned int, unsigned int c)
                                   -> const std::string&
                               { return c < row.size() ? row[c] : EMPTY_CELL; });
        }
    }

    _StoreInsertRow(rowIndex, std::move(row));

    // An append needs no renumbering: no stored row is at or above it.
    const bool append = rowIndex == numRows;
    for (std::size_t i = 0; i < _indices.size(); ++i)
    {
        Index& index = _indices[i];
        if (!_IsLive(index))
            continue;
        if (!append)
            _ShiftRows(index.map, rowIndex, true);
        index.map.emplace(std::move(keys[i]), rowIndex);
    }
    return GetNumRows();
}

unsigned int ITTable::InsertRow(const Row& row)
{
    return _InsertRow(GetNumRows(), Row(row));
}

unsigned int ITTable::InsertRow(Row&& row)
{
    return _InsertRow(GetNumRows(), std::move(row));
}

unsigned int ITTable::InsertRow(unsigned int rowIndex, const Row& row)
{
    return _InsertRow(rowIndex, Row(row));
}

unsigned int ITTable::InsertRow(unsigned int rowIndex, Row&& row)
{
    return _InsertRow(rowIndex, std::move(row));
}

void ITTable::_StoreFillRow(unsigned int rowIndex, const Row& values)
{
    if (_orientation != 0)
        _store.FillTuple(rowIndex, values, 0);
    else
        _store.FillColumn(rowIndex, values, 0);
}

void ITTable::FillRow(unsigned int rowIndex, const Row& values)
{
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::FillRow");
    if (values.size() > GetNumColumns())
        _StoreFillRow(rowIndex, values); // refuses without a change

    _RefuseIfUnique("ITTable::UpdateIndices");

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, [](const Index&) { return true; },
        [this, &values](unsigned int r, unsigned int c) -> const std::string&
        { return c < values.size() ? values[c] : _Cell(r, c); });

    _StoreFillRow(rowIndex, values);
    _ApplyRekey(plan, rowIndex);
}

void ITTable::ClearRow(unsigned int rowIndex)
{
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::ClearRow");

    _RefuseIfUnique("ITTable::UpdateIndices");

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, [](const Index&) { return true; },
        [](unsigned int, unsigned int) -> const std::string&
        { return EMPTY_CELL; });

    if (_orientation != 0)
        _store.ClearTuple(rowIndex);
    else
        _store.ClearColumn(rowIndex);
    _ApplyRekey(plan, rowIndex);
}

void ITTable::DeleteRow(unsigned int rowIndex)
{
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::DeleteRow");

    // The keys the row's entries were made with find them without a walk.
    std::vector<std::string> oldKeys(_indices.size());
    std::vector<bool> haveOldKey(_indices.size(), false);
    for (std::size_t i = 0; i < _indices.size(); ++i)
        if (_IsLive(_indices[i]))
            haveOldKey[i] =
                _TryMakeIndexKey(oldKeys[i], _indices[i], rowIndex);

    if (_orientation != 0)
        _store.DeleteTuple(rowIndex);
    else
        _store.DeleteColumn(rowIndex);

    const bool wasLast = rowIndex == GetNumRows();
    for (std::size_t i = 0; i < _indices.size(); ++i)
    {
        Index& index = _indices[i];
        if (!_IsLive(index))
            continue;
        const auto it = _FindEntry(index.map, rowIndex,
                                   haveOldKey[i] ? &oldKeys[i] : nullptr);
        if (it != index.map.end())
            index.map.erase(it);
        if (!wasLast)
            _ShiftRows(index.map, rowIndex, false);
    }
}

void ITTable::DeleteRows(const ColumnList& rowIndices)
{
    for (auto it = rowIndices.rbegin(); it != rowIndices.rend(); ++it)
        DeleteRow(*it);
}

void ITTable::GetRow(Row& row, unsigned int rowIndex,
                     unsigned int fromColIndex, unsigned int toColIndex) const
{
    row.clear();
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::GetRow");
    if (fromColIndex > toColIndex)
        return;
    for (unsigned long long c = fromColIndex; c <= toColIndex; ++c)
    {
        _CheckCell(rowIndex, static_cast<unsigned int>(c));
        row.push_back(_Cell(rowIndex, static_cast<unsigned int>(c)));
    }
}

const ITTable::Row& ITTable::GetRow(unsigned int rowIndex) const
{
    if (_orientation != 1)
        throw InvalidStateException(
            "Cannot get row reference on column-wise oriented table",
            "ITTable::GetRow");
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::GetRow");
    return _store.GetTuple(rowIndex);
}

// ---------------------------------------------------------------- columns

void ITTable::CreateColumn(unsigned int colIndex, ValueIterator first,
                           ValueIterator last)
{
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

void ITTable::CreateColumn(unsigned int colIndex, const Row& values)
{
    CreateColumn(colIndex, values.begin(), values.end());
}

void ITTable::_AddColumn(unsigned int colIndex, ValueIterator first,
                         ValueIterator last)
{
    const unsigned int numRows = GetNumRows();
    if (numRows == 0)
    {
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
    if (n == 0 || HasUniqueIndex())
    {
        const Row empty(numRows);
        CreateColumn(colIndex, empty);
        if (n != 0)
            _RefuseIfUnique("ITTable::UpdateIndicesOnCellUpdate");
        return;
    }
    CreateColumn(colIndex, first, last);
}

void ITTable::AddColumn(unsigned int colIndex, const Row& values)
{
    _AddColumn(colIndex, values.begin(), values.end());
}

void ITTable::InsertColumn(unsigned int colIndex, ValueIterator first,
                           ValueIterator last)
{
    _AddColumn(colIndex, first, last);
}

void ITTable::FillColumn(unsigned int colIndex, ValueIterator first,
                         ValueIterator last)
{
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
        colIndex,
        [this, colIndex, first, n](unsigned int r,
                                   unsigned int c) -> const std::string&
        { return (c == colIndex && r < n) ? first[r] : _Cell(r, c); });

    for (unsigned int r = 0; r < n; ++r)
        _Cell(r, colIndex) = first[r];
    for (auto& entry : rebuilt)
        _indices[entry.first].map.swap(entry.second);
}

void ITTable::FillColumn(const Row& values, unsigned int colIndex)
{
    if (values.empty())
        return;
    FillColumn(colIndex, values.begin(), values.end());
}

void ITTable::ClearColumn(unsigned int colIndex)
{
    const unsigned int numRows = GetNumRows();
    // The column is read before it changes; the store's read refuses what
    // it cannot read.
    if (colIndex >= GetNumColumns() || (_orientation != 0 && numRows == 0))
    {
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
        colIndex,
        [this, colIndex](unsigned int r, unsigned int c) -> const std::string&
        { return c == colIndex ? EMPTY_CELL : _Cell(r, c); });

    if (_orientation != 0)
        _store.ClearColumn(colIndex);
    else
        _store.ClearTuple(colIndex);
    for (auto& entry : rebuilt)
        _indices[entry.first].map.swap(entry.second);
}

void ITTable::DeleteColumn(unsigned int colIndex)
{
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

void ITTable::GetColumn(Row& column, unsigned int colIndex) const
{
    const unsigned int numRows = GetNumRows();
    if (_orientation != 0)
        _store.GetColumn(column, colIndex, 0, numRows);
    else
        _store.GetTuple(column, colIndex, 0, numRows);
}

void ITTable::GetColumn(Row& column, unsigned int colIndex,
                        unsigned int fromRowIndex,
                        unsigned int toRowIndex) const
{
    column.clear();
    if (fromRowIndex > toRowIndex)
        return;
    for (unsigned long long r = fromRowIndex; r <= toRowIndex; ++r)
    {
        _CheckCell(static_cast<unsigned int>(r), colIndex);
        column.push_back(_Cell(static_cast<unsigned int>(r), colIndex));
    }
}

void ITTable::GetColumn(Row& column, unsigned int colIndex,
                        const ColumnList& rowIndices) const
{
    column.clear();
    column.reserve(rowIndices.size());
    for (const unsigned int r : rowIndices)
    {
        _CheckCell(r, colIndex);
        column.push_back(_Cell(r, colIndex));
    }
}

void ITTable::GetColumnInIndexOrder(Row& column, unsigned int colIndex,
                                    unsigned int indexNum) const
{
    column.clear();
    _CheckIndexNumber(indexNum, "ITTable::GetColumnInIndexOrder");
    for (const auto& entry : _indices[indexNum].map)
    {
        _CheckCell(entry.second, colIndex);
        column.push_back(_Cell(entry.second, colIndex));
    }
}

// ---------------------------------------------------------------- cells

std::string& ITTable::operator()(unsigned int rowIndex, unsigned int colIndex)
{
    _CheckCell(rowIndex, colIndex);
    return _Cell(rowIndex, colIndex);
}

const std::string& ITTable::operator()(unsigned int rowIndex,
                                       unsigned int colIndex) const
{
    _CheckCell(rowIndex, colIndex);
    return _Cell(rowIndex, colIndex);
}

int ITTable::UpdateCell(const std::string& value, unsigned int colIndex,
                        unsigned int rowIndex)
{
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::UpdateCell");
    _CheckCell(rowIndex, colIndex);

    _RefuseIfUnique("ITTable::UpdateIndicesOnCellUpdate");

    if (_indices.empty())
    {
        _Cell(rowIndex, colIndex) = value;
        return 0;
    }

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex,
        [colIndex](const Index& index) { return _Holds(index, colIndex); },
        [this, colIndex, &value](unsigned int r,
                                 unsigned int c) -> const std::string&
        { return c == colIndex ? value : _Cell(r, c); });

    _Cell(rowIndex, colIndex) = value;
    _ApplyRekey(plan, rowIndex);
    return 0;
}

void ITTable::UpdateIndices(unsigned int rowIndex)
{
    _RefuseIfUnique("ITTable::UpdateIndices");
    if (_indices.empty())
        return;
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::UpdateIndex");

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, [](const Index&) { return true; },
        [this](unsigned int r, unsigned int c) -> const std::string&
        { return _Cell(r, c); });
    _ApplyRekey(plan, rowIndex);
}

void ITTable::UpdateIndicesOnCellUpdate(unsigned int rowIndex,
                                        unsigned int colIndex)
{
    _RefuseIfUnique("ITTable::UpdateIndicesOnCellUpdate");
    auto affects = [colIndex](const Index& index)
    { return _Holds(index, colIndex); };
    if (std::none_of(_indices.begin(), _indices.end(), affects))
        return;
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::UpdateIndex");

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, affects,
        [this](unsigned int r, unsigned int c) -> const std::string&
        { return _Cell(r, c); });
    _ApplyRekey(plan, rowIndex);
}

// ---------------------------------------------------------------- entries

void ITTable::InsertEntry(unsigned int colIndex, const std::string& value)
{
    InsertEntry(colIndex, Row(1, value));
}

void ITTable::InsertEntry(unsigned int colIndex, const Row& values)
{
    const unsigned int numRows = GetNumRows();
    const unsigned int numColumns = GetNumColumns();
    const unsigned int n = static_cast<unsigned int>(values.size());

    if (colIndex < numColumns)
    {
        // One new row per value. A column-wise store appends a row as an
        // empty column, which it refuses.
        if (_orientation == 0)
            _store.InsertColumn(_store.GetWidth(), values.end(), values.end());
        if (n == 0)
            return;
        _RefuseIfUnique("ITTable::InsertEntry");

        std::vector<std::vector<std::string>> keys(n);
        for (unsigned int k = 0; k < n; ++k)
            for (const Index& index : _indices)
            {
                if (!_IsLive(index))
                    continue;
                keys[k].emplace_back();
                _BuildIndexKey(keys[k].back(), index, 0,
                               [&](unsigned int, unsigned int c)
                                   -> const std::string&
                               { return c == colIndex ? values[k] : EMPTY_CELL; });
            }

        for (unsigned int k = 0; k < n; ++k)
        {
            Row tuple(numColumns);
            tuple[colIndex] = values[k];
            _store.AddTuple(std::move(tuple));
        }
        _AddAppendedEntries(numRows, keys);
        _ExtendFlags(static_cast<std::size_t>(colIndex) + 1);
        return;
    }

    // A new column. Only when the segment had no rows does it bring rows,
    // and only new rows get entries.
    const unsigned int newRows = numRows == 0 ? n : 0;
    std::vector<std::vector<std::string>> keys;
    if (colIndex == numColumns && newRows > 0)
    {
        _RefuseIfUnique("ITTable::InsertEntry");
        keys.resize(newRows);
        for (unsigned int k = 0; k < newRows; ++k)
            for (const Index& index : _indices)
            {
                if (!_IsLive(index))
                    continue;
                keys[k].emplace_back();
                _BuildIndexKey(keys[k].back(), index, 0,
                               [&](unsigned int, unsigned int c)
                                   -> const std::string&
                               { return c == colIndex ? values[k] : EMPTY_CELL; });
            }
    }

    if (_orientation != 0)
        _store.InsertColumn(colIndex, values.begin(), values.end());
    else
        _store.InsertTuple(colIndex, values.begin(), values.end());

    _AddAppendedEntries(numRows, keys);
    _ExtendFlags(static_cast<std::size_t>(colIndex) + 1);
}

void ITTable::InsertEntry(unsigned int rowIndex)
{
    _RefuseIfUnique("ITTable::InsertEntry");
    if (_indices.empty())
        return;
    const unsigned int numRows = GetNumRows();
    if (rowIndex > numRows - 1u)
        throw std::out_of_range(
            "Invalid row index in ITTable::InsertIndexEntry");

    std::vector<std::string> keys(_indices.size());
    for (std::size_t i = 0; i < _indices.size(); ++i)
        if (_IsLive(_indices[i]))
        {
            _CheckCell(rowIndex, _indices[i].columns[0]);
            _MakeIndexKey(keys[i], _indices[i], rowIndex);
        }

    const bool last = rowIndex == numRows - 1;
    for (std::size_t i = 0; i < _indices.size(); ++i)
    {
        Index& index = _indices[i];
        if (!_IsLive(index))
            continue;
        if (!last)
            _ShiftRows(index.map, rowIndex, true);
        index.map.emplace(std::move(keys[i]), rowIndex);
    }
}

// ---------------------------------------------------------------- output

std::ostream& operator<<(std::ostream& out, const ITTable& table)
{
    const unsigned int numRows = table.GetNumRows();
    const unsigned int numColumns = table.GetNumColumns();
    for (unsigned int r = 0; r < numRows; ++r)
    {
        out << std::setw(5) << r;
        for (unsigned int c = 0; c < numColumns; ++c)
            out << std::setw(10) << table(r, c) << ' ';
        out << std::endl;
    }
    return out;
}
