// transcribe and post-pqm: bonds, angles and torsions from a restraint listing
// (and for post-pqm the GEOMETRY file of write-mogdict).
#include "transcribe/TranscribedRestraints.h"

#include <iostream>
#include <memory>
#include <vector>

#include "cif/Block.h"
#include "common/RunStatus.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "common/TuningParameters.h"
#include "table/ISTable.h"

const char* const kUnassignedCompound = "unassigned";

namespace {

[[noreturn]] void missing_table(const char* message) {
    std::cerr << message;
    std::cerr.flush();
    throw RunEnd{exit_status::missing_restraint_table};
}

void keep_values(const char* what, const std::string& atoms, const char* source) {
    std::cerr << " " << source << " gives no value for " << what << " " << atoms
              << "; keeping its dictionary values" << std::endl;
}

}  // namespace

void transcribe_bonds(Block& block, const RestraintListing& listing,
                      const GeometryRestraints& geometry, bool is_transcribe,
                      std::string& comp_id) {
    ISTable* const bonds = block.GetTablePtr("chem_comp_bond");
    if (bonds == nullptr)
        missing_table(" No bond table in input CIF!\n");
    // Atoms are read by position: comp_id, atom_id_1, atom_id_2.
    require_column_count(*bonds, "chem_comp_bond", 3, "read its atoms");
    require_column(*bonds, "chem_comp_bond", "value_dist", "transcribe bond lengths");
    if (!is_transcribe)
        require_column(*bonds, "chem_comp_bond", "value_dist_esd", "transcribe bond sigmas");

    const std::string quantum_sigma = float_to_string(tuning.tesra_quantum_bond_sigma, 3);
    const unsigned count = bonds->GetNumRows();
    for (unsigned row = 0; row < count; ++row) {
        const std::vector<std::string>& cells = bonds->GetRow(row);
        if (comp_id == kUnassignedCompound)
            comp_id = cells[0];
        const std::string a = cells[1];
        const std::string b = cells[2];
        const auto listed = listing.bonds.find({a, b});
        const BondKey key = ordered_bond_key(a, b);
        if (is_transcribe || geometry.unrestrained_bonds.count(key) != 0) {
            if (listed == listing.bonds.end()) {
                keep_values("bond", a + " " + b, "Restraint listing");
                continue;
            }
            bonds->UpdateCell(row, "value_dist", float_to_string(listed->second, 3));
            if (!is_transcribe)
                bonds->UpdateCell(row, "value_dist_esd", quantum_sigma);
            continue;
        }
        const auto restrained = geometry.bond_restraints.find(key);
        if (restrained == geometry.bond_restraints.end()) {
            keep_values("bond", a + " " + b, "GEOMETRY file");
            continue;
        }
        bonds->UpdateCell(row, "value_dist", float_to_string(restrained->second.value, 3));
        bonds->UpdateCell(row, "value_dist_esd", float_to_string(restrained->second.sigma, 3));
    }
}

void transcribe_angles(Block& block, const RestraintListing& listing,
                       const GeometryRestraints& geometry, bool is_transcribe) {
    ISTable* const angles = block.GetTablePtr("chem_comp_angle");
    if (angles == nullptr)
        missing_table(" No angle table in input CIF!\n");
    // Atoms are read by position: comp_id, atom_id_1, atom_id_2, atom_id_3.
    require_column_count(*angles, "chem_comp_angle", 4, "read its atoms");
    require_column(*angles, "chem_comp_angle", "value_angle", "transcribe angles");
    if (!is_transcribe)
        require_column(*angles, "chem_comp_angle", "value_angle_esd", "transcribe angle sigmas");

    const std::string quantum_sigma = float_to_string(tuning.tesra_quantum_angle_sigma, 1);
    const unsigned count = angles->GetNumRows();
    for (unsigned row = 0; row < count; ++row) {
        const std::vector<std::string>& cells = angles->GetRow(row);
        const std::string a = cells[1];
        const std::string b = cells[2];
        const std::string c = cells[3];
        const std::string atoms = a + " " + b + " " + c;
        const auto listed = listing.angles.find(AngleKey{a, b, c});
        const AngleKey key = ordered_angle_key(a, b, c);
        if (is_transcribe || geometry.unrestrained_angles.count(key) != 0) {
            if (listed == listing.angles.end()) {
                keep_values("angle", atoms, "Restraint listing");
                continue;
            }
            angles->UpdateCell(row, "value_angle", float_to_string(listed->second, 1));
            if (!is_transcribe)
                angles->UpdateCell(row, "value_angle_esd", quantum_sigma);
            continue;
        }
        const auto restrained = geometry.angle_restraints.find(key);
        if (restrained == geometry.angle_restraints.end()) {
            keep_values("angle", atoms, "GEOMETRY file");
            continue;
        }
        angles->UpdateCell(row, "value_angle", float_to_string(restrained->second.value, 1));
        angles->UpdateCell(row, "value_angle_esd", float_to_string(restrained->second.sigma, 1));
    }
}

void write_listed_torsions(Block& block, const RestraintListing& listing,
                           const std::string& comp_id) {
    std::unique_ptr<ISTable> table = make_standard_table("chem_comp_tor");
    for (const ListedTorsion& torsion : listing.torsions) {
        table->AddRow(std::vector<std::string>{
            comp_id, torsion.name, torsion.atom1, torsion.atom2, torsion.atom3, torsion.atom4,
            float_to_string(torsion.value, 1), float_to_string(torsion.esd, 1),
            int_to_string(torsion.period)});
    }
    hand_to_block(block, std::move(table));
}
