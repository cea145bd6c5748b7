// override: rewrites bond and angle targets from the exceptions dictionary,
// keyed by the atoms' energy types.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Operations.h"
#include "cif/Block.h"
#include "common/ExceptionDictionary.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "table/ISTable.h"

namespace {

const std::string& type_of(const AtomTypeMap& types, const std::string& atom) {
    static const std::string no_type;
    const auto found = types.find(atom);
    return found == types.end() ? no_type : found->second;
}

// The columns an override writes. A table that matches no override may lack
// them; the run ends before anything is written.
void require_value_columns(const ISTable& table, const std::string& table_name,
                           std::initializer_list<const char*> columns) {
    for (const char* column : columns)
        require_column(table, table_name, column, "override its values");
}

void override_bonds(ISTable& bonds, const AtomTypeMap& types,
                    const ExceptionDictionary& exceptions) {
    const std::map<std::string, int> columns = get_column_indices(bonds);
    const size_t col1 = columns.at("atom_id_1");
    const size_t col2 = columns.at("atom_id_2");
    const unsigned count = bonds.GetNumRows();
    for (unsigned row = 0; row < count; ++row) {
        const std::vector<std::string>& cells = bonds.GetRow(row);
        const std::string a1 = cells[col1];
        const std::string a2 = cells[col2];
        const std::string& t1 = type_of(types, a1);
        const std::string& t2 = type_of(types, a2);
        const auto found = exceptions.bond_overrides.find({t1, t2});
        if (found == exceptions.bond_overrides.end())
            continue;
        require_value_columns(bonds, "chem_comp_bond", {"value_dist", "value_dist_esd"});
        std::cerr << "Overriding bond from " << a1 << " (" << t1 << ") to " << a2 << "(" << t2
                  << ")" << std::endl;
        bonds.UpdateCell(row, "value_dist", float_to_string(found->second.value, 3));
        bonds.UpdateCell(row, "value_dist_esd", float_to_string(found->second.esd, 3));
    }
}

void override_angles(ISTable& angles, const AtomTypeMap& types,
                     const ExceptionDictionary& exceptions) {
    const std::map<std::string, int> columns = get_column_indices(angles);
    const size_t col1 = columns.at("atom_id_1");
    const size_t col2 = columns.at("atom_id_2");
    const size_t col3 = columns.at("atom_id_3");
    const unsigned count = angles.GetNumRows();
    for (unsigned row = 0; row < count; ++row) {
        const std::vector<std::string>& cells = angles.GetRow(row);
        const std::string a1 = cells[col1];
        const std::string a2 = cells[col2];
        const std::string a3 = cells[col3];
        const std::string& t1 = type_of(types, a1);
        const std::string& t2 = type_of(types, a2);
        const std::string& t3 = type_of(types, a3);
        const auto found = exceptions.angle_overrides.find(AngleKey{t1, t2, t3});
        if (found == exceptions.angle_overrides.end())
            continue;
        require_value_columns(angles, "chem_comp_angle", {"value_angle", "value_angle_esd"});
        std::cerr << "Overriding angle " << a1 << "(" << t1 << ") - " << a2 << "(" << t2 << ") - "
                  << a3 << "(" << t3 << ")" << std::endl;
        angles.UpdateCell(row, "value_angle", float_to_string(found->second.value, 1));
        angles.UpdateCell(row, "value_angle_esd", float_to_string(found->second.esd, 1));
    }
}

}  // namespace

void apply_exception_dictionary(Block& block, const ExceptionDictionary& exceptions) {
    const AtomTypeMap types = read_atom_types(block);
    ISTable* const bonds = block.GetTablePtr("chem_comp_bond");
    ISTable* const angles = block.GetTablePtr("chem_comp_angle");

    // Both tables are checked before anything changes, so a refused table
    // leaves the other one untouched as well.
    const std::string purpose = "match its atoms to the exceptions dictionary";
    if (bonds != nullptr) {
        for (const char* column : {"atom_id_1", "atom_id_2"})
            require_column(*bonds, "chem_comp_bond", column, purpose);
    }
    if (angles != nullptr) {
        for (const char* column : {"atom_id_1", "atom_id_2", "atom_id_3"})
            require_column(*angles, "chem_comp_angle", column, purpose);
    }

    if (bonds != nullptr)
        override_bonds(*bonds, types, exceptions);
    if (angles != nullptr)
        override_angles(*angles, types, exceptions);
}
