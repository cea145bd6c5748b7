#ifndef TESRA_TABLE_ISTABLE_H
#define TESRA_TABLE_ISTABLE_H

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/StringCompare.h"
#include "foundation/mapped_vector.h"
#include "table/ColumnFlags.h"
#include "table/ITTable.h"

class Serializer;

// The table of the CIF library: a name, ordered uniquely named columns and
// rows of string cells addressed by row number (from 0) and column name.
//
// Rows live in segments (ITTable), each with its own share of every search
// index; table row numbers run through the segments in list order. Appends
// fill the last segment up to 1000 rows and then open a new one, so that an
// insertion or deletion renumbers at most one segment's index entries. The
// table keeps the column names, the per-column flags and the index
// definitions; a segment knows columns and indices by number only.
//
// A table without rows may have columns in name only (no segment holds
// them); its first row, or the first column filled with values, creates the
// cells of every column and every index of the table.
//
// Ownership: the table owns its segments by value (and through them every
// cell and index map). Copies are deep, moves are cheap. The Serializer
// pointer is borrowed: the table never creates or deletes it.
//
// Failures: the library's exception family with exact messages and
// "ISTable::Method" locations, and std::out_of_range for bad row numbers,
// sizes and ranges. Failures raised by a segment pass through unchanged.
//
// Not thread-safe, not even for reads: lookups move the column-name cache
// and the cached row location.
class ISTable {
public:
    // A segment that appends have filled; the next append opens a new one.
    static constexpr unsigned int SEGMENT_ROWS = 1000;
    // Answer of the lookups of an index that does not exist.
    static constexpr unsigned int NO_INDEX = 0xFFFFFFFF;

    // Every form makes an empty table with one segment. Orientation 1 is
    // row-wise (the only one the system uses), 0 column-wise.
    explicit ISTable(CompareType colCompareType);
    ISTable(unsigned int orientation, CompareType colCompareType);
    ISTable(const std::string& name, CompareType colCompareType);
    ISTable(const std::string& name, unsigned int orientation, CompareType colCompareType);

    ISTable(const ISTable& other);
    // A moved-from table is left empty (no columns, rows or indices).
    ISTable(ISTable&& other);
    ISTable& operator=(const ISTable& other);
    ISTable& operator=(ISTable&& other);
    ~ISTable();

    // Removes every column, row and index; keeps the name, orientation,
    // compare type and serializer. One empty segment remains.
    void Clear();

    // Identity and bookkeeping.
    const std::string& GetName() const { return _name; }
    void SetName(const std::string& name) { _name = name; }
    unsigned int GetNumRows() const { return _numRows; }
    unsigned int GetNumColumns() const { return _colNames.size(); }
    CompareType GetColCompareType() const { return _colCompareType; }
    unsigned int GetOrientation() const { return _orientation; }
    // True when the rows are stored row-wise, each row one stored tuple:
    // GetRow(rowIndex) and GetSegment(s).GetRows() read them in place. A
    // column-wise table's rows can only be copied out (GetRow(row, rowIndex,
    // fromColName, toColName)).
    bool IsRowWise() const { return _orientation == 1; }
    unsigned int GetNumSegments() const { return static_cast<unsigned int>(_segments.size()); }
    // The serializer of the file the table is read from and written to.
    Serializer* GetSerializer() const { return _serializer; }
    void SetSerializer(Serializer* serializer) { _serializer = serializer; }
    // Set by the data block when it takes in, rewrites or renames the table;
    // reset by the table file once the table is written.
    bool IsModified() const { return _modified != 0; }
    void SetModified(bool modified) { _modified = modified ? 1 : 0; }

    // ---- Columns ----------------------------------------------------------

    // The column number of a name. Empty name: EmptyValueException; unknown
    // name: NotFoundException "Column \"<name>\" not found in the table
    // \"<table>\"".
    unsigned int GetColumnIndex(const std::string& colName) const;
    // Fills colIndices with the number of each name, in order.
    void GetColumnIndices(std::vector<unsigned int>& colIndices,
                          const std::vector<std::string>& colNames) const;
    bool IsColumnPresent(const std::string& colName) const;
    const std::vector<std::string>& GetColumnNames() const { return _colNames.get_vector(); }

