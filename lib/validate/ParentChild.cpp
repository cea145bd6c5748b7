#include "validate/ParentChild.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "foundation/CifString.h"
#include "foundation/Exceptions.h"
#include "foundation/String.h"

namespace {

using NameList = ParentChild::NameList;

// True when the item name's category is `category`. Compares in place: the
// relation queries run this for every stored group. An invalid name throws
// as CifString::GetCategoryFromCifItem does.
bool IsInCategory(const std::string& cifItemName, const std::string& category) {
    const std::string::size_type dot = cifItemName.find('.', 1);
    if (cifItemName.empty() || cifItemName[0] != '_' || dot == std::string::npos) {
        std::string unused;
        CifString::GetCategoryFromCifItem(unused, cifItemName);
    }
    return dot - 1 == category.size() && cifItemName.compare(1, dot - 1, category) == 0;
}

std::string CategoryOf(const std::string& cifItemName) {
    std::string category;
    CifString::GetCategoryFromCifItem(category, cifItemName);
    return category;
}

std::unique_ptr<ISTable> MakeTable(const std::string& name,
                                   const std::vector<std::string>& columns) {
    auto table = std::make_unique<ISTable>(name, CaseSensitive);
    for (const std::string& column : columns) {
        table->AddColumn(column, std::vector<std::string>());
    }
    return table;
}

}  // namespace

const std::vector<std::string>& ParentChild::GroupColumns() {
    static const std::vector<std::string> columns{
        CifString::AttributeCategoryId, CifString::AttributeLinkGroupId, CifString::AttributeLabel,
        CifString::AttributeContext, CifString::AttributeConditionId};
    return columns;
}

const std::vector<std::string>& ParentChild::GroupListColumns() {
    static const std::vector<std::string> columns{
        CifString::AttributeChildCategoryId, CifString::AttributeLinkGroupId,
        CifString::AttributeChildName, CifString::AttributeParentName,
        CifString::AttributeParentCategoryId};
    return columns;
}

ParentChild::ParentChild()
    : _notices(&std::cout),
      _groupTablePtr(MakeTable(CifString::CategoryPdbxItemLinkedGroup, GroupColumns())),
      _groupListTablePtr(
          MakeTable(CifString::CategoryPdbxItemLinkedGroupList, GroupListColumns())) {}

ParentChild::~ParentChild() = default;

// A writable list may change at any later time, unseen: from then on the
// queries walk the maps.
ParentChild::NameLists& ParentChild::GetParentKeys(const std::string& parCategory) {
    _mapsLent = true;
    return _parentKeysByCategory[parCategory];
}

std::vector<ParentChild::NameLists>& ParentChild::GetChildKeyGroups(const NameList& parKeys) {
    _mapsLent = true;
    return _childKeysByParentKeys[parKeys];
}

