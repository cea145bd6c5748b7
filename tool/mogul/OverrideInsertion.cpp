#include "mogul/OverrideInsertion.h"

#include <iostream>
#include <set>
#include <utility>

#include "common/AtomKeys.h"

namespace {

// An atom without a chem_comp_atom row has the empty type, as in the override
// operation.
const std::string& type_of(const AtomTypeMap& atom_types, const std::string& atom) {
    static const std::string no_type;
    const auto found = atom_types.find(atom);
    return found != atom_types.end() ? found->second : no_type;
}

}  // namespace

void insert_bond_overrides(MogulBondList& bonds, const TableRows& bond_rows,
                           const AtomTypeMap& atom_types, const ExceptionDictionary& exceptions) {
    // Only Mogul's own results count as known: the set does not grow below.
    std::set<BondKey> known;
    for (const MogulBondStats& bond : bonds) {
        known.emplace(bond.atom_1, bond.atom_2);
        known.emplace(bond.atom_2, bond.atom_1);
    }
    for (const std::vector<std::string>& row : bond_rows) {
        const std::string& atom1 = row[0];
        const std::string& atom2 = row[1];
        const std::string& type1 = type_of(atom_types, atom1);
        const std::string& type2 = type_of(atom_types, atom2);
        const auto entry = exceptions.bond_overrides.find(BondKey{type1, type2});
        if (entry == exceptions.bond_overrides.end())
            continue;
        if (known.count(BondKey{atom1, atom2}) != 0) {
            std::cerr << "Not overriding bond " << atom1 << " - " << atom2
                      << " since mogul knows about it in this context" << std::endl;
            continue;
        }
        std::cerr << "Inserting override for bond " << atom1 << "(" << type1 << ") to " << atom2
                  << "(" << type2 << ")" << std::endl;
        bonds.push_back(MogulBondStats{atom1, atom2, entry->second.value, entry->second.esd});
    }
}

void insert_angle_overrides(MogulAngleList& angles, const TableRows& angle_rows,
                            const AtomTypeMap& atom_types, const ExceptionDictionary& exceptions) {
    std::set<AngleKey> known;
    for (const MogulAngleStats& angle : angles) {
        known.insert(AngleKey{angle.atom_1, angle.atom_2, angle.atom_3});
        known.insert(AngleKey{angle.atom_3, angle.atom_2, angle.atom_1});
    }
    for (const std::vector<std::string>& row : angle_rows) {
        const std::string& type1 = type_of(atom_types, row[0]);
        const std::string& type2 = type_of(atom_types, row[1]);
        const std::string& type3 = type_of(atom_types, row[2]);
        const auto entry = exceptions.angle_overrides.find(AngleKey{type1, type2, type3});
        if (entry == exceptions.angle_overrides.end())
            continue;
        if (known.count(AngleKey{row[0], row[1], row[2]}) != 0) {
            std::cout << " Not overriding angle " << row[0] << " - " << row[1] << " - " << row[2]
                      << " since mogul knows about it in this context" << std::endl;
            continue;
        }
        std::cout << " Inserting override to " << entry->second.value << "+/-" << entry->second.esd
                  << " for angle " << row[0] << "(" << type1 << ")-" << row[1] << "(" << type2
                  << ")-" << row[2] << "(" << type3 << ")" << std::endl;
        angles.push_back(
            MogulAngleStats{row[0], row[1], row[2], entry->second.value, entry->second.esd});
    }
}
