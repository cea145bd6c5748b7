#include "mogul/PlaneDecisions.h"

#include <cstdlib>
#include <iostream>
#include <vector>

#include "cif/Block.h"
#include "common/RunStatus.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "common/TuningParameters.h"
#include "table/ISTable.h"

namespace {

const char* const kPlaneTable = "chem_comp_plane_atom";
const char* const kOpinionText[] = {"not worth restraining", "worth restraining"};

// The planes of chem_comp_plane_atom.
struct PlaneSet {
    // plane_id -> its atom names in row order.
    std::map<std::string, std::vector<std::string>> planes;
    // The atom-name set of every plane (planes of the same atoms give one entry).
    std::set<std::set<std::string>> atom_sets;
};

// Reads the block's planes (plane_id and atom_id by standard position); both
// containers are empty when the block has no chem_comp_plane_atom.
PlaneSet read_plane_sets(Block& block) {
    PlaneSet result;
    const ISTable* table = block.GetTablePtr(kPlaneTable);
    const unsigned rows = standard_row_count(table, 3);
    for (unsigned r = 0; r < rows; ++r) {
        const std::vector<std::string>& row = table->GetRow(r);
        result.planes[row[1]].push_back(row[2]);
    }
    for (const auto& plane : result.planes)
        result.atom_sets.emplace(plane.second.begin(), plane.second.end());
    return result;
}

// Atom name -> number of chem_comp_bond rows naming it (atom_id_1 and atom_id_2
// by standard position). A bond listed twice counts twice. A block without
// chem_comp_bond ends the run.
std::map<std::string, int> count_bonds(Block& block) {
    const ISTable* bonds = block.GetTablePtr("chem_comp_bond");
    if (bonds == nullptr) {
        std::cerr << "No bond table in input CIF file!\n\n";
        throw RunEnd{exit_status::failure};
    }
    std::map<std::string, int> counts;
    const unsigned rows = standard_row_count(bonds, 3);
    for (unsigned r = 0; r < rows; ++r) {
        const std::vector<std::string>& row = bonds->GetRow(r);
        ++counts[row[1]];
        ++counts[row[2]];
    }
    return counts;
}

std::vector<std::string> key_words(const TorsionKey& key) {
    return std::vector<std::string>(key.begin(), key.end());
}

// Mogul's opinion on a plane: its flag under the whole atom list, else under the
// first four atoms reversed; null when Mogul has none.
const int* find_opinion(const std::map<TorsionKey, int>& plane_flags,
                        const std::vector<std::string>& atoms) {
    if (atoms.size() == 4) {
        const auto forward = plane_flags.find(TorsionKey{atoms[0], atoms[1], atoms[2], atoms[3]});
        if (forward != plane_flags.end())
            return &forward->second;
    }
    const auto reversed = plane_flags.find(TorsionKey{atoms[3], atoms[2], atoms[1], atoms[0]});
    return reversed != plane_flags.end() ? &reversed->second : nullptr;
}

// Tries each of the first four atoms as a trigonal centre; a centre whose three
// Mogul angles add up to too little marks the plane for removal. Returns true
// when any centre was trigonal.
bool judge_trigonal_centres(const std::string& plane_id, const std::vector<std::string>& atoms,
                            const MogulAngleMeans& angle_means,
                            std::set<std::string>& planes_to_remove) {
    bool any_trigonal = false;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string& centre = atoms[i];
        std::vector<const std::string*> others;
        for (std::size_t j = 0; j < 4; ++j)
            if (j != i)
                others.push_back(&atoms[j]);
        const float a = mogul_angle_mean(angle_means, *others[0], centre, *others[1]);
        const float b = mogul_angle_mean(angle_means, *others[1], centre, *others[2]);
        const float c = mogul_angle_mean(angle_means, *others[2], centre, *others[0]);
        if (a == 0.0f || b == 0.0f || c == 0.0f)
            continue;
        any_trigonal = true;
        const float sum = a + b + c;
        std::cout << " Looks trigonal, centre " << centre << "; total angle from mogul is " << sum
                  << "\n";
        if (sum < tuning.tesra_trigonal_threshold) {
            std::cout << "   Removing plane " << plane_id
                      << " since sum of angles around it is too small (" << float_to_string(sum, 1)
                      << ")\n";
            planes_to_remove.insert(plane_id);
        } else {
            std::cout << "   Adding plane " << plane_id
                      << " since sum of angles around it big enough (" << float_to_string(sum, 1)
                      << ")\n";
        }
    }
    return any_trigonal;
}

