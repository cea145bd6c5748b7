// Arbitrary bytes into the CIF reader: diagnostics or tables, never a crash or
// a hang; what was read is written and must read back the same, without errors.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"

namespace {

// Blocks, tables, columns and cells; tables without rows are not written,
// and an empty cell (a '' in the text) is written as the null value.
std::string Content(CifFile& file) {
    std::string out;
    std::vector<std::string> blocks, tables, row;
    file.GetBlockNames(blocks);
    for (const std::string& b : blocks) {
        out += "\1" + b;
        file.GetBlock(b).GetTableNames(tables);
        for (const std::string& t : tables) {
            const ISTable& table = *file.GetBlock(b).GetTablePtr(t);
            if (table.GetNumRows() == 0)
                continue;
            out += "\2" + t;
            for (const std::string& c : table.GetColumnNames()) out += "\3" + c;
            for (unsigned int r = 0; r < table.GetNumRows(); ++r) {
                table.GetRow(row, r, "", "");
                for (const std::string& cell : row) out += "\4" + (cell.empty() ? "?" : cell);
            }
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CifFile first, second;
    std::string diagnostics;
    CifParser(first).ParseString(std::string(reinterpret_cast<const char*>(data), size),
                                 diagnostics, "");
    std::ostringstream out;
    try {
        first.Write(out);
    } catch (const std::runtime_error&) {
        return 0;  // a value or name that CIF cannot hold is refused, not written
    }
    CifParser(second).ParseString(out.str(), diagnostics, "");
    if (!diagnostics.empty() || Content(first) != Content(second))
        std::abort();  // what the writer wrote must read back, without errors, the same
    return 0;
}
