#ifndef TESRA_VALIDATE_ITEMPARENTS_H
#define TESRA_VALIDATE_ITEMPARENTS_H

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "validate/ParentChild.h"

// The parent items of an item: for each relation of the item's category, in
// the order of ParentChild::GetCategoryRelations, the parent at each
// position whose child is the item. Each category's relations are read once,
// on the first question about one of its items, so that deriving the type
// codes of a whole dictionary (thousands of items) costs one lookup per item.
//
// Ownership: the relations are borrowed and must outlive the object and stay
// unchanged. Failures: an item name without "_" or "." gives
// CifString::GetCategoryFromCifItem's EmptyValueException.
class ItemParents {
public:
    explicit ItemParents(const ParentChild& relations) : _relations(relations) {}

    // Valid until the object dies.
    const std::vector<std::string>& Of(const std::string& cifItemName);

private:
    typedef std::map<std::string, std::vector<std::string> > ParentsByItem;

    const ParentChild& _relations;
    std::map<std::string, ParentsByItem> _byCategory;
};

// The items of one type check that are being derived or are settled. An item
// reached from several children is derived, and reported, once; an item met
// again while it is on the current path of parents closes a cycle.
struct DerivedItemTypes {
    struct Entry {
        bool onPath;
        std::string code;  // the settled code, "" when none
    };
    // Nodes stay put when the map grows, so the walk may keep pointers to names.
    std::unordered_map<std::string, Entry> byItem;
};

#endif  // TESRA_VALIDATE_ITEMPARENTS_H
