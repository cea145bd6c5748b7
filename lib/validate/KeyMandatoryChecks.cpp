// CifFile: the key items and mandatory items of one data table against the
// dictionary's category_key and item tables.

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cif/CifFile.h"
#include "foundation/CharClass.h"
#include "foundation/CifString.h"
#include "table/ColumnFlags.h"
#include "table/ITTable.h"
#include "validate/RowReader.h"
#include "validate/TextIds.h"

namespace {

typedef std::vector<std::string> Names;

// The attribute of an item name. A name without "." has none: it gives ""
// (which no table has as a column) instead of the exception that
// CifString::GetItemFromCifItem raises for it.
std::string AttributeOf(const std::string& itemName) {
    std::string attribute;
    if (itemName.find('.') != std::string::npos) {
        CifString::GetItemFromCifItem(attribute, itemName);
    }
    return attribute;
}

bool HasColumn(const ISTable& table, const std::string& column) {
    return !column.empty() && table.IsColumnPresent(column);
}

std::string ItemName(const ISTable& table, const std::string& attribute) {
    std::string name;
    CifString::MakeCifItem(name, table.GetName(), attribute);
    return name;
}

// "." is a legal value of this one key.
bool IsNullKeyValue(const std::string& itemName, const std::string& value) {
    return CifString::IsEmptyValue(value) && !(value == "." && itemName == "_atom_sites_alt.id");
}

// The key of a row as the table's search indices compare it: each cell by
// its column's flags, components kept apart, and the whole key without
// regard to case when the first column is case-insensitive.
void MakeRowKey(std::string& key, const std::vector<std::string>& cells,
                const std::vector<unsigned int>& columns, const std::vector<ColumnFlags>& flags) {
    key.clear();
    const CompareType compareType = ColumnKey::KeyCompareType(flags[0]);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const std::string::size_type start = key.size();
        ColumnKey::AppendComponent(key, cells[columns[k]], flags[k]);
        ColumnKey::TerminateIndexComponent(key, start, compareType);
    }
    if (compareType == CaseInsensitive) {
        for (char& c : key) {
            c = CharClass::ToLower(c);
        }
    }
}

// Pairs (first row of a group, later row of the group) of the rows that
// share a key, in the order of the later rows. The keys get ids without
// being kept (a table of key texts would hold the whole key column again):
// the text of an id is made again from its first row when a key has its
// hash.
void FindRepeatedKeys(std::vector<std::pair<unsigned int, unsigned int> >& repeats,
                      const ISTable& table, const std::vector<unsigned int>& columns,
                      const std::vector<ColumnFlags>& flags) {
    TextIds ids(table.GetNumRows());
    // The first row of each id.
    std::vector<unsigned int> groups;
    std::string key, firstKey;
    RowReader rows(table, columns);
    RowReader firstRows(table);
    const auto keyOf = [&](unsigned int id) -> const std::string& {
        MakeRowKey(firstKey, firstRows.Row(groups[id]), columns, flags);
        return firstKey;
    };
    for (unsigned int row = 0; row < table.GetNumRows(); ++row) {
        MakeRowKey(key, rows.Row(row), columns, flags);
        const unsigned int id = ids.Add(key, keyOf);
        if (id == groups.size()) {
            groups.push_back(row);
        } else {
            repeats.emplace_back(groups[id], row);
        }
    }
}

}  // namespace

void CifFile::_GetKeyItems(Names& keys, const std::string& category, ISTable& categoryKey) const {
    keys.clear();
    std::vector<unsigned int> rows;
    categoryKey.Search(rows, Names{category}, Names{"id"}, 0, 0, 0, "");
    for (const unsigned int row : rows) {
        keys.push_back(AttributeOf(categoryKey(row, "name")));
    }
}

void CifFile::_CheckNullKeys(const Names& keys, ISTable& table, std::ostream& out) const {
    // Before the names are made: a key without a name ("") has no item name,
    // and a table without rows has nothing to report whatever its keys are.
    if (keys.empty() || table.GetNumRows() == 0) {
        return;
    }
    Names itemNames;
    for (const std::string& key : keys) {
        itemNames.push_back(ItemName(table, key));
    }
    std::vector<unsigned int> columns;
    table.GetColumnIndices(columns, keys);
    for (unsigned int r = 0; r < table.GetNumRows(); ++r) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const std::string& value = table(r, columns[k]);
            if (!IsNullKeyValue(itemNames[k], value)) {
                continue;
            }
            out << "ERROR - Key item \"" << itemNames[k] << "\" has invalid value \"" << value
                << "\"" << (keys.size() > 1 ? " in row having:" : "") << std::endl;
            for (std::size_t o = 0; o < keys.size(); ++o) {
                if (o != k) {
                    out << "  item \"" << itemNames[o] << "\" with value = \""
                        << table(r, columns[o]) << "\"" << std::endl;
                }
            }
        }
    }
}

