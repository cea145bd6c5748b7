#include "cif/TableFile.h"

#include <memory>

#include "foundation/Exceptions.h"

TableFile::TableFile(CompareType compareType)
    : _compareType(compareType), _fileMode(VIRTUAL_MODE), _blocks(compareType) {}

TableFile::~TableFile() {
    for (unsigned int slot = 0; slot < _blocks.size(); ++slot) {
        delete _blocks[slot];
    }
}

Block& TableFile::AddBlock(const std::string& blockName) {
    if (blockName.empty()) {
        throw EmptyValueException("Empty block name", "TableFile::AddBlock");
    }
    if (IsBlockPresent(blockName)) {
        throw AlreadyExistsException("Block \"" + blockName + "\" already exists",
                                     "TableFile::AddBlock");
    }
    auto block = std::make_unique<Block>(blockName, _fileMode);
    _blocks.push_back(block.get(), 0);
    return *block.release();
}

bool TableFile::IsBlockPresent(const std::string& blockName) {
    return !blockName.empty() && _blocks.find(blockName).first < _blocks.size();
}

void TableFile::GetBlockNames(std::vector<std::string>& names) {
    names.clear();
    names.reserve(_blocks.size());
    for (unsigned int slot = 0; slot < _blocks.size(); ++slot) {
        names.push_back(_blocks[slot]->GetName());
    }
}

std::string TableFile::GetFirstBlockName() {
    if (_blocks.size() == 0) {
        throw EmptyContainerException("TableFile empty", "TableFile::GetFirstBlockName");
    }
    return _blocks[0]->GetName();
}

Block& TableFile::GetBlock(const std::string& blockName) {
    const unsigned int slot = blockName.empty() ? _blocks.size() : _blocks.find(blockName).first;
    if (slot >= _blocks.size()) {
        throw NotFoundException("Block \"" + blockName + "\" not found", "TableFile::GetBlock");
    }
    return *_blocks[slot];
}
