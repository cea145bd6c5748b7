// CifParentChild: the rows of a data table against the rows of their parent
// tables in the same block.

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "foundation/CharClass.h"
#include "foundation/CifString.h"
#include "table/ColumnFlags.h"
#include "table/ITTable.h"
#include "validate/CifParentChild.h"
#include "validate/SlotHash.h"

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

// Reads the rows of a table by number, a row-wise table's from its stored
// tuples: rows in ascending order segment by segment, any other row through
// a binary search over the segments' first rows.
class RowReader {
public:
    explicit RowReader(const ISTable& table) : _table(table) {
        unsigned int start = 0;
        for (unsigned int s = 0; s < table.GetNumSegments(); ++s) {
            _starts.push_back(start);
            start += table.GetSegment(s).GetNumRows();
        }
    }

    // Valid until the next call.
    const std::vector<std::string>& Row(unsigned int row) {
        if (_table.GetOrientation() != 1) {
            _table.GetRow(_copy, row, std::string(), std::string());
            return _copy;
        }
        if (row < _start || row - _start >= _table.GetSegment(_segment).GetNumRows()) {
            // The last segment starting at or before the row: empty segments
            // share their start with the segment after them.
            _segment = static_cast<unsigned int>(
                std::upper_bound(_starts.begin(), _starts.end(), row) - _starts.begin() - 1);
            _start = _starts[_segment];
        }
        return _table.GetSegment(_segment).GetRows()[row - _start];
    }

private:
    const ISTable& _table;
    std::vector<unsigned int> _starts;
    unsigned int _segment = 0;
    unsigned int _start = 0;
    std::vector<std::string> _copy;
};

// The key tuples of a parent table over some of its columns, gathered in
// one pass, compared as the table's search indices compare them: each cell
// by its column's flags, and the whole key without regard to case when the
// first column is case-insensitive. Only a hash and the first row of each
// distinct key are kept (an open-addressing table of 16-byte slots, grown
// with the keys, so that a few keys over many rows take little room). A slot
// holds one hash; the keys whose hash a kept key of another text has are set
// aside in an ordered set, consulted only on such a mismatch, so that keys
// made to share a hash cost a tree search each rather than a comparison with
// every other.
class ParentKeys {
public:
    ParentKeys(const ISTable& parent, const Names& attributes) : _rows(parent), _stored(parent) {
        std::vector<unsigned int> columns;
        parent.GetColumnIndices(columns, attributes);
        _columns.assign(columns.begin(), columns.end());
        for (const std::string& attribute : attributes) {
            _flags.push_back(parent.GetFlags(attribute));
        }
        _foldCase = ColumnKey::KeyCompareType(_flags[0]) == CaseInsensitive;
        _slots.assign(16, Slot());
        RowReader previous(parent);
        for (unsigned int row = 0; row < parent.GetNumRows(); ++row) {
            const Names& cells = _rows.Row(row);
            // Neighbouring rows often share a key (the atoms of a residue):
            // a row whose key cells are those of the row before it is neither
            // hashed nor probed.
            if (row > 0 && _SameCells(cells, previous.Row(row - 1))) {
                continue;
            }
            _Insert(_Hash(cells, _columns), row, cells);
        }
    }

    // values[picked[k]] stands for the k-th attribute.
    bool Contains(const Names& values, const std::vector<std::size_t>& picked) {
        const std::size_t hash = _Hash(values, picked);
        const std::size_t mask = _slots.size() - 1;
        for (std::size_t i = SlotHash(hash) & mask; _slots[i].row != kEmpty; i = (i + 1) & mask) {
            if (_slots[i].hash == hash) {
                return _Equal(values, picked, _stored.Row(_slots[i].row)) ||
                       (!_sharedHashes.empty() &&
                        _sharedHashes.count(_Composed(values, picked)) > 0);
            }
        }
        return false;
    }

private:
    static const unsigned int kEmpty = ~0u;
    struct Slot {
        std::size_t hash = 0;
        unsigned int row = kEmpty;
    };

