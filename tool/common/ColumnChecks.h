#ifndef TESRA_TOOL_COMMON_COLUMNCHECKS_H
#define TESRA_TOOL_COMMON_COLUMNCHECKS_H

#include <string>

class ISTable;

// True when the table has a column of exactly this name.
bool has_column(const ISTable& table, const std::string& column);

// Ends the run (status 1) with " Table <table> has no column <column>; cannot
// <purpose>" on standard error when the column is missing. Reading a missing
// column would silently take another column's cells instead.
void require_column(const ISTable& table, const std::string& table_name, const std::string& column,
                    const std::string& purpose);

// Ends the run (status 1) when the table has fewer than `count` columns, for
// steps that read cells by position.
void require_column_count(const ISTable& table, const std::string& table_name, size_t count,
                          const std::string& purpose);

#endif
