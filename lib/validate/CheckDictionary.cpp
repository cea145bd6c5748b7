#include "validate/CheckDictionary.h"

#include <iostream>
#include <map>
#include <set>
#include <streambuf>
#include <vector>

#include "foundation/CifString.h"
#include "foundation/Exceptions.h"
#include "table/ITTable.h"
#include "validate/CifParentChild.h"

namespace {

typedef std::vector<std::string> Names;

// The end of a chain of item rows.
constexpr unsigned int kNoRow = 0xFFFFFFFF;

ISTable& RequiredTable(Block& block, ISTable* table, const std::string& name) {
    if (table == nullptr) {
        throw NotFoundException(
            "Table \"" + name + "\" not found in block \"" + block.GetName() + "\"",
            "CifFile::_CheckCategories");
    }
    return *table;
}

// The plain table with each item's pdbx_ rows in place of its own rows.
std::unique_ptr<ISTable> Overlay(ISTable& plain, ISTable& pdbx) {
    const Names& columns = plain.GetColumnNames();
    const unsigned int plainName = plain.GetColumnIndex(CifString::AttributeName);
    const unsigned int pdbxName = pdbx.GetColumnIndex(CifString::AttributeName);
    // The pdbx_ column of each plain column, or none.
    std::vector<int> pdbxColumns;
    for (const std::string& column : columns) {
        pdbxColumns.push_back(
            pdbx.IsColumnPresent(column) ? static_cast<int>(pdbx.GetColumnIndex(column)) : -1);
    }
    std::map<std::string, std::vector<unsigned int> > pdbxRows;
    for (unsigned int row = 0; row < pdbx.GetNumRows(); ++row) {
        pdbxRows[pdbx(row, pdbxName)].push_back(row);
    }

    auto overlay = std::make_unique<ISTable>(plain.GetName(), plain.GetColCompareType());
    for (const std::string& column : columns) {
        overlay->AddColumn(column, Names());
    }
    // Appends the item's pdbx_ rows, the other columns taken from `fallback`.
    const auto addPdbxRows = [&](const std::vector<unsigned int>& rows, const Names& fallback) {
        for (const unsigned int row : rows) {
            Names cells(fallback);
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (pdbxColumns[c] >= 0) {
                    cells[c] = pdbx(row, static_cast<unsigned int>(pdbxColumns[c]));
                }
            }
            overlay->AddRow(std::move(cells));
        }
    };
    std::set<std::string> placed;
    for (unsigned int row = 0; row < plain.GetNumRows(); ++row) {
        const std::string& name = plain(row, plainName);
        const auto found = pdbxRows.find(name);
        if (found == pdbxRows.end()) {
            overlay->AddRow(plain.GetRow(row));
        } else if (placed.insert(name).second) {
            addPdbxRows(found->second, plain.GetRow(row));
        }
    }
    for (unsigned int row = 0; row < pdbx.GetNumRows(); ++row) {
        const std::string& name = pdbx(row, pdbxName);
        if (placed.insert(name).second) {
            addPdbxRows(pdbxRows[name], Names(columns.size()));
        }
    }
    return overlay;
}

// Passes what is written on to another stream buffer and keeps a copy.
class TeeBuffer : public std::streambuf {
public:
    TeeBuffer(std::streambuf* target, std::string& copy) : _target(target), _copy(copy) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        _copy.push_back(traits_type::to_char_type(c));
        return _target->sputc(traits_type::to_char_type(c));
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        _copy.append(s, static_cast<std::string::size_type>(n));
        return _target->sputn(s, n);
    }

    int sync() override { return _target->pubsync(); }

private:
    std::streambuf* _target;
    std::string& _copy;
};

}  // namespace

CheckDictionary::CheckDictionary(Block& dictBlock) : _block(dictBlock) {}

CheckDictionary::~CheckDictionary() = default;

ISTable* CheckDictionary::_ItemTable(const std::string& name, bool usePdbxItemTables) {
    ISTable* plain = _block.GetTablePtr(name);
    ISTable* pdbx = usePdbxItemTables ? _block.GetTablePtr("pdbx_" + name) : nullptr;
    if (pdbx == nullptr) {
        return plain;
    }
    if (plain == nullptr) {
        return pdbx;
    }
    _overlays.push_back(Overlay(*plain, *pdbx));
    return _overlays.back().get();
}

void CheckDictionary::Prepare(bool usePdbxItemTables) {
    if (_prepared) {
        return;
    }
    _category = &RequiredTable(_block, _block.GetTablePtr(CifString::CategoryCategory),
                               CifString::CategoryCategory);
    _categoryKey = &RequiredTable(_block, _block.GetTablePtr(CifString::CategoryCategoryKey),
                                  CifString::CategoryCategoryKey);
    _item.table = &RequiredTable(_block, _ItemTable(CifString::CategoryItem, usePdbxItemTables),
                                 CifString::CategoryItem);
    _itemType.table = _ItemTable(CifString::CategoryItemType, usePdbxItemTables);
    _itemRange.table = _ItemTable(CifString::CategoryItemRange, usePdbxItemTables);
    _itemEnumeration.table = _ItemTable(CifString::CategoryItemEnumeration, usePdbxItemTables);
    _itemTypeList = _block.GetTablePtr(CifString::CategoryItemTypeList);
    _itemAliases.table = _block.GetTablePtr(CifString::CategoryItemAliases);
    _prepared = true;
}