namespace {

// Calls visit(parKeys, group) for every stored child key group that names at
// least one child item, in map order; stops early when visit returns false.
template <typename Visit>
bool ForEachRelationGroup(
    const std::map<std::string, ParentChild::NameLists>& parentKeysByCategory,
    const std::map<NameList, std::vector<ParentChild::NameLists> >& childKeysByParentKeys,
    Visit visit) {
    for (const auto& category : parentKeysByCategory) {
        for (const NameList& parKeys : category.second) {
            const auto found = childKeysByParentKeys.find(parKeys);
            if (found == childKeysByParentKeys.end()) {
                continue;
            }
            for (const ParentChild::NameLists& group : found->second) {
                if (!group.empty() && !group.front().empty() && !visit(parKeys, group)) {
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace

bool ParentChild::_IndexRelations() const {
    using Relations = std::vector<std::pair<const NameList*, const NameList*> >;
    _relationsByChildCategory.clear();
    _relationsIndexed = ForEachRelationGroup(
        _parentKeysByCategory, _childKeysByParentKeys,
        [this](const NameList& parKeys, const NameLists& group) {
            const std::string& first = group.front().front();
            const std::string::size_type dot = first.find('.', 1);
            if (first.empty() || first[0] != '_' || dot == std::string::npos) {
                return false;
            }
            const std::string_view category = std::string_view(first).substr(1, dot - 1);
            auto relations = _relationsByChildCategory.find(category);
            if (relations == _relationsByChildCategory.end()) {
                relations =
                    _relationsByChildCategory.emplace(std::string(category), Relations()).first;
            }
            for (const NameList& childKeys : group) {
                relations->second.emplace_back(&parKeys, &childKeys);
            }
            return true;
        });
    if (!_relationsIndexed) {
        _relationsByChildCategory.clear();
    }
    return _relationsIndexed;
}

void ParentChild::GetCategoryRelations(NameLists& parKeyLists, NameLists& childKeyLists,
                                       const std::string& childCategory) const {
    if (!_mapsLent && (_relationsIndexed || _IndexRelations())) {
        const auto found = _relationsByChildCategory.find(childCategory);
        if (found != _relationsByChildCategory.end()) {
            parKeyLists.reserve(parKeyLists.size() + found->second.size());
            childKeyLists.reserve(childKeyLists.size() + found->second.size());
            for (const auto& relation : found->second) {
                parKeyLists.push_back(*relation.first);
                childKeyLists.push_back(*relation.second);
            }
        }
        return;
    }
    ForEachRelationGroup(_parentKeysByCategory, _childKeysByParentKeys,
                         [&](const NameList& parKeys, const NameLists& group) {
                             if (IsInCategory(group.front().front(), childCategory)) {
                                 for (const NameList& childKeys : group) {
                                     parKeyLists.push_back(parKeys);
                                     childKeyLists.push_back(childKeys);
                                 }
                             }
                             return true;
                         });
}

void ParentChild::GetLinkGroupIdLabel(std::string& label, const NameList& parKeys,
                                      const NameList& childKeys) {
    label.clear();
    const std::string childCategory = CategoryOf(childKeys[0]);
    const std::string parCategory = CategoryOf(parKeys[0]);
    ISTable& list = *_groupListTablePtr;

    static const std::vector<std::string> firstPairColumns{
        CifString::AttributeChildCategoryId, CifString::AttributeChildName,
        CifString::AttributeParentName, CifString::AttributeParentCategoryId};
    std::vector<unsigned int> candidates;
    list.Search(candidates, NameList{childCategory, childKeys[0], parKeys[0], parCategory},
                firstPairColumns, 0, 0, 0, std::string());

    const std::vector<std::string>& pairColumns = GroupListColumns();
    for (const unsigned int candidate : candidates) {
        const std::string groupId = list(candidate, CifString::AttributeLinkGroupId);
        bool holdsAll = true;
        for (NameList::size_type k = 1; k < parKeys.size() && holdsAll; ++k) {
            holdsAll = list.FindFirst(
                           NameList{childCategory, groupId, childKeys[k], parKeys[k], parCategory},
                           pairColumns, std::string()) < list.GetNumRows();
        }
        if (!holdsAll) {
            continue;
        }
        ISTable& groups = *_groupTablePtr;
        const unsigned int row = groups.FindFirst(
            NameList{childCategory, groupId, parCategory},
            NameList{CifString::AttributeCategoryId, CifString::AttributeLinkGroupId,
                     CifString::AttributeParentCategoryId},
            std::string());
        if (row == groups.GetNumRows()) {
            throw std::runtime_error("CRITICAL ERROR IN: ParentChild::GetLinkGroupIdLabel");
        }
        label = groups(row, CifString::AttributeLabel);
        return;
    }
}

bool ParentChild::IsParentKeyOf(const NameList& parKeys, const std::string& childCategory) const {
    const bool stored =
        std::any_of(_parentKeysByCategory.begin(), _parentKeysByCategory.end(),
                    [&parKeys](const std::pair<const std::string, NameLists>& category) {
                        return std::find(category.second.begin(), category.second.end(), parKeys) !=
                               category.second.end();
                    });
    if (!stored) {
        return false;
    }
    const auto found = _childKeysByParentKeys.find(parKeys);
    if (found == _childKeysByParentKeys.end()) {
        return false;
    }
    for (const NameLists& group : found->second) {
        if (!group.empty() && !group.front().empty() &&
            IsInCategory(group.front().front(), childCategory)) {
            return true;
        }
    }
    return false;
}

bool ParentChild::IsParentCifItem(const std::string& cifItemName) const {
    const auto found = _parentKeysByCategory.find(CategoryOf(cifItemName));
    if (found == _parentKeysByCategory.end()) {
        return false;
    }
    for (const NameList& parKeys : found->second) {
        for (const std::string& name : parKeys) {
            if (name == cifItemName) {
                return true;
            }
        }
    }
    return false;
}

void ParentChild::GetKeyGroups(const std::string& parCategory, unsigned int maxKeyGroup,
                               ISTable& keyGroupTable, NameLists& childKeyLists,
                               std::vector<std::string>& parCifItems) {
    // Positions must line up with key group 1's child items.
    parCifItems.clear();
    std::vector<unsigned int> rows;
    keyGroupTable.Search(rows, NameList{"1", parCategory}, NameList{"keyGroup", "parCategory"}, 0,
                         0, 0, std::string());
    NameList firstChildKeys;
    for (const unsigned int row : rows) {
        firstChildKeys.push_back(keyGroupTable(row, "childKeyCifItem"));
        parCifItems.push_back(keyGroupTable(row, "parKeyCifItem"));
    }
    childKeyLists.push_back(firstChildKeys);

    static const std::vector<std::string> columns{"keyGroup", "parKeyCifItem"};
    for (unsigned int group = 2; group <= maxKeyGroup; ++group) {
        const std::string groupText = String::IntToString(static_cast<int>(group));
        NameList childKeys;
        for (NameList::size_type i = 0; i < parCifItems.size(); ++i) {
            const unsigned int row = keyGroupTable.FindFirst(NameList{groupText, parCifItems[i]},
                                                             columns, std::string());
            childKeys.push_back(row < keyGroupTable.GetNumRows()
                                    ? keyGroupTable(row, "childKeyCifItem")
                                    : firstChildKeys[i]);
        }
        childKeyLists.push_back(childKeys);
    }
}

void ParentChild::AppendRowByName(ISTable& table, const std::vector<std::string>& colNames,
                                  const std::vector<std::string>& values) {
    std::vector<std::string> row(table.GetNumColumns());
    for (std::vector<std::string>::size_type i = 0; i < colNames.size(); ++i) {
        row[table.GetColumnIndex(colNames[i])] = values[i];
    }
    table.AddRow(std::move(row));
}

void ParentChild::GetColumnCells(std::vector<const std::string*>& cells, const ISTable& table,
                                 unsigned int column) {
    cells.clear();
    cells.reserve(table.GetNumRows());
    for (unsigned int s = 0; s < table.GetNumSegments(); ++s) {
        const ITTable& segment = table.GetSegment(s);
        if (!segment.IsRowWise()) {
            for (unsigned int row = 0; row < segment.GetNumRows(); ++row) {
                cells.push_back(&segment(row, column));
            }
            continue;
        }
        // Row-wise: the rows themselves, without checking each cell's place.
        for (const ITTable::Row& row : segment.GetRows()) {
            cells.push_back(&row[column]);
        }
    }
}
