#ifndef TESRA_VALIDATE_CHECKDICTIONARY_H
#define TESRA_VALIDATE_CHECKDICTIONARY_H

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "cif/Block.h"
#include "table/ISTable.h"
#include "validate/ItemDefinition.h"
#include "validate/TextIds.h"
#include "validate/TypePatterns.h"

class CifParentChild;

// The dictionary block of one check run, prepared once for every data block
// checked against it: the tables that the category checks read, what they
// say about each item, and the parent/child relations of the dictionary.
//
// With the pdbx_ choice, each of item, item_type, item_range and
// item_enumeration is overlaid item by item with its pdbx_ counterpart: an
// item's pdbx_ rows stand where its plain rows stood, with the plain table's
// columns (a column that the pdbx_ table lacks keeps the value of the item's
// first plain row, or "" for an item that has none); items with no pdbx_ row
// keep their plain rows; items with pdbx_ rows only come last. A pdbx_ table
// alone is taken as it is. A whole-table swap would not do: the real
// dictionary's pdbx_item has no category_id and its pdbx_item_type 9 rows.
//
// The item tables are read through ids of the item names, given in one
// pass: the rows of an item are then found at once, without a search index
// over the whole table (which would cost more than the checks of a small
// entry).
//
// Ownership: the block and its tables are borrowed and must outlive the
// object, unchanged; the overlays, relations and definitions are owned.
// Nothing in the block changes here except the search indices that
// CifParentChild's construction leaves. Not thread-safe.
class CheckDictionary {
public:
    explicit CheckDictionary(Block& dictBlock);
    ~CheckDictionary();

    CheckDictionary(const CheckDictionary&) = delete;
    CheckDictionary& operator=(const CheckDictionary&) = delete;

    Block& GetBlock() { return _block; }

    // Chooses the tables on the first call; later calls change nothing.
    // NotFoundException "Table "<name>" not found in block "<block>"" at
    // "CifFile::_CheckCategories" when category, category_key or the item
    // table is missing. The columns of the item tables are read when first
    // needed, so that an absent one fails only where it is read.
    void Prepare(bool usePdbxItemTables);

    // Builds the relations on the first call; the failures of CifParentChild's
    // construction pass through. Each later call stands for building them
    // again for the next block: it writes the notices that the construction
    // wrote ("Info: Creating a new group ...") to standard output again, in
    // their order.
    CifParentChild& PrepareRelations();

    // After Prepare.
    ISTable& GetCategory() { return *_category; }
    ISTable& GetCategoryKey() { return *_categoryKey; }
    // item, or its overlay.
    ISTable& GetItem() { return *_item.table; }
    // After PrepareRelations.
    CifParentChild& GetParentChild() { return *_parentChild; }

    // True when the item table has a row with that category_id and name.
    bool IsItemDefined(const std::string& category, const std::string& cifItemName) const;
    // As the item value check reads the tables, for a full item name; made
    // and prepared on first request, the pattern of a construct made once
    // for the run, its memory for matching drawn from the run's one budget
    // (TypePatterns). Its alias is looked up only when asked for.
    const ItemDefinition& GetItemDefinition(const std::string& cifItemName);

private:
    // The rows of an item table (column "name") by name; made on the first
    // ForEach. Each distinct name has an id, with its first and last rows,
    // which `next` chains in row order: a lookup reads the rows of its own
    // name only, however many items share a category. Rows are known by
    // number, so that rows appended later (item types derived in a check of
    // the dictionary's own block) leave the chains as they are.
    struct ItemRows {
        ISTable* table = nullptr;
        mutable bool indexed = false;
        mutable unsigned int nameColumn = 0;
        mutable TextIds names;
        mutable std::vector<unsigned int> first;
        mutable std::vector<unsigned int> last;
        mutable std::vector<unsigned int> next;

        // Calls visit(row) for each row whose name is cifItemName, in row
        // order.
        template <typename Visit>
        void ForEach(const std::string& cifItemName, Visit visit) const;

    private:
        void _Index() const;
    };

    // The plain table, or its overlay when the pdbx_ choice is on.
    ISTable* _ItemTable(const std::string& name, bool usePdbxItemTables);

    Block& _block;
    bool _prepared = false;
    ISTable* _category = nullptr;
    ISTable* _categoryKey = nullptr;
    ISTable* _itemTypeList = nullptr;
    ItemRows _item;
    ItemRows _itemType;
    ItemRows _itemRange;
    ItemRows _itemEnumeration;
    ItemRows _itemAliases;
    std::vector<std::unique_ptr<ISTable> > _overlays;
    std::unique_ptr<CifParentChild> _parentChild;
    // What building the relations wrote to standard output.
    std::string _relationNotices;

    // Before the definitions, which share its patterns.
    TypePatterns _patterns;
    std::unordered_map<std::string, ItemDefinition> _definitions;
    // What the items of one type code share.
    struct ItemType {
        std::string primitiveCode;
        std::shared_ptr<const TypePattern> pattern;
    };
    std::unordered_map<std::string, ItemType> _types;
};

#endif  // TESRA_VALIDATE_CHECKDICTIONARY_H
