#include <stdexcept>

#include "foundation/Exceptions.h"
#include "table/ITTable.h"
#include "table/ITTableRekey.h"

using ittable_detail::EmptyCell;

// ---------------------------------------------------------------- rows

void ITTable::_StoreInsertRow(unsigned int rowIndex, Row&& row) {
    if (_orientation != 0)
        _store.InsertTuple(rowIndex, std::move(row));
    else
        _store.InsertColumn(rowIndex, row.begin(), row.end());
}

unsigned int ITTable::_InsertRow(unsigned int rowIndex, Row&& row) {
    const unsigned int numColumns = GetNumColumns();
    const unsigned int numRows = GetNumRows();
    if (!row.empty() && row.size() > numColumns)
        throw std::out_of_range("Invalid row size in ITTable::InsertRow");
    if (numRows == 0 && numColumns == 0)
        return 0;

    // An append to a row-wise segment without indices (every row the CIF
    // reader adds) has no key to build and nothing to renumber.
    if (_indices.empty() && rowIndex == numRows && _orientation != 0) {
        _store.InsertTuple(rowIndex, std::move(row));
        return numRows + 1;
    }

    // The store's own refusals come first; it checks before it changes.
    if (rowIndex > numRows || (_orientation == 0 && row.empty()))
        _StoreInsertRow(rowIndex, std::move(row));

    _RefuseIfUnique("ITTable::InsertEntry");

    // Every key is built before the row enters the store, so a value that
    // cannot be keyed leaves the segment as it was.
    std::vector<std::string> keys;
    if (!_indices.empty()) {
        keys.reserve(_indices.size());
        for (const Index& index : _indices) {
            keys.emplace_back();
            if (_IsLive(index))
                _BuildIndexKey(keys.back(), index, 0,
                               [&row](unsigned int, unsigned int c) -> const std::string& {
                                   return c < row.size() ? row[c] : EmptyCell();
                               });
        }
    }

    _StoreInsertRow(rowIndex, std::move(row));

    _EnterRowKeys(keys, rowIndex);
    return GetNumRows();
}

unsigned int ITTable::InsertRow(const Row& row) {
    return _InsertRow(GetNumRows(), Row(row));
}

unsigned int ITTable::InsertRow(Row&& row) {
    return _InsertRow(GetNumRows(), std::move(row));
}

unsigned int ITTable::InsertRow(unsigned int rowIndex, const Row& row) {
    return _InsertRow(rowIndex, Row(row));
}

unsigned int ITTable::InsertRow(unsigned int rowIndex, Row&& row) {
    return _InsertRow(rowIndex, std::move(row));
}

void ITTable::_StoreFillRow(unsigned int rowIndex, const Row& values) {
    if (_orientation != 0)
        _store.FillTuple(rowIndex, values, 0);
    else
        _store.FillColumn(rowIndex, values, 0);
}

void ITTable::FillRow(unsigned int rowIndex, const Row& values) {
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::FillRow");
    if (values.size() > GetNumColumns())
        _StoreFillRow(rowIndex, values);  // refuses without a change

    _RefuseIfUnique("ITTable::UpdateIndices");

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, [](const Index&) { return true; },
        [this, &values](unsigned int r, unsigned int c) -> const std::string& {
            return c < values.size() ? values[c] : _Cell(r, c);
        });

    _StoreFillRow(rowIndex, values);
    _ApplyRekey(plan, rowIndex);
}

void ITTable::ClearRow(unsigned int rowIndex) {
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::ClearRow");

    _RefuseIfUnique("ITTable::UpdateIndices");

    std::vector<Rekey> plan = _PlanRekey(
        rowIndex, [](const Index&) { return true; },
        [](unsigned int, unsigned int) -> const std::string& { return EmptyCell(); });

    if (_orientation != 0)
        _store.ClearTuple(rowIndex);
    else
        _store.ClearColumn(rowIndex);
    _ApplyRekey(plan, rowIndex);
}

void ITTable::DeleteRow(unsigned int rowIndex) {
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::DeleteRow");

    // The keys the row's entries were made with find them without a walk.
    std::vector<std::string> oldKeys(_indices.size());
    std::vector<bool> haveOldKey(_indices.size(), false);
    for (std::size_t i = 0; i < _indices.size(); ++i)
        if (_IsLive(_indices[i]))
            haveOldKey[i] = _TryMakeIndexKey(oldKeys[i], _indices[i], rowIndex);

    if (_orientation != 0)
        _store.DeleteTuple(rowIndex);
    else
        _store.DeleteColumn(rowIndex);

    const bool wasLast = rowIndex == GetNumRows();
    for (std::size_t i = 0; i < _indices.size(); ++i) {
        Index& index = _indices[i];
        if (!_IsLive(index))
            continue;
        const auto it = _FindEntry(index.map, rowIndex, haveOldKey[i] ? &oldKeys[i] : nullptr);
        if (it != index.map.end())
            index.map.erase(it);
        if (!wasLast)
            _ShiftRows(index.map, rowIndex, false);
    }
}

void ITTable::DeleteRows(const ColumnList& rowIndices) {
    for (auto it = rowIndices.rbegin(); it != rowIndices.rend(); ++it) DeleteRow(*it);
}

