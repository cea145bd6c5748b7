#include "mogul/BondCounts.h"

#include <iostream>

#include "cif/Block.h"
#include "common/RunStatus.h"
#include "table/ISTable.h"

BondCounts count_bonds(Block& block) {
    ISTable* bonds = block.GetTablePtr("chem_comp_bond");
    if (bonds == nullptr) {
        std::cerr << "No bond table in input CIF file!\n\n";
        throw RunEnd{exit_status::failure};
    }
    BondCounts counts;
    const unsigned rows = bonds->GetNumRows();
    for (unsigned r = 0; r < rows; ++r) {
        const std::vector<std::string>& row = bonds->GetRow(r);
        // Cells 1 and 2 are atom_id_1 and atom_id_2 in the category's standard order.
        if (row.size() < 3)
            continue;
        ++counts[row[1]];
        ++counts[row[2]];
    }
    return counts;
}
