#include "mogul/MogulDictWriter.h"

#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <utility>

#include "common/AtomKeys.h"
#include "common/RunStatus.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "common/TuningParameters.h"
#include "io/FileText.h"
#include "mogul/OverrideInsertion.h"

namespace {

// The file appears only when complete (FileReplacement): a failure, a full
// disk or a signal leaves the previous file whole.
std::unique_ptr<FileReplacement> open_output(const std::string& path) {
    try {
        return std::make_unique<FileReplacement>(path);
    } catch (const std::exception&) {
        std::cerr << " Can't open file " << path << " for writing\n";
        throw RunEnd{exit_status::failure};
    }
}

void close_output(FileReplacement& file, const std::ostringstream& out, const std::string& path) {
    try {
        file.commit(out.str());
    } catch (const std::exception&) {
        std::cerr << " Error writing file " << path << "\n";
        throw RunEnd{exit_status::failure};
    }
}

std::string joined(const TorsionKey& key) {
    return join_strings(std::vector<std::string>(key.begin(), key.end()), " ");
}

// What the atom rows tell the writer.
struct AtomData {
    std::set<std::string> hydrogens;
    std::map<std::string, std::string> symbols;
    AtomTypeMap types;
};

AtomData write_atom_notes(std::ostream& out, const std::string& code, const TableRows& atoms) {
    AtomData data;
    for (const std::vector<std::string>& row : atoms) {
        data.symbols[row[0]] = row[1];
        data.types[row[0]] = row[2];
        if (row[1] == "H")
            data.hydrogens.insert(row[0]);
        out << "NOTE FARNIX_RESIDUE_ATOM_DATA " << code << " " << row[0] << " " << row[1] << " "
            << row[2] << "\n";
    }
    return data;
}

void write_bonds(std::ostream& out, const std::string& code, const MogulBondList& bonds,
                 const TableRows& bond_rows, const AtomData& atoms, bool ecloud,
                 const XhTables& xh) {
    // Either orientation of a pair finds the type of the first row joining it.
    std::map<BondKey, const std::string*> bond_types;
    for (const std::vector<std::string>& row : bond_rows) {
        bond_types.emplace(BondKey(row[0], row[1]), &row[2]);
        bond_types.emplace(BondKey(row[1], row[0]), &row[2]);
    }

    std::set<BondKey> written;
    for (const MogulBondStats& bond : bonds) {
        out << "GEOMETRY " << code << " BOND " << float_to_string(bond.mean, 3) << " "
            << float_to_string(bond.sd, 3) << " " << bond.atom_1 << " " << bond.atom_2;
        const auto type = bond_types.find(BondKey(bond.atom_1, bond.atom_2));
        if (type != bond_types.end())
            out << " TYPE=" << *type->second;
        out << "\n";
        written.emplace(bond.atom_1, bond.atom_2);
        written.emplace(bond.atom_2, bond.atom_1);
    }

    for (const std::vector<std::string>& row : bond_rows) {
        const std::string& atom1 = row[0];
        const std::string& atom2 = row[1];
        if (written.count(BondKey(atom1, atom2)) != 0)
            continue;
        out << "GEOMETRY " << code << " BOND ";
        if (is_bond_to_hydrogen(atom1, atom2, atoms.hydrogens)) {
            const std::string& heavy = xh_heavy_atom(atom1, atom2, atoms.hydrogens);
            const auto symbol = atoms.symbols.find(heavy);
            const std::string element = symbol != atoms.symbols.end() ? symbol->second : "";
            const XhBondTarget target = xh_bond_target(heavy, element, ecloud, xh.ecloud_lengths,
                                                       xh.ecloud_sigmas, xh.nucleus_lengths);
            out << float_to_string(target.length, 3) << " " << float_to_string(target.sigma, 3)
                << " ";
        } else {
            out << "3.0 1E6 ";
        }
        out << atom1 << " " << atom2 << " TYPE=" << row[2] << "\n";
    }
}

void write_angles(std::ostream& out, const std::string& code, const MogulAngleList& angles,
                  const TableRows& angle_rows) {
    std::set<AngleKey> written;
    for (const MogulAngleStats& angle : angles) {
        out << "GEOMETRY " << code << " ANGLE " << float_to_string(angle.mean, 2) << " "
            << float_to_string(angle.sd, 2) << " " << angle.atom_1 << " " << angle.atom_2 << " "
            << angle.atom_3 << "\n";
        written.insert(AngleKey{angle.atom_1, angle.atom_2, angle.atom_3});
        written.insert(AngleKey{angle.atom_3, angle.atom_2, angle.atom_1});
    }
    for (const std::vector<std::string>& row : angle_rows) {
        if (written.count(AngleKey{row[0], row[1], row[2]}) != 0)
            continue;
        out << "GEOMETRY " << code << " ANGLE 90.0 1E6 " << row[0] << " " << row[1] << " " << row[2]
            << "\n";
    }
}

void write_torsion_sections(std::ostream& out, const std::string& code,
                            const TorsionClass& torsions) {
    out << "NOTE 3060 torsions from mogul\n";
    for (const TorsionKey& key : torsions.torsions_3060)
        out << "GEOMETRY " << code << " TORSION 3060 12.3 " << joined(key) << "\n";

    const std::string plane_sigma = float_to_string(tuning.tesra_planesplit_sigma, 3);
    out << "NOTE 1-4 planes from mogul\n";
    for (const auto& entry : torsions.plane_flags) {
        if (entry.second != 1)
            continue;
        const auto unimodal = torsions.unimodal.find(entry.first);
        if (unimodal != torsions.unimodal.end() && unimodal->second != 0)
            continue;
        out << "GEOMETRY " << code << " PLANE 4 " << plane_sigma << " " << joined(entry.first)
            << "\n";
    }

    const std::string cistrans_sigma = float_to_string(tuning.tesra_tors_cistrans_sigma, 1);
    out << "NOTE unimodal 1-4 planes from mogul\n";
    for (const auto& entry : torsions.unimodal) {
        if (entry.second == 0)
            continue;
        out << "GEOMETRY " << code << " TORSION " << (entry.second == -1 ? "1180" : "1000") << " "
            << cistrans_sigma << " " << joined(entry.first) << "\n";
    }
}

void write_trigonal_planes(std::ostream& out, const std::string& code, const TableRows& plane_rows,
                           const std::set<std::string>& hydrogens) {
    std::map<std::string, std::vector<std::string>> trigonal;
    for (const std::vector<std::string>& row : plane_rows)
        if (row[0].compare(0, 4, "trig") == 0)
            trigonal[row[0]].push_back(row[1]);

    const std::string plane_sigma = float_to_string(tuning.tesra_planesplit_sigma, 3);
    for (const auto& plane : trigonal) {
        bool has_hydrogen = false;
        for (const std::string& atom : plane.second) has_hydrogen |= hydrogens.count(atom) != 0;
        if (has_hydrogen)
            continue;
        out << "GEOMETRY " << code << " PLANE 4 " << plane_sigma << " "
            << join_strings(plane.second, " ") << "\n";
    }
}

}  // namespace

