// Reads a small DDL2 dictionary and a data block through the installed headers
// and libraries, checks the block and prints the report. Exits 0 only when the
// one finding expected (a missing mandatory item) is reported.
#include <iostream>
#include <sstream>
#include <string>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "foundation/Exceptions.h"

namespace {

const char* const kDictionary =
    "data_demo.dic\n"
    "loop_\n_category.id\n_category.mandatory_code\nsample no\n"
    "loop_\n_category_key.id\n_category_key.name\nsample '_sample.id'\n"
    "loop_\n_item.name\n_item.category_id\n_item.mandatory_code\n"
    "'_sample.id' sample yes\n'_sample.mass' sample yes\n"
    "loop_\n_item_type.name\n_item_type.code\n'_sample.id' code\n'_sample.mass' float\n"
    "loop_\n_item_type_list.code\n_item_type_list.primitive_code\n_item_type_list.construct\n"
    "code char '[_,.;:\"&<>()/\\{}'`~!@#$%A-Za-z0-9*|+-]*'\n"
    "float numb '-?(([0-9]+)[.]?|([0-9]*[.][0-9]+))([(][0-9]+[)])?([eE][+-]?[0-9]+)?'\n";

const char* const kData = "data_probe\n_sample.id s1\n";

}  // namespace

int main() {
    try {
        CifFile dictionary;
        CifFile data;
        std::string diagnostics;
        CifParser(dictionary).ParseString(kDictionary, diagnostics, "");
        CifParser(data).ParseString(kData, diagnostics, "");
        if (!diagnostics.empty()) {
            std::cerr << "unexpected diagnostics: " << diagnostics;
            return 1;
        }
        std::ostringstream report;
        const int status = data.BlockDataChecking(
            data.GetBlock("probe"), dictionary.GetBlock("demo.dic"), report, false, false);
        std::cout << report.str();
        if (status != 0 || report.str().find("mandatory item \"mass\"") == std::string::npos) {
            std::cerr << "expected the missing mandatory item mass, status " << status << "\n";
            return 1;
        }
    } catch (const MirtException& e) {
        std::cerr << "tesra: " << e.what() << "\n";
        return 1;
    }
    std::cout << "consumer: ok\n";
    return 0;
}
