// Relation building: from the two link-group tables to the relation maps.

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "foundation/CifString.h"
#include "table/ColumnFlags.h"
#include "validate/ParentChild.h"
#include "validate/TextIds.h"

namespace {

using NameList = ParentChild::NameList;
using Id = std::uint32_t;
constexpr Id kNoId = CellIds::kNone;

// True when a search compares the column's cells byte for byte.
bool ComparesBytes(const ISTable& table, const std::string& column) {
    const ColumnFlags flags = table.GetFlags(column);
    return flags == COLUMN_TYPE_TEXT ||
           ColumnKey::DataType(flags) == ColumnKey::DataType(COLUMN_TYPE_VERBATIM);
}

}  // namespace

void ParentChild::PrepareGroupTable(ISTable& groupTable, ISTable& groupListTable) {
    const NameList listColumns{CifString::AttributeChildCategoryId,
                               CifString::AttributeLinkGroupId};
    std::vector<const std::string*> categories;
    std::vector<const std::string*> groupIds;
    GetColumnCells(categories, groupTable,
                   groupTable.GetColumnIndex(CifString::AttributeCategoryId));
    GetColumnCells(groupIds, groupTable,
                   groupTable.GetColumnIndex(CifString::AttributeLinkGroupId));
    // The first list row of each group, found among the list rows sorted
    // once rather than by a search per group row; a search that does not
    // compare bytes (column flags) is left to the table.
    const bool byBytes = ComparesBytes(groupListTable, listColumns[0]) &&
                         ComparesBytes(groupListTable, listColumns[1]);
    const unsigned int numListRows = groupListTable.GetNumRows();
    std::vector<const std::string*> listCategories;
    std::vector<const std::string*> listGroupIds;
    std::vector<unsigned int> byGroup;
    const auto compare = [&](unsigned int row, const std::string& category,
                             const std::string& groupId) {
        const int c = listCategories[row]->compare(category);
        return c != 0 ? c : listGroupIds[row]->compare(groupId);
    };
    if (byBytes) {
        GetColumnCells(listCategories, groupListTable,
                       groupListTable.GetColumnIndex(listColumns[0]));
        GetColumnCells(listGroupIds, groupListTable, groupListTable.GetColumnIndex(listColumns[1]));
        byGroup.resize(numListRows);
        std::iota(byGroup.begin(), byGroup.end(), 0u);
        std::sort(byGroup.begin(), byGroup.end(), [&](unsigned int a, unsigned int b) {
            const int c = compare(a, *listCategories[b], *listGroupIds[b]);
            return c != 0 ? c < 0 : a < b;
        });
    }
    const unsigned int parentColumn =
        groupListTable.GetColumnIndex(CifString::AttributeParentCategoryId);

    std::vector<unsigned int> dropped;
    std::vector<std::string> parCategories;
    for (unsigned int row = 0; row < groupTable.GetNumRows(); ++row) {
        const std::string& category = *categories[row];
        const std::string& groupId = *groupIds[row];
        unsigned int first = numListRows;
        if (!byBytes) {
            first =
                groupListTable.FindFirst(NameList{category, groupId}, listColumns, std::string());
        } else {
            const auto found = std::lower_bound(
                byGroup.begin(), byGroup.end(), 0,
                [&](unsigned int listRow, int) { return compare(listRow, category, groupId) < 0; });
            if (found != byGroup.end() && compare(*found, category, groupId) == 0) {
                first = *found;
            }
        }
        if (first == numListRows) {
            *_notices << "Warning: Link group \"" << groupId << "\" of category \"" << category
                      << "\" not found in table \"" << groupListTable.GetName()
                      << "\" and this entry will be ignored." << std::endl;
            dropped.push_back(row);
        } else {
            parCategories.push_back(groupListTable(first, parentColumn));
        }
    }
    groupTable.DeleteRows(dropped);
    groupTable.AddColumn(CifString::AttributeParentCategoryId, parCategories);
}

