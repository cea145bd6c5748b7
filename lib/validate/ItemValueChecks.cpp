// CifFile: the item value checks of one column against the dictionary's type
// pattern, ranges and enumeration of the item.

#include <algorithm>
#include <exception>
#include <functional>
#include <iterator>
#include <limits>
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
#include "validate/CheckDictionary.h"
#include "validate/ItemDefinition.h"
#include "validate/RowReader.h"
#include "validate/SameText.h"
#include "validate/SlotHash.h"
#include "validate/TypePattern.h"
#include "validate/TypePatterns.h"

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

// 1 when the value is in one of the ranges; a value or bound that is not a
// number of the kind counts as in range, and so does a value of another type.
int RangeAdmits(const std::string& value, const std::string& typeCode, const Names& minimums,
                const Names& maximums) {
    try {
        if (typeCode == kFloat) {
            return InRange<double>(value, minimums, maximums, &String::StringToDouble);
        }
        if (typeCode == kInt) {
            return InRange<int>(value, minimums, maximums, &String::StringToInt);
        }
    } catch (const std::exception&) {
    }
    return 1;
}

int StringInEnumeration(const std::string& value, const std::string& primitiveCode,
                        const Names& enumValues, bool caseSense) {
    const bool foldCase = primitiveCode == kUchar && !caseSense;
    for (const std::string& entry : enumValues) {
        if (foldCase ? String::IsCiEqual(value, entry) : value == entry) {
            return 1;
        }
    }
    return 0;
}

int EnumerationHas(const std::string& value, const std::string& typeCode,
                   const std::string& primitiveCode, const Names& enumValues, bool caseSense) {
    if (typeCode == kFloat) {
        return InEnumeration<double>(value, enumValues, &String::StringToDouble);
    }
    if (typeCode == kInt) {
        return InEnumeration<int>(value, enumValues, &String::StringToInt);
    }
    return StringInEnumeration(value, primitiveCode, enumValues, caseSense);
}

// A text as a number of the item's kind; an int is held exactly.
bool ToNumber(const std::string& text, bool isInt, double& number) {
    if (isInt) {
        int value = 0;
        if (!Converts(text, value, &String::StringToInt)) {
            return false;
        }
        number = value;
        return true;
    }
    return Converts(text, number, &String::StringToDouble);
}