    // Appends a column. In a table with rows, a shorter list leaves the
    // remaining cells ""; an empty list on a table without rows creates the
    // name only.
    void AddColumn(const std::string& colName, const std::vector<std::string>& col);
    // Appends columns in name only, with the result of AddColumn(name, {})
    // for each name in turn; the names are moved in and the list is left
    // empty. A list that AddColumn would refuse for any of its names (an
    // empty, a present or a repeated name) changes nothing.
    void AddColumns(std::vector<std::string>&& colNames);
    // Inserts a column before atColName, or at a column number.
    void InsertColumn(const std::string& colName, const std::string& atColName,
                      const std::vector<std::string>& col);
    void InsertColumn(const std::string& colName, unsigned int colIndex,
                      const std::vector<std::string>& col);
    // The common step of the three above.
    void CreateColumn(const std::string& colName, unsigned int colIndex,
                      const std::vector<std::string>& col);
    // Overwrites the column's cells from row 0 on.
    void FillColumn(const std::string& colName, const std::vector<std::string>& col);
    void DeleteColumn(const std::string& colName);
    // Renames a column in place; cells, flags and indices stay.
    void RenameColumn(const std::string& oldName, const std::string& newName);
    // Every cell of the column becomes "".
    void ClearColumn(const std::string& colName);

    // Column reads; col is emptied first. A table without rows gives an
    // empty list.
    void GetColumn(std::vector<std::string>& col, const std::string& colName) const;
    // Rows fromRow to toRow inclusive (empty when fromRow > toRow).
    void GetColumn(std::vector<std::string>& col, const std::string& colName, unsigned int fromRow,
                   unsigned int toRow) const;
    // The listed rows, in list order, repeats included.
    void GetColumn(std::vector<std::string>& col, const std::string& colName,
                   const std::vector<unsigned int>& rows) const;
    // Segment by segment, each segment's rows in the key order of the index.
    void GetColumn(std::vector<std::string>& col, const std::string& colName,
                   const std::string& indexName) const;

    // Column flags (ColumnFlags.h). Existing index entries are not rebuilt.
    void SetFlags(const std::string& colName, unsigned char flags);
    // The table's flags byte of a column.
    unsigned char GetFlags(const std::string& colName) const;
    // The type nibble of the column's flags (1 text, 2 integer, 3 verbatim).
    unsigned int GetDataType(const std::string& colName) const;
    void ValidateOptions(unsigned int colIndex);

    // ---- Rows -------------------------------------------------------------

    // Appends a row; returns the row count after the append. A shorter row
    // leaves the remaining cells "". The rvalue form moves the cells.
    unsigned int AddRow(const std::vector<std::string>& row);
    unsigned int AddRow(std::vector<std::string>&& row);
    // Appends the rows in list order, with the result of one AddRow per
    // row, and returns the row count after; the list is left empty. A list
    // that AddRow would refuse for any of its rows changes nothing. Without
    // indices, a list of at most SEGMENT_ROWS rows that opens a segment
    // becomes that segment's rows as it is, no row moved: a reader that
    // gathers rows in such lists hands each to its segment in one step.
    unsigned int AppendRows(std::vector<std::vector<std::string>>&& rows);
    // Inserts a row at rowIndex (the row count appends); returns the row
    // count after the insertion.
    unsigned int InsertRow(unsigned int rowIndex, const std::vector<std::string>& row);
    unsigned int InsertRow(unsigned int rowIndex, std::vector<std::string>&& row);

    // The stored row, without copying (row-wise tables only). Valid until
    // that row or its segment changes.
    const std::vector<std::string>& GetRow(unsigned int rowIndex) const;
    // Segment s, whose rows follow those of the segments before it: a walk
    // over every row in order reads each segment's rows without locating
    // them one by one. Valid until the table's rows change.
    const ITTable& GetSegment(unsigned int s) const;
    // A copy of the cells from fromColName to toColName inclusive; an empty
    // name stands for the first or the last column.
    void GetRow(std::vector<std::string>& row, unsigned int rowIndex,
                const std::string& fromColName, const std::string& toColName) const;

    // Overwrites the row's cells from column 0 on.
    void FillRow(unsigned int rowIndex, const std::vector<std::string>& row);
    // Every cell of the row becomes "".
    void ClearRow(unsigned int rowIndex);
    void DeleteRow(unsigned int rowIndex);
    // Deletes the listed rows, all numbered as before the call; repeated
    // numbers delete their row once.
    void DeleteRows(const std::vector<unsigned int>& rowIndices);

    // ---- Cells ------------------------------------------------------------

