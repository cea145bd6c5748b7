#ifndef TESRA_VALIDATE_CIFPARENTCHILD_H
#define TESRA_VALIDATE_CIFPARENTCHILD_H

#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cif/Block.h"
#include "table/ISTable.h"
#include "validate/ParentChild.h"

// The ParentChild of a DDL2 dictionary block: the link groups come from the
// block's pdbx_item_linked_group and pdbx_item_linked_group_list, plus one
// new group for every item_linked pair whose child item is in no group
// (CifParentChildItemLinked.cpp); the parent items of an item come from the
// block's item_linked.
//
// Construction reads the block's `category` (id) and `item` (name,
// category_id) tables and does all the work; afterwards the object is only
// queried. Notices of the construction ("Warning: Link group ...", "Info:
// Creating a new group ...") go to standard output, or to the stream given.
//
// Ownership: item_linked and the dictionary's group tables are borrowed from
// the block (or, for the second constructor, from its caller), which must
// outlive the object; the search indices that construction leaves on them
// are the only change made to the block. The object's own tables belong to
// ParentChild.
//
// Failures (construction leaves nothing behind):
//   EmptyValueException "Empty item linked group list table" or "Empty item
//     linked group table" at "CifParentChild::CifParentChild" when the block
//     has only one of the two group tables;
//   NotFoundException "Table "<name>" not found in block "<block>"" at
//     "CifParentChild::_ReadCategoryItems" for a missing category or item;
//   InvalidStateException "Link group id "<id>" of category "<category>" is
//     not a 32-bit integer" at "CifParentChild::_GetMaxLinkGroupId" when a
//     category that gets new groups has such an id;
//   and the failures of the tables, names and numbers read, passed through.
class CifParentChild : public ParentChild {
public:
    // Link groups from the dictionary's group tables and from item_linked;
    // the construction's notices go to `notices`.
    explicit CifParentChild(Block& dictBlock, std::ostream& notices = std::cout);
    // Link groups from itemLinkedTable alone (may be null: no relations),
    // grouping each child category's parent items into key groups.
    CifParentChild(Block& dictBlock, ISTable* itemLinkedTable);
    ~CifParentChild() override;

    // The parent_name of every item_linked row whose child_name is the item,
    // in row order, repeats kept; empty without an item_linked table.
    void GetParentCifItems(std::vector<std::string>& parCifItems,
                           const std::string& cifItemName) override;

    // The parent/child value check of one table of a data block: every row
    // with a non-null key value towards a parent category must match a row
    // of that category's table in the block (CifParentChildCheck.cpp). Reports,
    // to `out`: a missing ("++ERROR") or empty ("WARN") parent table, once
    // per relation; an unmatched row ("ERROR PARCHILD") with one detail line
    // per key value, after "BIG TROUBLE; linkGroupId not found!" when no link
    // group with a group row holds the relation's pairs; and a parent key
    // attribute that the parent table lacks, which ends the check with 0.
    // Relations that hold the same pairs as an earlier one are checked once.
    // Returns 0 when a row is unmatched or an attribute undefined, else 1.
    // Parent tables keep the search indices of the lookups.
    int CheckParentChild(Block& block, ISTable& table, std::ostream& out);

    // The parent keys that CheckParentChild gathers from the tables of
    // `block` (one set per parent category and attribute list, with the
    // dense ids of the parent columns they come from) are kept and shared by all of that block's
    // checks from here until EndBlockChecks or the next BeginBlockChecks: the
    // block's tables must not change in between. Checks of other blocks, and
    // all checks outside that span, gather keys for one table only.
    void BeginBlockChecks(const Block& block);
    // Drops the shared parent keys, freeing their memory.
    void EndBlockChecks();

    // Writes copies of the two link-group tables, the group table without
    // its parent_category_id column, into the block, replacing tables of the
    // same names. A table without rows is not written.
    void WriteGroupTables(Block& block);

private:
    // Item names point into the dictionary's item table, which construction
    // does not change.
    using CifItemsByCategory = std::vector<std::vector<const std::string*> >;

    void _InitRelations(Block& dictBlock);
    // The `category` ids sorted byte-wise (repeats kept) and, at the same
    // positions, the names of each category's `item` rows in row order.
    static void _ReadCategoryItems(Block& dictBlock, std::vector<std::string>& categories,
                                   CifItemsByCategory& cifItemsByCategory);

    // Key-group derivation (second constructor).
    void _MakeLinkGroups(const std::vector<std::string>& categories,
                         const CifItemsByCategory& cifItemsByCategory);
    void _FillKeyGroupTable(ISTable& keyGroupTable,
                            const std::vector<const std::string*>& childCifItems,
                            std::map<std::string, unsigned int>& maxKeyGroupByParCategory);
    std::unique_ptr<ISTable> _MakeKeyGroupTable(
        const std::vector<const std::string*>& childCifItems,
        std::map<std::string, unsigned int>& maxKeyGroupByParCategory);

    // Removes, from both lists of each relation, the positions whose child
    // item is none of cifItems; relations may end up empty.
    static void _DropAbsentChildItems(NameLists& parKeyLists, NameLists& childKeyLists,
                                      const std::vector<std::string>& cifItems);

    // One new link group per item_linked pair whose child item is in no
    // group, numbered per child category after its largest link_group_id.
    void _AddItemLinkedGroups(const std::vector<std::string>& categories,
                              const CifItemsByCategory& cifItemsByCategory);
    // The largest of the category's link group ids, at least 0.
    static std::int64_t _GetMaxLinkGroupId(const std::string& category, const NameList& ids);

    // The parent keys shared by one block's checks; null outside
    // BeginBlockChecks and EndBlockChecks. Holds references to that block's
    // tables.
    struct BlockParentKeys;
    // Defined where BlockParentKeys is (CifParentChildCheck.cpp).
    struct BlockParentKeysDeleter {
        void operator()(BlockParentKeys* keys) const;
    };
    std::unique_ptr<BlockParentKeys, BlockParentKeysDeleter> _blockParentKeys;

    ISTable* _itemLinkedTablePtr;
    // Set by the first constructor only, and read only while it runs.
    ISTable* _dictGroupTablePtr = nullptr;
    ISTable* _dictGroupListTablePtr = nullptr;
};

#endif  // TESRA_VALIDATE_CIFPARENTCHILD_H
