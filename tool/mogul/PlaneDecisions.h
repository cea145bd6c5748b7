#ifndef TESRA_TOOL_MOGUL_PLANEDECISIONS_H
#define TESRA_TOOL_MOGUL_PLANEDECISIONS_H

#include <map>
#include <set>
#include <string>

#include "common/AtomKeys.h"
#include "mogul/HybridisationTable.h"
#include "mogul/MogulAngleMeans.h"
#include "mogul/TorsionClassifier.h"

class Block;

// Central bonds (as the plane lists the two atoms) of dictionary planes that
// Mogul says are not worth restraining. Written as VETO-PLANEBOND lines.
using VetoedPlaneBonds = std::set<BondKey>;

// Confronts the block's planes with Mogul's torsion and angle statistics:
// removes planes Mogul finds non-planar or whose trigonal centre is too
// pyramidal (recording vetoed bonds), adds "csd_<n>" planes for planar Mogul
// torsions, and keeps at most one 3060 torsion per sp3-sp3 central bond
// (torsions_3060 is replaced by the kept, oriented keys). Rewrites the block's
// chem_comp_plane_atom in place. Ends the run with status 1 when the block
// lacks chem_comp_bond or chem_comp_atom.
void decide_planes_and_torsions(Block& block, const HybridisationTable& hybridisations,
                                const std::map<TorsionKey, int>& plane_flags,
                                std::set<TorsionKey>& torsions_3060,
                                const MogulAngleMeans& angle_means, VetoedPlaneBonds& vetoed);

// Deletes the rows of the planes to remove from chem_comp_plane_atom (creating
// an empty table with the standard columns when the block has none) and appends
// each new plane as four rows with the ids "csd_<n>", numbered after the
// largest "csd_" number in use.
void rewrite_plane_table(Block& block, const std::set<std::string>& planes_to_remove,
                         const std::set<TorsionKey>& new_planes);

#endif
