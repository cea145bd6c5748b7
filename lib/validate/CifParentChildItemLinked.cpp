// Link groups for the item_linked pairs that the group tables leave out.

#include <algorithm>
#include <iostream>
#include <map>

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
    std::vector<unsigned int> rows;
    for (std::vector<std::string>::size_type i = 0; i < categories.size(); ++i) {
        const std::string& childCategory = categories[i];
        for (const std::string& childItem : cifItemsByCategory[i]) {
            // A child item of any existing group keeps the groups it has.
            if (_groupListTablePtr->FindFirst(NameList{childItem},
                                              NameList{CifString::AttributeChildName},
                                              std::string()) < _groupListTablePtr->GetNumRows()) {
                continue;
            }
            itemLinked.Search(rows, NameList{childItem}, NameList{CifString::AttributeChildName}, 0,
                              0, 0, std::string());
            for (const unsigned int row : rows) {
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
