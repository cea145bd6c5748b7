// Link groups for the item_linked pairs that the group tables leave out.

#include <algorithm>
#include <iostream>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "foundation/CifString.h"
#include "foundation/String.h"
#include "validate/CifParentChild.h"

void CifParentChild::_AddItemLinkedGroups(const std::vector<std::string>& categories,
                                          const CifItemsByCategory& cifItemsByCategory) {
    if (_itemLinkedTablePtr == nullptr || categories.empty()) {
        return;
    }
    ISTable& itemLinked = *_itemLinkedTablePtr;
    // Relation building has already given the group table its last column.
    NameList groupColumns = GroupColumns();
    groupColumns.push_back(CifString::AttributeParentCategoryId);
    const NameList& listColumns = GroupListColumns();
    // Last group number given per child category; 0 until its first new group.
    std::map<std::string, int> groupCounters;
    // The child items of the groups, and the item_linked rows of each child
    // item, gathered in one pass each: a dictionary has thousands of items.
    std::unordered_set<std::string> grouped;
    const unsigned int listChild =
        _groupListTablePtr->GetColumnIndex(CifString::AttributeChildName);
    for (unsigned int row = 0; row < _groupListTablePtr->GetNumRows(); ++row) {
        grouped.insert((*_groupListTablePtr)(row, listChild));
    }
    std::unordered_map<std::string, std::vector<unsigned int> > linkedRows;
    const unsigned int linkedChild = itemLinked.GetColumnIndex(CifString::AttributeChildName);
    for (unsigned int row = 0; row < itemLinked.GetNumRows(); ++row) {
        linkedRows[itemLinked(row, linkedChild)].push_back(row);
    }
    for (std::vector<std::string>::size_type i = 0; i < categories.size(); ++i) {
        const std::string& childCategory = categories[i];
        for (const std::string& childItem : cifItemsByCategory[i]) {
            // A child item of any existing group keeps the groups it has.
            const auto rows = linkedRows.find(childItem);
            if (grouped.count(childItem) != 0 || rows == linkedRows.end()) {
                continue;
            }
            grouped.insert(childItem);
            for (const unsigned int row : rows->second) {
                const std::string parentItem = itemLinked(row, CifString::AttributeParentName);
                std::string parCategory;
                CifString::GetCategoryFromCifItem(parCategory, parentItem);
                int& counter = groupCounters[childCategory];
                counter = counter == 0 ? static_cast<int>(_GetMaxLinkGroupId(childCategory) + 1)
                                       : counter + 1;
                const std::string groupId = String::IntToString(counter);
                std::cout << "Info: Creating a new group \"" << groupId
                          << "\" for child category \"" << childCategory << "\" for child item \""
                          << childItem << "\" and parent item \"" << parentItem
                          << "\", from \"item_linked\" table, as these are not defined in group "
                             "tables."
                          << std::endl;
                AppendRowByName(*_groupTablePtr, groupColumns,
                                NameList{childCategory, groupId,
                                         childCategory + ":" + parCategory + ":" + groupId, ".",
                                         ".", parCategory});
                AppendRowByName(
                    *_groupListTablePtr, listColumns,
                    NameList{childCategory, groupId, childItem, parentItem, parCategory});
            }
        }
    }
}

unsigned int CifParentChild::_GetMaxLinkGroupId(const std::string& category) {
    std::vector<unsigned int> rows;
    _groupTablePtr->Search(rows, NameList{category}, NameList{CifString::AttributeCategoryId}, 0, 0,
                           0, std::string());
    unsigned int maxId = 0;
    for (const unsigned int row : rows) {
        const unsigned int id = static_cast<unsigned int>(
            String::StringToInt((*_groupTablePtr)(row, CifString::AttributeLinkGroupId)));
        maxId = std::max(maxId, id);
    }
    return maxId;
}
