// Arbitrary bytes into the CIF reader: diagnostics or tables come out, never a
// crash, a hang or a sanitizer report. What was read is written back and read
// again; a text without diagnostics must read back to the same tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"

namespace {

bool SameContent(CifFile& a, CifFile& b) {
    std::vector<std::string> blocksA;
    std::vector<std::string> blocksB;
    a.GetBlockNames(blocksA);
    b.GetBlockNames(blocksB);
    if (blocksA != blocksB) {
        return false;
    }
    for (const std::string& name : blocksA) {
        Block& blockA = a.GetBlock(name);
        Block& blockB = b.GetBlock(name);
        std::vector<std::string> tables;
        blockA.GetTableNames(tables);
        for (const std::string& t : tables) {
            ISTable* ta = blockA.GetTablePtr(t);
            ISTable* tb = blockB.GetTablePtr(t);
            if (ta->GetNumRows() == 0) {
                continue;  // tables without rows are not written
            }
            if (tb == nullptr || ta->GetColumnNames() != tb->GetColumnNames() ||
                ta->GetNumRows() != tb->GetNumRows()) {
                return false;
            }
            for (unsigned int r = 0; r < ta->GetNumRows(); ++r) {
                const std::vector<std::string>& ra = ta->GetRow(r);
                const std::vector<std::string>& rb = tb->GetRow(r);
                if (ra.size() != rb.size()) {
                    return false;
                }
                for (std::size_t c = 0; c < ra.size(); ++c) {
                    // An empty cell (a '' in the text) is written as the null value.
                    if (ra[c] != rb[c] && !(ra[c].empty() && rb[c] == "?")) {
                        return false;
                    }
                }
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CifFile first;
    CifParser parser(first);
    std::string diagnostics;
    parser.ParseString(text, diagnostics, "");

    std::ostringstream out;
    try {
        first.Write(out);
    } catch (const std::runtime_error&) {
        // A value or name that CIF cannot hold is refused, not written.
        return 0;
    }
    CifFile second;
    CifParser again(second);
    std::string secondDiagnostics;
    again.ParseString(out.str(), secondDiagnostics, "");
    if (!secondDiagnostics.empty() || !SameContent(first, second)) {
        // What the writer wrote must read back without errors to the same content.
        std::abort();
    }
    return 0;
}
