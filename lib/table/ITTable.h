#ifndef TESRA_TABLE_ITTABLE_H
#define TESRA_TABLE_ITTABLE_H

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/StringCompare.h"
#include "table/ColumnFlags.h"
#include "table/TTable.h"

class Serializer;

// One segment of a table: a block of rows of string cells (held in a TTable)
// together with the segment's share of every search index. The segment
// knows columns and indices by number only; every row number it stores or
// returns is local to the segment.
//
// Orientation 1 (the default) is row-wise: each tuple of the store is a row.
// Orientation 0 is column-wise: each tuple is a column.
//
// Each index is a multimap from an encoded key of the row's cells in the
// index's columns to the row number, ordered under the compare type chosen
// when the index was created (case-insensitive when its first column is
// case-insensitive text). Entries with equal keys keep their insertion
// order. The segment keeps the maps in step with every row, column and cell
// change. While a unique index exists the segment refuses every row
// insertion, row change and cell change (deletions stay possible); a refused
// operation leaves the segment as it was.
//
// An index whose column list names a missing column, or is empty (after
// ClearIndex), holds no entries and is skipped by the row and cell
// operations. Index numbers out of range raise std::out_of_range.
//
// A segment owns its tuple store, flags and index maps; copies are deep and
// moves are cheap. The attached pointer is stored and copied, never followed.
class ITTable {
public:
    typedef std::vector<std::string> Row;
    typedef Row::const_iterator ValueIterator;
    typedef std::vector<unsigned int> ColumnList;

    // FindIndex's answer when no index matches.
    static constexpr unsigned int NO_INDEX = 0xFFFFFFFF;

    // Search types: how row keys relate to the search key.
    enum SearchType : unsigned int {
        EQUAL = 0,
        LESS_THAN = 1,
        LESS_THAN_OR_EQUAL = 2,
        GREATER_THAN = 3,
        GREATER_THAN_OR_EQUAL = 4
    };

    ITTable();
    explicit ITTable(unsigned int orientation);
    ITTable(const ITTable& other) = default;
    ITTable(ITTable&& other) noexcept = default;
    ITTable& operator=(const ITTable& other) = default;
    ITTable& operator=(ITTable&& other) noexcept = default;
    ~ITTable() = default;

    // Empties the store, the flags and all indices; orientation and the
    // attached pointer stay.
    void Clear();

    unsigned int GetOrientation() const { return _orientation; }
    // True when each stored tuple is a row (orientation 1): GetRow(rowIndex)
    // and GetRows read the rows in place, without copying. A column-wise
    // segment's rows exist only as copies (GetRow(row, rowIndex, from, to)).
    bool IsRowWise() const { return _orientation == 1; }

    void SetAttachedPointer(void* pointer) { _attached = pointer; }

    void ResetAttachedPointer() { _attached = nullptr; }

    unsigned int GetNumRows() const;
    unsigned int GetNumColumns() const;

    // ---- Column flags and keys ----

    // The stored flags byte of a column (std::out_of_range past the list).
    ColumnFlags GetFlags(unsigned int colIndex) const;
    // Sets the type nibble (unless 0) and bits 0 and 1, then validates.
    // Existing index entries are not rebuilt. Returns 0.
    int SetFlags(ColumnFlags flags, unsigned int colIndex);
    void ValidateOptions(unsigned int colIndex);
    // True when the first listed column is case-insensitive text.
    bool IsCaseInsensitive(const ColumnList& colIndices) const;

    // Public key texts: each component followed by one blank.
    void MakeRowKey(std::string& key, const ColumnList& colIndices, unsigned int rowIndex) const;
    void MakeSearchKey(std::string& key, const Row& targets, const ColumnList& colIndices) const;
    void MakeCellKey(std::string& key, unsigned int colIndex, unsigned int rowIndex) const;
    void MakeValueKey(std::string& key, const std::string& value, unsigned int colIndex) const;
    void MakeRawRowKey(std::string& key, const ColumnList& colIndices, unsigned int rowIndex) const;
    static void MakeIntegerKey(const std::string& in, std::string& out);
    static void NormalizeText(const std::string& in, std::string& out);
    static void MakeDoubleKey(const std::string& in, std::string& out);

    // ---- Rows ----

    // Append or insert a row; return the row count after. A row shorter
    // than the column count gets empty cells. The rvalue forms move cells.
    unsigned int InsertRow(const Row& row);
    unsigned int InsertRow(Row&& row);
    unsigned int InsertRow(unsigned int rowIndex, const Row& row);
    unsigned int InsertRow(unsigned int rowIndex, Row&& row);

    // Overwrites cells from column 0 on; later cells keep their values.
    void FillRow(unsigned int rowIndex, const Row& values);
    void ClearRow(unsigned int rowIndex);
    void DeleteRow(unsigned int rowIndex);
    // Deletes the listed rows from the last list element to the first.
    void DeleteRows(const ColumnList& rowIndices);