void CifFile::_CheckKeyItems(const std::string& blockName, ISTable& table, const Names& keys,
                             std::ostream& out) const {
    const std::string& category = table.GetName();
    if (keys.empty()) {
        out << "ERROR - In block \"" << blockName << "\", no key items found in category \""
            << category << "\"" << std::endl;
        return;
    }
    bool missing = false;
    for (const std::string& key : keys) {
        if (!HasColumn(table, key)) {
            out << "ERROR - In block \"" << blockName << "\", key item \"" << key
                << "\" not found in category \"" << category << "\"" << std::endl;
            missing = true;
        }
    }
    if (missing) {
        return;
    }

    _CheckNullKeys(keys, table, out);

    // Rows grouped by key in one pass; a repeat is reported with the first
    // row of its group, groups in the order of their first rows and the
    // repeats of a group in row order.
    std::vector<unsigned int> columns;
    table.GetColumnIndices(columns, keys);
    std::vector<ColumnFlags> flags;
    for (const std::string& key : keys) {
        flags.push_back(table.GetFlags(key));
    }
    std::vector<std::pair<unsigned int, unsigned int> > repeats;
    FindRepeatedKeys(repeats, table, columns, flags);
    std::stable_sort(
        repeats.begin(), repeats.end(),
        [](const std::pair<unsigned int, unsigned int>& a,
           const std::pair<unsigned int, unsigned int>& b) { return a.first < b.first; });
    for (const auto& repeat : repeats) {
        bool nullKey = false;
        for (const unsigned int column : columns) {
            nullKey = nullKey || CifString::IsEmptyValue(table(repeat.first, column));
        }
        if (nullKey) {
            continue;
        }
        out << "ERROR - In block \"" << blockName << "\", in cateogory \"" << category
            << "\", values for key item(s):" << std::endl;
        for (const std::string& key : keys) {
            out << "  \"" << key << "\"," << std::endl;
        }
        out << "  in row #" << repeat.first + 1 << " are repeated in row #" << repeat.second + 1
            << std::endl;
    }
}

void CifFile::_CheckMandatoryItems(const std::string& blockName, ISTable& table, ISTable& item,
                                   const Names& keys, std::ostream& out) const {
    const std::string& category = table.GetName();
    std::vector<unsigned int> rows;
    for (const char* code : {"yes", "implicit", "implicit-ordinal"}) {
        item.Search(rows, Names{category, code}, Names{"category_id", "mandatory_code"}, 0, 0, 0,
                    "");
        if (!rows.empty()) {
            break;
        }
    }
    if (rows.empty()) {
        out << "ERROR - In block \"" << blockName << "\", no mandatory items found in category \""
            << category << "\"" << std::endl;
        return;
    }

    // A merged dictionary lists an item again in each frame that names it as
    // a child; each name is examined once, at its first row.
    struct Mandatory {
        std::string itemName;
        std::string attribute;
        // Of the table, or kAbsent.
        unsigned int column;
        // The rows whose value is "?".
        std::vector<unsigned int> unknown;
    };
    const unsigned int kAbsent = ~0u;
    std::vector<Mandatory> mandatory;
    std::set<std::string> examined;
    std::vector<unsigned int> columns;
    for (const unsigned int row : rows) {
        const std::string itemName = item(row, "name");
        if (!examined.insert(itemName).second) {
            continue;
        }
        const std::string attribute = AttributeOf(itemName);
        const bool present = HasColumn(table, attribute);
        mandatory.push_back(
            {itemName, attribute, present ? table.GetColumnIndex(attribute) : kAbsent, {}});
        if (present) {
            columns.push_back(mandatory.back().column);
        }
    }
    // One walk along the rows for all the items, where a walk down each
    // item's column would read the whole table once per item.
    if (!columns.empty()) {
        RowReader reader(table, columns);
        for (unsigned int r = 0; r < table.GetNumRows(); ++r) {
            const std::vector<std::string>& cells = reader.Row(r);
            for (Mandatory& m : mandatory) {
                // Not compared with "?" as a C string: that measures it first.
                if (m.column != kAbsent && cells[m.column].size() == 1 &&
                    cells[m.column][0] == '?') {
                    m.unknown.push_back(r);
                }
            }
        }
    }
    for (const Mandatory& m : mandatory) {
        if (m.column == kAbsent) {
            out << "ERROR - In block \"" << blockName << "\", mandatory item \"" << m.attribute
                << "\" is not in category \"" << category << "\"" << std::endl;
            continue;
        }
        for (const unsigned int r : m.unknown) {
            out << "ERROR - In block \"" << blockName << "\", mandatory item \"" << m.itemName
                << "\" has invalid value \"?\"";
            const char* separator = " in row: ";
            for (const std::string& key : keys) {
                if (key == m.attribute || !HasColumn(table, key)) {
                    continue;
                }
                out << separator << "\"" << ItemName(table, key) << "\" == \"" << table(r, key)
                    << "\"";
                separator = ", ";
            }
            out << std::endl;
        }
    }
}
