#ifndef TESRA_VALIDATE_ITEMDEFINITION_H
#define TESRA_VALIDATE_ITEMDEFINITION_H

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "validate/TypePattern.h"

class ISTable;
class TypePatterns;

// An item's ranges and enumeration in the form the value tests read, made
// from their texts and from nothing else, so that a bound or an entry is
// read once per item and a value is decided without a walk over them.
// Defined with the value tests.
class ValueRules {
public:
    // "float" and "int" items read the bounds and the entries as numbers of
    // that kind; other items keep the entries as texts and have no ranges.
    ValueRules(const std::string& typeCode, const std::vector<std::string>& minimums,
               const std::vector<std::string>& maximums,
               const std::vector<std::string>& enumValues);

    // A number of the item's kind: whether a range row admits it. A bound
    // that is not a number of the kind admits every value.
    bool RangesAdmit(double number) const;
    // A number of the item's kind: whether an entry is that number.
    bool Enumerates(double number) const;
    // Other items: whether an entry is the text, compared without ASCII case
    // when foldCase.
    bool Enumerates(const std::string& value, bool foldCase) const;

private:
    bool _rangesAdmitAll = false;
    // The open intervals that the range rows admit, disjoint and ascending,
    // and the single values of rows whose bounds are equal, ascending.
    std::vector<std::pair<double, double> > _openRanges;
    std::vector<double> _rangePoints;
    // The entries that are numbers of the kind, ascending.
    std::vector<double> _enumNumbers;
    // Other items: the entries ordered by ASCII-folded text, then by text,
    // which serves both the folded and the exact lookup.
    std::vector<std::string> _enumTexts;
};

// What a dictionary says about the values of one item, as the item value
// check reads it: the first item_type code of the item, the first
// item_type_list row of that code, the item's item_range rows, its
// item_enumeration values and how to find its first alias in item_aliases;
// and, once prepared, the rules that its values are tested by.
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

    // Sets primitiveCode and pattern from the first item_type_list row of
    // typeCode, the pattern taken from `patterns` when given. A code the list
    // lacks fails at the read of its row, with the table's std::out_of_range.
    // Defined with the value tests.
    void ReadType(ISTable& itemTypeList, TypePatterns* patterns = nullptr);

    // Makes the rules from the texts above, once they are complete (and
    // again after they change). Defined with the value tests.
    void Prepare();

    // The rules that Prepare made; std::logic_error before Prepare, so that
    // no value is decided by rules that were never made.
    const ValueRules& Rules() const {
        if (!_rules) {
            throw std::logic_error("ItemDefinition::Rules: the definition is not prepared");
        }
        return *_rules;
    }

private:
    std::optional<ValueRules> _rules;
};

#endif  // TESRA_VALIDATE_ITEMDEFINITION_H
