#ifndef TESRA_TESTS_CIF_CIFDUMP_H
#define TESRA_TESTS_CIF_CIFDUMP_H

#include <string>
#include <vector>

#include "cif/CifFile.h"

// Every block, table, column and row: "data_b", "table: col col", "  a|b";
// with `rowless` false, tables without rows (which are not written) left out.
inline std::string Dump(CifFile& file, bool rowless = true) {
    std::string out;
    std::vector<std::string> blocks, tables, row;
    file.GetBlockNames(blocks);
    for (const std::string& b : blocks) {
        out += "data_" + b + "\n";
        file.GetBlock(b).GetTableNames(tables);
        for (const std::string& t : tables) {
            const ISTable& table = *file.GetBlock(b).GetTablePtr(t);
            if (!rowless && table.GetNumRows() == 0)
                continue;
            out += t + ":";
            for (const std::string& c : table.GetColumnNames()) out += " " + c;
            out += "\n";
            for (unsigned int r = 0; r < table.GetNumRows(); ++r) {
                table.GetRow(row, r, "", "");
                for (std::size_t c = 0; c < row.size(); ++c) out += (c == 0 ? "  " : "|") + row[c];
                out += "\n";
            }
        }
    }
    return out;
}

#endif