    // A writable reference to a cell. A write through it is not seen by the
    // search indices; UpdateCell keeps them in step.
    std::string& operator()(unsigned int rowIndex, const std::string& colName);
    const std::string& operator()(unsigned int rowIndex, const std::string& colName) const;
    std::string& operator()(unsigned int rowIndex, unsigned int colIndex);
    const std::string& operator()(unsigned int rowIndex, unsigned int colIndex) const;

    void UpdateCell(unsigned int rowIndex, const std::string& colName, const std::string& value);
    void UpdateCell(const std::string& value, unsigned int colIndex, unsigned int rowIndex);

    // ---- Row location -----------------------------------------------------

    // Locates a row (segment, row within segment) and records it as the
    // cached location. The row count is the append position: the last
    // segment, at its row count (not recorded). Above the row count:
    // std::out_of_range "Invalid row index in ISTable::CacheRowLocation".
    void CacheRowLocation(unsigned int rowIndex) const;
    void GetRowLocation(std::pair<unsigned int, unsigned int>& location,
                        unsigned int rowIndex) const;

    // ---- Search indices ---------------------------------------------------

    // unique 1 makes the segments refuse every later row and cell change.
    // A build that fails leaves the table as it was.
    void CreateIndex(const std::string& indexName, const std::vector<unsigned int>& colIndices,
                     unsigned int unique);
    void CreateIndex(const std::string& indexName, const std::vector<std::string>& colNames,
                     unsigned int unique);
    void DeleteIndex(const std::string& indexName);
    // The unique key index "__key__".
    void CreateKeyIndex(const std::vector<std::string>& colNames);
    void CreateKeyIndex(const std::vector<unsigned int>& colIndices);
    void DeleteKeyIndex();
    unsigned int GetKeyIndexNumber() const;
    // The number of the index of that name (compared byte for byte), or
    // NO_INDEX.
    unsigned int GetIndexNumber(const std::string& indexName) const;
    unsigned int GetNumIndices() const { return static_cast<unsigned int>(_indexNames.size()); }
    // "index_" followed by n: the name of an index a search creates itself.
    static std::string MakeIndexName(unsigned int n);

    // Removes an index from the table's lists only (no segment is touched).
    void RemoveIndexEntry(unsigned int indexNumber);
    bool IsColumnInIndex(unsigned int indexNumber, unsigned int colIndex) const;
    // Every column number >= colIndex in the index lists decreases by one.
    void RenumberIndexColumns(unsigned int colIndex);

    // ---- Search -----------------------------------------------------------
    // An empty indexName uses the index over exactly these columns, or
    // creates one ("index_" + index count) that stays on the table.
    // direction 0 searches forward from fromRowIndex, any other backward;
    // searchType 0 equal, 1 less, 2 less or equal, 3 greater, 4 greater or
    // equal (others match nothing). A table without rows answers at once
    // (no match, no index made), after it has checked the column names.

    void Search(std::vector<unsigned int>& result, const std::vector<std::string>& targets,
                const std::vector<std::string>& colNames, unsigned int fromRowIndex,
                unsigned int direction, unsigned int searchType, const std::string& indexName);
    void Search(std::vector<unsigned int>& result, const std::string& target,
                const std::string& colName, unsigned int fromRowIndex, unsigned int direction,
                unsigned int searchType);

    // The lowest row whose cells equal the targets under the columns'
    // flags, or the row count when there is none.
    unsigned int FindFirst(const std::vector<std::string>& targets,
                           const std::vector<std::string>& colNames, const std::string& indexName);
    unsigned int FindFirst(const std::vector<std::string>& targets,
                           const std::vector<unsigned int>& colIndices,
                           const std::string& indexName);

    // Pairs (examined row, duplicate row) of rows equal in colNames; unless
    // findOnly, the duplicates are then deleted.
    void FindDuplicateRows(std::vector<std::pair<unsigned int, unsigned int>>& duplicates,
                           const std::vector<std::string>& colNames, bool findOnly, bool fromLast);

    // Sorted union and intersection of ascending row lists.
    static void UniteRowIndices(const std::vector<unsigned int>& a,
                                const std::vector<unsigned int>& b,
                                std::vector<unsigned int>& result);
    static void IntersectRowIndices(const std::vector<unsigned int>& a,
                                    const std::vector<unsigned int>& b,
                                    std::vector<unsigned int>& result);

    // Blank line, "Table <name>  Columns: <n>  Rows: <n>", a blank line,
    // then a header line and one line per row (fields of width 5 and 10).
    friend std::ostream& operator<<(std::ostream& out, const ISTable& table);

