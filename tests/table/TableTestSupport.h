#ifndef TESRA_TESTS_TABLE_TABLETESTSUPPORT_H
#define TESRA_TESTS_TABLE_TABLETESTSUPPORT_H

#include <string>
#include <utility>
#include <vector>

#include "table/ISTable.h"

// A table of the given columns and rows.
inline ISTable MakeTable(const std::string& name, const std::vector<std::string>& columns,
                         const std::vector<std::vector<std::string>>& rows,
                         CompareType compareType = CaseSensitive) {
    ISTable table(name, compareType);
    for (const std::string& column : columns) table.AddColumn(column, {});
    for (const auto& row : rows) table.AddRow(row);
    return table;
}

// Every cell of a table, row by row, in column order.
inline std::vector<std::vector<std::string>> AllRows(const ISTable& table) {
    std::vector<std::vector<std::string>> rows(table.GetNumRows());
    for (unsigned int r = 0; r < table.GetNumRows(); ++r) table.GetRow(rows[r], r, "", "");
    return rows;
}

// Every segment's row count, from the row locations.
inline std::vector<unsigned int> SegmentSizes(const ISTable& table) {
    std::vector<unsigned int> sizes(table.GetNumSegments(), 0);
    std::pair<unsigned int, unsigned int> at;
    for (unsigned int r = 0; r < table.GetNumRows(); ++r) {
        table.GetRowLocation(at, r);
        ++sizes.at(at.first);
    }
    return sizes;
}

#endif