// The groups of the list table, each a key (child category, link group id,
// parent category) with its rows in ascending order, and for each parent
// key list the groups that give it child keys, in the order in which a walk
// over the rows of the list's first parent name meets them. Texts are
// numbered, so that groups and name sets compare as numbers; made with a few
// sorts, so that it costs n log n in the rows however names repeat. Holds
// views of the table's cells: the table must not change while it is in use.
struct ParentChild::GroupListIndex {
    struct Group {
        Id childCategory, linkGroup, parCategory;
        // Its rows: rows[begin, end) ascending, and byName[begin, end) as
        // (parent name, row) ascending.
        unsigned int begin, end;
        // Groups of one parent category whose parent names are the same,
        // repeats counted, share a key set.
        unsigned int keySet;
        // Groups whose parent names are the same in the same order share a
        // key list.
        unsigned int keyList;
    };
    // A group of a key set, for a parent key list whose first name is
    // firstName: it is met at `position`, the first row of its child
    // category and link group id (of any parent category) with that parent
    // name.
    struct Candidate {
        unsigned int keySet;
        Id firstName;
        unsigned int position;
        unsigned int group;
    };

    explicit GroupListIndex(const ISTable& list);

    // Null when no list row has the key.
    const Group* Find(const std::string& childCategory, const std::string& linkGroup,
                      const std::string& parCategory) const;
    // The key set of the parent category and the names (ascending); kNoId
    // when there is none.
    unsigned int FindKeySet(Id parCategory,
                            const std::vector<std::pair<Id, unsigned int> >& names) const;

    // Cells by row.
    std::vector<const std::string*> childCategories;
    std::vector<const std::string*> childNames;
    std::vector<const std::string*> parentNames;
    // The numbers of the texts of the cells above.
    CellIds ids;
    // By (child category, link group id, parent category).
    std::vector<Group> groups;
    std::vector<unsigned int> rows;
    std::vector<std::pair<Id, unsigned int> > byName;
    // The first group of each key set, in key set order (the order of the
    // parent category and then of the names).
    std::vector<unsigned int> keySetGroups;
    unsigned int numKeyLists = 0;
    // By key set, first name and position.
    std::vector<Candidate> candidates;
};

namespace {

struct RowKey {
    Id childCategory, linkGroup, parCategory, parentName;
    unsigned int row;
};

// The names of a group's byName range, as numbers, against another range.
template <typename It1, typename It2>
int CompareNames(It1 first1, It1 last1, It2 first2, It2 last2) {
    for (; first1 != last1 && first2 != last2; ++first1, ++first2) {
        if (first1->first != first2->first) {
            return first1->first < first2->first ? -1 : 1;
        }
    }
    return first1 != last1 ? 1 : (first2 != last2 ? -1 : 0);
}

}  // namespace