CifParentChild& CheckDictionary::PrepareRelations() {
    if (_parentChild != nullptr) {
        std::cout << _relationNotices << std::flush;
        return *_parentChild;
    }
    // The notices reach standard output line by line as they are made, and
    // are kept for the later blocks.
    TeeBuffer tee(std::cout.rdbuf(), _relationNotices);
    std::ostream notices(&tee);
    _parentChild = std::make_unique<CifParentChild>(_block, notices);
    return *_parentChild;
}

void CheckDictionary::ItemRows::_Index() const {
    if (table == nullptr) {
        indexed = true;
        return;
    }
    // A missing column fails each time it is asked for.
    nameColumn = table->GetColumnIndex(CifString::AttributeName);
    indexed = true;
    names = TextIds(table->GetNumRows());
    next.assign(table->GetNumRows(), kNoRow);
    // Segment by segment, without locating each row; a row-wise segment's
    // rows are read as they are, and meanwhile each name's first cell by
    // its address.
    std::vector<const std::string*> cells;
    const auto cellOf = [&cells](unsigned int id) -> const std::string& { return *cells[id]; };
    unsigned int row = 0;
    for (unsigned int s = 0; s < table->GetNumSegments(); ++s) {
        const ITTable& segment = table->GetSegment(s);
        const std::vector<ITTable::Row>* rows = segment.IsRowWise() ? &segment.GetRows() : nullptr;
        for (unsigned int r = 0; r < segment.GetNumRows(); ++r, ++row) {
            const std::string& cell =
                rows != nullptr ? (*rows)[r][nameColumn] : segment(r, nameColumn);
            const unsigned int id = names.Add(cell, cellOf);
            if (id == first.size()) {
                cells.push_back(&cell);
                first.push_back(row);
                last.push_back(row);
            } else {
                next[last[id]] = row;
                last[id] = row;
            }
        }
    }
}

template <typename Visit>
void CheckDictionary::ItemRows::ForEach(const std::string& cifItemName, Visit visit) const {
    if (!indexed) {
        _Index();
    }
    if (table == nullptr) {
        return;
    }
    const unsigned int id = names.Find(cifItemName, [this](unsigned int id) -> const std::string& {
        return (*table)(first[id], nameColumn);
    });
    if (id == TextIds::kNone) {
        return;
    }
    for (unsigned int row = first[id]; row != kNoRow; row = next[row]) {
        visit(row);
    }
}

bool CheckDictionary::IsItemDefined(const std::string& category,
                                    const std::string& cifItemName) const {
    bool defined = false;
    _item.ForEach(cifItemName, [&](unsigned int row) {
        defined = defined || (*_item.table)(row, CifString::AttributeCategoryId) == category;
    });
    return defined;
}

const ItemDefinition& CheckDictionary::GetItemDefinition(const std::string& cifItemName) {
    const auto known = _definitions.find(cifItemName);
    if (known != _definitions.end()) {
        return known->second;
    }
    // Gathered apart and kept only when complete: a definition that cannot
    // be read fails again when asked for again.
    ItemDefinition definition;
    // The first row of the item decides its type code.
    bool typed = false;
    _itemType.ForEach(cifItemName, [&](unsigned int row) {
        if (!typed) {
            typed = true;
            definition.typeCode = (*_itemType.table)(row, CifString::AttributeCode);
        }
    });
    if (definition.typeCode.empty()) {
        // Nothing to test; prepared all the same, as every definition handed out is.
        definition.Prepare();
        return _definitions.emplace(cifItemName, std::move(definition)).first->second;
    }
    const auto type = _types.find(definition.typeCode);
    if (type != _types.end()) {
        definition.primitiveCode = type->second.primitiveCode;
        definition.pattern = type->second.pattern;
    } else if (_itemTypeList != nullptr) {
        definition.ReadType(*_itemTypeList, &_patterns);
        _types.emplace(definition.typeCode, ItemType{definition.primitiveCode, definition.pattern});
    }
    _itemRange.ForEach(cifItemName, [&](unsigned int row) {
        definition.hasRanges = true;
        definition.minimums.push_back((*_itemRange.table)(row, "minimum"));
        definition.maximums.push_back((*_itemRange.table)(row, "maximum"));
    });
    _itemEnumeration.ForEach(cifItemName, [&](unsigned int row) {
        definition.hasEnumeration = true;
        definition.enumValues.push_back((*_itemEnumeration.table)(row, "value"));
    });
    definition.Prepare();
    const auto entry = _definitions.emplace(cifItemName, std::move(definition)).first;
    if (_itemAliases.table != nullptr) {
        // The map's key stays where it is: two pointers fit in the function
        // without an allocation.
        const std::string* name = &entry->first;
        entry->second.findAlias = [this, name](std::string& aliasName) {
            bool found = false;
            _itemAliases.ForEach(*name, [&](unsigned int row) {
                if (!found) {
                    found = true;
                    aliasName = (*_itemAliases.table)(row, "alias_name");
                }
            });
            return found;
        };
    }
    return entry->second;
}
