// Planes of transcribe and post-pqm: the plane table rebuilt from the listing's
// named planes (post-pqm), or planes removed by their listed sigma (-planekill).
#include <iostream>
#include <memory>
#include <set>
#include <vector>

#include "cif/Block.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "common/TuningParameters.h"
#include "table/ISTable.h"
#include "transcribe/TranscribedRestraints.h"

namespace {

bool is_qm_plane(const std::string& name) {
    return name.compare(0, 3, "qmf") == 0;
}

// Only four-atom QM planes can be vetoed, on the bond between their second and
// third atoms (in either order).
bool vetoed(const std::string& name, const std::vector<std::string>& atoms,
            const PlaneBondVetoes& vetoes) {
    if (atoms.size() != 4 || !is_qm_plane(name))
        return false;
    return vetoes.count({atoms[1], atoms[2]}) != 0 || vetoes.count({atoms[2], atoms[1]}) != 0;
}

}  // namespace

void write_listed_planes(Block& block, const RestraintListing& listing,
                         const PlaneBondVetoes& vetoes, const std::string& comp_id) {
    std::unique_ptr<ISTable> table = make_standard_table("chem_comp_plane_atom");
    std::vector<std::string> row{comp_id, "", "",
                                 float_to_string(tuning.tesra_planesplit_sigma, 3)};
    for (const auto& plane : listing.named_planes) {
        if (vetoed(plane.first, plane.second, vetoes)) {
            std::cout << "  While QM suggests the plane ";
            print_words(std::cout, plane.second) << ", mogul has vetoed it\n";
            continue;
        }
        row[1] = plane.first;
        for (const std::string& atom : plane.second) {
            row[2] = atom;
            table->AddRow(row);
        }
    }
    std::cout.flush();
    hand_to_block(block, std::move(table));
}

void remove_planes_by_sigma(Block& block, const RestraintListing& listing,
                            const PlaneAtomMap& planes, float planekill) {
    std::vector<const std::set<std::string>*> removed;
    for (const auto& entry : listing.plane_sigmas) {
        if (!(entry.second > planekill))
            continue;
        std::cout << " Removing plane containing atoms";
        for (const std::string& atom : entry.first) std::cout << " " << atom;
        std::cout << " because sigma=" << entry.second << std::endl;
        removed.push_back(&entry.first);
    }
    if (removed.empty())
        return;

    std::set<std::string> doomed_ids;
    for (const auto& plane : planes) {
        for (const std::set<std::string>* atoms : removed)
            if (plane.second == *atoms)
                doomed_ids.insert(plane.first);
    }

    ISTable* const table = block.GetTablePtr("chem_comp_plane_atom");
    if (table == nullptr || doomed_ids.empty())
        return;
    // plane_id by standard position.
    std::vector<unsigned> doomed_rows;
    const unsigned count = standard_row_count(table, 2);
    for (unsigned row = 0; row < count; ++row) {
        if (doomed_ids.count(table->GetRow(row)[1]) != 0)
            doomed_rows.push_back(row);
    }
    // From the highest index down, so the indices still to go stay valid.
    for (auto row = doomed_rows.rbegin(); row != doomed_rows.rend(); ++row) table->DeleteRow(*row);
}
