#ifndef TESRA_TOOL_MOGUL_MOGULPASS_H
#define TESRA_TOOL_MOGUL_MOGULPASS_H

#include <string>
#include <vector>

#include "mogul/MogulAngleMeans.h"
#include "mogul/MogulRecords.h"
#include "mogul/TorsionClassifier.h"

class Block;
class SideFileCheck;

// The pass over a Mogul results file that transcribe-mogul and write-mogdict
// share (their entry points are in MogulOperations.cpp).

// One line of the results file as its blank-separated words.
using MogulWords = std::vector<std::string>;

// Everything the pass collects from the results file.
struct PassResults {
    MogulBondList bonds;
    MogulAngleList angles;
    MogulAngleMeans angle_means;
    TorsionClass torsions;
};

// The Mogul results file as word lists, one per line ended by a line feed (text
// after the last line feed is not used); a carriage return before the line
// feed belongs to the line end. A file that cannot be opened or read (a
// directory) ends the run: treating it as empty would let the run report
// success without a result.
std::vector<MogulWords> read_results_file(const std::string& path);

// One pass over the lines. A record is a BOND, ANGLE or TORSION line with its
// follow-up lines directly after it; the follow-up lines are not consumed, and a
// record whose lines lack the words read is treated as absent. A record naming
// an atom that `check` does not know is skipped with a warning; a number it
// reads that is not finite ends the run. With `write_outputs` the used bond
// and angle results are collected for the GEOMETRY file; without, they correct
// the block's cells at once, and a result without a row to correct is warned
// of through `check`.
PassResults read_mogul_results(Block& block, const std::vector<MogulWords>& lines, bool correct_all,
                               bool write_outputs, SideFileCheck& check);

// The path of the hybridisation data file below `KTW_home`.
std::string hybridisation_file_path();

#endif
