#ifndef TESRA_TABLE_TTABLE_H
#define TESRA_TABLE_TTABLE_H

#include <ostream>
#include <string>
#include <vector>

class Serializer;

// The tuple store under a table segment: a list of tuples, each a list of
// string cells. It knows tuple indices (the outer position) and column
// indices (the position of a cell inside a tuple); whether a tuple is a row
// or a column is its owner's (ITTable's) business.
//
// The width is the number of cells of every tuple; 0 means "not fixed yet".
// The first tuple inserted with values, or the first column inserted, fixes
// it. Tuples inserted without cells while the width is 0 receive empty
// cells as soon as the width is fixed, so every tuple always holds exactly
// width cells.
//
// The table owns its tuples; copies are deep, moves are cheap and never
// throw. Inserting or deleting a tuple moves tuple headers, never cells.
// Every check runs before anything changes: a failed operation (a
// std::out_of_range naming the method, or EmptyValueException for an empty
// column) leaves the table as it was.
class TTable {
public:
    typedef std::vector<std::string> Tuple;
    typedef Tuple::const_iterator ValueIterator;

    TTable() = default;
    TTable(const TTable& other) = default;
    TTable(TTable&& other) noexcept;
    TTable& operator=(const TTable& other);
    TTable& operator=(TTable&& other) noexcept;
    virtual ~TTable() = default;

    // Deletes every tuple and sets the width to 0.
    void Clear();

    unsigned int GetWidth() const { return _width; }

    unsigned int GetNumTuples() const { return static_cast<unsigned int>(_tuples.size()); }

    // Tuples. A tuple shorter than the width gets empty cells after its
    // values; an index equal to the tuple count appends.
    void InsertTuple(unsigned int tupleIndex, ValueIterator first, ValueIterator last);
    void InsertTuple(unsigned int tupleIndex, const Tuple& values);
    void InsertTuple(unsigned int tupleIndex, Tuple&& values);
    // Appends; returns the tuple count after the insertion.
    unsigned int AddTuple(const Tuple& values);
    unsigned int AddTuple(Tuple&& values);

    // Replaces the content with these tuples, each padded with empty cells
    // to `width`; the list is taken as it is, so no tuple moves. A tuple
    // wider than `width` is refused before anything changes.
    void TakeTuples(std::vector<Tuple>&& tuples, unsigned int width);

    // Overwrites cells fromColIndex onwards of one tuple.
    void FillTuple(unsigned int tupleIndex, const Tuple& values, unsigned int fromColIndex);

    // Copies cells [fromColIndex, toColIndex) of one tuple into `tuple`.
    void GetTuple(Tuple& tuple, unsigned int tupleIndex, unsigned int fromColIndex,
                  unsigned int toColIndex) const;
    // The tuple itself; it stays owned by the table.
    const Tuple& GetTuple(unsigned int tupleIndex) const;
    // Every tuple in order; valid until the tuples change.
    const std::vector<Tuple>& GetTuples() const { return _tuples; }

    void ClearTuple(unsigned int tupleIndex);
    void DeleteTuple(unsigned int tupleIndex);

    // Columns.
    void InsertColumn(unsigned int colIndex, ValueIterator first, ValueIterator last);
    // Both return the width after the insertion; the second appends.
    unsigned int InsertColumn(unsigned int colIndex, const Tuple& values);
    unsigned int InsertColumn(const Tuple& values);

    // Overwrites cell colIndex of tuples fromTupleIndex onwards.
    void FillColumn(unsigned int colIndex, ValueIterator first, ValueIterator last,
                    unsigned int fromTupleIndex);
    void FillColumn(unsigned int colIndex, const Tuple& values, unsigned int fromTupleIndex);

    // Copies cell colIndex of tuples [fromTupleIndex, toTupleIndex).
    void GetColumn(Tuple& column, unsigned int colIndex, unsigned int fromTupleIndex,
                   unsigned int toTupleIndex) const;

    void ClearColumn(unsigned int colIndex);
    void DeleteColumn(unsigned int colIndex);

    // Cells: the tuple index is checked first, then the column index.
    const std::string& GetCell(unsigned int tupleIndex, unsigned int colIndex) const;
    std::string& UpdateCell(unsigned int tupleIndex, unsigned int colIndex);

    // One line per column: each tuple's cell in a field of 10 and a blank.
    friend std::ostream& operator<<(std::ostream& out, const TTable& table);

    // Stored form (TTableSerialize.cpp), the first items of a table
    // segment's group: the width W, the tuple count T, then one Strings per
    // tuple. Write returns the number of the W item and sets numItems to
    // T + 2. Read takes the W item's number, reads the T tuples into this
    // (emptied) store, which takes its width from the first one, and returns
    // the number of the item after the last tuple. A stored T larger than
    // the items that follow in the file is refused with FileException
    // before anything is read; Serializer failures pass through.
    unsigned int Write(Serializer* ser, unsigned int& numItems) const;
    unsigned int Read(unsigned int first, Serializer* ser);

private:
    void _CheckInsertTuple(unsigned int tupleIndex, std::size_t numValues,
                           bool reversedRange) const;
    void _FixWidth(unsigned int width);
    void _PlaceTuple(unsigned int tupleIndex, Tuple&& tuple);

    unsigned int _width = 0;
    std::vector<Tuple> _tuples;
};

#endif
