// CifParentChild: the rows of a data table against the rows of their parent
// tables in the same block.

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "foundation/CharClass.h"
#include "foundation/CifString.h"
#include "table/ColumnFlags.h"
#include "table/ITTable.h"
#include "validate/CifParentChild.h"
#include "validate/RowReader.h"
#include "validate/SameText.h"
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

// Doubles an open-addressing table of distinct entries: each goes to the
// first free slot from the place that `place` gives it, with no comparison.
template <class Slot, class IsFree, class Place>
void GrowSlots(std::vector<Slot>& slots, const Slot& free, IsFree isFree, Place place) {
    std::vector<Slot> grown(2 * slots.size(), free);
    const std::size_t mask = grown.size() - 1;
    for (const Slot& slot : slots) {
        if (isFree(slot)) {
            continue;
        }
        std::size_t i = place(slot) & mask;
        while (!isFree(grown[i])) {
            i = (i + 1) & mask;
        }
        grown[i] = slot;
    }
    slots.swap(grown);
}

// FNV-1a over a text.
std::size_t TextHash(const std::string& text) {
    std::size_t h = 14695981039346656037ull;
    for (const char c : text) {
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return h;
}

// Dense ids of the distinct texts of some columns of a parent table, one id
// per row and column, so that gathering keys over some of the columns reads
// small numbers instead of the rows (a large table would otherwise be read
// once per attribute set gathered). The columns a relation names are given
// ids together, in one pass. A text's id is found through an open-addressing
// table of 16-byte slots holding a hash and an id, confirmed against the
// text of the id's first row; texts whose hash a text of another id has are
// set aside in an ordered map, consulted only on such a mismatch, so that
// texts made to share a hash cost a tree search each.
class ParentColumns {
public:
    static constexpr unsigned int kNone = ~0u;
    struct Slot {
        std::size_t hash = 0;
        unsigned int id = kNone;
    };
    // One column's ids; a handle that stays valid while the object lives.
    struct Column {
        unsigned int index = 0;
        // The id of each row's text.
        std::vector<unsigned int> ids;
        // The first row of each id's text.
        std::vector<unsigned int> firstRows;
        std::vector<Slot> slots;
        std::map<std::string, unsigned int> sharedHashes;
    };

    explicit ParentColumns(const ISTable& parent) : _table(parent), _stored(parent) {}

    // Gives ids to the columns of the attributes (those the table has) that
    // have none yet.
    void Need(const Names& attributes) {
        std::vector<Column*> added;
        for (const std::string& attribute : attributes) {
            if (!_table.IsColumnPresent(attribute) || _columns.count(attribute) > 0) {
                continue;
            }
            Column& column = _columns[attribute];
            column.index = _table.GetColumnIndex(attribute);
            column.slots.assign(16, Slot());
            column.ids.reserve(_table.GetNumRows());
            added.push_back(&column);
        }
        if (added.empty()) {
            return;
        }
        std::vector<unsigned int> indices;
        for (const Column* column : added) {
            indices.push_back(column->index);
        }
        RowReader rows(_table, indices);
        RowReader previous(_table);
        for (unsigned int row = 0; row < _table.GetNumRows(); ++row) {
            const Names& cells = rows.Row(row);
            const Names* before = row > 0 ? &previous.Row(row - 1) : nullptr;
            for (Column* column : added) {
                const std::string& cell = cells[column->index];
                // Neighbouring rows often share a text (the atoms of a
                // residue): it is neither hashed nor probed.
                if (before != nullptr && SameText((*before)[column->index], cell)) {
                    column->ids.push_back(column->ids.back());
                } else {
                    column->ids.push_back(_Id(*column, cell, row));
                }
            }
        }
    }

    // The column of an attribute that Need gave ids.
    Column& Of(const std::string& attribute) { return _columns.at(attribute); }

    // The text of an id.
    const std::string& Text(const Column& column, unsigned int id) {
        return _stored.Row(column.firstRows[id])[column.index];
    }

    // The id of a text in the column, kNone when no row has it.
    unsigned int Find(Column& column, const std::string& text) {
        return _Probe(column, text, TextHash(text), nullptr);
    }

private:
    // The id of the text, or kNone with `free` at the slot it would take
    // (null when its hash is taken by another text).
    unsigned int _Probe(Column& column, const std::string& text, std::size_t hash, Slot** free) {
        const std::size_t mask = column.slots.size() - 1;
        for (std::size_t i = SlotHash(hash) & mask;; i = (i + 1) & mask) {
            Slot& slot = column.slots[i];
            if (slot.id == kNone) {
                if (free != nullptr) {
                    *free = &slot;
                }
                return kNone;
            }
            if (slot.hash != hash) {
                continue;
            }
            if (_stored.Row(column.firstRows[slot.id])[column.index] == text) {
                return slot.id;
            }
            if (free != nullptr) {
                *free = nullptr;
            }
            const auto shared = column.sharedHashes.find(text);
            return shared == column.sharedHashes.end() ? kNone : shared->second;
        }
    }

    // The id of a cell, a new one when no earlier row has its text.
    unsigned int _Id(Column& column, const std::string& cell, unsigned int row) {
        const std::size_t hash = TextHash(cell);
        Slot* free = nullptr;
        const unsigned int known = _Probe(column, cell, hash, &free);
        if (known != kNone) {
            return known;
        }
        const unsigned int id = static_cast<unsigned int>(column.firstRows.size());
        column.firstRows.push_back(row);
        if (free == nullptr) {
            column.sharedHashes.emplace(cell, id);
            return id;
        }
        free->hash = hash;
        free->id = id;
        if (2 * id + 2 > column.slots.size()) {
            // The kept hashes are distinct, so no text is compared.
            GrowSlots(
                column.slots, Slot(), [](const Slot& slot) { return slot.id == kNone; },
                [](const Slot& slot) { return SlotHash(slot.hash); });
        }
        return id;
    }

    const ISTable& _table;
    // Reads the first rows of ids.
    RowReader _stored;
    std::map<std::string, Column> _columns;
};

// The key tuples of a parent table over some of its columns, compared as
// the table's search indices compare them: each cell by its column's flags,
// and the whole key without regard to case when the first column is
// case-insensitive. Gathered from the columns' ids: a column compared by its
// text as it is keeps its ids, another maps each id to the id of its
// compared text; the distinct tuples of these ids are kept in an
// open-addressing table, unless one column alone tells the key's row.
class ParentKeys {
public:
    ParentKeys(const ISTable& parent, ParentColumns& columns, const Names& attributes)
        : _columns(columns) {
        columns.Need(attributes);
        for (const std::string& attribute : attributes) {
            _of.push_back(&columns.Of(attribute));
            _flags.push_back(parent.GetFlags(attribute));
        }
        _foldCase = ColumnKey::KeyCompareType(_flags[0]) == CaseInsensitive;
        _compared.resize(attributes.size());
        for (std::size_t k = 0; k < attributes.size(); ++k) {
            if (_AsItIs(k)) {
                continue;
            }
            Compared& compared = _compared[k];
            const std::size_t count = _of[k]->firstRows.size();
            for (unsigned int id = 0; id < count; ++id) {
                const std::string& component = _Component(columns.Text(*_of[k], id), k);
                compared.ids.push_back(
                    compared.byText
                        .emplace(component, static_cast<unsigned int>(compared.byText.size()))
                        .first->second);
            }
        }
        // Every id of one column is some row's key: nothing to gather.
        if (attributes.size() == 1) {
            return;
        }
        // A column whose rows all compare apart (a serial number) picks the
        // one row a key can be: nothing to gather either. Its compared ids
        // are then its ids.
        for (std::size_t k = 0; k < attributes.size(); ++k) {
            const std::size_t distinct =
                _AsItIs(k) ? _of[k]->firstRows.size() : _compared[k].byText.size();
            if (distinct == parent.GetNumRows()) {
                _rowColumn = k;
                return;
            }
        }
        _slots.assign(16, kEmpty);
        const std::size_t width = attributes.size();
        std::vector<unsigned int> key(width);
        for (unsigned int row = 0; row < parent.GetNumRows(); ++row) {
            bool same = row > 0;
            for (std::size_t k = 0; k < width; ++k) {
                const unsigned int id = _of[k]->ids[row];
                const unsigned int value = _AsItIs(k) ? id : _compared[k].ids[id];
                same = same && key[k] == value;
                key[k] = value;
            }
            // Neighbouring rows often share a key (the atoms of a residue).
            if (!same) {
                _Insert(key);
            }
        }
    }

    // values[picked[k]] stands for the k-th attribute.
    bool Contains(const Names& values, const std::vector<std::size_t>& picked) {
        _key.resize(picked.size());
        for (std::size_t k = 0; k < picked.size(); ++k) {
            const std::string& value = values[picked[k]];
            if (_AsItIs(k)) {
                _key[k] = _columns.Find(*_of[k], value);
                if (_key[k] == ParentColumns::kNone) {
                    return false;
                }
                continue;
            }
            const auto known = _compared[k].byText.find(_Component(value, k));
            if (known == _compared[k].byText.end()) {
                return false;
            }
            _key[k] = known->second;
        }
        if (_key.size() == 1) {
            return true;
        }
        if (_rowColumn < _key.size()) {
            const unsigned int row = _of[_rowColumn]->firstRows[_key[_rowColumn]];
            for (std::size_t k = 0; k < _key.size(); ++k) {
                const unsigned int id = _of[k]->ids[row];
                if ((_AsItIs(k) ? id : _compared[k].ids[id]) != _key[k]) {
                    return false;
                }
            }
            return true;
        }
        return _Find(_key.data(), nullptr);
    }

private:
    static constexpr unsigned int kEmpty = ~0u;
    // The ids of a column's compared texts, by the column's id and by text.
    struct Compared {
        std::vector<unsigned int> ids;
        std::unordered_map<std::string, unsigned int> byText;
    };

    bool _AsItIs(std::size_t k) const { return _flags[k] == COLUMN_TYPE_TEXT && !_foldCase; }

    // The attributes' number of ids.
    std::size_t _Width() const { return _of.size(); }

    std::size_t _TupleHash(const unsigned int* key) const {
        std::size_t hash = 0;
        for (std::size_t k = 0; k < _Width(); ++k) {
            hash = (hash ^ key[k]) * 0x9E3779B97F4A7C15ull;
        }
        return SlotHash(hash);
    }

    // Whether the key is kept; if not, `free` (when given) is its slot.
    bool _Find(const unsigned int* key, std::size_t* free) const {
        const std::size_t mask = _slots.size() - 1;
        for (std::size_t i = _TupleHash(key) & mask;; i = (i + 1) & mask) {
            if (_slots[i] == kEmpty) {
                if (free != nullptr) {
                    *free = i;
                }
                return false;
            }
            const unsigned int* kept = _keys.data() + _slots[i] * _Width();
            std::size_t k = 0;
            while (k < _Width() && kept[k] == key[k]) {
                ++k;
            }
            if (k == _Width()) {
                return true;
            }
        }
    }

    // Keeps the key unless kept; at most half the slots are used.
    void _Insert(const std::vector<unsigned int>& key) {
        std::size_t free = 0;
        if (_Find(key.data(), &free)) {
            return;
        }
        const unsigned int count = static_cast<unsigned int>(_keys.size() / _Width());
        _slots[free] = count;
        _keys.insert(_keys.end(), key.begin(), key.end());
        if (2 * (count + 1) > _slots.size()) {
            // The kept keys are distinct, so none is compared.
            GrowSlots(
                _slots, kEmpty, [](unsigned int n) { return n == kEmpty; },
                [this](unsigned int n) { return _TupleHash(_keys.data() + n * _Width()); });
        }
    }

    // The value as the key compares it: a plain text cell as it is, others
    // through `_scratch`.
    const std::string& _Component(const std::string& value, std::size_t k) {
        if (_AsItIs(k)) {
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

    ParentColumns& _columns;
    // The column of each attribute.
    std::vector<ParentColumns::Column*> _of;
    std::vector<ColumnFlags> _flags;
    bool _foldCase = false;
    std::vector<Compared> _compared;
    // The kept keys, one after another, and the slots of their numbers.
    std::vector<unsigned int> _keys;
    std::vector<unsigned int> _slots;
    std::vector<unsigned int> _key;
    // The column whose id picks the row of a key, when there is one.
    std::size_t _rowColumn = ~std::size_t(0);
    std::string _scratch;
};

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
    // The pairs whose child value is not null, and their child columns.
    std::vector<std::size_t> keyed;
    std::vector<std::size_t> keyedColumns;
    // The gathered parent keys by the pairs a row is looked up on; null for
    // pairs whose null ones exempt the row from the lookup.
    std::map<std::vector<std::size_t>, ParentKeys*> keysByPairs;
    bool previousUnmatched = false;
    bool labelKnown = false;
    std::string label;
    RowReader rows(table, childColumns);
    RowReader previousRows(table);
    for (unsigned int row = 0; row < table.GetNumRows(); ++row) {
        const std::vector<std::string>& cells = rows.Row(row);
        // Neighbouring rows often hold the same values (the atoms of a
        // residue): such a row fares as the row before it.
        bool same = row > 0;
        if (same) {
            const std::vector<std::string>& before = previousRows.Row(row - 1);
            for (std::size_t k = 0; k < childColumns.size() && same; ++k) {
                same = SameText(cells[childColumns[k]], before[childColumns[k]]);
            }
        }
        if (!same) {
            keyed.clear();
            keyedColumns.clear();
            for (std::size_t k = 0; k < childColumns.size(); ++k) {
                if (!CifString::IsEmptyValue(cells[childColumns[k]])) {
                    keyed.push_back(k);
                    keyedColumns.push_back(childColumns[k]);
                }
            }
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
            auto known = keysByPairs.find(keyed);
            if (known == keysByPairs.end()) {
                Names nullAttributes;
                for (std::size_t k = 0, next = 0; k < childColumns.size(); ++k) {
                    if (next < keyed.size() && keyed[next] == k) {
                        ++next;
                    } else {
                        nullAttributes.push_back(parAttributes[k]);
                    }
                }
                ParentKeys* keys = IsExempt(category, parCategory, nullAttributes)
                                       ? nullptr
                                       : &KeysOf(parentKeys, *parent, parCategory, parAttributes,
                                                 parentHas, keyed);
                known = keysByPairs.emplace(keyed, keys).first;
            }
            previousUnmatched =
                known->second != nullptr && !known->second->Contains(cells, keyedColumns);
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
                << "\" value =\"" << cells[childColumns[k]] << "\"" << std::endl;
        }
        result = 0;
    }
    return true;
}

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
        if (!CheckRelation(*this, block, table, parKeyLists[i], childKeyLists[i], parentKeys, out,
                           result)) {
            return 0;
        }
    }
    return result;
}
