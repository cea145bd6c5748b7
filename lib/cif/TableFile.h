#ifndef TESRA_CIF_TABLEFILE_H
#define TESRA_CIF_TABLEFILE_H

#include <string>
#include <vector>

#include "cif/Block.h"
#include "foundation/FileMode.h"
#include "foundation/StringCompare.h"
#include "foundation/mapped_ptr_vector.h"

// A file of named data blocks in insertion order, held in memory
// (VIRTUAL_MODE). Keeping a table file in the binary block file is not
// provided; every TableFile lives in memory.
//
// Ownership: the file owns its blocks (and through them their tables) and
// deletes them when it is destroyed.
class TableFile {
public:
    // Block names compare under compareType (0: case-sensitive).
    explicit TableFile(CompareType compareType = CaseSensitive);
    virtual ~TableFile();

    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    FileMode GetFileMode() const { return _fileMode; }
    CompareType GetCompareType() const { return _compareType; }

    // Appends a new empty block and returns it.
    // Throws EmptyValueException "Empty block name" and
    // AlreadyExistsException "Block \"<name>\" already exists", both at
    // "TableFile::AddBlock".
    Block& AddBlock(const std::string& blockName);

    bool IsBlockPresent(const std::string& blockName);
    unsigned int GetNumBlocks() const { return static_cast<unsigned int>(_blocks.size()); }

    // Clears the list, then fills it with the block names in insertion order.
    void GetBlockNames(std::vector<std::string>& names);

    // Throws EmptyContainerException "TableFile empty" at
    // "TableFile::GetFirstBlockName" when the file has no blocks.
    std::string GetFirstBlockName();

    // Throws NotFoundException "Block \"<name>\" not found" at
    // "TableFile::GetBlock" for an absent name.
    Block& GetBlock(const std::string& blockName);

private:
    CompareType _compareType;
    FileMode _fileMode;
    mapped_ptr_vector<Block> _blocks;  // owns nothing itself; ~TableFile deletes the blocks
};

#endif  // TESRA_CIF_TABLEFILE_H