// atom name -> hybridisation word, for the non-hydrogen atoms of chem_comp_atom.
std::map<std::string, std::string> atom_hybridisations(Block& block,
                                                       const HybridisationTable& hybridisations) {
    ISTable* atoms = block.GetTablePtr("chem_comp_atom");
    if (atoms == nullptr) {
        std::cerr << "No atom table in input CIF file!\n\n";
        throw RunEnd{exit_status::failure};
    }
    std::map<std::string, std::string> result;
    // atom_id, type_symbol and type_energy by standard position.
    const unsigned rows = standard_row_count(atoms, 4);
    for (unsigned r = 0; r < rows; ++r) {
        const std::vector<std::string>& row = atoms->GetRow(r);
        if (row[2] == "H")
            continue;
        const auto found = hybridisations.find(row[3]);
        if (found == hybridisations.end())
            std::cout << "Don't know hybridisation state for atomtype " << row[3] << "\n";
        else
            result[row[1]] = found->second;
    }
    return result;
}

bool is_sp3(const std::map<std::string, std::string>& hybridisation, const std::string& atom) {
    const auto found = hybridisation.find(atom);
    return found != hybridisation.end() && found->second == "sp3";
}

// The compound id for new plane rows: comp_id of the first row of the plane
// table, else of chem_comp_bond, else of chem_comp_atom, else the block's name
// without its "comp_" prefix.
std::string compound_id(Block& block) {
    for (const char* name : {kPlaneTable, "chem_comp_bond", "chem_comp_atom"}) {
        const ISTable* table = block.GetTablePtr(name);
        if (standard_row_count(table, 1) > 0)
            return table->GetRow(0)[0];
    }
    const std::string& block_name = block.GetName();
    return block_name.compare(0, 5, "comp_") == 0 ? block_name.substr(5) : block_name;
}

// The largest n of the plane ids "csd_<n>" in the table; 0 when there is none.
long long highest_csd_number(const ISTable& table) {
    long long highest = 0;
    const unsigned rows = standard_row_count(&table, 2);
    for (unsigned r = 0; r < rows; ++r) {
        const std::vector<std::string>& row = table.GetRow(r);
        if (row[1].compare(0, 4, "csd_") != 0)
            continue;
        const long long number = std::strtoll(row[1].c_str() + 4, nullptr, 10);
        if (number > highest)
            highest = number;
    }
    return highest;
}

}  // namespace

