#ifndef TESRA_TOOL_RESTRAINTLISTING_H
#define TESRA_TOOL_RESTRAINTLISTING_H

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "NameTriple.h"

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
    std::map<std::pair<std::string, std::string>, float> bonds;
    std::map<NameTriple, float> angles;
    std::map<std::set<std::string>, float> plane_sigmas;
    std::map<std::string, std::vector<std::string>> named_planes;
    std::vector<ListedTorsion> torsions;
};

// Reads a restraint listing file.
RestraintListing read_restraint_listing(std::string path);

#endif
