#ifndef TESRA_VALIDATE_PARENTKEYS_H
#define TESRA_VALIDATE_PARENTKEYS_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "table/ColumnFlags.h"
#include "table/ISTable.h"
#include "validate/RowReader.h"
#include "validate/TextIds.h"

// The key tuples of a parent table, gathered once for the parent/child
// value check (CifParentChildCheck.cpp) and looked up for each child row.
//
// Both classes borrow the parent table, which must outlive them unchanged.
// Not thread-safe.

// Dense ids of the distinct texts of some columns of a parent table, one id
// per row and column, so that gathering keys over some of the columns reads
// small numbers instead of the rows (a large table would otherwise be read
// once per attribute set gathered). The columns a relation names are given
// ids together, in one pass; a text's id is confirmed against the text of
// the id's first row.
class ParentColumns {
public:
    static constexpr unsigned int kNone = TextIds::kNone;
    // One column's ids; a handle that stays valid while the object lives.
    struct Column {
        unsigned int index = 0;
        // The id of each row's text.
        std::vector<unsigned int> ids;
        // The first row of each id's text.
        std::vector<unsigned int> firstRows;
        TextIds texts;
    };

    explicit ParentColumns(const ISTable& parent) : _table(parent), _stored(parent) {}

    // Gives ids to the columns of the attributes (those the table has) that
    // have none yet.
    void Need(const std::vector<std::string>& attributes);

    // The column of an attribute that Need gave ids.
    Column& Of(const std::string& attribute) { return _columns.at(attribute); }

    // The text of an id.
    const std::string& Text(const Column& column, unsigned int id) {
        return _stored.Row(column.firstRows[id])[column.index];
    }

    // The id of a text in the column, kNone when no row has it.
    unsigned int Find(const Column& column, const std::string& text) {
        return column.texts.Find(text, _TextOf(column));
    }

private:
    struct TextOf {
        ParentColumns* columns;
        const Column* column;
        const std::string& operator()(unsigned int id) const { return columns->Text(*column, id); }
    };
    TextOf _TextOf(const Column& column) { return TextOf{this, &column}; }

    // The id of a cell, a new one when no earlier row has its text.
    unsigned int _Id(Column& column, const std::string& cell, unsigned int row);

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
    ParentKeys(const ISTable& parent, ParentColumns& columns,
               const std::vector<std::string>& attributes);

    // values[picked[k]] stands for the k-th attribute.
    bool Contains(const std::vector<std::string>& values, const std::vector<std::size_t>& picked);

private:
    // The ids of a column's compared texts, by the column's id, and the
    // compared texts by their id.
    struct Compared {
        std::vector<unsigned int> ids;
        std::vector<std::string> texts;
        TextIds byText;

        // The id of a compared text, kNone when it has none.
        unsigned int Find(const std::string& text) const;
        // The id of a compared text, a new one when it has none.
        unsigned int Add(const std::string& text);
    };

    bool _AsItIs(std::size_t k) const { return _flags[k] == COLUMN_TYPE_TEXT && !_foldCase; }

    // The attributes' number of ids.
    std::size_t _Width() const { return _of.size(); }

    // The k-th id of a key: the column's id, or its compared text's id.
    unsigned int _KeyId(std::size_t k, unsigned int id) const {
        return _AsItIs(k) ? id : _compared[k].ids[id];
    }

    // Gives compared ids to the ids of the columns not compared as they are.
    void _Compare();
    // The column whose rows all compare apart, when there is one.
    std::size_t _RowColumn(unsigned int numRows) const;
    // Keeps each distinct key of the rows.
    void _Gather(unsigned int numRows);
    // The key's ids of the values; false when a value is in no row.
    bool _KeyOf(const std::vector<std::string>& values, const std::vector<std::size_t>& picked);

    std::size_t _TupleHash(const unsigned int* key) const {
        std::size_t hash = 0;
        for (std::size_t k = 0; k < _Width(); ++k) {
            hash = (hash ^ key[k]) * 0x9E3779B97F4A7C15ull;
        }
        return hash;
    }
    // Whether the kept key of a number is the key.
    struct SameAs {
        const unsigned int* keys;
        const unsigned int* key;
        std::size_t width;
        bool operator()(unsigned int n) const {
            const unsigned int* kept = keys + n * width;
            std::size_t k = 0;
            while (k < width && kept[k] == key[k]) {
                ++k;
            }
            return k == width;
        }
    };
    SameAs _SameAs(const unsigned int* key) const { return SameAs{_keys.data(), key, _Width()}; }

    // The value as the key compares it: a plain text cell as it is, others
    // through `_scratch`.
    const std::string& _Component(const std::string& value, std::size_t k);

    ParentColumns& _columns;
    // The column of each attribute.
    std::vector<ParentColumns::Column*> _of;
    std::vector<ColumnFlags> _flags;
    bool _foldCase = false;
    std::vector<Compared> _compared;
    // The kept keys, one after another, and their numbers by hash.
    std::vector<unsigned int> _keys;
    HashSlots _slots;
    std::vector<unsigned int> _key;
    // The column whose id picks the row of a key, when there is one.
    std::size_t _rowColumn = ~std::size_t(0);
    std::string _scratch;
};

#endif  // TESRA_VALIDATE_PARENTKEYS_H
