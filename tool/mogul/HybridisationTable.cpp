#include "mogul/HybridisationTable.h"

#include <fstream>
#include <iostream>
#include <vector>

#include "common/TextHelpers.h"

HybridisationTable load_hybridisation_table(const std::string& path) {
    HybridisationTable table;
    std::ifstream in(path);
    std::string line;
    // Only whole lines count: a last line without its line feed is not read.
    while (std::getline(in, line) && in.good()) {
        const std::vector<std::string> words = split_at_blanks(line);
        if (words.size() < 2)
            continue;
        for (std::size_t i = 1; i < words.size(); ++i) table[words[i]] = words[0];
    }
    std::cout << " Loaded hybridisations for " << table.size() << " atom types from " << path
              << "\n";
    return table;
}
