// CifFile: the item value checks of one column against the dictionary's type
// pattern, ranges and enumeration of the item.

#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "cif/CifFile.h"
#include "foundation/CifString.h"
#include "foundation/String.h"
#include "table/ITTable.h"
#include "validate/ItemDefinition.h"
#include "validate/SameText.h"
#include "validate/TypePattern.h"

namespace {

typedef std::vector<std::string> Names;

const std::string kFloat = "float";
const std::string kInt = "int";
const std::string kText = "text";
const std::string kUchar = "uchar";

// The cells of one column in the rows of an equality search over "name".
bool CellsOfItem(Names& cells, ISTable& table, const std::string& itemName,
                 const std::string& column) {
    std::vector<unsigned int> rows;
    table.Search(rows, Names{itemName}, Names{"name"}, 0, 0, 0, "");
    for (const unsigned int row : rows) {
        cells.push_back(table(row, column));
    }
    return !rows.empty();
}

// Rows of exclusive bounds; a null bound is open, equal bounds admit that
// value alone, two null bounds admit nothing.
template <typename Number>
int InRange(const std::string& value, const Names& minimums, const Names& maximums,
            Number (*convert)(const std::string&)) {
    const Number v = convert(value);
    for (std::size_t i = 0; i < minimums.size() && i < maximums.size(); ++i) {
        const bool hasMinimum = !CifString::IsEmptyValue(minimums[i]);
        const Number minimum = hasMinimum ? convert(minimums[i]) : Number();
        const bool hasMaximum = !CifString::IsEmptyValue(maximums[i]);
        const Number maximum = hasMaximum ? convert(maximums[i]) : Number();
        bool admits = false;
        if (hasMinimum && hasMaximum) {
            admits = minimum == maximum ? v == maximum : minimum < v && v < maximum;
        } else if (hasMinimum) {
            admits = v > minimum;
        } else if (hasMaximum) {
            admits = v < maximum;
        }
        if (admits) {
            return 1;
        }
    }
    return 0;
}

template <typename Number>
bool Converts(const std::string& text, Number& number, Number (*convert)(const std::string&)) {
    try {
        number = convert(text);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

// A value that is not a number of the kind is outside the enumeration, and
// an entry that is not one equals no value: a run over real data must not
// end at one odd cell.
template <typename Number>
int InEnumeration(const std::string& value, const Names& enumValues,
                  Number (*convert)(const std::string&)) {
    Number v = Number();
    if (!Converts(value, v, convert)) {
        return 0;
    }
    for (const std::string& entry : enumValues) {
        Number e = Number();
        if (Converts(entry, e, convert) && e == v) {
            return 1;
        }
    }
    return 0;
}

// The alias part of a part-match line: " (its alias is: "<alias>")", or
// nothing for an item without alias.
std::string AliasText(const ItemDefinition& definition) {
    std::string aliasName;
    if (definition.findAlias && definition.findAlias(aliasName)) {
        return " (its alias is: \"" + aliasName + "\")";
    }
    return std::string();
}

}  // namespace

void CifFile::_GetItemTypeCode(std::string& code, const std::string& cifItemName,
                               ISTable& itemType) const {
    code.clear();
    const unsigned int row = itemType.FindFirst(Names{cifItemName}, Names{"name"}, "");
    if (row < itemType.GetNumRows()) {
        code = itemType(row, "code");
    }
}

void CifFile::_ConvertEscapes(const std::string& construct, std::string& pattern) const {
    TypePattern::ConvertEscapes(construct, pattern);
}

int CifFile::_IsFloatInRange(const std::string& value, const Names& minimums,
                             const Names& maximums) const {
    return InRange<double>(value, minimums, maximums, &String::StringToDouble);
}

int CifFile::_IsIntInRange(const std::string& value, const Names& minimums,
                           const Names& maximums) const {
    return InRange<int>(value, minimums, maximums, &String::StringToInt);
}

int CifFile::_IsInRange(const std::string& value, const std::string& typeCode,
                        const Names& minimums, const Names& maximums) const {
    // A value or bound that is not a number of the kind counts as in range.
    try {
        if (typeCode == kFloat) {
            return _IsFloatInRange(value, minimums, maximums);
        }
        if (typeCode == kInt) {
            return _IsIntInRange(value, minimums, maximums);
        }
    } catch (const std::exception&) {
    }
    return 1;
}

int CifFile::_IsFloatInEnumeration(const std::string& value, const Names& enumValues) const {
    return InEnumeration<double>(value, enumValues, &String::StringToDouble);
}

int CifFile::_IsIntInEnumeration(const std::string& value, const Names& enumValues) const {
    return InEnumeration<int>(value, enumValues, &String::StringToInt);
}

int CifFile::_IsStringInEnumeration(const std::string& value, const std::string& primitiveCode,
                                    const Names& enumValues) const {
    const bool foldCase = primitiveCode == kUchar && !_enumCaseSense;
    for (const std::string& entry : enumValues) {
        if (foldCase ? String::IsCiEqual(value, entry) : value == entry) {
            return 1;
        }
    }
    return 0;
}

int CifFile::_IsInEnumeration(const std::string& value, const std::string& typeCode,
                              const std::string& primitiveCode, const Names& enumValues) const {
    if (typeCode == kFloat) {
        return _IsFloatInEnumeration(value, enumValues);
    }
    if (typeCode == kInt) {
        return _IsIntInEnumeration(value, enumValues);
    }
    return _IsStringInEnumeration(value, primitiveCode, enumValues);
}

int CifFile::_CheckItemValues(Block& block, ISTable& table, const std::string& colName,
                              ISTable* itemType, ISTable* itemTypeList, ISTable* itemRange,
                              ISTable* itemEnumeration, ISTable* /*itemLinked*/,
                              ISTable* itemAliases, std::ostream& out) const {
    std::string itemName;
    CifString::MakeCifItem(itemName, table.GetName(), colName);
    ItemDefinition definition;
    if (itemType != nullptr) {
        _GetItemTypeCode(definition.typeCode, itemName, *itemType);
    }
    if (definition.typeCode.empty()) {
        return 1;
    }
    // A type code that item_type_list lacks leaves the item without pattern
    // and primitive code; the range and enumeration tests still run.
    if (itemTypeList != nullptr) {
        const unsigned int row =
            itemTypeList->FindFirst(Names{definition.typeCode}, Names{"code"}, "");
        if (row < itemTypeList->GetNumRows()) {
            definition.primitiveCode = (*itemTypeList)(row, "primitive_code");
            definition.pattern = std::make_shared<TypePattern>((*itemTypeList)(row, "construct"));
        }
    }
    if (itemRange != nullptr) {
        definition.hasRanges = CellsOfItem(definition.maximums, *itemRange, itemName, "maximum");
        CellsOfItem(definition.minimums, *itemRange, itemName, "minimum");
    }
    if (itemEnumeration != nullptr) {
        definition.hasEnumeration =
            CellsOfItem(definition.enumValues, *itemEnumeration, itemName, "value");
    }
    if (itemAliases != nullptr) {
        definition.findAlias = [itemAliases, itemName](std::string& aliasName) {
            const unsigned int row = itemAliases->FindFirst(Names{itemName}, Names{"name"}, "");
            if (row >= itemAliases->GetNumRows()) {
                return false;
            }
            aliasName = (*itemAliases)(row, "alias_name");
            return true;
        };
    }
    return _CheckValues(block, table, colName, definition, out);
}

int CifFile::_CheckValues(Block& block, ISTable& table, const std::string& colName,
                          const ItemDefinition& definition, std::ostream& out) const {
    int result = 1;
    const std::string& typeCode = definition.typeCode;
    if (typeCode.empty() || table.GetNumRows() == 0) {
        return result;
    }
    std::string itemName;
    CifString::MakeCifItem(itemName, table.GetName(), colName);

    // One compilation of the pattern serves every value: matching against it
    // answers as a fresh compilation per value would, at a fraction of the
    // cost.
    const TypePattern* pattern =
        definition.pattern && definition.pattern->IsCompiled() ? definition.pattern.get() : nullptr;
    std::string enumList;
    for (const std::string& value : definition.enumValues) {
        enumList += (enumList.empty() ? "\"" : ", \"") + value + "\"";
    }
    // Looked up for the first part-match line only.
    std::string alias;
    bool aliasKnown = false;

    const std::string& blockName = block.GetName();
    const unsigned int column = table.GetColumnIndex(colName);
    const std::string* previous = nullptr;
    TypePattern::Match previousMatch = TypePattern::NO_MATCH;
    // Values that recur apart (atom names, residue names, symbols) are
    // matched once each; the first kMaxRemembered distinct values are
    // remembered, so a column of distinct values costs little room.
    const std::size_t kMaxRemembered = 1024;
    std::unordered_map<std::string, TypePattern::Match> matched;
    // Segment by segment: a walk that locates each row costs more than the
    // checks of most values.
    unsigned int rowNumber = 0;
    for (unsigned int s = 0; s < table.GetNumSegments(); ++s) {
        const ITTable& segment = table.GetSegment(s);
        for (unsigned int r = 0; r < segment.GetNumRows(); ++r) {
            const std::string& value = segment(r, column);
            ++rowNumber;
            if (CifString::IsEmptyValue(value)) {
                continue;
            }
            if (pattern != nullptr) {
                // Runs of equal values are common (a residue's atoms): one
                // match serves the run.
                if (previous == nullptr || !SameText(value, *previous)) {
                    const auto known = matched.find(value);
                    if (known != matched.end()) {
                        previousMatch = known->second;
                    } else {
                        previousMatch = pattern->Test(value);
                        if (matched.size() < kMaxRemembered) {
                            matched.emplace(value, previousMatch);
                        }
                    }
                    previous = &value;
                }
                if (previousMatch == TypePattern::NO_MATCH) {
                    out << "ERROR - In block \"" << blockName << "\", data type pattern of value \""
                        << value << "\" for \"" << itemName << "\" does not match, in row #"
                        << rowNumber << std::endl;
                    result = 0;
                } else if (previousMatch == TypePattern::PART_MATCH && typeCode != kText) {
                    if (!aliasKnown) {
                        alias = AliasText(definition);
                        aliasKnown = true;
                    }
                    out << "ERROR - In block \"" << blockName << "\", in item \"" << itemName
                        << "\"" << alias << ", in row #" << rowNumber << ", value \"" << value
                        << "\" does not correspond to item's type. The expected type is \""
                        << typeCode << "\"." << std::endl;
                    result = 0;
                }
            }
            if (definition.hasRanges &&
                _IsInRange(value, typeCode, definition.minimums, definition.maximums) == 0) {
                result = 0;
                out << "ERROR - In block \"" << blockName << "\", value \"" << value << "\" for \""
                    << itemName << "\" is out of range, in row #" << rowNumber << std::endl;
            }
            if (definition.hasEnumeration &&
                _IsInEnumeration(value, typeCode, definition.primitiveCode,
                                 definition.enumValues) == 0) {
                result = 0;
                out << "ERROR - In block \"" << blockName << "\", for \"" << itemName
                    << "\", value \"" << value
                    << "\" is not defined in the enumeration list. Acceptable values are: "
                    << enumList << std::endl;
            }
        }
    }
    return result;
}
