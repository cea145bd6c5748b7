// CifParentChild: the rows of a data table against the rows of their parent
// tables in the same block.

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "foundation/CharClass.h"
#include "foundation/CifString.h"
#include "table/ColumnFlags.h"
#include "validate/CifParentChild.h"

namespace {

typedef std::vector<std::string> Names;

// Null keys that a row may have towards a parent without being looked up:
// the null parent attributes in pair order, as runs whose members may come
// in any order (each run sorted here).
struct ExemptNulls {
    std::string table;
    std::string parent;
    std::vector<Names> runs;
};

const std::vector<ExemptNulls>& ExemptSets() {
    static const std::vector<ExemptNulls> sets{
        {"atom_site", "entity_poly_seq", {{"num"}}},
        {"atom_site", "pdbx_poly_seq_scheme", {{"seq_id"}}},
        {"pdbx_poly_seq_scheme", "atom_site", {{"auth_comp_id", "pdbx_PDB_ins_code"}}},
        {"atom_site", "pdbx_poly_seq_scheme", {{"pdb_ins_code", "seq_id"}}},
        {"pdbx_poly_seq_scheme",
         "atom_site",
         {{"auth_comp_id", "auth_seq_id"}, {"pdbx_PDB_ins_code"}}},
        {"struct_ref_seq_dif", "pdbx_poly_seq_scheme", {{"mon_id", "seq_id"}, {"pdb_ins_code"}}},
    };
    return sets;
}

bool IsExempt(const std::string& table, const std::string& parent, const Names& nullAttributes) {
    if (nullAttributes.empty()) {
        return false;
    }
    for (const ExemptNulls& set : ExemptSets()) {
        if (set.table != table || set.parent != parent) {
            continue;
        }
        std::size_t from = 0;
        bool matches = true;
        for (const Names& run : set.runs) {
            if (from + run.size() > nullAttributes.size()) {
                matches = false;
                break;
            }
            Names part(nullAttributes.begin() + from, nullAttributes.begin() + from + run.size());
            std::sort(part.begin(), part.end());
            matches = matches && part == run;
            from += run.size();
        }
        if (matches && from == nullAttributes.size()) {
            return true;
        }
    }
    return false;
}

std::string AttributeOf(const std::string& cifItemName) {
    std::string attribute;
    CifString::GetItemFromCifItem(attribute, cifItemName);
    return attribute;
}

// The label of the relation's link group, "" when there is none. In the
// PDBx/mmCIF dictionary a few list groups have no group row (a numbering
// slip); their relations are reported as relations without a group rather
// than ending the run.
std::string LinkGroupLabel(ParentChild& relations, const Names& parKeys, const Names& childKeys) {
    std::string label;
    try {
        relations.GetLinkGroupIdLabel(label, parKeys, childKeys);
    } catch (const std::runtime_error&) {
        label.clear();
    }
    return label;
}

// The key tuples of a parent table over some of its columns, gathered in
// one pass, compared as the table's search indices compare them: each cell
// by its column's flags, and the whole key without regard to case when the
// first column is case-insensitive.
class ParentKeys {
public:
    ParentKeys(const ISTable& parent, const Names& attributes) {
        std::vector<unsigned int> columns;
        parent.GetColumnIndices(columns, attributes);
        for (const std::string& attribute : attributes) {
            _flags.push_back(parent.GetFlags(attribute));
        }
        const unsigned int numRows = parent.GetNumRows();
        _keys.reserve(numRows);
        std::string key;
        for (unsigned int row = 0; row < numRows; ++row) {
            key.clear();
            for (std::size_t k = 0; k < columns.size(); ++k) {
                _Append(key, parent(row, columns[k]), k);
            }
            _keys.insert(key);
        }
    }

    bool Contains(const Names& values, std::string& key) const {
        key.clear();
        for (std::size_t k = 0; k < values.size(); ++k) {
            _Append(key, values[k], k);
        }
        return _keys.count(key) != 0;
    }

private:
    void _Append(std::string& key, const std::string& value, std::size_t k) const {
        const CompareType compareType = ColumnKey::KeyCompareType(_flags[0]);
        const std::string::size_type start = key.size();
        ColumnKey::AppendComponent(key, value, _flags[k]);
        ColumnKey::TerminateIndexComponent(key, start, compareType);
        if (compareType == CaseInsensitive) {
            for (std::string::size_type i = start; i < key.size(); ++i) {
                key[i] = CharClass::ToLower(key[i]);
            }
        }
    }

