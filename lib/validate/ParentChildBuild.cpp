// Relation building: from the two link-group tables to the relation maps.

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

#include "foundation/CifString.h"
#include "validate/ParentChild.h"

namespace {

using NameList = ParentChild::NameList;

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
            *_notices << "Warning: Link group \"" << groupId << "\" of category \"" << category
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

// The rows of the group list table by parent name and by group (child
// category, link group id, parent category), in ascending order, gathered in
// one pass: relation building asks for them once per group and per partner,
// hundreds of times over the real dictionary.
struct ParentChild::GroupListRows {
    explicit GroupListRows(ISTable& list) {
        const unsigned int child = list.GetColumnIndex(CifString::AttributeChildCategoryId);
        const unsigned int group = list.GetColumnIndex(CifString::AttributeLinkGroupId);
        const unsigned int parentName = list.GetColumnIndex(CifString::AttributeParentName);
        const unsigned int parent = list.GetColumnIndex(CifString::AttributeParentCategoryId);
        for (unsigned int row = 0; row < list.GetNumRows(); ++row) {
            byParentName[list(row, parentName)].push_back(row);
            byGroup[Key(list(row, child), list(row, group), list(row, parent))].push_back(row);
        }
    }

    static std::string Key(const std::string& childCategory, const std::string& groupId,
                           const std::string& parCategory) {
        return childCategory + '\0' + groupId + '\0' + parCategory;
    }

    const std::vector<unsigned int>& Rows(
        const std::unordered_map<std::string, std::vector<unsigned int> >& rows,
        const std::string& key) const {
        static const std::vector<unsigned int> none;
        const auto found = rows.find(key);
        return found == rows.end() ? none : found->second;
    }

    std::unordered_map<std::string, std::vector<unsigned int> > byParentName;
    std::unordered_map<std::string, std::vector<unsigned int> > byGroup;
};

void ParentChild::FillRelationMaps(ISTable& groupTable, ISTable& groupListTable) {
    const GroupListRows listRows(groupListTable);
    const unsigned int parentName = groupListTable.GetColumnIndex(CifString::AttributeParentName);
    // A later group with an earlier group's parent category and parent key
    // list would add nothing: the maps depend on those two alone. The maps
    // start empty, so these sets tell in one lookup what is stored already;
    // a search of the stored lists would make the building quadratic.
    std::set<std::pair<std::string, NameList> > done;
    std::set<std::pair<NameList, NameLists> > related;
    _relationsIndexed = false;
    for (unsigned int row = 0; row < groupTable.GetNumRows(); ++row) {
        const std::string& parCategory = groupTable(row, CifString::AttributeParentCategoryId);
        const std::vector<unsigned int>& rows = listRows.Rows(
            listRows.byGroup,
            GroupListRows::Key(groupTable(row, CifString::AttributeCategoryId),
                               groupTable(row, CifString::AttributeLinkGroupId), parCategory));
        NameList parKeys;
        for (const unsigned int listRow : rows) {
            parKeys.push_back(groupListTable(listRow, parentName));
        }
        if (parKeys.empty() || !done.emplace(parCategory, parKeys).second) {
            continue;
        }
        ChildKeysByCategory childKeysByCategory;
        _CollectChildKeys(childKeysByCategory, parKeys, groupListTable, listRows);
        if (!parCategory.empty()) {
            _parentKeysByCategory[parCategory].push_back(parKeys);
        }
        // One parent key list may come back under another parent category.
        for (const auto& childKeys : childKeysByCategory) {
            if (related.emplace(parKeys, childKeys.second).second) {
                _childKeysByParentKeys[parKeys].push_back(childKeys.second);
            }
        }
    }
}

void ParentChild::CollectChildKeys(ChildKeysByCategory& childKeysByCategory,
                                   const NameList& parKeys, ISTable& groupListTable) {
    _CollectChildKeys(childKeysByCategory, parKeys, groupListTable, GroupListRows(groupListTable));
}

void ParentChild::_CollectChildKeys(ChildKeysByCategory& childKeysByCategory,
                                    const NameList& parKeys, ISTable& groupListTable,
                                    const GroupListRows& listRows) {
    std::string parCategory;
    CifString::GetCategoryFromCifItem(parCategory, parKeys[0]);
    const unsigned int childCategoryColumn =
        groupListTable.GetColumnIndex(CifString::AttributeChildCategoryId);
    const unsigned int groupColumn = groupListTable.GetColumnIndex(CifString::AttributeLinkGroupId);
    const unsigned int childNameColumn =
        groupListTable.GetColumnIndex(CifString::AttributeChildName);
    const unsigned int parentNameColumn =
        groupListTable.GetColumnIndex(CifString::AttributeParentName);
    // The lists already there, so that each new one is tested in one lookup.
    std::set<std::pair<std::string, NameList> > stored;
    for (const auto& category : childKeysByCategory) {
        for (const NameList& childKeys : category.second) {
            stored.emplace(category.first, childKeys);
        }
    }

    for (const unsigned int candidate : listRows.Rows(listRows.byParentName, parKeys[0])) {
        const std::string& childCategory = groupListTable(candidate, childCategoryColumn);
        const std::vector<unsigned int>& partners = listRows.Rows(
            listRows.byGroup,
            GroupListRows::Key(childCategory, groupListTable(candidate, groupColumn), parCategory));
        NameList partnerParents;
        for (const unsigned int row : partners) {
            partnerParents.push_back(groupListTable(row, parentNameColumn));
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
                    childKeys.push_back(groupListTable(partners[b], childNameColumn));
                    break;
                }
            }
        }
        if (stored.emplace(childCategory, childKeys).second) {
            childKeysByCategory[childCategory].push_back(std::move(childKeys));
        }
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
