#ifndef TESRA_TOOL_COMMON_TABLEHELPERS_H
#define TESRA_TOOL_COMMON_TABLEHELPERS_H

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/AtomKeys.h"

class Block;
class ISTable;

// Reading, checking and making the compound's tables. A table is read by
// column name, or by position in its category's standard column order when
// that order is meant:
//   chem_comp_atom        comp_id, atom_id, type_symbol, type_energy, ...
//   chem_comp_bond        comp_id, atom_id_1, atom_id_2, type, value_dist, ...
//   chem_comp_angle       comp_id, atom_id_1, atom_id_2, atom_id_3, value_angle, ...
//   chem_comp_plane_atom  comp_id, plane_id, atom_id, dist_esd
//   chem_comp_tor         comp_id, id, atom_id_1 .. atom_id_4, value_angle,
//                         value_angle_esd, period

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

// The number of rows to read by standard position when the reader uses the
// first `width` standard cells: the table's row count, or 0 when the table is
// absent or narrower (every row has the table's width, so the width is checked
// once for all rows).
unsigned standard_row_count(const ISTable* table, std::size_t width);

// Ends the run (status 1) with " Table <table> has no column <column>; cannot
// <purpose>" on standard error when the column is missing. Reading a missing
// column would silently take another column's cells instead.
void require_column(const ISTable& table, const std::string& table_name, const std::string& column,
                    const std::string& purpose);

// Ends the run (status 1) when the table has fewer than `count` columns, for
// steps that must read cells by position.
void require_column_count(const ISTable& table, const std::string& table_name, std::size_t count,
                          const std::string& purpose);

// A new table of chem_comp_plane_atom or chem_comp_tor with its standard
// columns and no rows.
std::unique_ptr<ISTable> make_standard_table(const std::string& table_name);

// Hands the table to the block, which owns it from then on and drops a table of
// the same name; returns it. Should the block refuse it, the table is destroyed
// with the exception.
ISTable& hand_to_block(Block& block, std::unique_ptr<ISTable> table);

#endif
