#ifndef TESRA_TOOL_TRANSCRIBE_RESTRAINTLISTING_H
#define TESRA_TOOL_TRANSCRIBE_RESTRAINTLISTING_H

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/AtomKeys.h"

class Block;
class SideFileCheck;

// One torsion record of a restraint listing.
struct ListedTorsion {
    std::string name;
    std::string atom1;
    std::string atom2;
    std::string atom3;
    std::string atom4;
    int period = 0;
    float value = 0.0f;
    float esd = 0.0f;
};

// The records of a restraint listing file. Bonds and angles are stored under
// both orientations of their atoms.
struct RestraintListing {
    std::map<BondKey, float> bonds;
    std::map<AngleKey, float> angles;
    std::map<std::set<std::string>, float> plane_sigmas;
    std::map<std::string, std::vector<std::string>> named_planes;
    std::vector<ListedTorsion> torsions;
};

// Reads a restraint listing file; a carriage return before a line feed belongs
// to the line end. A file that cannot be opened or read ends the run (status
// 1): going on without it would write zeros or drop every plane, and so does
// a number that is not finite. Records too short or too malformed for their
// fields are skipped with a warning on standard error, and so are records
// naming an atom that the compound, when given, does not have.
RestraintListing read_restraint_listing(std::string path, Block* compound = nullptr);

// Adds what one line of a listing says to the listing; lines of other kinds
// are ignored. Checks and warnings go through `check`; without it, through
// one made for the line.
void read_listing_line(const std::string& line, RestraintListing& listing, SideFileCheck& check);
void read_listing_line(const std::string& line, RestraintListing& listing);

#endif