ParentChild::GroupListIndex::GroupListIndex(const ISTable& list) {
    std::vector<const std::string*> linkGroups;
    std::vector<const std::string*> parCategories;
    GetColumnCells(childCategories, list, list.GetColumnIndex(CifString::AttributeChildCategoryId));
    GetColumnCells(linkGroups, list, list.GetColumnIndex(CifString::AttributeLinkGroupId));
    GetColumnCells(childNames, list, list.GetColumnIndex(CifString::AttributeChildName));
    GetColumnCells(parentNames, list, list.GetColumnIndex(CifString::AttributeParentName));
    GetColumnCells(parCategories, list, list.GetColumnIndex(CifString::AttributeParentCategoryId));
    const unsigned int numRows = list.GetNumRows();
    // A group's rows stand together: a cell like the one above it takes its
    // number.
    const std::vector<const std::string*>* columns[] = {&childCategories, &linkGroups,
                                                        &parCategories, &parentNames};
    std::vector<Id> places(4 * static_cast<std::size_t>(numRows));
    for (unsigned int row = 0; row < numRows; ++row) {
        for (std::size_t c = 0; c < 4; ++c) {
            const std::vector<const std::string*>& cells = *columns[c];
            places[4 * row + c] = row > 0 && *cells[row] == *cells[row - 1]
                                      ? places[4 * (row - 1) + c]
                                      : ids.Add(*cells[row]);
        }
    }
    std::vector<RowKey> keys(numRows);
    for (unsigned int row = 0; row < numRows; ++row) {
        const Id* cell = &places[4 * static_cast<std::size_t>(row)];
        keys[row] = RowKey{cell[0], cell[1], cell[2], cell[3], row};
    }

    std::sort(keys.begin(), keys.end(), [](const RowKey& a, const RowKey& b) {
        return std::tie(a.childCategory, a.linkGroup, a.parCategory, a.row) <
               std::tie(b.childCategory, b.linkGroup, b.parCategory, b.row);
    });
    rows.reserve(numRows);
    byName.reserve(numRows);
    for (unsigned int begin = 0, end = 0; begin < numRows; begin = end) {
        const RowKey& first = keys[begin];
        while (end < numRows && keys[end].childCategory == first.childCategory &&
               keys[end].linkGroup == first.linkGroup &&
               keys[end].parCategory == first.parCategory) {
            rows.push_back(keys[end].row);
            byName.emplace_back(keys[end].parentName, keys[end].row);
            ++end;
        }
        std::sort(byName.begin() + begin, byName.end());
        groups.push_back(
            Group{first.childCategory, first.linkGroup, first.parCategory, begin, end, 0, 0});
    }

    // Numbers the classes of groups that `less` orders as equal.
    std::vector<unsigned int> order(groups.size());
    const auto classify = [&](auto less, auto assign) {
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), less);
        unsigned int count = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i == 0 || less(order[i - 1], order[i])) {
                ++count;
            }
            assign(order[i], count - 1);
        }
        return count;
    };
    classify(
        [this](unsigned int a, unsigned int b) {
            const Group& x = groups[a];
            const Group& y = groups[b];
            if (x.parCategory != y.parCategory) {
                return x.parCategory < y.parCategory;
            }
            return CompareNames(byName.begin() + x.begin, byName.begin() + x.end,
                                byName.begin() + y.begin, byName.begin() + y.end) < 0;
        },
        [this](unsigned int group, unsigned int keySet) {
            groups[group].keySet = keySet;
            if (keySet == keySetGroups.size()) {
                keySetGroups.push_back(group);
            }
        });
    std::vector<Id> rowNames(numRows);
    for (const RowKey& key : keys) {
        rowNames[key.row] = key.parentName;
    }
    numKeyLists = classify(
        [&](unsigned int a, unsigned int b) {
            const Group& x = groups[a];
            const Group& y = groups[b];
            return std::lexicographical_compare(
                rows.begin() + x.begin, rows.begin() + x.end, rows.begin() + y.begin,
                rows.begin() + y.end,
                [&](unsigned int r, unsigned int s) { return rowNames[r] < rowNames[s]; });
        },
        [this](unsigned int group, unsigned int keyList) { groups[group].keyList = keyList; });

    // The first row of each name in each child category and link group id.
    std::sort(keys.begin(), keys.end(), [](const RowKey& a, const RowKey& b) {
        return std::tie(a.childCategory, a.linkGroup, a.parentName, a.row) <
               std::tie(b.childCategory, b.linkGroup, b.parentName, b.row);
    });
    candidates.reserve(numRows);
    for (unsigned int g = 0; g < groups.size(); ++g) {
        const Group& group = groups[g];
        for (unsigned int k = group.begin; k < group.end; ++k) {
            const Id name = byName[k].first;
            if (k > group.begin && byName[k - 1].first == name) {
                continue;
            }
            const RowKey target{group.childCategory, group.linkGroup, 0, name, 0};
            const auto first = std::lower_bound(
                keys.begin(), keys.end(), target, [](const RowKey& a, const RowKey& b) {
                    return std::tie(a.childCategory, a.linkGroup, a.parentName) <
                           std::tie(b.childCategory, b.linkGroup, b.parentName);
                });
            candidates.push_back(Candidate{group.keySet, name, first->row, g});
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.keySet, a.firstName, a.position) <
               std::tie(b.keySet, b.firstName, b.position);
    });
}

