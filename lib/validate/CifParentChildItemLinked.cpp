// Link groups for the item_linked pairs that the group tables leave out.

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <stdexcept>

#include "foundation/CifString.h"
#include "foundation/Exceptions.h"
#include "foundation/String.h"
#include "validate/CifParentChild.h"
#include "validate/TextIds.h"

namespace {

constexpr unsigned int kNoRow = 0xFFFFFFFF;

// The item_linked rows of one child item, chained in row order.
struct LinkedRows {
    unsigned int first;
    unsigned int last;
    bool taken;
};

}  // namespace

void CifParentChild::_AddItemLinkedGroups(const std::vector<std::string>& categories,
                                          const CifItemsByCategory& cifItemsByCategory) {
    if (_itemLinkedTablePtr == nullptr || categories.empty()) {
        return;
    }
    ISTable& itemLinked = *_itemLinkedTablePtr;
    // The item_linked rows of the child items in no group, gathered in one
    // pass over each table before the tables grow: a dictionary has
    // thousands of items, and a table search passes over all of the table's
    // segments.
    std::vector<const std::string*> cells;
    GetColumnCells(cells, *_groupListTablePtr,
                   _groupListTablePtr->GetColumnIndex(CifString::AttributeChildName));
    CellIds grouped(cells.size());
    for (const std::string* childItem : cells) {
        grouped.Add(*childItem);
    }
    GetColumnCells(cells, itemLinked, itemLinked.GetColumnIndex(CifString::AttributeChildName));
    CellIds ungrouped;
    std::vector<LinkedRows> linked;
    std::vector<unsigned int> next(cells.size(), kNoRow);
    for (unsigned int row = 0; row < cells.size(); ++row) {
        if (grouped.Find(*cells[row]) != CellIds::kNone) {
            continue;
        }
        const unsigned int id = ungrouped.Add(*cells[row]);
        if (id == linked.size()) {
            linked.push_back(LinkedRows{row, row, false});
        } else {
            next[linked[id].last] = row;
            linked[id].last = row;
        }
    }
    if (linked.empty()) {
        return;
    }
    // The child items that get groups, in category order; an item listed
    // again keeps the groups it has.
    struct Pending {
        unsigned int category;
        const std::string* childItem;
        unsigned int firstRow;
    };
    std::vector<Pending> pending;
    // The categories that get new groups.
    CellIds groupCategories;
    for (std::vector<std::string>::size_type i = 0; i < categories.size(); ++i) {
        for (const std::string* childItem : cifItemsByCategory[i]) {
            const unsigned int id = ungrouped.Find(*childItem);
            if (id != CellIds::kNone && !linked[id].taken) {
                linked[id].taken = true;
                pending.push_back(
                    Pending{groupCategories.Add(categories[i]), childItem, linked[id].first});
            }
        }
    }
    // The link group ids of each category that gets new groups, read as
    // numbers when its first new group is made. List rows without a group
    // row count too: a new group of their id would take their pairs.
    std::vector<NameList> groupIds(groupCategories.Count());
    std::vector<const std::string*> ids;
    for (ISTable* table : {_groupTablePtr.get(), _groupListTablePtr.get()}) {
        GetColumnCells(cells, *table,
                       table->GetColumnIndex(table == _groupTablePtr.get()
                                                 ? CifString::AttributeCategoryId
                                                 : CifString::AttributeChildCategoryId));
        GetColumnCells(ids, *table, table->GetColumnIndex(CifString::AttributeLinkGroupId));
        for (std::size_t row = 0; row < cells.size(); ++row) {
            const unsigned int category = groupCategories.Find(*cells[row]);
            if (category != CellIds::kNone) {
                groupIds[category].push_back(*ids[row]);
            }
        }
    }

    // Relation building has already given the group table its last column.
    NameList groupColumns = GroupColumns();
    groupColumns.push_back(CifString::AttributeParentCategoryId);
    const NameList& listColumns = GroupListColumns();
    // Last group number given per child category; 0 until its first new group.
    // Ids are read as 32-bit integers, so 64 bits hold every successor.
    std::vector<std::int64_t> groupCounters(groupCategories.Count());
    for (const Pending& item : pending) {
        const std::string& childCategory = groupCategories.Text(item.category);
        const std::string& childItem = *item.childItem;
        for (unsigned int row = item.firstRow; row != kNoRow; row = next[row]) {
            const std::string parentItem = itemLinked(row, CifString::AttributeParentName);
            std::string parCategory;
            CifString::GetCategoryFromCifItem(parCategory, parentItem);
            std::int64_t& counter = groupCounters[item.category];
            counter = counter == 0 ? _GetMaxLinkGroupId(childCategory, groupIds[item.category]) + 1
                                   : counter + 1;
            const std::string groupId = std::to_string(counter);
            *_notices << "Info: Creating a new group \"" << groupId << "\" for child category \""
                      << childCategory << "\" for child item \"" << childItem
                      << "\" and parent item \"" << parentItem
                      << "\", from \"item_linked\" table, as these are not defined in group "
                         "tables."
                      << std::endl;
            AppendRowByName(
                *_groupTablePtr, groupColumns,
                NameList{childCategory, groupId, childCategory + ":" + parCategory + ":" + groupId,
                         ".", ".", parCategory});
            AppendRowByName(*_groupListTablePtr, listColumns,
                            NameList{childCategory, groupId, childItem, parentItem, parCategory});
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
