#ifndef TESRA_CIF_CATEGORYBUFFER_H
#define TESRA_CIF_CATEGORYBUFFER_H

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// The rows of one category while its data block is being read. Rows may be
// shorter than the column list (columns added by later save frames); the
// missing cells are unset and become "?" when the table is built.
struct CategoryBuffer {
    explicit CategoryBuffer(std::string categoryName) : name(std::move(categoryName)) {}

    // The column of that attribute, added at the end when new.
    unsigned int ColumnFor(const std::string& attribute) {
        const auto found = columnIndex.find(attribute);
        if (found != columnIndex.end()) {
            return found->second;
        }
        const unsigned int col = static_cast<unsigned int>(columns.size());
        columns.push_back(attribute);
        columnIndex.emplace(attribute, col);
        return col;
    }

    // Sets one cell, filling the unset cells before it with "?".
    void SetCell(std::size_t row, unsigned int col, std::string value) {
        std::vector<std::string>& cells = rows[row];
        if (cells.size() <= col) {
            cells.resize(col + 1, std::string(1, '?'));
        }
        cells[col] = std::move(value);
    }

    std::string name;
    std::vector<std::string> columns;
    std::unordered_map<std::string, unsigned int> columnIndex;
    std::vector<std::vector<std::string>> rows;
};

#endif  // TESRA_CIF_CATEGORYBUFFER_H