const ParentChild::GroupListIndex::Group* ParentChild::GroupListIndex::Find(
    const std::string& childCategory, const std::string& linkGroup,
    const std::string& parCategory) const {
    const Group key{
        ids.Find(childCategory), ids.Find(linkGroup), ids.Find(parCategory), 0, 0, 0, 0};
    const auto less = [](const Group& a, const Group& b) {
        return std::tie(a.childCategory, a.linkGroup, a.parCategory) <
               std::tie(b.childCategory, b.linkGroup, b.parCategory);
    };
    const auto found = std::lower_bound(groups.begin(), groups.end(), key, less);
    return found == groups.end() || less(key, *found) ? nullptr : &*found;
}

unsigned int ParentChild::GroupListIndex::FindKeySet(
    Id parCategory, const std::vector<std::pair<Id, unsigned int> >& names) const {
    const auto compare = [&](unsigned int g) {
        const Group& group = groups[g];
        if (group.parCategory != parCategory) {
            return group.parCategory < parCategory ? -1 : 1;
        }
        return CompareNames(byName.begin() + group.begin, byName.begin() + group.end, names.begin(),
                            names.end());
    };
    const auto found = std::lower_bound(keySetGroups.begin(), keySetGroups.end(), 0,
                                        [&](unsigned int g, int) { return compare(g) < 0; });
    return found == keySetGroups.end() || compare(*found) != 0
               ? kNoId
               : static_cast<unsigned int>(found - keySetGroups.begin());
}

void ParentChild::FillRelationMaps(ISTable& groupTable, ISTable& groupListTable) {
    const GroupListIndex index(groupListTable);
    std::vector<const std::string*> categories;
    std::vector<const std::string*> groupIds;
    std::vector<const std::string*> parCategories;
    GetColumnCells(categories, groupTable,
                   groupTable.GetColumnIndex(CifString::AttributeCategoryId));
    GetColumnCells(groupIds, groupTable,
                   groupTable.GetColumnIndex(CifString::AttributeLinkGroupId));
    GetColumnCells(parCategories, groupTable,
                   groupTable.GetColumnIndex(CifString::AttributeParentCategoryId));
    // A later group with an earlier group's parent category and parent key
    // list would add nothing: the maps depend on those two alone. The child
    // keys depend on the parent key list alone, so a list that comes back
    // under another parent category adds no child key group.
    std::set<std::pair<Id, unsigned int> > done;
    std::vector<bool> collected(index.numKeyLists);
    const auto sameLists = [](const NameLists* a, const NameLists* b) { return *a < *b; };
    _relationsIndexed = false;
    for (unsigned int row = 0; row < groupTable.GetNumRows(); ++row) {
        const std::string& parCategory = *parCategories[row];
        const GroupListIndex::Group* group =
            index.Find(*categories[row], *groupIds[row], parCategory);
        if (group == nullptr || !done.emplace(group->parCategory, group->keyList).second) {
            continue;
        }
        NameList parKeys;
        parKeys.reserve(group->end - group->begin);
        for (unsigned int k = group->begin; k < group->end; ++k) {
            parKeys.push_back(*index.parentNames[index.rows[k]]);
        }
        ChildKeysByCategory childKeysByCategory;
        const bool first = !collected[group->keyList];
        if (first) {
            collected[group->keyList] = true;
            _CollectChildKeys(childKeysByCategory, parKeys, index);
        }
        if (!parCategory.empty()) {
            _parentKeysByCategory[parCategory].push_back(parKeys);
        }
        // Two child categories may give the same child key lists; the group
        // is stored once.
        std::set<const NameLists*, decltype(sameLists)> distinct(sameLists);
        std::vector<NameLists*> added;
        for (auto& childKeys : childKeysByCategory) {
            if (distinct.insert(&childKeys.second).second) {
                added.push_back(&childKeys.second);
            }
        }
        if (!added.empty()) {
            std::vector<NameLists>& stored = _childKeysByParentKeys[parKeys];
            for (NameLists* lists : added) {
                stored.push_back(std::move(*lists));
            }
        }
    }
}

