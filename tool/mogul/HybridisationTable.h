#ifndef TESRA_TOOL_MOGUL_HYBRIDISATIONTABLE_H
#define TESRA_TOOL_MOGUL_HYBRIDISATIONTABLE_H

#include <map>
#include <string>

// Atom energy type -> hybridisation word ("sp3", "sp2", ...).
using HybridisationTable = std::map<std::string, std::string>;

// Reads the hybridisation data file: each line of two or more blank-separated
// words names a hybridisation and then the atom types that have it (a later
// line wins for a type); a carriage return before the line feed belongs to the
// line end. A file that cannot be opened or read ends the run (status 1).
// Prints " Loaded hybridisations for <n> atom types from <path>" on standard
// output.
HybridisationTable load_hybridisation_table(const std::string& path);

#endif
