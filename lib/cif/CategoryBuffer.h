#ifndef TESRA_CIF_CATEGORYBUFFER_H
#define TESRA_CIF_CATEGORYBUFFER_H

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// The rows of one category while its data block is being read. Rows may be
// shorter than the column list (columns added by later save frames); the
// missing cells are unset and become "?" when the table is built.
struct CategoryBuffer {
    static constexpr unsigned int kNoColumn = static_cast<unsigned int>(-1);

    explicit CategoryBuffer(std::string categoryName) : name(std::move(categoryName)) {}

    // The column of that attribute, or kNoColumn.
    unsigned int Find(std::string_view attribute) const {
        if (!_index.empty()) {
            const auto found = _index.find(std::string(attribute));
            return found != _index.end() ? found->second : kNoColumn;
        }
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].size() == attribute.size() && attribute == columns[c]) {
                return static_cast<unsigned int>(c);
            }
        }
        return kNoColumn;
    }

    // The column of that attribute, added at the end when new.
    unsigned int ColumnFor(std::string_view attribute) {
        const unsigned int found = Find(attribute);
        if (found != kNoColumn) {
            return found;
        }
        const unsigned int col = static_cast<unsigned int>(columns.size());
        columns.emplace_back(attribute);
        if (!_index.empty()) {
            _index.emplace(columns.back(), col);
        } else if (columns.size() > kLinearLimit) {
            // A wide category: a scan per lookup would grow with its width.
            for (unsigned int c = 0; c < columns.size(); ++c) {
                _index.emplace(columns[c], c);
            }
        }
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
    std::vector<std::vector<std::string>> rows;

private:
    // Categories up to this width are searched by a scan, which costs less
    // than hashing for the few columns of a typical category.
    static constexpr std::size_t kLinearLimit = 32;
    std::unordered_map<std::string, unsigned int> _index;  // empty until the width passes the limit
};

#endif  // TESRA_CIF_CATEGORYBUFFER_H