void write_veto_planebond(const VetoedPlaneBonds& vetoed, const std::string& path) {
    const std::unique_ptr<FileReplacement> file = open_output(path);
    std::ostringstream out;
    for (const auto& pair : vetoed)
        out << "VETO-PLANEBOND " << pair.first << " " << pair.second << "\n";
    close_output(*file, out, path);
}

void write_geometry_file(Block& block, const std::string& compound_code, const std::string& path,
                         MogulBondList& bonds, MogulAngleList& angles, const TorsionClass& torsions,
                         bool ecloud, const ExceptionDictionary& exceptions,
                         const XhTables& xh_tables) {
    const TableRows atom_rows =
        get_table_columns(block, "chem_comp_atom", {"atom_id", "type_symbol", "type_energy"});
    const TableRows bond_rows =
        get_table_columns(block, "chem_comp_bond", {"atom_id_1", "atom_id_2", "type"});
    const std::unique_ptr<FileReplacement> file = open_output(path);
    std::ostringstream out;

    const AtomData atoms = write_atom_notes(out, compound_code, atom_rows);
    if (exceptions.enabled)
        insert_bond_overrides(bonds, bond_rows, atoms.types, exceptions);
    write_bonds(out, compound_code, bonds, bond_rows, atoms, ecloud, xh_tables);

    // A missing table ends the run from here on, and leaves the file as it was.
    // A compound of one or two atoms has no angles, and its angle table is not read.
    if (atom_rows.size() > 2) {
        const TableRows angle_rows =
            get_table_columns(block, "chem_comp_angle", {"atom_id_1", "atom_id_2", "atom_id_3"});
        if (exceptions.enabled)
            insert_angle_overrides(angles, angle_rows, atoms.types, exceptions);
        write_angles(out, compound_code, angles, angle_rows);
    }

    write_torsion_sections(out, compound_code, torsions);

    out << "NOTE trigonal planes which mogul doesn't disagree with\n";
    const TableRows plane_rows =
        get_table_columns(block, "chem_comp_plane_atom", {"plane_id", "atom_id"});
    write_trigonal_planes(out, compound_code, plane_rows, atoms.hydrogens);
    close_output(*file, out, path);
}
