#include "validate/CifParentChild.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <utility>

#include "foundation/CifString.h"
#include "foundation/Exceptions.h"
#include "foundation/String.h"

namespace {

using NameList = ParentChild::NameList;

// A dictionary may order the group tables' columns otherwise or leave some
// out; rows are always set by column name, so only absent columns matter.
void AddMissingColumns(ISTable& table, const std::vector<std::string>& columns) {
    for (const std::string& column : columns) {
        if (!table.IsColumnPresent(column)) {
            table.AddColumn(column, std::vector<std::string>());
        }
    }
}

ISTable& RequireTable(Block& block, const std::string& name) {
    ISTable* table = block.GetTablePtr(name);
    if (table == nullptr) {
        throw NotFoundException(
            "Table \"" + name + "\" not found in block \"" + block.GetName() + "\"",
            "CifParentChild::_ReadCategoryItems");
    }
    return *table;
}

// Hands a table to the block, which owns it from then on; a refusal leaves
// it to the unique_ptr.
void Give(Block& block, std::unique_ptr<ISTable> table) {
    block.WriteTable(table.get());
    table.release();
}

const char kChildKeyCifItem[] = "childKeyCifItem";
const char kKeyGroup[] = "keyGroup";
const char kParKeyCifItem[] = "parKeyCifItem";
const char kParCategory[] = "parCategory";

}  // namespace

CifParentChild::CifParentChild(Block& dictBlock, std::ostream& notices)
    : _itemLinkedTablePtr(dictBlock.GetTablePtr(CifString::CategoryItemLinked)),
      _dictGroupTablePtr(dictBlock.GetTablePtr(CifString::CategoryPdbxItemLinkedGroup)),
      _dictGroupListTablePtr(dictBlock.GetTablePtr(CifString::CategoryPdbxItemLinkedGroupList)) {
    _notices = &notices;
    if (_dictGroupTablePtr != nullptr && _dictGroupListTablePtr == nullptr) {
        throw EmptyValueException("Empty item linked group list table",
                                  "CifParentChild::CifParentChild");
    }
    if (_dictGroupTablePtr == nullptr && _dictGroupListTablePtr != nullptr) {
        throw EmptyValueException("Empty item linked group table",
                                  "CifParentChild::CifParentChild");
    }
    if (_dictGroupTablePtr != nullptr) {
        *_groupTablePtr = *_dictGroupTablePtr;
        *_groupListTablePtr = *_dictGroupListTablePtr;
        AddMissingColumns(*_groupTablePtr, GroupColumns());
        AddMissingColumns(*_groupListTablePtr, GroupListColumns());
    }
    _InitRelations(dictBlock);
}

CifParentChild::CifParentChild(Block& dictBlock, ISTable* itemLinkedTable)
    : _itemLinkedTablePtr(itemLinkedTable) {
    std::vector<std::string> categories;
    CifItemsByCategory cifItemsByCategory;
    _ReadCategoryItems(dictBlock, categories, cifItemsByCategory);
    _MakeLinkGroups(categories, cifItemsByCategory);
    PrepareGroupTable(*_groupTablePtr, *_groupListTablePtr);
    FillRelationMaps(*_groupTablePtr, *_groupListTablePtr);
}

CifParentChild::~CifParentChild() = default;

void CifParentChild::_InitRelations(Block& dictBlock) {
    std::vector<std::string> categories;
    CifItemsByCategory cifItemsByCategory;
    _ReadCategoryItems(dictBlock, categories, cifItemsByCategory);
    PrepareGroupTable(*_groupTablePtr, *_groupListTablePtr);
    _AddItemLinkedGroups(categories, cifItemsByCategory);
    FillRelationMaps(*_groupTablePtr, *_groupListTablePtr);
}

void CifParentChild::_ReadCategoryItems(Block& dictBlock, std::vector<std::string>& categories,
                                        CifItemsByCategory& cifItemsByCategory) {
    ISTable& categoryTable = RequireTable(dictBlock, CifString::CategoryCategory);
    ISTable& itemTable = RequireTable(dictBlock, CifString::CategoryItem);
    categoryTable.GetColumn(categories, CifString::AttributeId);
    std::sort(categories.begin(), categories.end());

    // One pass over item, not one search per category: a dictionary has
    // hundreds of categories. The items of a category mostly stand together,
    // so the list of the row before usually takes the row.
    std::map<std::string_view, std::vector<const std::string*> > namesByCategory;
    if (!categories.empty()) {
        std::vector<const std::string*> itemCategories;
        std::vector<const std::string*> names;
        GetColumnCells(itemCategories, itemTable,
                       itemTable.GetColumnIndex(CifString::AttributeCategoryId));
        GetColumnCells(names, itemTable, itemTable.GetColumnIndex(CifString::AttributeName));
        std::vector<const std::string*>* rowNames = nullptr;
        const std::string* rowCategory = nullptr;
        for (std::size_t row = 0; row < names.size(); ++row) {
            if (rowNames == nullptr || *itemCategories[row] != *rowCategory) {
                rowCategory = itemCategories[row];
                rowNames = &namesByCategory[*rowCategory];
            }
            rowNames->push_back(names[row]);
        }
    }
    // The categories are sorted: a repeated one is copied, the last of a run
    // takes its names.
    cifItemsByCategory.clear();
    cifItemsByCategory.reserve(categories.size());
    for (std::size_t i = 0; i < categories.size(); ++i) {
        const auto found = namesByCategory.find(categories[i]);
        if (found == namesByCategory.end()) {
            cifItemsByCategory.emplace_back();
        } else if (i + 1 < categories.size() && categories[i + 1] == categories[i]) {
            cifItemsByCategory.push_back(found->second);
        } else {
            cifItemsByCategory.push_back(std::move(found->second));
        }
    }
}

