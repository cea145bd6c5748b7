#ifndef TESRA_TOOL_MOGUL_PLANESET_H
#define TESRA_TOOL_MOGUL_PLANESET_H

#include <map>
#include <set>
#include <string>
#include <vector>

class Block;

// The planes of chem_comp_plane_atom.
struct PlaneSet {
    // plane_id -> its atom names in row order.
    std::map<std::string, std::vector<std::string>> planes;
    // The atom-name set of every plane (planes of the same atoms give one entry).
    std::set<std::set<std::string>> atom_sets;
};

// Reads the block's planes (cells 1 plane_id and 2 atom_id of each row); both
// containers are empty when the block has no chem_comp_plane_atom.
PlaneSet read_plane_sets(Block& block);

#endif
