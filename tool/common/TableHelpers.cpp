#include "common/TableHelpers.h"

#include <iostream>

#include "cif/Block.h"
#include "common/RunStatus.h"
#include "table/ISTable.h"

namespace {
const std::string missing_cell = "?";
}

TableRows get_table_columns(Block& block, const std::string& table_name,
                            const std::vector<std::string>& column_names) {
    const ISTable* table = block.GetTablePtr(table_name);
    if (table == nullptr) {
        std::cerr << " Data table " << table_name << " not found!" << std::endl;
        throw RunEnd{exit_status::failure};
    }

    // Position of each wanted column; -1 for one the table lacks, which reads
    // as "?" rather than as some other column's values.
    const std::map<std::string, int> indices = get_column_indices(*table);
    std::vector<int> positions;
    positions.reserve(column_names.size());
    for (const std::string& name : column_names) {
        const auto found = indices.find(name);
        if (found == indices.end()) {
            std::cerr << " Data table " << table_name << " has no column " << name
                      << "; its cells read as \"?\"" << std::endl;
            positions.push_back(-1);
        } else {
            positions.push_back(found->second);
        }
    }

    TableRows rows;
    const unsigned int count = table->GetNumRows();
    rows.reserve(count);
    for (unsigned int r = 0; r < count; ++r) {
        const std::vector<std::string>& row = table->GetRow(r);
        std::vector<std::string> cells;
        cells.reserve(positions.size());
        for (const int position : positions) {
            const bool present = position >= 0 && static_cast<std::size_t>(position) < row.size();
            cells.push_back(present ? row[static_cast<std::size_t>(position)] : missing_cell);
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::map<std::string, int> get_column_indices(const ISTable& table) {
    std::map<std::string, int> indices;
    const std::vector<std::string>& names = table.GetColumnNames();
    for (std::size_t i = 0; i < names.size(); ++i) indices.emplace(names[i], static_cast<int>(i));
    return indices;
}

AtomTypeMap read_atom_types(Block& block) {
    AtomTypeMap types;
    for (std::vector<std::string>& row :
         get_table_columns(block, "chem_comp_atom", {"atom_id", "type_energy"})) {
        types[std::move(row[0])] = std::move(row[1]);
    }
    return types;
}
