#ifndef TESRA_TOOL_TRANSCRIBE_GEOMETRYREADBACK_H
#define TESRA_TOOL_TRANSCRIBE_GEOMETRYREADBACK_H

#include <istream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/AtomKeys.h"

class SideFileCheck;

// What post-pqm reads back from the two files that write-mogdict wrote.

// A restraint target and its sigma.
struct RestraintTarget {
    float value = 0.0f;
    float sigma = 0.0f;
};

// The BOND and ANGLE lines of a GEOMETRY restraint file, under their order-free
// keys so either direction matches. A sigma word of exactly "1E6" marks
// an entry write-mogdict left unrestrained.
struct GeometryRestraints {
    std::set<BondKey> unrestrained_bonds;
    std::map<BondKey, RestraintTarget> bond_restraints;
    std::set<AngleKey> unrestrained_angles;
    std::map<AngleKey, RestraintTarget> angle_restraints;
};

// Bonds at the centre of planes that Mogul vetoed, as written: (first, second).
using PlaneBondVetoes = std::set<BondKey>;

// Reads GEOMETRY lines from a stream: BOND lines of 7 or 8 words, ANGLE lines of
// exactly 8 (words cut at every single blank); other lines are skipped. A
// value or sigma that is not a finite number ends the run (through `check`;
// without it, through one made for the stream).
GeometryRestraints read_geometry_restraints(std::istream& in, SideFileCheck& check);
GeometryRestraints read_geometry_restraints(std::istream& in);

// Reads "VETO-PLANEBOND a b" lines (exactly three words); other lines are skipped.
// In both readers a carriage return before a line feed belongs to the line end.
PlaneBondVetoes read_plane_bond_vetoes(std::istream& in);

// The same from files. Each file is required: one that cannot be opened or
// read ends the run (status 1) with a message on standard error, since reading
// it as empty would overwrite every value or drop every plane.
GeometryRestraints read_geometry_restraints_file(const std::string& path);
PlaneBondVetoes read_plane_bond_vetoes_file(const std::string& path);

#endif
