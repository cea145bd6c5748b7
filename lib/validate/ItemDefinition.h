#ifndef TESRA_VALIDATE_ITEMDEFINITION_H
#define TESRA_VALIDATE_ITEMDEFINITION_H

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "validate/TypePattern.h"

class ISTable;
class TypePatterns;

// What a dictionary says about the values of one item, as the item value
// check reads it: the first item_type code of the item, the first
// item_type_list row of that code, the item's item_range rows, its
// item_enumeration values and how to find its first alias in item_aliases.
struct ItemDefinition {
    // "": the item has no type and its values are not checked.
    std::string typeCode;
    // Of the type's item_type_list row; "" without an item_type_list table.
    std::string primitiveCode;
    // Null without an item_type_list table or when the construct does not
    // compile. Shared: every item of one type can use one compilation.
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

    // The ranges and the enumeration in the form the value tests read, made
    // by Prepare from the texts above, so that a bound or an entry is read
    // once per item and a value is decided without a walk over them.
    //
    // "float" and "int" items: true when a bound is not a number of the
    // kind, which admits every value.
    bool rangesAdmitAll = false;
    // The open intervals that the range rows admit, disjoint and ascending,
    // and the single values of rows whose bounds are equal, ascending.
    std::vector<std::pair<double, double> > openRanges;
    std::vector<double> rangePoints;
    // The entries that are numbers of the kind, ascending.
    std::vector<double> enumNumbers;
    // Other items: the indices of enumValues ordered by ASCII-folded text,
    // then by text, which serves both the folded and the exact lookup.
    std::vector<unsigned int> enumOrder;

    // Sets primitiveCode and pattern from the first item_type_list row of
    // typeCode, the pattern taken from `patterns` when given. A code the list
    // lacks fails at the read of its row, with the table's std::out_of_range.
    // Defined with the value tests.
    void ReadType(ISTable& itemTypeList, TypePatterns* patterns = nullptr);

    // Once the texts are complete. Defined with the value tests.
    void Prepare();
};

#endif  // TESRA_VALIDATE_ITEMDEFINITION_H