    // Cells of columns fromColIndex to toColIndex inclusive.
    void GetRow(Row& row, unsigned int rowIndex, unsigned int fromColIndex,
                unsigned int toColIndex) const;
    // The row's tuple itself; row-wise segments only.
    const Row& GetRow(unsigned int rowIndex) const;
    // Every row in order, for a walk that would otherwise locate and check
    // each row; row-wise segments only. Valid until the rows change.
    const std::vector<Row>& GetRows() const;

    // ---- Columns ----

    // Creates a column at colIndex holding the values, with flags 0x10.
    void CreateColumn(unsigned int colIndex, ValueIterator first, ValueIterator last);
    void CreateColumn(unsigned int colIndex, const Row& values);
    // Creates an empty column at colIndex (of the row count) and fills it
    // with the values; without rows the values become the rows.
    void AddColumn(unsigned int colIndex, const Row& values);
    void InsertColumn(unsigned int colIndex, ValueIterator first, ValueIterator last);
    // Overwrites a column's cells from row 0 on and re-keys the indices.
    void FillColumn(unsigned int colIndex, ValueIterator first, ValueIterator last);
    void FillColumn(const Row& values, unsigned int colIndex);
    void ClearColumn(unsigned int colIndex);
    // Removes the column, its flags byte and every index that holds it.
    void DeleteColumn(unsigned int colIndex);

    void GetColumn(Row& column, unsigned int colIndex) const;
    // Rows fromRowIndex to toRowIndex inclusive; empty when reversed.
    void GetColumn(Row& column, unsigned int colIndex, unsigned int fromRowIndex,
                   unsigned int toRowIndex) const;
    void GetColumn(Row& column, unsigned int colIndex, const ColumnList& rowIndices) const;
    void GetColumnInIndexOrder(Row& column, unsigned int colIndex, unsigned int indexNum) const;

    // ---- Cells ----

    // Column checked first, then row. Writes through the reference update
    // no index.
    std::string& operator()(unsigned int rowIndex, unsigned int colIndex);
    const std::string& operator()(unsigned int rowIndex, unsigned int colIndex) const;
    // Sets one cell and re-keys it in the indices over its column.
    int UpdateCell(const std::string& value, unsigned int colIndex, unsigned int rowIndex);

    // ---- Building value by value ----

    // Appends a row holding the value in an existing column, or creates
    // the column holding the value in row 0; then indexes the last row.
    void InsertEntry(unsigned int colIndex, const std::string& value);
    // The same for several values (one row per value, or one new column).
    void InsertEntry(unsigned int colIndex, const Row& values);
    // Makes the index entries of one new row.
    void InsertEntry(unsigned int rowIndex);

    // ---- Indices ----

    void CreateIndex(const ColumnList& colIndices, unsigned int unique = 0);
    // The first index over exactly these columns with the compare type a
    // new one would get; NO_INDEX when none.
    unsigned int FindIndex(const ColumnList& colIndices) const;
    void VerifyColumnsIndices(const ColumnList& colIndices) const;
    bool CheckColumnsIndices(const ColumnList& colIndices) const;

    unsigned int GetNumIndices() const { return static_cast<unsigned int>(_indices.size()); }
    const ColumnList& GetIndexColumns(unsigned int indexNum) const;
    unsigned int GetIndexFlag(unsigned int indexNum) const;
    bool HasUniqueIndex() const;

    void InsertIndexEntry(unsigned int indexNum, unsigned int rowIndex);
    void UpdateIndex(unsigned int indexNum, unsigned int rowIndex);
    void UpdateIndices(unsigned int rowIndex);
    void UpdateIndicesOnCellUpdate(unsigned int rowIndex, unsigned int colIndex);
    void DeleteIndexEntry(unsigned int indexNum, unsigned int rowIndex);
    void DeleteIndexEntries(unsigned int rowIndex);
    void DeleteIndex(unsigned int indexNum);
    void ClearIndex(unsigned int indexNum);
    void ClearIndices();
    void IncrementIndexColumns(unsigned int colIndex);
    void DecrementIndexColumns(unsigned int colIndex);
    static std::string MakeIndexName(unsigned int n);

    // ---- Search ----

    // The row of the first entry (in map order) whose cells equal the
    // targets; the row count when none. One target per listed column.
    unsigned int FindFirst(const Row& targets, const ColumnList& colIndices,
                           unsigned int indexNum) const;
    // The rows whose key stands in the searchType relation to the targets'
    // key: ascending rows for EQUAL, key order for the range types, nothing
    // for any other type. Fewer targets than columns compare a key prefix.
    void Search(ColumnList& result, const Row& targets, const ColumnList& colIndices,
                unsigned int indexNum, unsigned int searchType = EQUAL) const;
    void Search(ColumnList& result, const std::string& target, unsigned int colIndex,
                unsigned int indexNum) const;
    // Pairs (row, earlier-visited row with equal raw cells); unless
    // findOnly, the first rows of the pairs are deleted.
    void FindDuplicateRows(const ColumnList& colIndices,
                           std::vector<std::pair<unsigned int, unsigned int>>& pairs, bool findOnly,
                           bool fromLast);

