#ifndef TESRA_TOOL_COMMON_TABLEHELPERS_H
#define TESRA_TOOL_COMMON_TABLEHELPERS_H

#include <map>
#include <string>
#include <vector>

#include "common/AtomKeys.h"

class Block;
class ISTable;

// One category's rows as lists of cells in a fixed column order.
using TableRows = std::vector<std::vector<std::string>>;

// The rows of a block's table, each with the cells of the named columns in the
// order given. A column the table lacks is reported on standard error and
// reads as "?" in every row. A table the block lacks ends the run (status 1)
// with " Data table <name> not found!".
TableRows get_table_columns(Block& block, const std::string& table_name,
                            const std::vector<std::string>& column_names);

// Column name -> 0-based position in the table's column order.
std::map<std::string, int> get_column_indices(const ISTable& table);

// atom_id -> type_energy from chem_comp_atom; a repeated atom_id: the later row wins.
AtomTypeMap read_atom_types(Block& block);

#endif