    // ---- Comparison, merge and report (ISTableCompare.cpp) ----------------
    // Names and cells compare byte for byte, whatever the compare types and
    // column flags.

    // One difference code, the first that applies: 0 same columns and
    // cells, 1 the column-name compare types differ, 2 this table has more
    // columns, 3 fewer, 4 the column names differ (position by position),
    // 5 this table has more rows, 6 fewer, 7 some cell differs. Table
    // names, orientation, flags and indices play no part.
    int Compare(const ISTable& other) const;

    // A new table, owned by the caller: a copy of this one without its key
    // index "__key__" (NotFoundException when there is none), then other's
    // further columns appended, then each row of other matched through
    // this table's key columns: no match appends it; a match with
    // mergeType 1 fills the empty ("" only) cells of this table's columns,
    // any other mergeType replaces the first matching row. The first
    // search leaves an automatic index over the key columns in the result.
    // Neither table changes; an exception leaves no table behind.
    ISTable* Merge(ISTable& other, unsigned int mergeType);

    // The column and row differences of the two tables on standard output,
    // rows matched through the key indices; 1 when nothing differs, else 0.
    // Both tables need a key index over the same number of columns (else
    // NotFoundException, before anything is printed). A search may leave
    // an automatic index in other.
    int PrintComparison(ISTable& other);

    // ---- Stored form in the binary block file -----------------------------
    // (ISTableSerialize.cpp: the current layout "V9"; ISTableOldLayouts.cpp:
    // the seven older layouts, read only.) A table is a run of consecutive
    // items; the number of the first one is the table's handle.

    // Result codes of the readers.
    static constexpr int READ_DONE = 0;
    static constexpr int NO_SERIALIZER = -405;
    // A stored count disagrees with what the file holds.
    static constexpr int COUNT_MISMATCH = -406;

    // Writes the table to its own Serializer and returns the handle; with
    // no Serializer it writes nothing and returns NO_SERIALIZER as an
    // unsigned number (2^32 - 405).
    unsigned int Write() const;
    // The same to ser; numItems := the number of items written (unchanged
    // when ser is null). The table's own Serializer is not used.
    unsigned int Write(Serializer* ser, unsigned int& numItems) const;

    // Replaces the table's content (the Serializer pointer stays) with the
    // stored table at the handle, in any layout, from the table's own
    // Serializer or from ser; returns the layout reader's code. A read that
    // fails (a non-zero code or an exception) leaves a sound table: what
    // was read as far as it is consistent, else an empty table that keeps
    // the stored name. Serializer failures and the failures of CreateIndex
    // and of the segments pass through as exceptions.
    int Read(unsigned int indexInFile);
    int Read(unsigned int indexInFile, Serializer* ser);

private:
    struct RowLocation {
        unsigned int row = 0;      // table row
        unsigned int segment = 0;  // segment holding it
        unsigned int offset = 0;   // row within that segment
    };

    void _Swap(ISTable& other) noexcept;

    // GetColumnIndex whose NotFoundException gets a "Column not found" line
    // with the caller's location.
    unsigned int _LookupColumn(const std::string& colName, const char* location,
                               const char* message = "Column not found") const;

    // The shared start of the GetColumn reads: empties col, checks the
    // name and gives the column's index.
    unsigned int _ColumnForRead(std::vector<std::string>& col, const std::string& colName) const;

    // Row location: binary search over the segments' first rows, starting
    // with the cached segment. Records the location unless it is the append
    // position.
    RowLocation _Locate(unsigned int rowIndex) const;
    // Recomputes the segments' first rows and the row count from the
    // segments themselves.
    void _RebuildStarts();
    void _ResetLocationCache() const { _cached = RowLocation(); }

    // A new segment holding every column (m rows of "", the table's flags);
    // the caller fills its cells and then gives it the table's indices.
    ITTable _NewSegment(unsigned int numRows) const;
    void _BuildSegmentIndices(ITTable& segment) const;
    // Cells of one column for a table without rows: fresh segments of up to
    // SEGMENT_ROWS rows holding every column and index replace the old ones.
    void _MaterializeColumn(unsigned int colIndex, const std::vector<std::string>& col);
    // Cells of a new column for a table with rows, one slice per segment.
    void _DistributeColumn(unsigned int colIndex, const std::vector<std::string>& col);
    void _ShiftIndexColumnsUp(unsigned int colIndex);
    void _ShiftIndexColumnsDown(unsigned int colIndex);
    void _RefuseIfUnique(const char* location) const;

