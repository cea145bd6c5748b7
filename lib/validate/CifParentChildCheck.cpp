// CifParentChild: the rows of a data table against the rows of their parent
// tables in the same block.

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "foundation/CifString.h"
#include "validate/CifParentChild.h"
#include "validate/ParentKeys.h"
#include "validate/RowReader.h"
#include "validate/SameText.h"

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

// Gathered parent keys by parent category and attributes, and the column
// ids they are gathered from by parent category. A row with null keys is
// looked up on its other keys, so one relation may gather several sets;
// relations that name the same parent attributes share theirs.
struct ParentKeysByName {
    std::map<std::string, ParentColumns> columns;
    std::map<Names, ParentKeys> keys;
    // The attributes that the relations of the tables checked together name
    // by parent category, so that the first relation to reach a parent table
    // gives all of them their ids in one walk along it.
    std::map<std::string, std::set<std::string> > needed;
};

// The parent keys of the relation's pairs `keyed`, gathered once per block
// (or per table outside the block's checks) for every relation that names
// the same parent attributes.
ParentKeys& KeysOf(ParentKeysByName& parentKeys, const ISTable& parent,
                   const std::string& parCategory, const Names& parAttributes,
                   const std::vector<bool>& parentHas, const std::vector<std::size_t>& keyed) {
    Names name{parCategory}, attributes;
    for (const std::size_t k : keyed) {
        name.push_back(parAttributes[k]);
        attributes.push_back(parAttributes[k]);
    }
    auto shared = parentKeys.keys.find(name);
    if (shared != parentKeys.keys.end()) {
        return shared->second;
    }
    auto columns = parentKeys.columns.find(parCategory);
    if (columns == parentKeys.columns.end()) {
        columns = parentKeys.columns.emplace(parCategory, parent).first;
        const auto needed = parentKeys.needed.find(parCategory);
        if (needed != parentKeys.needed.end()) {
            columns->second.Need(Names(needed->second.begin(), needed->second.end()));
        }
    }
    // All of the relation's columns at once: the relation's other attribute
    // sets come from the same pass.
    Names all;
    for (std::size_t k = 0; k < parAttributes.size(); ++k) {
        if (parentHas[k]) {
            all.push_back(parAttributes[k]);
        }
    }
    columns->second.Need(all);
    return parentKeys.keys
        .emplace(std::piecewise_construct, std::forward_as_tuple(name),
                 std::forward_as_tuple(parent, columns->second, attributes))
        .first->second;
}

// Whether the cells of the columns are the same in two rows.
bool SameCells(const Names& cells, const Names& before, const std::vector<unsigned int>& columns) {
    for (const unsigned int column : columns) {
        if (!SameText(cells[column], before[column])) {
            return false;
        }
    }
    return true;
}

// What a relation's walk over the rows of a table came to.
enum class RelationOutcome {
    // No row is unmatched (or the parent table is missing or empty, which
    // is reported but ends nothing).
    kChecked,
    // Some rows are reported unmatched.
    kUnmatchedRows,
    // A parent key attribute is undefined: reported, and the whole check
    // ends.
    kUndefinedParentKey,
};

// One relation over the rows of a table: each row with non-null child
// values is looked up among the parent's keys over the same pairs.
// Neighbouring rows often hold the same values (the atoms of a residue):
// such a row fares as the row before it.
class RelationCheck {
public:
    RelationCheck(ParentChild& relations, Block& block, ISTable& table, const Names& parKeys,
                  const Names& childKeys, ParentKeysByName& parentKeys, std::ostream& out)
        : _relations(relations),
          _block(block),
          _table(table),
          _parKeys(parKeys),
          _childKeys(childKeys),
          _parentKeys(parentKeys),
          _out(out) {
        CifString::GetCategoryFromCifItem(_parCategory, parKeys[0]);
        for (std::size_t k = 0; k < parKeys.size(); ++k) {
            _parAttributes.push_back(AttributeOf(parKeys[k]));
            _childColumns.push_back(table.GetColumnIndex(AttributeOf(childKeys[k])));
        }
    }

