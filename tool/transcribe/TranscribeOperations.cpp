// transcribe and post-pqm: a restraint listing (and for post-pqm the two files
// that write-mogdict wrote) applied to the compound's block.
#include <iostream>

#include "Operations.h"
#include "cif/Block.h"
#include "common/TableHelpers.h"
#include "table/ISTable.h"
#include "transcribe/TranscribedRestraints.h"

namespace {

// plane_id -> atom_id values of the compound's chem_comp_plane_atom; empty
// when the table is absent or lacks one of the two columns.
PlaneAtomMap read_plane_atoms(Block& block) {
    PlaneAtomMap planes;
    const ISTable* table = block.GetTablePtr("chem_comp_plane_atom");
    if (table == nullptr)
        return planes;
    for (const char* column : {"plane_id", "atom_id"}) {
        if (!table->IsColumnPresent(column)) {
            std::cerr << " Data table chem_comp_plane_atom has no column " << column
                      << "; its planes are not used" << std::endl;
            return planes;
        }
    }
    for (std::vector<std::string>& row :
         get_table_columns(block, "chem_comp_plane_atom", {"plane_id", "atom_id"})) {
        planes[std::move(row[0])].insert(std::move(row[1]));
    }
    return planes;
}

void transcribe_listing(const RovidevParams& params, Block& block, bool is_transcribe) {
    const PlaneAtomMap planes = read_plane_atoms(block);
    const RestraintListing listing = read_restraint_listing(params.extradata_filename, &block);
    apply_transcribed_restraints(params, block, listing, planes, is_transcribe);
}

}  // namespace

void transcribe(const RovidevParams& params, Block& block) {
    transcribe_listing(params, block, true);
}

void post_pqm(const RovidevParams& params, Block& block) {
    transcribe_listing(params, block, false);
}

void apply_transcribed_restraints(const RovidevParams& params, Block& block,
                                  const RestraintListing& listing, const PlaneAtomMap& planes,
                                  bool is_transcribe) {
    // post-pqm needs both write-mogdict files; both are read (or refused)
    // before anything in the block changes.
    GeometryRestraints geometry;
    PlaneBondVetoes vetoes;
    if (!is_transcribe) {
        geometry = read_geometry_restraints_file(params.extra2);
        vetoes = read_plane_bond_vetoes_file(params.extra3);
    }

    std::string comp_id = kUnassignedCompound;
    if (params.do_bonds)
        transcribe_bonds(block, listing, geometry, is_transcribe, comp_id);
    if (params.do_angles && !listing.angles.empty())
        transcribe_angles(block, listing, geometry, is_transcribe);

    if (!is_transcribe) {
        write_listed_planes(block, listing, vetoes, comp_id);
        write_listed_torsions(block, listing, comp_id);
    } else if (params.planekill_given) {
        remove_planes_by_sigma(block, listing, planes, params.planekill);
    }
}