    // Keeps the row unless a kept row has its key, in the set aside when its
    // hash is taken; at most half the slots are used.
    void _Insert(std::size_t hash, unsigned int row, const Names& cells) {
        const std::size_t mask = _slots.size() - 1;
        std::size_t i = SlotHash(hash) & mask;
        for (; _slots[i].row != kEmpty; i = (i + 1) & mask) {
            if (_slots[i].hash == hash) {
                if (!_Equal(cells, _columns, _stored.Row(_slots[i].row))) {
                    _sharedHashes.insert(_Composed(cells, _columns));
                }
                return;
            }
        }
        _slots[i].hash = hash;
        _slots[i].row = row;
        if (2 * ++_used > _slots.size()) {
            _Grow();
        }
    }

    // Twice the slots; the kept hashes are distinct, so no key is compared.
    void _Grow() {
        std::vector<Slot> slots(2 * _slots.size());
        const std::size_t mask = slots.size() - 1;
        for (const Slot& slot : _slots) {
            if (slot.row == kEmpty) {
                continue;
            }
            std::size_t i = SlotHash(slot.hash) & mask;
            while (slots[i].row != kEmpty) {
                i = (i + 1) & mask;
            }
            slots[i] = slot;
        }
        _slots.swap(slots);
    }

    // The value as the key compares it: a plain text cell as it is, others
    // through `_scratch`.
    const std::string& _Component(const std::string& value, std::size_t k) {
        if (_flags[k] == COLUMN_TYPE_TEXT && !_foldCase) {
            return value;
        }
        _scratch.clear();
        ColumnKey::AppendComponent(_scratch, value, _flags[k]);
        if (_foldCase) {
            for (char& c : _scratch) {
                c = CharClass::ToLower(c);
            }
        }
        return _scratch;
    }

    // values[picked[k]] stands for the k-th attribute.
    std::size_t _Hash(const Names& values, const std::vector<std::size_t>& picked) {
        std::size_t hash = 0;
        for (std::size_t k = 0; k < picked.size(); ++k) {
            const std::string& component = _Component(values[picked[k]], k);
            std::size_t h = 14695981039346656037ull;
            for (const char c : component) {
                h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
            }
            hash = (hash ^ h) * 0x9E3779B97F4A7C15ull + k;
        }
        return hash;
    }

    // The key cells of two rows are the same texts; the column that differed
    // last is compared first.
    bool _SameCells(const Names& cells, const Names& other) {
        if (cells[_columns[_differed]] != other[_columns[_differed]]) {
            return false;
        }
        for (std::size_t k = 0; k < _columns.size(); ++k) {
            if (cells[_columns[k]] != other[_columns[k]]) {
                _differed = k;
                return false;
            }
        }
        return true;
    }

    // The key as compared, component by component.
    Names _Composed(const Names& values, const std::vector<std::size_t>& picked) {
        Names components;
        for (std::size_t k = 0; k < picked.size(); ++k) {
            components.push_back(_Component(values[picked[k]], k));
        }
        return components;
    }

    bool _Equal(const Names& values, const std::vector<std::size_t>& picked, const Names& cells) {
        for (std::size_t k = 0; k < picked.size(); ++k) {
            const std::string component = _Component(values[picked[k]], k);
            if (component != _Component(cells[_columns[k]], k)) {
                return false;
            }
        }
        return true;
    }

    // Two readers: a row being gathered is compared with a kept one.
    RowReader _rows;
    RowReader _stored;
    std::vector<std::size_t> _columns;
    std::vector<ColumnFlags> _flags;
    bool _foldCase = false;
    std::vector<Slot> _slots;
    std::set<Names> _sharedHashes;
    std::size_t _used = 0;
    std::size_t _differed = 0;
    std::string _scratch;
};

// Gathered parent keys by parent category and attributes. A row with null
// keys is looked up on its other keys, so one relation may gather several
// sets; relations that name the same parent attributes share theirs.
typedef std::map<Names, ParentKeys> ParentKeysByName;