    RelationOutcome Run() {
        RelationOutcome outcome = RelationOutcome::kChecked;
        bool unmatched = false;
        RowReader rows(_table, _childColumns);
        RowReader previousRows(_table);
        for (unsigned int row = 0; row < _table.GetNumRows(); ++row) {
            const Names& cells = rows.Row(row);
            if (row == 0 || !SameCells(cells, previousRows.Row(row - 1), _childColumns)) {
                const Lookup lookup = _LookUp(cells);
                if (lookup == Lookup::kNoParent) {
                    return outcome;
                }
                if (lookup == Lookup::kUndefinedParentKey) {
                    return RelationOutcome::kUndefinedParentKey;
                }
                unmatched = lookup == Lookup::kUnmatched;
            }
            if (unmatched) {
                _ReportUnmatched(row, cells);
                outcome = RelationOutcome::kUnmatchedRows;
            }
        }
        return outcome;
    }

private:
    enum class Lookup { kMatched, kUnmatched, kNoParent, kUndefinedParentKey };

    // The row's values against the parent's keys over its non-null pairs.
    Lookup _LookUp(const Names& cells) {
        _PickKeyed(cells);
        if (_keyed.empty()) {
            return Lookup::kMatched;
        }
        if (_parent == nullptr && !_FindParent()) {
            return Lookup::kNoParent;
        }
        if (!_ParentHasKeyed()) {
            return Lookup::kUndefinedParentKey;
        }
        ParentKeys* keys = _KeysOfKeyed();
        return keys == nullptr || keys->Contains(cells, _keyedColumns) ? Lookup::kMatched
                                                                       : Lookup::kUnmatched;
    }

    // The pairs whose child value is not null, and their child columns.
    void _PickKeyed(const Names& cells) {
        _keyed.clear();
        _keyedColumns.clear();
        for (std::size_t k = 0; k < _childColumns.size(); ++k) {
            if (!CifString::IsEmptyValue(cells[_childColumns[k]])) {
                _keyed.push_back(k);
                _keyedColumns.push_back(_childColumns[k]);
            }
        }
    }

    // The parent table; false, after reporting it, when the block lacks it
    // or it has no rows.
    bool _FindParent() {
        if (!_block.IsTablePresent(_parCategory)) {
            if (_parCategory != "chem_comp_atom" && _parCategory != "atom_sites_alt") {
                _out << "++ERROR - In block \"" << _block.GetName() << "\", parent category \""
                     << _parCategory << "\", of category \"" << _table.GetName()
                     << "\", is missing." << std::endl;
            }
            return false;
        }
        _parent = _block.GetTablePtr(_parCategory);
        if (_parent->GetNumRows() == 0) {
            _out << "WARN - In block " << _block.GetName() << " category " << _table.GetName()
                 << " parent table empty " << _parCategory << std::endl;
            return false;
        }
        for (const std::string& attribute : _parAttributes) {
            _parentHas.push_back(_parent->IsColumnPresent(attribute));
        }
        return true;
    }

    // False, after reporting the first, when the parent lacks the attribute
    // of a non-null pair.
    bool _ParentHasKeyed() {
        for (const std::size_t k : _keyed) {
            if (!_parentHas[k]) {
                _out << "ERROR - In block \"" << _block.GetName() << "\", for child item \""
                     << _childKeys[k] << "\", parent key attribute \"" << _parAttributes[k]
                     << "\" is not defined in parent category \"" << _parCategory << "\""
                     << std::endl;
                return false;
            }
        }
        return true;
    }

    // The parent keys over the non-null pairs, decided once per set of
    // pairs; null when the null ones exempt the row from the lookup.
    ParentKeys* _KeysOfKeyed() {
        auto known = _keysByPairs.find(_keyed);
        if (known != _keysByPairs.end()) {
            return known->second;
        }
        Names nullAttributes;
        for (std::size_t k = 0, next = 0; k < _childColumns.size(); ++k) {
            if (next < _keyed.size() && _keyed[next] == k) {
                ++next;
            } else {
                nullAttributes.push_back(_parAttributes[k]);
            }
        }
        ParentKeys* keys =
            IsExempt(_table.GetName(), _parCategory, nullAttributes)
                ? nullptr
                : &KeysOf(_parentKeys, *_parent, _parCategory, _parAttributes, _parentHas, _keyed);
        return _keysByPairs.emplace(_keyed, keys).first->second;
    }