void ITTable::GetRow(Row& row, unsigned int rowIndex, unsigned int fromColIndex,
                     unsigned int toColIndex) const {
    row.clear();
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::GetRow");
    if (fromColIndex > toColIndex)
        return;
    for (unsigned long long c = fromColIndex; c <= toColIndex; ++c) {
        _CheckCell(rowIndex, static_cast<unsigned int>(c));
        row.push_back(_Cell(rowIndex, static_cast<unsigned int>(c)));
    }
}

const ITTable::Row& ITTable::GetRow(unsigned int rowIndex) const {
    if (_orientation != 1)
        throw InvalidStateException("Cannot get row reference on column-wise oriented table",
                                    "ITTable::GetRow");
    if (rowIndex >= GetNumRows())
        throw std::out_of_range("Invalid row index in ITTable::GetRow");
    return _store.GetTuple(rowIndex);
}

const std::vector<ITTable::Row>& ITTable::GetRows() const {
    if (_orientation != 1)
        throw InvalidStateException("Cannot get row reference on column-wise oriented table",
                                    "ITTable::GetRows");
    return _store.GetTuples();
}

// ---------------------------------------------------------------- entries

std::vector<std::vector<std::string>> ITTable::_SingleColumnKeys(unsigned int colIndex,
                                                                 const Row& values,
                                                                 unsigned int count) const {
    std::vector<std::vector<std::string>> keys(count);
    for (unsigned int k = 0; k < count; ++k)
        for (const Index& index : _indices) {
            if (!_IsLive(index))
                continue;
            keys[k].emplace_back();
            _BuildIndexKey(keys[k].back(), index, 0,
                           [&](unsigned int, unsigned int c) -> const std::string& {
                               return c == colIndex ? values[k] : EmptyCell();
                           });
        }
    return keys;
}

void ITTable::InsertEntry(unsigned int colIndex, const std::string& value) {
    InsertEntry(colIndex, Row(1, value));
}

void ITTable::InsertEntry(unsigned int colIndex, const Row& values) {
    const unsigned int numRows = GetNumRows();
    const unsigned int numColumns = GetNumColumns();
    const unsigned int n = static_cast<unsigned int>(values.size());

    if (colIndex < numColumns) {
        // One new row per value. A column-wise store appends a row as an
        // empty column, which it refuses.
        if (_orientation == 0)
            _store.InsertColumn(_store.GetWidth(), values.end(), values.end());
        if (n == 0)
            return;
        _RefuseIfUnique("ITTable::InsertEntry");

        std::vector<std::vector<std::string>> keys = _SingleColumnKeys(colIndex, values, n);

        for (unsigned int k = 0; k < n; ++k) {
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
    if (colIndex == numColumns && newRows > 0) {
        _RefuseIfUnique("ITTable::InsertEntry");
        keys = _SingleColumnKeys(colIndex, values, newRows);
    }

    if (_orientation != 0)
        _store.InsertColumn(colIndex, values.begin(), values.end());
    else
        _store.InsertTuple(colIndex, values.begin(), values.end());

    _AddAppendedEntries(numRows, keys);
    _ExtendFlags(static_cast<std::size_t>(colIndex) + 1);
}

void ITTable::InsertEntry(unsigned int rowIndex) {
    _RefuseIfUnique("ITTable::InsertEntry");
    if (_indices.empty())
        return;
    const unsigned int numRows = GetNumRows();
    if (rowIndex > numRows - 1u)
        throw std::out_of_range("Invalid row index in ITTable::InsertIndexEntry");

    std::vector<std::string> keys(_indices.size());
    for (std::size_t i = 0; i < _indices.size(); ++i)
        if (_IsLive(_indices[i])) {
            _CheckCell(rowIndex, _indices[i].columns[0]);
            _MakeIndexKey(keys[i], _indices[i], rowIndex);
        }

    _EnterRowKeys(keys, rowIndex);
}

void ITTable::_EnterRowKeys(std::vector<std::string>& keys, unsigned int rowIndex) {
    // The last row needs no renumbering: no other entry is at or above it.
    const bool last = rowIndex + 1u == GetNumRows();
    for (std::size_t i = 0; i < _indices.size(); ++i) {
        Index& index = _indices[i];
        if (!_IsLive(index))
            continue;
        if (!last)
            _ShiftRows(index.map, rowIndex, true);
        index.map.emplace(std::move(keys[i]), rowIndex);
    }
}

// ---------------------------------------------------------------- new segments

void ITTable::_TakeFirstRow(Row&& row, const std::vector<ColumnFlags>& flags) {
    // Moving the row in whole spares growing its tuple a column at a time.
    row.resize(flags.size());
    _store.InsertTuple(0, std::move(row));
    _TakeFlags(flags);
}

void ITTable::_TakeRows(std::vector<Row>&& rows, const std::vector<ColumnFlags>& flags) {
    _store.TakeTuples(std::move(rows), static_cast<unsigned int>(flags.size()));
    _TakeFlags(flags);
}

void ITTable::_TakeFlags(const std::vector<ColumnFlags>& flags) {
    _flags.resize(flags.size());
    for (std::size_t c = 0; c < flags.size(); ++c)
        _flags[c] = ColumnKey::Merge(DEFAULT_COLUMN_FLAGS, flags[c]);
}
