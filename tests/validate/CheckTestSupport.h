#ifndef TESRA_TESTS_VALIDATE_CHECKTESTSUPPORT_H
#define TESRA_TESTS_VALIDATE_CHECKTESTSUPPORT_H

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "validate/CheckDictionary.h"

typedef std::vector<std::string> Strings;

inline Strings Split(const std::string& text) {
    std::istringstream in(text);
    return Strings(std::istream_iterator<std::string>(in), std::istream_iterator<std::string>());
}

inline std::string Join(const Strings& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
}

// A table: name, column names and cells row by row, blank-separated.
struct TableText {
    std::string name, columns, cells;
};

struct Dictionary {
    explicit Dictionary(const std::vector<TableText>& tables, const std::string& name = "d")
        : block(name) {
        for (const TableText& t : tables) {
            auto table = std::make_unique<ISTable>(t.name, CaseSensitive);
            const Strings columns = Split(t.columns), cells = Split(t.cells);
            for (const std::string& column : columns) table->AddColumn(column, Strings());
            for (size_t i = 0; i < cells.size(); i += columns.size())
                table->AddRow(Strings(cells.begin() + i, cells.begin() + i + columns.size()));
            block.WriteTable(table.release());
        }
    }
    Block block;
};

// CIF text, or the file at a path; reader diagnostics fail the test.
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

// An unmatched parent/child row; details "childAttribute>parentAttribute=value".
inline std::string Unmatched(const std::string& block, const std::string& label,
                             const std::string& category, int row, const std::string& parent,
                             const std::string& details) {
    std::string text = "ERROR PARCHILD \"" + label + "\" - In block \"" + block +
                       "\", in category \"" + category + "\", in row# " + std::to_string(row) +
                       ", unmatched value in the parent \"" + parent + "\"\n";
    for (const std::string& d : Split(details)) {
        const size_t to = d.find('>'), is = d.find('=');
        text += "  \"_" + category + "." + d.substr(0, to) + "\" -> \"_" + parent + "." +
                d.substr(to + 1, is - to - 1) + "\" value =\"" + d.substr(is + 1) + "\"\n";
    }
    return text;
}

class CifFileChecks {
public:
    CifFile file;
    std::ostringstream out;

    void CategoryKeys(Block& block) { file._CheckCategoryKeys(block, out); }
    void ItemCategories(Block& block) { file._CheckItemCategories(block, out); }

    void ItemTypes(Block& block, bool skipUntypedItems) {
        file._skipUntypedItems = skipUntypedItems;
        file._CheckItemTypes(block, out);
    }

    // Every column, with the dictionary's plain item tables; the last result.
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

    // Every column in one walk, as the category checks run them, with the
    // plain item tables; the dictionary needs category, category_key and item.
    int TableValues(Block& block, ISTable& table, Block& dict) {
        CheckDictionary prepared(dict);
        prepared.Prepare(false);
        return file._CheckTableValues(block, table, prepared, out);
    }

    // One column against a definition gathered beforehand.
    int Values(Block& block, ISTable& table, const std::string& column,
               const ItemDefinition& definition) {
        return file._CheckValues(block, table, column, definition, out);
    }

    // The reference rules of ranges and enumerations, a value at a time.
    int IsFloatInRange(const std::string& value, const Strings& minimums,
                       const Strings& maximums) const {
        return file._IsFloatInRange(value, minimums, maximums);
    }
    int IsIntInRange(const std::string& value, const Strings& minimums,
                     const Strings& maximums) const {
        return file._IsIntInRange(value, minimums, maximums);
    }
    int IsFloatInEnumeration(const std::string& value, const Strings& entries) const {
        return file._IsFloatInEnumeration(value, entries);
    }
    int IsIntInEnumeration(const std::string& value, const Strings& entries) const {
        return file._IsIntInEnumeration(value, entries);
    }
    int IsStringInEnumeration(const std::string& value, const std::string& primitiveCode,
                              const Strings& entries) const {
        return file._IsStringInEnumeration(value, primitiveCode, entries);
    }

    void NullKeys(const Strings& keys, ISTable& table) { file._CheckNullKeys(keys, table, out); }
    bool IsItemDefined(const std::string& category, const std::string& attribute, ISTable& item) {
        return file._IsItemDefined(category, attribute, item);
    }
};

// The rows of a table, one line each, cells blank-separated.
inline std::string Rows(const ISTable* table) {
    std::string text;
    for (unsigned int row = 0; table != nullptr && row < table->GetNumRows(); ++row)
        text += Join(table->GetRow(row)) + "\n";
    return text;
}

#endif  // TESRA_TESTS_VALIDATE_CHECKTESTSUPPORT_H
