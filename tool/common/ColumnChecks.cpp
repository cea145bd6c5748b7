#include "common/ColumnChecks.h"

#include <algorithm>
#include <iostream>
#include <vector>

#include "common/RunStatus.h"
#include "table/ISTable.h"

bool has_column(const ISTable& table, const std::string& column) {
    const std::vector<std::string>& names = table.GetColumnNames();
    return std::find(names.begin(), names.end(), column) != names.end();
}

void require_column(const ISTable& table, const std::string& table_name, const std::string& column,
                    const std::string& purpose) {
    if (has_column(table, column))
        return;
    std::cerr << " Table " << table_name << " has no column " << column << "; cannot " << purpose
              << std::endl;
    throw RunEnd{exit_status::failure};
}

void require_column_count(const ISTable& table, const std::string& table_name, size_t count,
                          const std::string& purpose) {
    if (table.GetColumnNames().size() >= count)
        return;
    std::cerr << " Table " << table_name << " has fewer than " << count << " columns; cannot "
              << purpose << std::endl;
    throw RunEnd{exit_status::failure};
}