// Orders texts by their ASCII-folded bytes: <0, 0 or >0.
int FoldedCompare(const std::string& a, const std::string& b) {
    const std::size_t length = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = static_cast<unsigned char>(String::CharToLower(a[i]));
        const unsigned char y = static_cast<unsigned char>(String::CharToLower(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool EntryLess(const std::string& a, const std::string& b) {
    const int folded = FoldedCompare(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

// What a value is reported for, as bits.
enum ValueFinding : unsigned char {
    kNoMatch = 1,
    kPartMatch = 2,
    kOutOfRange = 4,
    kNotEnumerated = 8
};

// The bucket of a remembered decision: SlotHash of std::hash, whose seed is
// drawn once per process, so values whose std::hash differ cannot be aimed
// at one bucket without knowing the seed. Values whose std::hash is equal
// (it has no seed, and texts that share one can be made) share a bucket
// whatever the seed, as do values made by one who knows it. What bounds a
// flood is the cap: the map holds at most kMaxRemembered values, so a lookup
// walks past at most that many, however long the column.
struct SeededHash {
    std::size_t operator()(const std::string& text) const {
        return SlotHash(std::hash<std::string>()(text));
    }
};

// The values of one column against the item's definition, in two steps:
// Assess tests the value of each row in ascending order and keeps the rows
// with findings, Report writes their lines. The columns of a table are then
// tested in one walk along its rows, where a walk down each column would
// read the whole table once per column, and still reported column by
// column. The kept rows hold a few bytes per finding, where each finding
// writes a line.
//
// The definition is borrowed, prepared (std::logic_error otherwise), and
// must outlive the object.
class ColumnValues {
public:
    ColumnValues(unsigned int column, const ItemDefinition& definition, bool enumCaseSense)
        : _column(column),
          _definition(definition),
          _rules(definition.Rules()),
          _pattern(definition.pattern && definition.pattern->IsCompiled() ? definition.pattern.get()
                                                                          : nullptr),
          _isNumber(definition.typeCode == kFloat || definition.typeCode == kInt),
          _isInt(definition.typeCode == kInt),
          _foldCase(definition.primitiveCode == kUchar && !enumCaseSense) {}

    // Whether any value can have a finding.
    bool Checks() const {
        return _pattern != nullptr || _definition.hasRanges || _definition.hasEnumeration;
    }

    unsigned int Column() const { return _column; }

    // `before` is the column's value in the row before, null in the first row.
    void Assess(unsigned int row, const std::string& value, const std::string* before) {
        if (CifString::IsEmptyValue(value)) {
            return;
        }
        // What is found depends on the value's text alone. Runs of equal
        // values are common (a residue's atoms): one decision serves the run.
        if (before == nullptr || !SameText(value, *before)) {
            const auto known = _decided.find(value);
            if (known != _decided.end()) {
                _lastFound = known->second;
            } else {
                _lastFound = _Decide(value);
                if (_decided.size() < kMaxRemembered) {
                    _decided.emplace(value, _lastFound);
                }
            }
        }
        if (_lastFound != 0) {
            _rows.push_back(row);
            _found.push_back(_lastFound);
        }
    }

    // 0 when a line was written, else 1.
    int Report(const std::string& blockName, const std::string& itemName, RowReader& rows,
               std::ostream& out) const {
        if (_rows.empty()) {
            return 1;
        }
        const std::string& typeCode = _definition.typeCode;
        std::string enumList;
        for (const std::string& value : _definition.enumValues) {
            enumList += (enumList.empty() ? "\"" : ", \"") + value + "\"";
        }
        // Looked up for the first part-match line only.
        std::string alias;
        bool aliasKnown = false;
        for (std::size_t i = 0; i < _rows.size(); ++i) {
            const unsigned int rowNumber = _rows[i] + 1;
            const std::string& value = rows.Row(_rows[i])[_column];
            if ((_found[i] & kNoMatch) != 0) {
                out << "ERROR - In block \"" << blockName << "\", data type pattern of value \""
                    << value << "\" for \"" << itemName << "\" does not match, in row #"
                    << rowNumber << std::endl;
            } else if ((_found[i] & kPartMatch) != 0) {
                if (!aliasKnown) {
                    alias = AliasText(_definition);
                    aliasKnown = true;
                }
                out << "ERROR - In block \"" << blockName << "\", in item \"" << itemName << "\""
                    << alias << ", in row #" << rowNumber << ", value \"" << value
                    << "\" does not correspond to item's type. The expected type is \"" << typeCode
                    << "\"." << std::endl;
            }
            if ((_found[i] & kOutOfRange) != 0) {
                out << "ERROR - In block \"" << blockName << "\", value \"" << value << "\" for \""
                    << itemName << "\" is out of range, in row #" << rowNumber << std::endl;
            }
            if ((_found[i] & kNotEnumerated) != 0) {
                out << "ERROR - In block \"" << blockName << "\", for \"" << itemName
                    << "\", value \"" << value
                    << "\" is not defined in the enumeration list. Acceptable values are: "
                    << enumList << std::endl;
            }
        }
        return 0;
    }

private:
    unsigned char _Decide(const std::string& value) const {
        unsigned char found = 0;
        if (_pattern != nullptr) {
            const TypePattern::Match match = _pattern->Test(value);
            if (match == TypePattern::NO_MATCH) {
                found |= kNoMatch;
            } else if (match == TypePattern::PART_MATCH && _definition.typeCode != kText) {
                found |= kPartMatch;
            }
        }
        if (_isNumber && (_definition.hasRanges || _definition.hasEnumeration)) {
            double number = 0;
            const bool converts = ToNumber(value, _isInt, number);
            // A value or a bound that is not a number is in range; a value
            // that is not a number is outside the enumeration.
            if (_definition.hasRanges && converts && !_rules.RangesAdmit(number)) {
                found |= kOutOfRange;
            }
            if (_definition.hasEnumeration && (!converts || !_rules.Enumerates(number))) {
                found |= kNotEnumerated;
            }
        } else if (_definition.hasEnumeration && !_rules.Enumerates(value, _foldCase)) {
            found |= kNotEnumerated;
        }
        return found;
    }

    // Values that recur apart (atom names, residue names, symbols) are
    // decided once each; the first kMaxRemembered distinct values are
    // remembered, so a column of distinct values costs little room.
    static const std::size_t kMaxRemembered = 1024;

    unsigned int _column;
    const ItemDefinition& _definition;
    const ValueRules& _rules;
    const TypePattern* _pattern;
    bool _isNumber;
    bool _isInt;
    bool _foldCase;
    // What was found for the last value tested.
    unsigned char _lastFound = 0;
    std::unordered_map<std::string, unsigned char, SeededHash> _decided;
    std::vector<unsigned int> _rows;
    std::vector<unsigned char> _found;
};

bool IsNullRow(const std::vector<std::string>& cells) {
    for (const std::string& cell : cells) {
        if (!CifString::IsUnknownValue(cell)) {
            return false;
        }
    }
    return true;
}

// Tests the columns' values in one walk along the table's rows; gathers the
// rows of null cells on the way when asked to (a row-wise table's only).
void AssessColumns(std::vector<ColumnValues>& columns, const ISTable& table,
                   std::vector<unsigned int>* nullRows) {
    std::vector<unsigned int> read;
    for (const ColumnValues& values : columns) {
        read.push_back(values.Column());
    }
    RowReader rows(table, read);
    RowReader previousRows(table);
    for (unsigned int row = 0; row < table.GetNumRows(); ++row) {
        const std::vector<std::string>& cells = rows.Row(row);
        const std::vector<std::string>* before = row > 0 ? &previousRows.Row(row - 1) : nullptr;
        for (ColumnValues& values : columns) {
            const unsigned int column = values.Column();
            values.Assess(row, cells[column], before != nullptr ? &(*before)[column] : nullptr);
        }
        if (nullRows != nullptr && IsNullRow(cells)) {
            nullRows->push_back(row);
        }
    }
}

// Reports the assessed columns one after another; 0 when a line was
// written, else 1.
int ReportColumns(const std::vector<ColumnValues>& columns, const Names& itemNames,
                  const ISTable& table, const std::string& blockName, std::ostream& out) {
    int result = 1;
    RowReader rows(table);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].Report(blockName, itemNames[i], rows, out) == 0) {
            result = 0;
        }
    }
    return result;
}

}  // namespace

void ItemDefinition::ReadType(ISTable& itemTypeList, TypePatterns* patterns) {
    // The row index is used as it comes: past the rows, the read throws.
    const unsigned int row = itemTypeList.FindFirst(Names{typeCode}, Names{"code"}, "");
    primitiveCode = itemTypeList(row, "primitive_code");
    const std::string& construct = itemTypeList(row, "construct");
    pattern =
        patterns != nullptr ? patterns->Get(construct) : std::make_shared<TypePattern>(construct);
}

ValueRules::ValueRules(const std::string& typeCode, const Names& minimums, const Names& maximums,
                       const Names& enumValues) {
    if (typeCode != kFloat && typeCode != kInt) {
        _enumTexts = enumValues;
        std::sort(_enumTexts.begin(), _enumTexts.end(), EntryLess);
        return;
    }
    const bool isInt = typeCode == kInt;
    std::vector<std::pair<double, double> > ranges;
    for (std::size_t i = 0; i < minimums.size() && i < maximums.size(); ++i) {
        const bool hasMinimum = !CifString::IsEmptyValue(minimums[i]);
        const bool hasMaximum = !CifString::IsEmptyValue(maximums[i]);
        double minimum = -std::numeric_limits<double>::infinity();
        double maximum = std::numeric_limits<double>::infinity();
        if ((hasMinimum && !ToNumber(minimums[i], isInt, minimum)) ||
            (hasMaximum && !ToNumber(maximums[i], isInt, maximum))) {
            // Every value reaches this row or is admitted before it.
            _rangesAdmitAll = true;
            break;
        }
        if (hasMinimum && hasMaximum && minimum == maximum) {
            _rangePoints.push_back(minimum);
        } else if ((hasMinimum || hasMaximum) && minimum < maximum) {
            // A converted number is finite: an open end is infinite.
            ranges.emplace_back(minimum, maximum);
        }
    }
    std::sort(_rangePoints.begin(), _rangePoints.end());
    std::sort(ranges.begin(), ranges.end());
    for (const std::pair<double, double>& range : ranges) {
        // Intervals that share an open end stay apart: the end is not in them.
        if (!_openRanges.empty() && range.first < _openRanges.back().second) {
            _openRanges.back().second = std::max(_openRanges.back().second, range.second);
        } else {
            _openRanges.push_back(range);
        }
    }
    for (const std::string& entry : enumValues) {
        double number = 0;
        if (ToNumber(entry, isInt, number)) {
            _enumNumbers.push_back(number);
        }
    }
    std::sort(_enumNumbers.begin(), _enumNumbers.end());
}

bool ValueRules::RangesAdmit(double number) const {
    if (_rangesAdmitAll || std::binary_search(_rangePoints.begin(), _rangePoints.end(), number)) {
        return true;
    }
    // The last interval that starts below the number is the only one that
    // can hold it.
    const auto after = std::lower_bound(
        _openRanges.begin(), _openRanges.end(), number,
        [](const std::pair<double, double>& range, double x) { return range.first < x; });
    return after != _openRanges.begin() && number < std::prev(after)->second;
}

bool ValueRules::Enumerates(double number) const {
    return std::binary_search(_enumNumbers.begin(), _enumNumbers.end(), number);
}

bool ValueRules::Enumerates(const std::string& value, bool foldCase) const {
    if (foldCase) {
        const auto at = std::lower_bound(_enumTexts.begin(), _enumTexts.end(), value,
                                         [](const std::string& entry, const std::string& text) {
                                             return FoldedCompare(entry, text) < 0;
                                         });
        return at != _enumTexts.end() && FoldedCompare(*at, value) == 0;
    }
    const auto at = std::lower_bound(_enumTexts.begin(), _enumTexts.end(), value, EntryLess);
    return at != _enumTexts.end() && *at == value;
}

void ItemDefinition::Prepare() {
    _rules.emplace(typeCode, minimums, maximums, enumValues);
}

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
    return RangeAdmits(value, typeCode, minimums, maximums);
}

