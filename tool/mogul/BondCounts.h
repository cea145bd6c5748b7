#ifndef TESRA_TOOL_MOGUL_BONDCOUNTS_H
#define TESRA_TOOL_MOGUL_BONDCOUNTS_H

#include <map>
#include <string>

class Block;

// Atom name -> number of chem_comp_bond rows naming it (either atom). A bond
// listed twice counts twice. Absent names count 0.
using BondCounts = std::map<std::string, int>;

// Counts the bonds of the block's chem_comp_bond (cells 1 and 2 of each row).
// A block without chem_comp_bond ends the run with status 1.
BondCounts count_bonds(Block& block);

#endif
