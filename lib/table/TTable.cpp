#include "table/TTable.h"

#include <iomanip>
#include <stdexcept>
#include <utility>

#include "foundation/Exceptions.h"

TTable::TTable(TTable&& other) noexcept : _width(other._width), _tuples(std::move(other._tuples)) {
    other._width = 0;
    other._tuples.clear();
}

TTable& TTable::operator=(const TTable& other) {
    if (this != &other) {
        _tuples = other._tuples;
        _width = other._width;
    }
    return *this;
}

TTable& TTable::operator=(TTable&& other) noexcept {
    if (this != &other) {
        _tuples = std::move(other._tuples);
        _width = other._width;
        other._tuples.clear();
        other._width = 0;
    }
    return *this;
}

void TTable::Clear() {
    _tuples.clear();
    _width = 0;
}

void TTable::_CheckInsertTuple(unsigned int tupleIndex, std::size_t numValues,
                               bool reversedRange) const {
    if (tupleIndex > _tuples.size())
        throw std::out_of_range("Invalid tuple index in TTable::InsertTuple");
    if (reversedRange)
        throw std::out_of_range("Invalid tuple range in TTable::InsertTuple");
    if (_width != 0 && numValues > _width)
        throw std::out_of_range("Invalid tuple size in TTable::InsertTuple");
    if (numValues > 0 && tupleIndex > 0 && _tuples[tupleIndex - 1].empty())
        throw std::out_of_range("Previous tuple empty TTable::InsertTuple");
}

// Fixes the width when it is not fixed yet. Tuples inserted without cells
// before get empty cells, so no cell access ever reaches past a tuple.
void TTable::_FixWidth(unsigned int width) {
    if (_width != 0 || width == 0)
        return;
    _width = width;
    for (Tuple& tuple : _tuples) tuple.resize(_width);
}

void TTable::_PlaceTuple(unsigned int tupleIndex, Tuple&& tuple) {
    tuple.resize(_width);
    if (tupleIndex == _tuples.size())
        _tuples.push_back(std::move(tuple));
    else
        _tuples.insert(_tuples.begin() + tupleIndex, std::move(tuple));
}

void TTable::InsertTuple(unsigned int tupleIndex, ValueIterator first, ValueIterator last) {
    const bool reversed = last < first;
    const std::size_t n = reversed ? 0 : static_cast<std::size_t>(last - first);
    _CheckInsertTuple(tupleIndex, n, reversed);

    Tuple tuple;
    tuple.reserve(_width != 0 ? _width : n);
    tuple.assign(first, last);
    _FixWidth(static_cast<unsigned int>(n));
    _PlaceTuple(tupleIndex, std::move(tuple));
}

void TTable::InsertTuple(unsigned int tupleIndex, const Tuple& values) {
    InsertTuple(tupleIndex, values.begin(), values.end());
}

void TTable::InsertTuple(unsigned int tupleIndex, Tuple&& values) {
    _CheckInsertTuple(tupleIndex, values.size(), false);
    _FixWidth(static_cast<unsigned int>(values.size()));
    _PlaceTuple(tupleIndex, std::move(values));
}

unsigned int TTable::AddTuple(const Tuple& values) {
    InsertTuple(GetNumTuples(), values);
    return GetNumTuples();
}

unsigned int TTable::AddTuple(Tuple&& values) {
    InsertTuple(GetNumTuples(), std::move(values));
    return GetNumTuples();
}

void TTable::TakeTuples(std::vector<Tuple>&& tuples, unsigned int width) {
    for (const Tuple& tuple : tuples)
        if (tuple.size() > width)
            throw std::out_of_range("Invalid tuple size in TTable::TakeTuples");
    for (Tuple& tuple : tuples)
        if (tuple.size() != width)
            tuple.resize(width);
    _tuples = std::move(tuples);
    _width = _tuples.empty() ? 0 : width;
}

