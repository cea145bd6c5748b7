#ifndef TESRA_VALIDATE_ITEMDEFINITION_H
#define TESRA_VALIDATE_ITEMDEFINITION_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "validate/TypePattern.h"

// What a dictionary says about the values of one item, as the item value
// check reads it: the first item_type code of the item, the first
// item_type_list row of that code, the item's item_range rows, its
// item_enumeration values and how to find its first alias in item_aliases.
struct ItemDefinition {
    // "": the item has no type and its values are not checked.
    std::string typeCode;
    // Of the type's item_type_list row; "" when the code is not listed.
    std::string primitiveCode;
    // Null when the code is not listed or its construct does not compile.
    // Shared: every item of one type can use one compilation.
    std::shared_ptr<const TypePattern> pattern;
    bool hasRanges = false;
    std::vector<std::string> minimums;
    std::vector<std::string> maximums;
    bool hasEnumeration = false;
    std::vector<std::string> enumValues;
    // Sets aliasName to the alias_name of the item's first item_aliases row
    // and returns true, or returns false when the item has none. Asked only
    // when a line names the alias, so item_aliases is read only then. Empty
    // without an item_aliases table.
    std::function<bool(std::string& aliasName)> findAlias;
};

#endif  // TESRA_VALIDATE_ITEMDEFINITION_H
