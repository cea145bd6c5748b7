#include "validate/ParentKeys.h"

#include "foundation/CharClass.h"
#include "validate/SameText.h"

void ParentColumns::Need(const std::vector<std::string>& attributes) {
    std::vector<Column*> added;
    for (const std::string& attribute : attributes) {
        if (!_table.IsColumnPresent(attribute) || _columns.count(attribute) > 0) {
            continue;
        }
        Column& column = _columns[attribute];
        column.index = _table.GetColumnIndex(attribute);
        column.ids.reserve(_table.GetNumRows());
        added.push_back(&column);
    }
    if (added.empty()) {
        return;
    }
    std::vector<unsigned int> indices;
    for (const Column* column : added) {
        indices.push_back(column->index);
    }
    RowReader rows(_table, indices);
    RowReader previous(_table);
    for (unsigned int row = 0; row < _table.GetNumRows(); ++row) {
        const std::vector<std::string>& cells = rows.Row(row);
        const std::vector<std::string>* before = row > 0 ? &previous.Row(row - 1) : nullptr;
        for (Column* column : added) {
            const std::string& cell = cells[column->index];
            // Neighbouring rows often share a text (the atoms of a residue):
            // it is neither hashed nor probed.
            if (before != nullptr && SameText((*before)[column->index], cell)) {
                column->ids.push_back(column->ids.back());
            } else {
                column->ids.push_back(_Id(*column, cell, row));
            }
        }
    }
}

unsigned int ParentColumns::_Id(Column& column, const std::string& cell, unsigned int row) {
    const unsigned int id = column.texts.Add(cell, _TextOf(column));
    if (id == column.firstRows.size()) {
        column.firstRows.push_back(row);
    }
    return id;
}

unsigned int ParentKeys::Compared::Find(const std::string& text) const {
    return byText.Find(text, [this](unsigned int id) -> const std::string& { return texts[id]; });
}

unsigned int ParentKeys::Compared::Add(const std::string& text) {
    const unsigned int id =
        byText.Add(text, [this](unsigned int id) -> const std::string& { return texts[id]; });
    if (id == texts.size()) {
        texts.push_back(text);
    }
    return id;
}

ParentKeys::ParentKeys(const ISTable& parent, ParentColumns& columns,
                       const std::vector<std::string>& attributes)
    : _columns(columns) {
    columns.Need(attributes);
    for (const std::string& attribute : attributes) {
        _of.push_back(&columns.Of(attribute));
        _flags.push_back(parent.GetFlags(attribute));
    }
    _foldCase = ColumnKey::KeyCompareType(_flags[0]) == CaseInsensitive;
    _Compare();
    // Every id of one column is some row's key: nothing to gather.
    if (attributes.size() == 1) {
        return;
    }
    _rowColumn = _RowColumn(parent.GetNumRows());
    if (_rowColumn < _Width()) {
        return;
    }
    _Gather(parent.GetNumRows());
}

void ParentKeys::_Compare() {
    _compared.resize(_Width());
    for (std::size_t k = 0; k < _Width(); ++k) {
        if (_AsItIs(k)) {
            continue;
        }
        Compared& compared = _compared[k];
        const std::size_t count = _of[k]->firstRows.size();
        for (unsigned int id = 0; id < count; ++id) {
            compared.ids.push_back(compared.Add(_Component(_columns.Text(*_of[k], id), k)));
        }
    }
}

std::size_t ParentKeys::_RowColumn(unsigned int numRows) const {
    // A column whose rows all compare apart (a serial number) picks the one
    // row a key can be: nothing to gather. Its compared ids are then its
    // ids.
    for (std::size_t k = 0; k < _Width(); ++k) {
        const std::size_t distinct =
            _AsItIs(k) ? _of[k]->firstRows.size() : _compared[k].texts.size();
        if (distinct == numRows) {
            return k;
        }
    }
    return ~std::size_t(0);
}

void ParentKeys::_Gather(unsigned int numRows) {
    const std::size_t width = _Width();
    std::vector<unsigned int> key(width);
    unsigned int kept = 0;
    for (unsigned int row = 0; row < numRows; ++row) {
        bool same = row > 0;
        for (std::size_t k = 0; k < width; ++k) {
            const unsigned int value = _KeyId(k, _of[k]->ids[row]);
            same = same && key[k] == value;
            key[k] = value;
        }
        // Neighbouring rows often share a key (the atoms of a residue). A
        // key not kept yet gets the next number.
        if (!same && _slots.FindOrAdd(_TupleHash(key.data()), _SameAs(key.data()), kept) == kept) {
            _keys.insert(_keys.end(), key.begin(), key.end());
            ++kept;
        }
    }
}

bool ParentKeys::Contains(const std::vector<std::string>& values,
                          const std::vector<std::size_t>& picked) {
    if (!_KeyOf(values, picked)) {
        return false;
    }
    if (_key.size() == 1) {
        return true;
    }
    if (_rowColumn < _key.size()) {
        const unsigned int row = _of[_rowColumn]->firstRows[_key[_rowColumn]];
        for (std::size_t k = 0; k < _key.size(); ++k) {
            if (_KeyId(k, _of[k]->ids[row]) != _key[k]) {
                return false;
            }
        }
        return true;
    }
    return _slots.Find(_TupleHash(_key.data()), _SameAs(_key.data())) != HashSlots::kNone;
}

bool ParentKeys::_KeyOf(const std::vector<std::string>& values,
                        const std::vector<std::size_t>& picked) {
    _key.resize(picked.size());
    for (std::size_t k = 0; k < picked.size(); ++k) {
        const std::string& value = values[picked[k]];
        _key[k] =
            _AsItIs(k) ? _columns.Find(*_of[k], value) : _compared[k].Find(_Component(value, k));
        if (_key[k] == TextIds::kNone) {
            return false;
        }
    }
    return true;
}

const std::string& ParentKeys::_Component(const std::string& value, std::size_t k) {
    if (_AsItIs(k)) {
        return value;
    }
    _scratch.clear();
    ColumnKey::AppendComponent(_scratch, value, _flags[k]);
    if (_foldCase) {
        for (char& c : _scratch) {
            c = CharClass::ToLower(c);
        }
    }
    return _scratch;
}
