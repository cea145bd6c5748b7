#include "mogul/PlaneSet.h"

#include "cif/Block.h"
#include "table/ISTable.h"

PlaneSet read_plane_sets(Block& block) {
    PlaneSet result;
    ISTable* table = block.GetTablePtr("chem_comp_plane_atom");
    if (table == nullptr)
        return result;
    const unsigned rows = table->GetNumRows();
    for (unsigned r = 0; r < rows; ++r) {
        const std::vector<std::string>& row = table->GetRow(r);
        // Cells 1 and 2 are plane_id and atom_id in the category's standard order.
        if (row.size() < 3)
            continue;
        result.planes[row[1]].push_back(row[2]);
    }
    for (const auto& plane : result.planes)
        result.atom_sets.emplace(plane.second.begin(), plane.second.end());
    return result;
}
