#ifndef TESRA_TESTS_TABLE_TABLETESTSUPPORT_H
#define TESRA_TESTS_TABLE_TABLETESTSUPPORT_H

#include <string>
#include <utility>
#include <vector>

#include "table/ISTable.h"

// Every cell of a table, row by row, in column order.
inline std::vector<std::vector<std::string>> Rows(const ISTable& table) {
    std::vector<std::vector<std::string>> rows;
    for (unsigned int r = 0; r < table.GetNumRows(); ++r) {
        std::vector<std::string> row;
        for (const std::string& name : table.GetColumnNames()) row.push_back(table(r, name));
        rows.push_back(row);
    }
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
