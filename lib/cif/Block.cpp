#include "cif/Block.h"

#include "foundation/Exceptions.h"

Block::Block(const std::string& name, FileMode fileMode)
    : _name(name), _fileMode(fileMode), _tables(CaseSensitive) {}

Block::~Block() {
    for (unsigned int slot = 0; slot < _tables.size(); ++slot) {
        delete _tables[slot];
    }
}

void Block::GetTableNames(std::vector<std::string>& names) {
    names.clear();
    names.reserve(_tables.size());
    for (unsigned int slot = 0; slot < _tables.size(); ++slot) {
        names.push_back(_tables[slot]->GetName());
    }
}

bool Block::IsTablePresent(const std::string& name) {
    return !name.empty() && _tables.find(name).first < _tables.size();
}

ISTable* Block::GetTablePtr(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    const unsigned int slot = _tables.find(name).first;
    return slot < _tables.size() ? _tables[slot] : nullptr;
}

void Block::WriteTable(ISTable* table) {
    if (table == nullptr) {
        throw EmptyValueException("NULL ISTable pointer", "Block::WriteTable");
    }
    if (_fileMode == READ_MODE) {
        throw FileModeException("Write table in read-only block", "Block::WriteTable");
    }
    _AddTable(table);
    table->SetModified(true);
}

void Block::_AddTable(ISTable* table) {
    const std::string& name = table->GetName();
    if (name.empty()) {
        throw EmptyValueException("Empty table name", "Block::AddTable");
    }
    const unsigned int slot = _tables.find(name).first;
    if (slot >= _tables.size()) {
        _tables.push_back(table, 0);
        return;
    }
    ISTable* const old = _tables[slot];
    if (old == table) {
        return;
    }
    _tables.set(table);
    delete old;
}