void TTable::FillTuple(unsigned int tupleIndex, const Tuple& values, unsigned int fromColIndex) {
    if (tupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid tuple index in TTable::FillTuple");
    if (values.empty())
        return;
    if (fromColIndex > _width)
        throw std::out_of_range("Invalid from column index in TTable::FillTuple");
    // Without a width the tuple holds no cell to take the values.
    if (_width == 0 || values.size() > _width - fromColIndex)
        throw std::out_of_range("Invalid tuple size in TTable::FillTuple");

    Tuple& tuple = _tuples[tupleIndex];
    for (std::size_t i = 0; i < values.size(); ++i) tuple[fromColIndex + i] = values[i];
}

void TTable::GetTuple(Tuple& tuple, unsigned int tupleIndex, unsigned int fromColIndex,
                      unsigned int toColIndex) const {
    tuple.clear();
    if (tupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid tuple index in TTable::GetTuple");
    if (fromColIndex >= toColIndex)
        return;

    const Tuple& source = _tuples[tupleIndex];
    tuple.reserve(toColIndex - fromColIndex);
    for (unsigned int c = fromColIndex; c < toColIndex; ++c) {
        if (c >= _width)
            throw std::out_of_range("Invalid column index in TTable::UpdateCell");
        tuple.push_back(source[c]);
    }
}

const TTable::Tuple& TTable::GetTuple(unsigned int tupleIndex) const {
    if (tupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid tuple index in TTable::GetTuple");
    return _tuples[tupleIndex];
}

void TTable::ClearTuple(unsigned int tupleIndex) {
    if (tupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid tuple index in TTable::ClearTuple");
    for (std::string& cell : _tuples[tupleIndex]) cell.clear();
}

void TTable::DeleteTuple(unsigned int tupleIndex) {
    if (tupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid tuple index in TTable::DeleteTuple");
    _tuples.erase(_tuples.begin() + tupleIndex);
    if (_tuples.empty())
        _width = 0;
}

void TTable::InsertColumn(unsigned int colIndex, ValueIterator first, ValueIterator last) {
    if (colIndex > _width)
        throw std::out_of_range("Invalid column index in TTable::InsertColumn");
    if (last < first)
        throw std::out_of_range("Invalid column range in TTable::InsertColumn");
    const std::size_t n = static_cast<std::size_t>(last - first);
    if (n == 0)
        throw EmptyValueException("Empty column", "TTable::InsertColumn");
    if (!_tuples.empty() && n > _tuples.size())
        throw std::out_of_range("Invalid column size in TTable::InsertColumn");

    if (_width == 0 && n > _tuples.size())
        _tuples.resize(n);

    ++_width;
    ValueIterator value = first;
    for (Tuple& tuple : _tuples) {
        if (value != last)
            tuple.insert(tuple.begin() + colIndex, *value++);
        else
            tuple.insert(tuple.begin() + colIndex, std::string());
    }
}

unsigned int TTable::InsertColumn(unsigned int colIndex, const Tuple& values) {
    InsertColumn(colIndex, values.begin(), values.end());
    return _width;
}

unsigned int TTable::InsertColumn(const Tuple& values) {
    return InsertColumn(_width, values);
}

void TTable::FillColumn(unsigned int colIndex, ValueIterator first, ValueIterator last,
                        unsigned int fromTupleIndex) {
    if (colIndex >= _width)
        throw std::out_of_range("Invalid column index in TTable::FillColumn");
    if (last < first)
        throw std::out_of_range("Invalid column range in TTable::FillColumn");
    if (fromTupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid from tuple index in TTable::FillColumn");
    const std::size_t n = static_cast<std::size_t>(last - first);
    if (n == 0)
        return;
    if (n > _tuples.size() - fromTupleIndex)
        throw std::out_of_range("Invalid column size in TTable::FillColumn");

    std::size_t t = fromTupleIndex;
    for (ValueIterator value = first; value != last; ++value, ++t) _tuples[t][colIndex] = *value;
}

void TTable::FillColumn(unsigned int colIndex, const Tuple& values, unsigned int fromTupleIndex) {
    FillColumn(colIndex, values.begin(), values.end(), fromTupleIndex);
}

void TTable::GetColumn(Tuple& column, unsigned int colIndex, unsigned int fromTupleIndex,
                       unsigned int toTupleIndex) const {
    column.clear();
    if (colIndex >= _width)
        throw std::out_of_range("Invalid column index in TTable::GetColumn");
    if (fromTupleIndex >= toTupleIndex)
        throw std::out_of_range("Invalid tuple index range in TTable::GetColumn");
    if (fromTupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid from tuple index in TTable::GetColumn");
    if (toTupleIndex > _tuples.size())
        throw std::out_of_range("Invalid to tuple index in TTable::GetColumn");

    column.reserve(toTupleIndex - fromTupleIndex);
    for (unsigned int t = fromTupleIndex; t < toTupleIndex; ++t)
        column.push_back(_tuples[t][colIndex]);
}

void TTable::ClearColumn(unsigned int colIndex) {
    if (colIndex >= _width)
        throw std::out_of_range("Invalid column index in TTable::ClearColumn");
    for (Tuple& tuple : _tuples) tuple[colIndex].clear();
}

void TTable::DeleteColumn(unsigned int colIndex) {
    if (colIndex >= _width)
        throw std::out_of_range("Invalid column index in TTable::DeleteColumn");
    for (Tuple& tuple : _tuples) tuple.erase(tuple.begin() + colIndex);
    --_width;
}

const std::string& TTable::GetCell(unsigned int tupleIndex, unsigned int colIndex) const {
    if (tupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid tuple index in TTable::GetCell");
    if (colIndex >= _width)
        throw std::out_of_range("Invalid column index in TTable::GetCell");
    return _tuples[tupleIndex][colIndex];
}

std::string& TTable::UpdateCell(unsigned int tupleIndex, unsigned int colIndex) {
    if (tupleIndex >= _tuples.size())
        throw std::out_of_range("Invalid tuple index in TTable::UpdateCell");
    if (colIndex >= _width)
        throw std::out_of_range("Invalid column index in TTable::UpdateCell");
    return _tuples[tupleIndex][colIndex];
}

std::ostream& operator<<(std::ostream& out, const TTable& table) {
    for (unsigned int c = 0; c < table._width; ++c) {
        for (const TTable::Tuple& tuple : table._tuples) out << std::setw(10) << tuple[c] << ' ';
        out << std::endl;
    }
    return out;
}