void ParentChild::CollectChildKeys(ChildKeysByCategory& childKeysByCategory,
                                   const NameList& parKeys, ISTable& groupListTable) {
    _CollectChildKeys(childKeysByCategory, parKeys, GroupListIndex(groupListTable));
}

namespace {

// A stored child key list: its category's entry and its position there.
using StoredKeys = std::pair<ParentChild::ChildKeysByCategory::iterator, std::size_t>;

struct StoredKeysLess {
    bool operator()(const StoredKeys& a, const StoredKeys& b) const {
        if (a.first != b.first) {
            return a.first->first < b.first->first;
        }
        return a.first->second[a.second] < b.first->second[b.second];
    }
};

}  // namespace

void ParentChild::_CollectChildKeys(ChildKeysByCategory& childKeysByCategory,
                                    const NameList& parKeys, const GroupListIndex& index) {
    std::string parCategory;
    CifString::GetCategoryFromCifItem(parCategory, parKeys[0]);
    // The names as numbers, each with its position in parKeys, ascending: a
    // name repeated in the key takes, at its k-th occurrence, the child of
    // the group's k-th row with that parent name, which stands at the same
    // place in the group's names.
    std::vector<std::pair<Id, unsigned int> > names;
    names.reserve(parKeys.size());
    for (NameList::size_type j = 0; j < parKeys.size(); ++j) {
        const Id name = index.ids.Find(parKeys[j]);
        if (name == kNoId) {
            return;
        }
        names.emplace_back(name, static_cast<unsigned int>(j));
    }
    const Id firstName = names[0].first;
    std::sort(names.begin(), names.end());
    const Id parCategoryId = index.ids.Find(parCategory);
    const unsigned int keySet =
        parCategoryId == kNoId ? kNoId : index.FindKeySet(parCategoryId, names);
    if (keySet == kNoId) {
        return;
    }
    const GroupListIndex::Candidate key{keySet, firstName, 0, 0};
    const auto range = std::equal_range(
        index.candidates.begin(), index.candidates.end(), key,
        [](const GroupListIndex::Candidate& a, const GroupListIndex::Candidate& b) {
            return std::tie(a.keySet, a.firstName) < std::tie(b.keySet, b.firstName);
        });

    // The lists already there, so that each new one is tested in one lookup.
    std::set<StoredKeys, StoredKeysLess> stored;
    for (auto category = childKeysByCategory.begin(); category != childKeysByCategory.end();
         ++category) {
        for (std::size_t i = 0; i < category->second.size(); ++i) {
            stored.emplace(category, i);
        }
    }
    for (auto candidate = range.first; candidate != range.second; ++candidate) {
        const GroupListIndex::Group& group = index.groups[candidate->group];
        NameList childKeys(parKeys.size());
        for (std::size_t t = 0; t < names.size(); ++t) {
            childKeys[names[t].second] = *index.childNames[index.byName[group.begin + t].second];
        }
        const auto category =
            childKeysByCategory.try_emplace(*index.childCategories[index.rows[group.begin]]).first;
        category->second.push_back(std::move(childKeys));
        if (!stored.emplace(category, category->second.size() - 1).second) {
            category->second.pop_back();
        }
    }
}
