#ifndef TESRA_VALIDATE_PARENTCHILD_H
#define TESRA_VALIDATE_PARENTCHILD_H

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "table/ISTable.h"

// The parent/child (foreign key) relations of a DDL2 dictionary.
//
// A link group ties items of a child category to items of a parent category,
// pair by pair, like a composite foreign key. The groups live in two tables
// that the object owns:
//   "pdbx_item_linked_group":      category_id, link_group_id, label, context,
//                                  condition_id (and, once relation building
//                                  ran, parent_category_id);
//   "pdbx_item_linked_group_list": child_category_id, link_group_id,
//                                  child_name, parent_name, parent_category_id.
// Relation building (ParentChildBuild.cpp) turns them into two maps:
//   parent category -> its distinct parent key lists, in group order;
//   parent key list -> its child key groups, one per child category in
//                      category order, each a list of child key lists.
// A child key list is aligned with its parent key list: child name i refers
// to parent name i. Names compare byte for byte; an item's category is the
// text between its "_" and its first ".".
//
// A subclass fills the tables, then runs PrepareGroupTable and
// FillRelationMaps; after that the object is only queried. GetParentKeys and
// GetChildKeyGroups hand out writable lists and may add empty entries, which
// answer every query as an absent key does.
//
// Ownership: the object owns both tables (created by the constructor) and
// holds the maps by value; it cannot be copied. Failures: invalid item names
// give CifString's EmptyValueException and missing columns the table's
// NotFoundException, both passed through. Not thread-safe.
class ParentChild {
public:
    using NameList = std::vector<std::string>;
    using NameLists = std::vector<NameList>;
    // Child category -> its distinct child key lists (one relation building
    // step works with it).
    using ChildKeysByCategory = std::map<std::string, NameLists>;

    ParentChild();
    virtual ~ParentChild();

    ParentChild(const ParentChild&) = delete;
    ParentChild& operator=(const ParentChild&) = delete;

    // The parent item names of an item, into parCifItems.
    virtual void GetParentCifItems(std::vector<std::string>& parCifItems,
                                   const std::string& cifItemName) = 0;

    // The stored lists of a key; an absent key is entered with an empty list.
    NameLists& GetParentKeys(const std::string& parCategory);
    std::vector<NameLists>& GetChildKeyGroups(const NameList& parKeys);

    // Appends every relation whose child key lists lie in childCategory: the
    // parent key list to parKeyLists and the child key list, at the same
    // position, to childKeyLists. Order: parent categories, their parent key
    // lists, child key groups, child key lists, each as stored.
    void GetCategoryRelations(NameLists& parKeyLists, NameLists& childKeyLists,
                              const std::string& childCategory) const;

    // The label of the first link group (in list-table row order of its first
    // pair) that holds every pair (childKeys[k], parKeys[k]); empty when none
    // does. Both lists non-empty, childKeys at least as long as parKeys.
    // std::runtime_error "CRITICAL ERROR IN: ParentChild::GetLinkGroupIdLabel"
    // when that group has no row in the group table.
    void GetLinkGroupIdLabel(std::string& label, const NameList& parKeys,
                             const NameList& childKeys);

    // True when parKeys is a stored parent key list with a child key group
    // in childCategory.
    bool IsParentKeyOf(const NameList& parKeys, const std::string& childCategory) const;
    // True when the item is in one of its own category's parent key lists.
    bool IsParentCifItem(const std::string& cifItemName) const;

    // Reads a key-group table (columns childKeyCifItem, keyGroup,
    // parKeyCifItem, parCategory) for one parent category: parCifItems gets
    // the parent items of key group 1 (it is cleared first), childKeyLists one
    // aligned child key list per key group 1 to maxKeyGroup. A parent item
    // missing from a later key group takes the child item of key group 1.
    static void GetKeyGroups(const std::string& parCategory, unsigned int maxKeyGroup,
                             ISTable& keyGroupTable, NameLists& childKeyLists,
                             std::vector<std::string>& parCifItems);

protected:
    // Relation building, run once by the subclass constructors on the two
    // tables of the object (ParentChildBuild.cpp).

    // Drops the link groups without list rows, each with a "Warning: Link
    // group ..." line on _notices, and appends the column
    // parent_category_id: the parent category of each group's first list row.
    void PrepareGroupTable(ISTable& groupTable, ISTable& groupListTable);
    // Fills both maps, empty until then, from the groups; each parent key
    // list and each child key group is stored once.
    void FillRelationMaps(ISTable& groupTable, ISTable& groupListTable);
    // Adds the child key list of every group whose parent names equal parKeys
    // as a set with repeats, aligned with parKeys, by child category; a list
    // already there is not added again.
    void CollectChildKeys(ChildKeysByCategory& childKeysByCategory, const NameList& parKeys,
                          ISTable& groupListTable);

    // The columns that the constructor gives each table, in order.
    static const std::vector<std::string>& GroupColumns();
    static const std::vector<std::string>& GroupListColumns();

    // Appends a row to a table, placing each value in the column of its name;
    // columns that the row does not name stay empty. Every name must be a
    // column of the table.
    static void AppendRowByName(ISTable& table, const std::vector<std::string>& colNames,
                                const std::vector<std::string>& values);
    // The cells of one column in row order, read segment by segment rather
    // than by locating each row. Valid until the table changes.
    static void GetColumnCells(std::vector<const std::string*>& cells, const ISTable& table,
                               unsigned int column);

    // Where relation building writes its notices; standard output unless a
    // subclass constructor says otherwise. Borrowed.
    std::ostream* _notices;

    // Declared in this order so that the list table is deleted first.
    std::unique_ptr<ISTable> _groupTablePtr;
    std::unique_ptr<ISTable> _groupListTablePtr;
    // Changed only through the members above, which keep the index below in
    // step.
    std::map<std::string, NameLists> _parentKeysByCategory;
    std::map<NameList, std::vector<NameLists> > _childKeysByParentKeys;

private:
    struct GroupListIndex;
    // CollectChildKeys with the list table's groups gathered beforehand.
    static void _CollectChildKeys(ChildKeysByCategory& childKeysByCategory, const NameList& parKeys,
                                  const GroupListIndex& index);

    // The answers of GetCategoryRelations by child category, so that a query
    // costs its own relations only; made on the first query after the maps
    // changed. False, and no index, when a stored child name is no item name
    // (the query then walks the maps and fails as they do). Not used once
    // GetParentKeys or GetChildKeyGroups has lent out a writable list.
    bool _IndexRelations() const;

    // Each relation as its parent key list and child key list, where the
    // maps hold them.
    mutable std::map<std::string, std::vector<std::pair<const NameList*, const NameList*> >,
                     std::less<> >
        _relationsByChildCategory;
    mutable bool _relationsIndexed = false;
    bool _mapsLent = false;
};

#endif  // TESRA_VALIDATE_PARENTCHILD_H
