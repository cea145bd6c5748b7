#ifndef TESRA_TOOL_OPERATIONS_H
#define TESRA_TOOL_OPERATIONS_H

#include <string>

class Block;
struct ExceptionDictionary;
struct RovidevParams;

// The entry points of the operation families, called once per compound (the
// operations table in run/OperationCode.cpp says which). Each borrows the
// compound's block for the call; tables it hands to the block belong to the
// block. A step that must end the run prints its message and throws RunEnd
// (common/RunStatus.h).

// transcribe-mogul: corrects bond lengths and angles from a Mogul results file.
// (mogul/MogulOperations.cpp)
void transcribe_mogul(Block& block, std::string results_path, bool correct_all);

// write-mogdict (and write-mogdict-override): writes the GEOMETRY restraint file
// and, when veto_path is not empty, the VETO-PLANEBOND file.
// (mogul/MogulOperations.cpp)
void write_mogdict(Block& block, std::string results_path, bool correct_all, bool write_outputs,
                   bool ecloud, std::string restraint_path, std::string compound_code,
                   const ExceptionDictionary& exceptions, std::string veto_path);

// write-qdict (and write-qdict-override): bond and angle restraint dictionary.
// (overrides/WriteQdict.cpp)
void write_qdict(Block& block, std::string output_path, const ExceptionDictionary& exceptions);

// override: rewrites bond and angle values from the exceptions dictionary.
// (overrides/Override.cpp)
void apply_exception_dictionary(Block& block, const ExceptionDictionary& exceptions);

// transcribe and post-pqm: apply the restraint listing named by the run's
// extradata file (post-pqm also the two files write-mogdict wrote).
// (transcribe/TranscribeOperations.cpp)
void transcribe(const RovidevParams& params, Block& block);
void post_pqm(const RovidevParams& params, Block& block);

// transcribe-coords: copies atom positions from a PDB file into chem_comp_atom.
// (coords/TranscribeCoords.cpp)
void transcribe_coords(Block& block, std::string pdb_path);

#endif