// One relation over the rows of the table. False when a parent key
// attribute is undefined, which ends the whole check.
bool CheckRelation(ParentChild& relations, Block& block, ISTable& table, const Names& parKeys,
                   const Names& childKeys, ParentKeysByName& parentKeys, std::ostream& out,
                   int& result) {
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
    // The pairs whose child value is not null, and the null ones' parent
    // attributes.
    std::vector<std::size_t> keyed;
    Names nullAttributes;
    // The gathered parent keys by the pairs a row is looked up on.
    std::map<std::vector<std::size_t>, ParentKeys*> keysByPairs;
    ParentKeys* keys = nullptr;
    // Neighbouring rows often hold the same values (the atoms of a residue):
    // such a row fares as the row before it.
    Names previousValues(childColumns.size());
    bool havePrevious = false;
    bool previousUnmatched = false;
    bool labelKnown = false;
    std::string label;
    RowReader rows(table);
    for (unsigned int row = 0; row < table.GetNumRows(); ++row) {
        const std::vector<std::string>& cells = rows.Row(row);
        bool same = havePrevious;
        for (std::size_t k = 0; k < childColumns.size() && same; ++k) {
            same = cells[childColumns[k]] == previousValues[k];
        }
        if (!same) {
            keyed.clear();
            nullAttributes.clear();
            for (std::size_t k = 0; k < childColumns.size(); ++k) {
                const std::string& value = cells[childColumns[k]];
                previousValues[k] = value;
                if (CifString::IsEmptyValue(value)) {
                    nullAttributes.push_back(parAttributes[k]);
                } else {
                    keyed.push_back(k);
                }
            }
            havePrevious = true;
            previousUnmatched = false;
            if (keyed.empty()) {
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
            for (const std::size_t k : keyed) {
                if (!parentHas[k]) {
                    out << "ERROR - In block \"" << blockName << "\", for child item \""
                        << childKeys[k] << "\", parent key attribute \"" << parAttributes[k]
                        << "\" is not defined in parent category \"" << parCategory << "\""
                        << std::endl;
                    result = 0;
                    return false;
                }
            }
            if (!IsExempt(category, parCategory, nullAttributes)) {
                const auto known = keysByPairs.find(keyed);
                if (known != keysByPairs.end()) {
                    keys = known->second;
                } else {
                    Names name{parCategory}, attributes;
                    for (const std::size_t k : keyed) {
                        name.push_back(parAttributes[k]);
                        attributes.push_back(parAttributes[k]);
                    }
                    auto shared = parentKeys.find(name);
                    if (shared == parentKeys.end()) {
                        shared = parentKeys
                                     .emplace(std::piecewise_construct, std::forward_as_tuple(name),
                                              std::forward_as_tuple(*parent, attributes))
                                     .first;
                    }
                    keys = &shared->second;
                    keysByPairs.emplace(keyed, keys);
                }
                previousUnmatched = !keys->Contains(previousValues, keyed);
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
        for (const std::size_t k : keyed) {
            out << "  \"" << childKeys[k] << "\" -> \"_" << parCategory << "." << parAttributes[k]
                << "\" value =\"" << previousValues[k] << "\"" << std::endl;
        }
        result = 0;
    }
    return true;
}

}  // namespace

struct CifParentChild::BlockParentKeys {
    const Block* block;
    ParentKeysByName keys;
};

void CifParentChild::BlockParentKeysDeleter::operator()(BlockParentKeys* keys) const {
    delete keys;
}

void CifParentChild::BeginBlockChecks(const Block& block) {
    _blockParentKeys.reset(new BlockParentKeys{&block, ParentKeysByName()});
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
    // Keys gathered for this table alone unless the block's are shared.
    ParentKeysByName ownKeys;
    ParentKeysByName& parentKeys =
        _blockParentKeys && _blockParentKeys->block == &block ? _blockParentKeys->keys : ownKeys;
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
        if (!CheckRelation(*this, block, table, parKeyLists[i], childKeyLists[i], parentKeys, out,
                           result)) {
            return 0;
        }
    }
    return result;
}
