#ifndef TESRA_TOOL_TRANSCRIBE_TRANSCRIBEDRESTRAINTS_H
#define TESRA_TOOL_TRANSCRIBE_TRANSCRIBEDRESTRAINTS_H

#include <string>

#include "RovidevParams.h"
#include "common/AtomKeys.h"
#include "transcribe/GeometryReadback.h"
#include "transcribe/RestraintListing.h"

class Block;

// The steps of transcribe and post-pqm (apply_transcribed_restraints runs them
// in order). Each works on the compound's block in place; new tables are
// handed to the block, which owns them from then on.

// transcribe and post-pqm once the listing is read: post-pqm reads the
// GEOMETRY (params.extra2) and VETO-PLANEBOND (params.extra3) files before
// anything changes, then bonds and angles are transcribed, and the planes
// removed by sigma (transcribe -planekill) or rebuilt with the torsions
// (post-pqm). (TranscribeOperations.cpp)
void apply_transcribed_restraints(const RovidevParams& params, Block& block,
                                  const RestraintListing& listing, const PlaneAtomMap& planes,
                                  bool is_transcribe);

// Compound id of the new tables until the bond step has seen a bond row.
extern const char* const kUnassignedCompound;

// value_dist (and for post-pqm value_dist_esd) of every chem_comp_bond row.
// Sets `comp_id` from the first row while it is still unassigned. A bond that
// neither the listing nor (post-pqm) the GEOMETRY file gives keeps its values,
// with a warning on standard error. No bond table: status 255.
void transcribe_bonds(Block& block, const RestraintListing& listing,
                      const GeometryRestraints& geometry, bool is_transcribe, std::string& comp_id);

// The same for value_angle / value_angle_esd of chem_comp_angle. No angle
// table: status 255.
void transcribe_angles(Block& block, const RestraintListing& listing,
                       const GeometryRestraints& geometry, bool is_transcribe);

// post-pqm: chem_comp_tor replaced by the listing's torsions (9 columns).
void write_listed_torsions(Block& block, const RestraintListing& listing,
                           const std::string& comp_id);

// post-pqm: chem_comp_plane_atom replaced by the listing's named planes, less
// the four-atom "qmf" planes whose central bond Mogul vetoed.
void write_listed_planes(Block& block, const RestraintListing& listing,
                         const PlaneBondVetoes& vetoes, const std::string& comp_id);

// transcribe -planekill: deletes the rows of every dictionary plane whose atom
// set is a listed plane with a sigma above `planekill`.
void remove_planes_by_sigma(Block& block, const RestraintListing& listing,
                            const PlaneAtomMap& planes, float planekill);

#endif
