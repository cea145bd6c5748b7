// Relation building: from the two link-group tables to the relation maps.

#include <algorithm>
#include <iostream>

#include "foundation/CifString.h"
#include "validate/ParentChild.h"

namespace {

using NameList = ParentChild::NameList;

template <typename List, typename Element>
bool Contains(const List& list, const Element& element) {
    return std::find(list.begin(), list.end(), element) != list.end();
}

}  // namespace

void ParentChild::PrepareGroupTable(ISTable& groupTable, ISTable& groupListTable) {
    const NameList listColumns{CifString::AttributeChildCategoryId,
                               CifString::AttributeLinkGroupId};
    std::vector<unsigned int> dropped;
    std::vector<std::string> parCategories;
    for (unsigned int row = 0; row < groupTable.GetNumRows(); ++row) {
        const std::string& category = groupTable(row, CifString::AttributeCategoryId);
        const std::string& groupId = groupTable(row, CifString::AttributeLinkGroupId);
        const unsigned int first =
            groupListTable.FindFirst(NameList{category, groupId}, listColumns, std::string());
        if (first == groupListTable.GetNumRows()) {
            std::cout << "Warning: Link group \"" << groupId << "\" of category \"" << category
                      << "\" not found in table \"" << groupListTable.GetName()
                      << "\" and this entry will be ignored." << std::endl;
            dropped.push_back(row);
        } else {
            parCategories.push_back(groupListTable(first, CifString::AttributeParentCategoryId));
        }
    }
    groupTable.DeleteRows(dropped);
    groupTable.AddColumn(CifString::AttributeParentCategoryId, parCategories);
}

void ParentChild::FillRelationMaps(ISTable& groupTable, ISTable& groupListTable) {
    const NameList groupColumns{CifString::AttributeCategoryId, CifString::AttributeLinkGroupId,
                                CifString::AttributeParentCategoryId};
    const NameList listColumns{CifString::AttributeChildCategoryId, CifString::AttributeLinkGroupId,
                               CifString::AttributeParentCategoryId};
    std::vector<unsigned int> rows;
    for (unsigned int row = 0; row < groupTable.GetNumRows(); ++row) {
        NameList group;
        for (const std::string& column : groupColumns) {
            group.push_back(groupTable(row, column));
        }
        groupListTable.Search(rows, group, listColumns, 0, 0, 0, std::string());
        NameList parKeys;
        for (const unsigned int listRow : rows) {
            parKeys.push_back(groupListTable(listRow, CifString::AttributeParentName));
        }
        if (parKeys.empty()) {
            continue;
        }
        ChildKeysByCategory childKeysByCategory;
        CollectChildKeys(childKeysByCategory, parKeys, groupListTable);
        AddParentKeys(group[2], parKeys);
        for (const auto& childKeys : childKeysByCategory) {
            AddRelation(parKeys, childKeys.second);
        }
    }
}

void ParentChild::AddParentKeys(const std::string& parCategory, const NameList& parKeys) {
    if (parCategory.empty() || parKeys.empty()) {
        return;
    }
    NameLists& stored = _parentKeysByCategory[parCategory];
    if (!Contains(stored, parKeys)) {
        stored.push_back(parKeys);
        _relationsIndexed = false;
    }
}

void ParentChild::CollectChildKeys(ChildKeysByCategory& childKeysByCategory,
                                   const NameList& parKeys, ISTable& groupListTable) {
    std::string parCategory;
    CifString::GetCategoryFromCifItem(parCategory, parKeys[0]);

    std::vector<unsigned int> candidates;
    groupListTable.Search(candidates, NameList{parKeys[0]},
                          NameList{CifString::AttributeParentName}, 0, 0, 0, std::string());
    const NameList partnerColumns{CifString::AttributeParentCategoryId,
                                  CifString::AttributeLinkGroupId,
                                  CifString::AttributeChildCategoryId};
    std::vector<unsigned int> partners;
    for (const unsigned int candidate : candidates) {
        const std::string childCategory =
            groupListTable(candidate, CifString::AttributeChildCategoryId);
        groupListTable.Search(
            partners,
            NameList{parCategory, groupListTable(candidate, CifString::AttributeLinkGroupId),
                     childCategory},
            partnerColumns, 0, 0, 0, std::string());
        NameList partnerParents;
        for (const unsigned int row : partners) {
            partnerParents.push_back(groupListTable(row, CifString::AttributeParentName));
        }
        if (!IsSameKeySet(parKeys, partnerParents)) {
            continue;
        }
        // A parent name repeated in the key takes, at its k-th occurrence, the
        // child of the partner's k-th row with that parent name.
        NameList childKeys;
        for (NameList::size_type j = 0; j < parKeys.size(); ++j) {
            const auto earlier = std::count(parKeys.begin(), parKeys.begin() + j, parKeys[j]);
            auto seen = earlier;
            for (NameList::size_type b = 0; b < partners.size(); ++b) {
                if (partnerParents[b] == parKeys[j] && seen-- == 0) {
                    childKeys.push_back(groupListTable(partners[b], CifString::AttributeChildName));
                    break;
                }
            }
        }
        AddChildKeys(childKeysByCategory, childCategory, childKeys);
    }
}

bool ParentChild::IsSameKeySet(const NameList& a, const NameList& b) {
    if (a.size() != b.size()) {
        return false;
    }
    NameList sortedA(a);
    NameList sortedB(b);
    std::sort(sortedA.begin(), sortedA.end());
    std::sort(sortedB.begin(), sortedB.end());
    return sortedA == sortedB;
}

void ParentChild::AddChildKeys(ChildKeysByCategory& childKeysByCategory,
                               const std::string& childCategory, const NameList& childKeys) {
    NameLists& stored = childKeysByCategory[childCategory];
    if (!Contains(stored, childKeys)) {
        stored.push_back(childKeys);
    }
}

void ParentChild::AddRelation(const NameList& parKeys, const NameLists& childKeyGroup) {
    if (parKeys.empty() || childKeyGroup.empty()) {
        return;
    }
    std::vector<NameLists>& stored = _childKeysByParentKeys[parKeys];
    if (!Contains(stored, childKeyGroup)) {
        stored.push_back(childKeyGroup);
        _relationsIndexed = false;
    }
}