void decide_planes_and_torsions(Block& block, const HybridisationTable& hybridisations,
                                const std::map<TorsionKey, int>& plane_flags,
                                std::set<TorsionKey>& torsions_3060,
                                const MogulAngleMeans& angle_means, VetoedPlaneBonds& vetoed) {
    const PlaneSet plane_set = read_plane_sets(block);
    std::map<std::string, int> bond_counts = count_bonds(block);

    std::set<std::string> planes_to_remove;
    std::set<BondKey> planar_bond_keys;

    // [1] Mogul's opinion on each existing plane.
    for (const auto& plane : plane_set.planes) {
        const std::string& plane_id = plane.first;
        const std::vector<std::string>& atoms = plane.second;
        if (verbosity >= 2)
            std::cout << "\n [1] Looking at " << plane_id << " (" << join_strings(atoms, " ")
                      << ")\n";
        // Opinions, trigonal centres and the planar bond all need four atoms.
        if (atoms.size() < 4)
            continue;

        const int* opinion = find_opinion(plane_flags, atoms);
        if (opinion != nullptr) {
            if (verbosity >= 1)
                std::cout << "   Mogul data has an opinion on the plane with atoms "
                          << join_strings(atoms, " ") << "\n   That opinion is '"
                          << kOpinionText[*opinion == 0 ? 0 : 1] << "'\n";
            if (*opinion == 0) {
                planes_to_remove.insert(plane_id);
                vetoed.emplace(atoms[1], atoms[2]);
            }
        } else if (verbosity >= 2) {
            std::cout << "   Mogul data has no opinion on the plane with atoms "
                      << join_strings(atoms, " ") << "\n";
        }

        if (!judge_trigonal_centres(plane_id, atoms, angle_means, planes_to_remove)) {
            std::cout << "   Inserting as planar bonds\n";
            planar_bond_keys.insert(ordered_bond_key(atoms[1], atoms[2]));
        }
    }

    // [2] New planes from planar Mogul torsions, one per central bond.
    std::set<TorsionKey> new_planes;
    for (const auto& entry : plane_flags) {
        const TorsionKey& key = entry.first;
        if (verbosity >= 2) {
            std::cout << "\n [2] Looking at ";
            print_words(std::cout, key_words(key)) << " " << entry.second << "\n";
        }
        if (entry.second != 1)
            continue;
        if (plane_set.atom_sets.count(std::set<std::string>(key.begin(), key.end())) != 0)
            continue;
        if (bond_counts[key[1]] >= 4 || bond_counts[key[2]] >= 4)
            continue;
        if (!planar_bond_keys.insert(ordered_bond_key(key[1], key[2])).second)
            continue;
        new_planes.insert(key);
        std::cout << " Adding new plane " << join_strings(key_words(key), " ")
                  << " suggested by mogul\n";
    }

    const std::map<std::string, std::string> hybridisation =
        atom_hybridisations(block, hybridisations);

    // [3] At most one 3060 torsion per central bond, and only between sp3 atoms.
    std::set<TorsionKey> kept_3060;
    std::set<BondKey> kept_bonds;
    for (const TorsionKey& torsion : torsions_3060) {
        if (verbosity >= 2)
            std::cout << "\n [3] Looking at " << torsion[0] << " " << torsion[1] << " "
                      << torsion[2] << " " << torsion[3] << "\n";
        if (!is_sp3(hybridisation, torsion[1]) || !is_sp3(hybridisation, torsion[2])) {
            if (verbosity >= 2)
                std::cout << "   skipping (since " << torsion[1] << " and/or " << torsion[2]
                          << " not sp3)\n";
            continue;
        }
        const TorsionKey oriented = ordered_torsion_key(torsion);
        if (!kept_bonds.emplace(oriented[1], oriented[2]).second) {
            if (verbosity >= 2)
                std::cout << "   skipping (since " << oriented[1] << " <=> " << oriented[2]
                          << " bond already included)\n";
            continue;
        }
        if (verbosity >= 2)
            std::cout << "   insert as new 3060\n";
        kept_3060.insert(oriented);
    }

    rewrite_plane_table(block, planes_to_remove, new_planes);
    torsions_3060 = std::move(kept_3060);
}

void rewrite_plane_table(Block& block, const std::set<std::string>& planes_to_remove,
                         const std::set<TorsionKey>& new_planes) {
    const std::string comp_id = compound_id(block);
    ISTable* table = block.GetTablePtr(kPlaneTable);
    if (table != nullptr) {
        for (unsigned r = standard_row_count(table, 2); r-- > 0;) {
            if (planes_to_remove.count(table->GetRow(r)[1]) != 0)
                table->DeleteRow(r);
        }
    } else {
        if (!planes_to_remove.empty()) {
            std::cerr << " No planes section in CIF and you ask to remove some!";
            throw RunEnd{exit_status::failure};
        }
        table = &hand_to_block(block, make_standard_table(kPlaneTable));
    }

    const std::size_t columns = table->GetColumnNames().size();
    const std::string dist_esd = float_to_string(tuning.tesra_planesplit_sigma, 3);
    unsigned long long number = static_cast<unsigned long long>(highest_csd_number(*table));
    for (const TorsionKey& plane : new_planes) {
        const std::string plane_id = "csd_" + std::to_string(++number);
        for (const std::string& atom : plane) {
            // Cells in the standard order comp_id, plane_id, atom_id, dist_esd;
            // any further column is left unknown.
            std::vector<std::string> row(columns, "?");
            const std::string cells[] = {comp_id, plane_id, atom, dist_esd};
            for (std::size_t c = 0; c < 4 && c < columns; ++c) row[c] = cells[c];
            table->AddRow(row);
        }
    }
}
