#ifndef TESRA_TOOL_COORDS_PDBATOMPOSITIONS_H
#define TESRA_TOOL_COORDS_PDBATOMPOSITIONS_H

#include <istream>
#include <map>
#include <string>

struct AtomPosition {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Atom name -> position, names compared byte-wise.
using AtomPositionMap = std::map<std::string, AtomPosition>;

// The positions of the "ATOM  " and "HETATM" records of a PDB text, taken by
// column: atom name at 12 (4 characters, blanks trimmed), x, y, z at 30, 38,
// 46 (8 characters each, read as strtod reads them; no number gives 0, a
// number beyond the float range an infinity). The last record of a name wins.
// A record that ends before the z field starts is skipped; a last line without
// a line feed counts like any other.
AtomPositionMap read_pdb_atom_positions(std::istream& in);

#endif
