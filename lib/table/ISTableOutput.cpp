// ISTable: the printed form of a table.

#include <iomanip>
#include <stdexcept>

#include "table/ISTable.h"

std::ostream& operator<<(std::ostream& out, const ISTable& table) {
    const std::vector<std::string>& colNames = table.GetColumnNames();

    out << std::endl;
    out << "Table " << table._name << "  Columns: " << colNames.size()
        << "  Rows: " << table._numRows << std::endl
        << std::endl;

    out << std::setw(5) << "RowNo";
    for (const std::string& colName : colNames) {
        out << std::setw(10) << colName << " ";
    }
    out << std::endl;

    for (unsigned int r = 0; r < table._numRows; ++r) {
        out << std::setw(5) << r;
        try {
            for (const std::string& colName : colNames) {
                out << std::setw(10) << table(r, colName) << " ";
            }
        } catch (const std::out_of_range&) {
            // A row that cannot be read to its end is cut short, not lost.
        }
        out << std::endl;
    }
    return out;
}