    // The index over exactly these columns, or NO_INDEX.
    unsigned int _FindIndex(const std::vector<unsigned int>& colIndices) const;
    // The named index, or the one over colIndices (created when missing).
    unsigned int _ChooseIndex(const std::vector<unsigned int>& colIndices,
                              const std::string& indexName, const char* location);
    void _SearchSegments(std::vector<unsigned int>& result, const std::vector<std::string>& targets,
                         const std::vector<unsigned int>& colIndices, unsigned int indexNumber,
                         unsigned int fromRowIndex, unsigned int direction,
                         unsigned int searchType);
    unsigned int _FindFirstInSegments(const std::vector<std::string>& targets,
                                      const std::vector<unsigned int>& colIndices,
                                      unsigned int indexNumber);

    // ---- Stored form: the layout readers ----------------------------------
    // Each reads the items after the first one (first = handle + 1) from a
    // serializer Read has checked into a cleared table and returns READ_DONE
    // or COUNT_MISMATCH.
    int _ReadVersion9(unsigned int first, Serializer* ser);
    int _ReadVersion8(unsigned int first, Serializer* ser);
    int _ReadVersion7(unsigned int first, Serializer* ser);
    int _ReadVersion6(unsigned int first, Serializer* ser);
    int _ReadVersion3(unsigned int first, Serializer* ser);
    int _ReadVersion2(unsigned int first, Serializer* ser);
    int _ReadVersion1(unsigned int first, Serializer* ser);
    int _ReadVersion0(unsigned int first, Serializer* ser);

    // The items after the segment groups of "V9", "V8" and "V7", from the
    // compare type at item m on.
    int _ReadColumnItems(unsigned int m, Serializer* ser, bool indexListsBeforeFlags);
    // The column names, per-column numbers, flags and cells of the
    // column-wise layouts, from the names item on (ISTableOldLayouts.cpp).
    struct _ColumnWiseRules;
    int _ReadColumnWise(unsigned int namesItem, unsigned int numColumns,
                        const _ColumnWiseRules& rules, Serializer* ser);
    // Checks the stored names (K of them, none empty, none repeated) and
    // appends them to the column list.
    int _TakeColumnNames(const std::vector<std::string>& names, unsigned int numColumns);
    // The stored flags bytes: the table's own bytes as stored, and every
    // segment that holds the column through ITTable::SetFlags.
    void _TakeColumnFlags(const std::string& flags, unsigned int numColumns);
    // The index items that start with the names item: the names, then the
    // flags and the column lists in either order. Short flags lists are
    // refused unless shortFlagsMeanNotUnique.
    int _ReadStoredIndices(unsigned int namesItem, unsigned int numIndices, Serializer* ser,
                           bool listsBeforeFlags, bool shortFlagsMeanNotUnique);
    // True when every segment agrees with a table of numColumns columns:
    // it holds that many (or it is a segment without rows or columns), all
    // share one orientation, and none of several is empty.
    bool _SegmentsFitColumns(unsigned int numColumns) const;
    // After a failed read: row count, per-column lists and segments brought
    // back in step, or the table emptied (keeping its name) when they
    // cannot be.
    void _SettleAfterFailedRead();

    std::string _name;
    // Never empty; row numbers run through the segments in list order.
    std::vector<ITTable> _segments;
    unsigned int _orientation;
    CompareType _colCompareType;
    // Column names in column order; a name's position is its column number.
    mapped_vector _colNames;
    // Per column, kept in step with the columns and stored with the table.
    std::vector<unsigned int> _colNumbers;
    std::vector<ColumnFlags> _colFlags;
    // Three parallel lists, one entry per index, in creation order.
    std::vector<std::string> _indexNames;
    std::vector<std::vector<unsigned int>> _indexColumns;
    std::vector<unsigned int> _indexFlags;
    Serializer* _serializer;
    unsigned char _modified;
    unsigned int _numRows;
    // Table row of each segment's first row (prefix sums of the segments'
    // row counts), for locating a row by binary search. Code that fills
    // _segments directly (the table readers) calls _RebuildStarts() after.
    std::vector<unsigned int> _segStarts;
    // The last location found; lookups of rows in the same segment start
    // there.
    mutable RowLocation _cached;
};

#endif  // TESRA_TABLE_ISTABLE_H
