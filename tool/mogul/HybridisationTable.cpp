#include "mogul/HybridisationTable.h"

#include <fstream>
#include <iostream>
#include <vector>

#include "common/RunStatus.h"
#include "common/TextHelpers.h"

HybridisationTable load_hybridisation_table(const std::string& path) {
    HybridisationTable table;
    std::ifstream in(path);
    // Without the table no 3060 torsion would survive, and the run would
    // report success all the same.
    if (!in) {
        std::cerr << " Problem opening hybridisation file " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    std::string line;
    // Only whole lines count: a last line without its line feed is not read.
    while (read_text_line(in, line) && in.good()) {
        const std::vector<std::string> words = split_at_blanks(line);
        if (words.size() < 2)
            continue;
        for (std::size_t i = 1; i < words.size(); ++i) table[words[i]] = words[0];
    }
    if (in.bad()) {
        std::cerr << " Problem reading hybridisation file " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    std::cout << " Loaded hybridisations for " << table.size() << " atom types from " << path
              << "\n";
    return table;
}