int CifFile::_IsFloatInEnumeration(const std::string& value, const Names& enumValues) const {
    return InEnumeration<double>(value, enumValues, &String::StringToDouble);
}

int CifFile::_IsIntInEnumeration(const std::string& value, const Names& enumValues) const {
    return InEnumeration<int>(value, enumValues, &String::StringToInt);
}

int CifFile::_IsStringInEnumeration(const std::string& value, const std::string& primitiveCode,
                                    const Names& enumValues) const {
    return StringInEnumeration(value, primitiveCode, enumValues, _enumCaseSense);
}

int CifFile::_IsInEnumeration(const std::string& value, const std::string& typeCode,
                              const std::string& primitiveCode, const Names& enumValues) const {
    return EnumerationHas(value, typeCode, primitiveCode, enumValues, _enumCaseSense);
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
    if (itemTypeList != nullptr) {
        definition.ReadType(*itemTypeList);
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
    definition.Prepare();
    return _CheckValues(block, table, colName, definition, out);
}

int CifFile::_CheckValues(Block& block, ISTable& table, const std::string& colName,
                          const ItemDefinition& definition, std::ostream& out) const {
    if (definition.typeCode.empty() || table.GetNumRows() == 0) {
        return 1;
    }
    std::vector<ColumnValues> columns{
        ColumnValues(table.GetColumnIndex(colName), definition, _enumCaseSense)};
    if (!columns[0].Checks()) {
        return 1;
    }
    Names itemNames(1);
    CifString::MakeCifItem(itemNames[0], table.GetName(), colName);
    AssessColumns(columns, table, nullptr);
    return ReportColumns(columns, itemNames, table, block.GetName(), out);
}

int CifFile::_CheckTableValues(Block& block, ISTable& table, CheckDictionary& dict,
                               std::ostream& out) const {
    const std::string& blockName = block.GetName();
    std::vector<ColumnValues> columns;
    Names itemNames;
    // A definition that cannot be read ends the check after the lines of the
    // columns before it, as a check column by column would.
    std::exception_ptr failure;
    try {
        std::string cifItem;
        for (const std::string& column : table.GetColumnNames()) {
            CifString::MakeCifItem(cifItem, table.GetName(), column);
            const ItemDefinition& definition = dict.GetItemDefinition(cifItem);
            if (definition.typeCode.empty() || table.GetNumRows() == 0) {
                continue;
            }
            ColumnValues values(table.GetColumnIndex(column), definition, _enumCaseSense);
            if (values.Checks()) {
                columns.push_back(std::move(values));
                itemNames.push_back(cifItem);
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }

    const bool rowWise = table.IsRowWise();
    std::vector<unsigned int> nullRows;
    AssessColumns(columns, table, rowWise ? &nullRows : nullptr);
    const int result = ReportColumns(columns, itemNames, table, blockName, out);
    if (failure != nullptr) {
        std::rethrow_exception(failure);
    }
    if (!rowWise) {
        // Refused, as a row reference, for a column-wise table.
        for (unsigned int row = 0; row < table.GetNumRows(); ++row) {
            if (IsNullRow(table.GetRow(row))) {
                nullRows.push_back(row);
            }
        }
    }
    for (const unsigned int row : nullRows) {
        out << "WARNING - In block \"" << blockName << "\", in category \"" << table.GetName()
            << "\", row " << row + 1 << " contains all null values." << std::endl;
    }
    return result;
}