    // Each row: its number in a field of 5, then each cell in a field of
    // 10 and a blank.
    friend std::ostream& operator<<(std::ostream& out, const ITTable& table);

    // Stored form (ITTableSerialize.cpp): the tuple store's items, then the
    // orientation as a UInt32. Read replaces the segment's content with
    // the group at item `first` (indices are not stored; every column gets
    // the flags 0x10) and returns the number of the item after the group.
    void Write(Serializer* ser) const;
    unsigned int Read(unsigned int first, Serializer* ser);

private:
    typedef std::multimap<std::string, unsigned int, StringLess> IndexMap;

    struct Index {
        ColumnList columns;
        unsigned int unique;
        IndexMap map;
    };

    // A planned change of one row's entry in one index: the old key (when
    // it can be built) finds the entry, the new key replaces it.
    struct Rekey {
        unsigned int indexNum;
        bool haveOldKey;
        std::string oldKey;
        std::string newKey;
    };

    // Cell (row, col) through the orientation, unchecked.
    const std::string& _Cell(unsigned int rowIndex, unsigned int colIndex) const;
    std::string& _Cell(unsigned int rowIndex, unsigned int colIndex);
    void _CheckCell(unsigned int rowIndex, unsigned int colIndex) const;
    void _CheckIndexNumber(unsigned int indexNum, const char* method) const;
    ColumnFlags _FlagsOf(unsigned int colIndex) const;
    void _ExtendFlags(std::size_t count);
    // An index whose columns all exist; others hold no entries.
    bool _IsLive(const Index& index) const;
    static bool _Holds(const Index& index, unsigned int colIndex);
    void _RefuseIfUnique(const char* method) const;

    // Encoded map keys (see ColumnKey::TerminateIndexComponent). CellOf
    // maps (row, column) to the cell text the key is to be built from.
    template <class CellOf>
    void _BuildIndexKey(std::string& key, const Index& index, unsigned int rowIndex,
                        CellOf cellOf) const;
    void _MakeIndexKey(std::string& key, const Index& index, unsigned int rowIndex) const;
    bool _TryMakeIndexKey(std::string& key, const Index& index, unsigned int rowIndex) const;
    void _MakeIndexSearchKey(std::string& key, const Index& index, const Row& targets,
                             const ColumnList& colIndices) const;

    // Plans the re-keying of one row in the indices that `affects` selects,
    // building every new key before anything changes; then applies it.
    template <class Affects, class CellOf>
    std::vector<Rekey> _PlanRekey(unsigned int rowIndex, Affects affects, CellOf newCell) const;
    void _ApplyRekey(std::vector<Rekey>& plan, unsigned int rowIndex);
    // New maps for every live index over colIndex, keyed from newCell.
    template <class CellOf>
    std::vector<std::pair<unsigned int, IndexMap>> _RebuildIndicesOver(unsigned int colIndex,
                                                                       CellOf newCell) const;

    unsigned int _InsertRow(unsigned int rowIndex, Row&& row);
    void _StoreInsertRow(unsigned int rowIndex, Row&& row);
    void _StoreFillRow(unsigned int rowIndex, const Row& values);
    void _AddColumn(unsigned int colIndex, ValueIterator first, ValueIterator last);
    static IndexMap::iterator _FindEntry(IndexMap& map, unsigned int rowIndex,
                                         const std::string* oldKey);
    static void _ShiftRows(IndexMap& map, unsigned int fromRow, bool up);
    // Enters keys[i] for row rowIndex, already in the store, into each live
    // index i, moving the entries at or above it up first.
    void _EnterRowKeys(std::vector<std::string>& keys, unsigned int rowIndex);
    // Enters new rows [firstRow, firstRow + keys.size()) at the end of the
    // segment: keys[k][i] is the key of row firstRow + k in live index i.
    void _AddAppendedEntries(unsigned int firstRow, std::vector<std::vector<std::string>>& keys);
    // The keys of `count` new rows holding values[k] in column colIndex and
    // empty cells elsewhere, laid out as _AddAppendedEntries takes them.
    std::vector<std::vector<std::string>> _SingleColumnKeys(unsigned int colIndex,
                                                            const Row& values,
                                                            unsigned int count) const;

    TTable _store;
    unsigned int _orientation = 1;
    void* _attached = nullptr;
    std::vector<ColumnFlags> _flags;
    std::vector<Index> _indices;

    // ISTable makes a row-wise table's new segments straight from their
    // first row: this segment (empty, row-wise) takes the row's cells as
    // they are, padded with "" to one cell per flags entry, and each column
    // gets the flags a new column merged with flags[c] would have.
    friend class ISTable;
    void _TakeFirstRow(Row&& row, const std::vector<ColumnFlags>& flags);
    // The same for a whole list of rows, taken as it is.
    void _TakeRows(std::vector<Row>&& rows, const std::vector<ColumnFlags>& flags);
    void _TakeFlags(const std::vector<ColumnFlags>& flags);
};

#endif
