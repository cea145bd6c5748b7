// Link groups for the item_linked pairs that the group tables leave out.

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "foundation/CifString.h"
#include "foundation/Exceptions.h"
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
    // Ids are read as 32-bit integers, so 64 bits hold every successor.
    std::map<std::string, std::int64_t> groupCounters;
    // The child items of the groups, the item_linked rows of each child item
    // and the group ids, gathered in one pass each: a dictionary has thousands
    // of items, and a table search passes over all of the table's segments.
    std::unordered_set<std::string> grouped;
    const unsigned int listChild =
        _groupListTablePtr->GetColumnIndex(CifString::AttributeChildName);
    for (unsigned int row = 0; row < _groupListTablePtr->GetNumRows(); ++row) {
        grouped.insert((*_groupListTablePtr)(row, listChild));
    }
    // The link group ids of each category, read as numbers only for the
    // categories that get new groups. List rows without a group row count
    // too: a new group of their id would take their pairs.
    std::unordered_map<std::string, NameList> groupIds;
    for (ISTable* table : {_groupTablePtr.get(), _groupListTablePtr.get()}) {
        const unsigned int category = table->GetColumnIndex(
            table == _groupTablePtr.get() ? CifString::AttributeCategoryId
                                          : CifString::AttributeChildCategoryId);
        const unsigned int id = table->GetColumnIndex(CifString::AttributeLinkGroupId);
        for (unsigned int row = 0; row < table->GetNumRows(); ++row) {
            groupIds[(*table)(row, category)].push_back((*table)(row, id));
        }
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
                std::int64_t& counter = groupCounters[childCategory];
                counter = counter == 0
                              ? _GetMaxLinkGroupId(childCategory, groupIds[childCategory]) + 1
                              : counter + 1;
                const std::string groupId = std::to_string(counter);
                *_notices << "Info: Creating a new group \"" << groupId
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

// Ids are compared as text elsewhere. Every new id is above each id read
// here, and the maximum starts at 0, so no new id spells an existing one,
// negative ids included.
std::int64_t CifParentChild::_GetMaxLinkGroupId(const std::string& category, const NameList& ids) {
    std::int64_t maxId = 0;
    for (const std::string& id : ids) {
        try {
            maxId = std::max<std::int64_t>(maxId, String::StringToInt(id));
        } catch (const std::runtime_error&) {
            throw InvalidStateException("Link group id \"" + id + "\" of category \"" + category +
                                            "\" is not a 32-bit integer",
                                        "CifParentChild::_GetMaxLinkGroupId");
        }
    }
    return maxId;
}