void CifParentChild::GetParentCifItems(std::vector<std::string>& parCifItems,
                                       const std::string& cifItemName) {
    parCifItems.clear();
    if (_itemLinkedTablePtr == nullptr) {
        return;
    }
    std::vector<unsigned int> rows;
    _itemLinkedTablePtr->Search(rows, NameList{cifItemName},
                                NameList{CifString::AttributeChildName}, 0, 0, 0, std::string());
    for (const unsigned int row : rows) {
        parCifItems.push_back((*_itemLinkedTablePtr)(row, CifString::AttributeParentName));
    }
}

void CifParentChild::WriteGroupTables(Block& block) {
    auto groups = std::make_unique<ISTable>(CaseSensitive);
    *groups = *_groupTablePtr;
    auto pairs = std::make_unique<ISTable>(CaseSensitive);
    *pairs = *_groupListTablePtr;
    groups->DeleteColumn(CifString::AttributeParentCategoryId);
    if (groups->GetNumRows() > 0) {
        Give(block, std::move(groups));
    }
    if (pairs->GetNumRows() > 0) {
        Give(block, std::move(pairs));
    }
}

void CifParentChild::_MakeLinkGroups(const std::vector<std::string>& categories,
                                     const CifItemsByCategory& cifItemsByCategory) {
    const NameList& groupColumns = GroupColumns();
    const NameList& listColumns = GroupListColumns();
    std::vector<unsigned int> rows;
    for (std::vector<std::string>::size_type i = 0; i < categories.size(); ++i) {
        const std::string& childCategory = categories[i];
        std::map<std::string, unsigned int> maxKeyGroupByParCategory;
        const std::unique_ptr<ISTable> keyGroups =
            _MakeKeyGroupTable(cifItemsByCategory[i], maxKeyGroupByParCategory);
        // Link groups are numbered per child category across its parents.
        int groupNumber = 1;
        for (const auto& parent : maxKeyGroupByParCategory) {
            const std::string& parCategory = parent.first;
            for (unsigned int keyGroup = 1; keyGroup <= parent.second; ++keyGroup) {
                const std::string groupId = String::IntToString(groupNumber);
                AppendRowByName(
                    *_groupTablePtr, groupColumns,
                    NameList{childCategory, groupId,
                             childCategory + ":" + parCategory + ":" + groupId, ".", "."});
                keyGroups->Search(
                    rows, NameList{String::IntToString(static_cast<int>(keyGroup)), parCategory},
                    NameList{kKeyGroup, kParCategory}, 0, 0, 0, std::string());
                for (const unsigned int row : rows) {
                    AppendRowByName(
                        *_groupListTablePtr, listColumns,
                        NameList{childCategory, groupId, (*keyGroups)(row, kChildKeyCifItem),
                                 (*keyGroups)(row, kParKeyCifItem), parCategory});
                }
                ++groupNumber;
            }
        }
    }
}

void CifParentChild::_FillKeyGroupTable(
    ISTable& keyGroupTable, const std::vector<const std::string*>& childCifItems,
    std::map<std::string, unsigned int>& maxKeyGroupByParCategory) {
    std::vector<std::string> parents;
    std::vector<unsigned int> rows;
    for (const std::string* childCifItem : childCifItems) {
        const std::string& child = *childCifItem;
        GetParentCifItems(parents, child);
        std::sort(parents.begin(), parents.end());
        for (const std::string& parent : parents) {
            std::string parCategory;
            CifString::GetCategoryFromCifItem(parCategory, parent);
            // The n-th child of one parent item joins key group n, so children
            // of different parent items with one number form a composite key.
            keyGroupTable.Search(rows, NameList{parent}, NameList{kParKeyCifItem}, 0, 0, 0,
                                 std::string());
            const int keyGroup =
                rows.empty() ? 1 : String::StringToInt(keyGroupTable(rows.back(), kKeyGroup)) + 1;
            unsigned int& maxKeyGroup = maxKeyGroupByParCategory[parCategory];
            maxKeyGroup = std::max(maxKeyGroup, static_cast<unsigned int>(keyGroup));
            keyGroupTable.AddRow(
                NameList{child, String::IntToString(keyGroup), parent, parCategory});
        }
    }
}

std::unique_ptr<ISTable> CifParentChild::_MakeKeyGroupTable(
    const std::vector<const std::string*>& childCifItems,
    std::map<std::string, unsigned int>& maxKeyGroupByParCategory) {
    auto keyGroupTable = std::make_unique<ISTable>(CaseSensitive);
    for (const char* column : {kChildKeyCifItem, kKeyGroup, kParKeyCifItem, kParCategory}) {
        keyGroupTable->AddColumn(column, std::vector<std::string>());
    }
    _FillKeyGroupTable(*keyGroupTable, childCifItems, maxKeyGroupByParCategory);
    return keyGroupTable;
}
