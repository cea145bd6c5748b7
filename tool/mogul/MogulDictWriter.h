#ifndef TESRA_TOOL_MOGUL_MOGULDICTWRITER_H
#define TESRA_TOOL_MOGUL_MOGULDICTWRITER_H

#include <string>

#include "common/ExceptionDictionary.h"
#include "common/HydrogenBonds.h"
#include "mogul/MogulRecords.h"
#include "mogul/PlaneDecisions.h"
#include "mogul/TorsionClassifier.h"

class Block;

// The X-H length tables of one write-mogdict run.
struct XhTables {
    ElementTable ecloud_lengths;
    ElementTable ecloud_sigmas;
    ElementTable nucleus_lengths;
};

// Writes "VETO-PLANEBOND a b" per pair, in set order (an empty set gives an
// empty file). Each file appears only when complete (replace_file_text); one
// that cannot be written ends the run with status 1 and leaves the previous
// file whole.
void write_veto_planebond(const VetoedPlaneBonds& vetoed, const std::string& path);

// Writes the GEOMETRY restraint file of the compound: atom notes, Mogul and
// fallback bonds and angles, 3060 torsions, 1-4 planes, unimodal torsions and
// trigonal planes. With the exceptions dictionary enabled, overrides are
// appended to the bond and angle lists first (hence the lists are taken by
// reference). Written as the VETO-PLANEBOND file is.
void write_geometry_file(Block& block, const std::string& compound_code, const std::string& path,
                         MogulBondList& bonds, MogulAngleList& angles, const TorsionClass& torsions,
                         bool ecloud, const ExceptionDictionary& exceptions,
                         const XhTables& xh_tables);

#endif
