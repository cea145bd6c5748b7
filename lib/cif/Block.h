#ifndef TESRA_CIF_BLOCK_H
#define TESRA_CIF_BLOCK_H

#include <string>
#include <vector>

#include "foundation/FileMode.h"
#include "foundation/mapped_ptr_vector.h"
#include "table/ISTable.h"

// The named tables of one data block, in the order in which they were added
// (the order in which the CIF writer prints them).
//
// Ownership: the block owns every table it holds and deletes it when the
// table is replaced or the block is destroyed. A pointer returned by
// GetTablePtr stays valid until that table is replaced or the block dies.
class Block {
public:
    // An empty block. Blocks of an in-memory file are in VIRTUAL_MODE; a
    // READ_MODE block refuses WriteTable.
    explicit Block(const std::string& name, FileMode fileMode = VIRTUAL_MODE);
    ~Block();

    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    const std::string& GetName() const { return _name; }
    // Used by the owning file when it renames the block.
    void SetName(const std::string& name) { _name = name; }

    FileMode GetFileMode() const { return _fileMode; }

    // Fills the list with the table names in insertion order (clears it first).
    void GetTableNames(std::vector<std::string>& names);

    // True when the block holds a table of that name, also one without rows;
    // an empty name gives false.
    bool IsTablePresent(const std::string& name);

    // The table of that name, or nullptr. The block keeps ownership.
    ISTable* GetTablePtr(const std::string& name);

    // The table at that position in insertion order (below GetNumTables()):
    // a walk over every table without a lookup by name for each.
    ISTable* GetTableAt(unsigned int slot) const { return _tables[slot]; }

    // Stores the table under its own name and takes ownership of it. A table of
    // the same name is replaced in place (same position in the order) and
    // deleted; the same object again changes nothing; otherwise the table is
    // appended. The table is marked as modified.
    // Throws (and then the caller still owns the table):
    //   FileModeException "Write table in read-only block" (block in READ_MODE),
    //   EmptyValueException "NULL ISTable pointer",
    //   EmptyValueException "Empty table name" at "Block::AddTable".
    void WriteTable(ISTable* table);

    unsigned int GetNumTables() const { return static_cast<unsigned int>(_tables.size()); }

private:
    void _AddTable(ISTable* table);

    std::string _name;
    FileMode _fileMode;
    mapped_ptr_vector<ISTable> _tables;  // owns nothing itself; ~Block deletes the tables
};

#endif  // TESRA_CIF_BLOCK_H
