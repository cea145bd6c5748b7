#ifndef TESRA_TESTS_VALIDATE_CHECKTESTSUPPORT_H
#define TESRA_TESTS_VALIDATE_CHECKTESTSUPPORT_H

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"

typedef std::vector<std::string> Strings;

// CIF text, or the file at a path, read into a new file; the test fails on
// reader diagnostics.
inline std::unique_ptr<CifFile> ReadCif(const std::string& text, bool isPath = false) {
    std::unique_ptr<CifFile> file(new CifFile);
    CifParser parser(*file);
    std::string diagnostics;
    isPath ? parser.Parse(text, diagnostics) : parser.ParseString(text, diagnostics, "");
    EXPECT_EQ("", diagnostics);
    return file;
}

inline Block& FirstBlock(CifFile& file) {
    return file.GetBlock(file.GetFirstBlockName());
}

// The checks, one by one, each writing to the one report.
class CifFileChecks {
public:
    CifFile file;
    std::ostringstream out;

    int MandatoryCategories(Block& block, Block& dict) {
        return file._CheckMandatoryCategories(block, dict, out);
    }
    void CategoryKeys(Block& block) { file._CheckCategoryKeys(block, out); }
    void ItemCategories(Block& block) { file._CheckItemCategories(block, out); }
    bool IsCategoryDefined(const std::string& name, Block& dict) {
        return file._IsCategoryDefined(name, dict.GetTablePtr("category"));
    }

    void KeysAndMandatoryItems(Block& block, ISTable& table, Block& dict) {
        Strings keys;
        file._GetKeyItems(keys, table.GetName(), *dict.GetTablePtr("category_key"));
        file._CheckKeyItems(block.GetName(), table, keys, out);
        file._CheckMandatoryItems(block.GetName(), table, *dict.GetTablePtr("item"), keys, out);
    }

    // Every column of the table, with the dictionary's plain item tables
    // (null where it lacks them); the result of the last column.
    int ItemValues(Block& block, ISTable& table, Block& dict) {
        int result = 1;
        for (const std::string& column : table.GetColumnNames()) {
            result = file._CheckItemValues(block, table, column, dict.GetTablePtr("item_type"),
                                           dict.GetTablePtr("item_type_list"),
                                           dict.GetTablePtr("item_range"),
                                           dict.GetTablePtr("item_enumeration"), nullptr,
                                           dict.GetTablePtr("item_aliases"), out);
        }
        return result;
    }
};

#endif  // TESRA_TESTS_VALIDATE_CHECKTESTSUPPORT_H
