#include "common/TableHelpers.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "cif/Block.h"
#include "common/RunStatus.h"
#include "table/ISTable.h"

namespace {

const std::string missing_cell = "?";

const std::map<std::string, std::vector<std::string>> standard_columns = {
    {"chem_comp_plane_atom", {"comp_id", "plane_id", "atom_id", "dist_esd"}},
    {"chem_comp_tor",
     {"comp_id", "id", "atom_id_1", "atom_id_2", "atom_id_3", "atom_id_4", "value_angle",
      "value_angle_esd", "period"}},
};

bool has_column(const ISTable& table, const std::string& column) {
    const std::vector<std::string>& names = table.GetColumnNames();
    return std::find(names.begin(), names.end(), column) != names.end();
}

}  // namespace

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

unsigned standard_row_count(const ISTable* table, std::size_t width) {
    if (table == nullptr || table->GetColumnNames().size() < width)
        return 0;
    return table->GetNumRows();
}

void require_column(const ISTable& table, const std::string& table_name, const std::string& column,
                    const std::string& purpose) {
    if (has_column(table, column))
        return;
    std::cerr << " Table " << table_name << " has no column " << column << "; cannot " << purpose
              << std::endl;
    throw RunEnd{exit_status::failure};
}

void require_column_count(const ISTable& table, const std::string& table_name, std::size_t count,
                          const std::string& purpose) {
    if (table.GetColumnNames().size() >= count)
        return;
    std::cerr << " Table " << table_name << " has fewer than " << count << " columns; cannot "
              << purpose << std::endl;
    throw RunEnd{exit_status::failure};
}

std::unique_ptr<ISTable> make_standard_table(const std::string& table_name) {
    const auto columns = standard_columns.find(table_name);
    if (columns == standard_columns.end())
        throw std::logic_error("no standard columns for " + table_name);
    auto table = std::make_unique<ISTable>(table_name, CaseSensitive);
    for (const std::string& column : columns->second)
        table->AddColumn(column, std::vector<std::string>());
    return table;
}

ISTable& hand_to_block(Block& block, std::unique_ptr<ISTable> table) {
    ISTable* const raw = table.get();
    block.WriteTable(raw);
    table.release();
    return *raw;
}
