#ifndef TESRA_TOOL_OPERATIONS_H
#define TESRA_TOOL_OPERATIONS_H

#include <string>

#include "RovidevParams.h"
#include "common/ExceptionDictionary.h"
#include "transcribe/RestraintListing.h"

class Block;

// The handlers that the driver calls once per compound. Each borrows the
// compound's block for the call; tables it hands to the block with
// Block::WriteTable belong to the block.

// transcribe-mogul: corrects bond lengths and angles from a Mogul results file.
void transcribe_mogul(Block& block, std::string results_path, bool correct_all);

// write-mogdict (and write-mogdict-override): writes the GEOMETRY restraint file
// and, when veto_path is not empty, the VETO-PLANEBOND file.
void write_mogdict(Block& block, std::string results_path, bool correct_all, bool write_outputs,
                   bool ecloud, std::string restraint_path, std::string compound_code,
                   const ExceptionDictionary& exceptions, std::string veto_path);

// write-qdict (and write-qdict-override): bond and angle restraint dictionary.
void write_qdict(Block& block, std::string output_path, const ExceptionDictionary& exceptions);

// override: rewrites bond and angle values from the exceptions dictionary.
void apply_exception_dictionary(Block& block, const ExceptionDictionary& exceptions);

// transcribe and post-pqm: applies a restraint listing to the compound.
void apply_transcribed_restraints(const RovidevParams& params, Block& block,
                                  const RestraintListing& listing, const PlaneAtomMap& planes,
                                  bool is_transcribe);

// transcribe-coords: copies atom positions from a PDB file into chem_comp_atom.
void transcribe_coords(Block& block, std::string pdb_path);

#endif
