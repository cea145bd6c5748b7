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

// CIF text read into a new file; the test fails on reader diagnostics.
inline std::unique_ptr<CifFile> ReadCif(const std::string& text) {
    std::unique_ptr<CifFile> file(new CifFile);
    CifParser parser(*file);
    std::string diagnostics;
    parser.ParseString(text, diagnostics, "");
    EXPECT_EQ("", diagnostics);
    return file;
}

inline Block& FirstBlock(CifFile& file) {
    return file.GetBlock(file.GetFirstBlockName());
}

// A table of one column holding the values, one per row.
inline std::unique_ptr<ISTable> ColumnTable(const std::string& table, const std::string& column,
                                            const Strings& values) {
    std::unique_ptr<ISTable> result(new ISTable(table, CaseSensitive));
    result->AddColumn(column, Strings());
    for (const std::string& value : values) {
        result->AddRow(Strings{value});
    }
    return result;
}

// The checks as the category checks call them, each with its report.
class CifFileChecks {
public:
    CifFile file;
    std::ostringstream out;

    int MandatoryCategories(Block& block, Block& dict) {
        return file._CheckMandatoryCategories(block, dict, out);
    }
    void CategoryKeys(Block& block) { file._CheckCategoryKeys(block, out); }
    void ItemCategories(Block& block) { file._CheckItemCategories(block, out); }

    // Key and mandatory-item checks of every table of the block.
    void KeysAndMandatoryItems(Block& block, Block& dict) {
        Strings tables;
        block.GetTableNames(tables);
        for (const std::string& name : tables) {
            ISTable& table = *block.GetTablePtr(name);
            Strings keys;
            file._GetKeyItems(keys, name, *dict.GetTablePtr("category_key"));
            file._CheckKeyItems(block.GetName(), table, keys, out);
            file._CheckMandatoryItems(block.GetName(), table, *dict.GetTablePtr("item"), keys, out);
        }
    }

    int ItemValues(Block& block, ISTable& table, const std::string& column, ISTable* type,
                   ISTable* typeList, ISTable* range, ISTable* enumeration, ISTable* aliases) {
        return file._CheckItemValues(block, table, column, type, typeList, range, enumeration,
                                     nullptr, aliases, out);
    }

    // Item value checks of every column of the table, with the plain tables.
    int ItemValues(Block& block, ISTable& table, Block& dict) {
        int result = 1;
        for (const std::string& column : table.GetColumnNames()) {
            result =
                ItemValues(block, table, column, dict.GetTablePtr("item_type"),
                           dict.GetTablePtr("item_type_list"), dict.GetTablePtr("item_range"),
                           dict.GetTablePtr("item_enumeration"), dict.GetTablePtr("item_aliases"));
        }
        return result;
    }
};

#endif  // TESRA_TESTS_VALIDATE_CHECKTESTSUPPORT_H