    std::vector<ColumnFlags> _flags;
    std::unordered_set<std::string> _keys;
};

// One relation over the rows of the table. False when a parent key
// attribute is undefined, which ends the whole check.
bool CheckRelation(ParentChild& relations, Block& block, ISTable& table, const Names& parKeys,
                   const Names& childKeys, std::ostream& out, int& result) {
    const std::string& category = table.GetName();
    const std::string& blockName = block.GetName();
    std::string parCategory;
    CifString::GetCategoryFromCifItem(parCategory, parKeys[0]);
    Names parAttributes;
    std::vector<unsigned int> childColumns;
    for (std::size_t k = 0; k < parKeys.size(); ++k) {
        parAttributes.push_back(AttributeOf(parKeys[k]));
        childColumns.push_back(table.GetColumnIndex(AttributeOf(childKeys[k])));
    }

    ISTable* parent = nullptr;
    std::vector<bool> parentHas;
    // A row with null keys is looked up on its other keys: the parent keys
    // are gathered once for each set of attributes that rows look up on.
    std::map<Names, ParentKeys> parentKeys;
    std::string lookupKey;
    Names keyValues, keyAttributes, keyItems, nullAttributes;
    // Neighbouring rows often hold the same values (the atoms of a residue):
    // such a row fares as the row before it.
    Names previousValues;
    bool previousUnmatched = false;
    bool labelKnown = false;
    std::string label;
    for (unsigned int row = 0; row < table.GetNumRows(); ++row) {
        bool same = !previousValues.empty();
        for (std::size_t k = 0; k < childColumns.size() && same; ++k) {
            same = table(row, childColumns[k]) == previousValues[k];
        }
        if (!same) {
            keyValues.clear();
            keyAttributes.clear();
            keyItems.clear();
            nullAttributes.clear();
            previousValues.clear();
            for (std::size_t k = 0; k < childColumns.size(); ++k) {
                const std::string& value = table(row, childColumns[k]);
                previousValues.push_back(value);
                if (CifString::IsEmptyValue(value)) {
                    nullAttributes.push_back(parAttributes[k]);
                } else {
                    keyValues.push_back(value);
                    keyAttributes.push_back(parAttributes[k]);
                    keyItems.push_back(childKeys[k]);
                }
            }
            previousUnmatched = false;
            if (keyValues.empty()) {
                continue;
            }
            if (parent == nullptr) {
                if (!block.IsTablePresent(parCategory)) {
                    if (parCategory != "chem_comp_atom" && parCategory != "atom_sites_alt") {
                        out << "++ERROR - In block \"" << blockName << "\", parent category \""
                            << parCategory << "\", of category \"" << category << "\", is missing."
                            << std::endl;
                    }
                    return true;
                }
                parent = block.GetTablePtr(parCategory);
                if (parent->GetNumRows() == 0) {
                    out << "WARN - In block " << blockName << " category " << category
                        << " parent table empty " << parCategory << std::endl;
                    return true;
                }
                for (const std::string& attribute : parAttributes) {
                    parentHas.push_back(parent->IsColumnPresent(attribute));
                }
            }
            for (std::size_t k = 0; k < childColumns.size(); ++k) {
                if (!parentHas[k] && !CifString::IsEmptyValue(previousValues[k])) {
                    out << "ERROR - In block \"" << blockName << "\", for child item \""
                        << childKeys[k] << "\", parent key attribute \"" << parAttributes[k]
                        << "\" is not defined in parent category \"" << parCategory << "\""
                        << std::endl;
                    result = 0;
                    return false;
                }
            }
            if (!IsExempt(category, parCategory, nullAttributes)) {
                auto keys = parentKeys.find(keyAttributes);
                if (keys == parentKeys.end()) {
                    keys =
                        parentKeys.emplace(keyAttributes, ParentKeys(*parent, keyAttributes)).first;
                }
                previousUnmatched = !keys->second.Contains(keyValues, lookupKey);
            }
        }
        if (!previousUnmatched) {
            continue;
        }
        if (!labelKnown) {
            label = LinkGroupLabel(relations, parKeys, childKeys);
            labelKnown = true;
        }
        if (label.empty()) {
            out << "BIG TROUBLE; linkGroupId not found!" << std::endl;
        }
        out << "ERROR PARCHILD \"" << label << "\" - In block \"" << blockName
            << "\", in category \"" << category << "\", in row# " << row + 1
            << ", unmatched value in the parent \"" << parCategory << "\"" << std::endl;
        for (std::size_t k = 0; k < keyValues.size(); ++k) {
            out << "  \"" << keyItems[k] << "\" -> \"_" << parCategory << "." << keyAttributes[k]
                << "\" value =\"" << keyValues[k] << "\"" << std::endl;
        }
        result = 0;
    }
    return true;
}

}  // namespace

void CifParentChild::_DropAbsentChildItems(NameLists& parKeyLists, NameLists& childKeyLists,
                                           const std::vector<std::string>& cifItems) {
    for (std::size_t i = 0; i < childKeyLists.size(); ++i) {
        for (std::size_t k = childKeyLists[i].size(); k-- > 0;) {
            if (std::find(cifItems.begin(), cifItems.end(), childKeyLists[i][k]) ==
                cifItems.end()) {
                childKeyLists[i].erase(childKeyLists[i].begin() + k);
                parKeyLists[i].erase(parKeyLists[i].begin() + k);
            }
        }
    }
}

int CifParentChild::CheckParentChild(Block& block, ISTable& table, std::ostream& out) {
    int result = 1;
    NameLists parKeyLists, childKeyLists;
    GetCategoryRelations(parKeyLists, childKeyLists, table.GetName());
    if (parKeyLists.empty()) {
        return result;
    }
    Names cifItems;
    CifString::MakeCifItem(cifItems, table.GetName(), table.GetColumnNames());
    _DropAbsentChildItems(parKeyLists, childKeyLists, cifItems);

    // A dictionary may state one relation twice, its parent keys in another
    // order: its rows are checked once.
    std::set<std::vector<std::pair<std::string, std::string> > > checked;
    for (std::size_t i = 0; i < parKeyLists.size(); ++i) {
        if (parKeyLists[i].empty()) {
            continue;
        }
        std::vector<std::pair<std::string, std::string> > pairs;
        for (std::size_t k = 0; k < parKeyLists[i].size(); ++k) {
            pairs.emplace_back(childKeyLists[i][k], parKeyLists[i][k]);
        }
        std::sort(pairs.begin(), pairs.end());
        if (!checked.insert(pairs).second) {
            continue;
        }
        if (!CheckRelation(*this, block, table, parKeyLists[i], childKeyLists[i], out, result)) {
            return 0;
        }
    }
    return result;
}
