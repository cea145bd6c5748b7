#ifndef TESRA_TOOL_MOGUL_MOGULPASS_H
#define TESRA_TOOL_MOGUL_MOGULPASS_H

#include <string>
#include <vector>

// write_mogdict itself is declared in Operations.h; this header holds what the
// Mogul pass shares with its neighbours.

// Splits a line at runs of the blank character (0x20 only; tabs and carriage
// returns belong to words). Leading blanks give no word, a trailing blank gives
// an empty last word, an empty line gives one empty word; never empty.
std::vector<std::string> split_at_blanks(const std::string& line);

// The path of the hybridisation data file below `KTW_home`.
std::string hybridisation_file_path();

#endif