    void _ReportUnmatched(unsigned int row, const Names& cells) {
        if (!_labelKnown) {
            _label = LinkGroupLabel(_relations, _parKeys, _childKeys);
            _labelKnown = true;
        }
        if (_label.empty()) {
            _out << "BIG TROUBLE; linkGroupId not found!" << std::endl;
        }
        _out << "ERROR PARCHILD \"" << _label << "\" - In block \"" << _block.GetName()
             << "\", in category \"" << _table.GetName() << "\", in row# " << row + 1
             << ", unmatched value in the parent \"" << _parCategory << "\"" << std::endl;
        for (const std::size_t k : _keyed) {
            _out << "  \"" << _childKeys[k] << "\" -> \"_" << _parCategory << "."
                 << _parAttributes[k] << "\" value =\"" << cells[_childColumns[k]] << "\""
                 << std::endl;
        }
    }

    ParentChild& _relations;
    Block& _block;
    ISTable& _table;
    const Names& _parKeys;
    const Names& _childKeys;
    ParentKeysByName& _parentKeys;
    std::ostream& _out;
    std::string _parCategory;
    Names _parAttributes;
    std::vector<unsigned int> _childColumns;

    // Found at the first row with a non-null pair.
    ISTable* _parent = nullptr;
    std::vector<bool> _parentHas;
    // The pairs of the last row looked up whose child value is not null,
    // and their child columns.
    std::vector<std::size_t> _keyed;
    std::vector<std::size_t> _keyedColumns;
    std::map<std::vector<std::size_t>, ParentKeys*> _keysByPairs;
    bool _labelKnown = false;
    std::string _label;
};

}  // namespace

struct CifParentChild::BlockParentKeys {
    const Block* block;
    ParentKeysByName keys;
    bool neededKnown = false;
};

void CifParentChild::BlockParentKeysDeleter::operator()(BlockParentKeys* keys) const {
    delete keys;
}

void CifParentChild::BeginBlockChecks(const Block& block) {
    _blockParentKeys.reset(new BlockParentKeys{&block, ParentKeysByName(), false});
}

void CifParentChild::EndBlockChecks() {
    _blockParentKeys.reset();
}

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
    // The relations of a table, without the pairs whose child item it lacks.
    const auto relationsOf = [this](NameLists& parKeyLists, NameLists& childKeyLists,
                                    const ISTable& child) {
        GetCategoryRelations(parKeyLists, childKeyLists, child.GetName());
        if (parKeyLists.empty()) {
            return;
        }
        Names cifItems;
        CifString::MakeCifItem(cifItems, child.GetName(), child.GetColumnNames());
        _DropAbsentChildItems(parKeyLists, childKeyLists, cifItems);
    };
    NameLists parKeyLists, childKeyLists;
    relationsOf(parKeyLists, childKeyLists, table);
    if (parKeyLists.empty()) {
        return result;
    }

    // A dictionary may state one relation twice, its parent keys in another
    // order: its rows are checked once.
    std::set<std::vector<std::pair<std::string, std::string> > > checked;
    // Keys gathered for this table alone unless the block's are shared.
    ParentKeysByName ownKeys;
    const bool shared = _blockParentKeys && _blockParentKeys->block == &block;
    ParentKeysByName& parentKeys = shared ? _blockParentKeys->keys : ownKeys;
    if (shared && !_blockParentKeys->neededKnown) {
        _blockParentKeys->neededKnown = true;
        Names tableNames;
        block.GetTableNames(tableNames);
        for (const std::string& name : tableNames) {
            NameLists parents, children;
            relationsOf(parents, children, *block.GetTablePtr(name));
            for (const Names& parKeys : parents) {
                if (parKeys.empty()) {
                    continue;
                }
                std::string parCategory;
                CifString::GetCategoryFromCifItem(parCategory, parKeys[0]);
                for (const std::string& parKey : parKeys) {
                    parentKeys.needed[parCategory].insert(AttributeOf(parKey));
                }
            }
        }
    }
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
        const RelationOutcome outcome =
            RelationCheck(*this, block, table, parKeyLists[i], childKeyLists[i], parentKeys, out)
                .Run();
        if (outcome == RelationOutcome::kUndefinedParentKey) {
            return 0;
        }
        if (outcome == RelationOutcome::kUnmatchedRows) {
            result = 0;
        }
    }
    return result;
}
