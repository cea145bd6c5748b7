// write-qdict: a GEOMETRY restraint file of one bond line per chem_comp_bond row
// and one angle line per chem_comp_angle row.
#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Operations.h"
#include "common/ExceptionDictionary.h"
#include "common/HydrogenBonds.h"
#include "common/RunStatus.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "common/TuningParameters.h"
#include "io/FileText.h"

namespace {

const std::string& lookup(const std::map<std::string, std::string>& table, const std::string& key) {
    static const std::string none;
    const auto found = table.find(key);
    return found == table.end() ? none : found->second;
}

[[noreturn]] void output_failed(const std::string& what, const std::string& path) {
    std::cerr << " write_qdict: cannot " << what << " output file " << path << std::endl;
    throw RunEnd{exit_status::failure};
}

}  // namespace

void write_qdict(Block& block, std::string output_path, const ExceptionDictionary& exceptions) {
    const ElementTable xh_lengths = nucleus_xh_lengths();
    std::cout << " entering write_qdict with name=" << output_path << std::endl;

    const TableRows bond_ids = get_table_columns(block, "chem_comp_bond", {"comp_id"});
    const TableRows atoms =
        get_table_columns(block, "chem_comp_atom", {"atom_id", "type_symbol", "type_energy"});
    const TableRows bonds =
        get_table_columns(block, "chem_comp_bond", {"atom_id_1", "atom_id_2", "type"});
    const TableRows angles =
        get_table_columns(block, "chem_comp_angle", {"atom_id_1", "atom_id_2", "atom_id_3"});
    // The compound id written on every line is the first bond row's. A bond
    // table without rows has none to give; the first atom row's stands in.
    std::string comp_id = "?";
    if (!bond_ids.empty()) {
        comp_id = bond_ids.front().front();
    } else {
        const TableRows atom_ids = get_table_columns(block, "chem_comp_atom", {"comp_id"});
        if (!atom_ids.empty())
            comp_id = atom_ids.front().front();
    }

    // Opened only once every table is known to be there. The file appears
    // only when complete (FileReplacement): a failure, a full disk or a signal
    // leaves an existing file whole.
    std::unique_ptr<FileReplacement> file;
    try {
        file = std::make_unique<FileReplacement>(output_path);
    } catch (const std::exception&) {
        output_failed("open", output_path);
    }
    std::ostringstream out;

    std::map<std::string, std::string> elements;
    std::map<std::string, std::string> types;
    std::set<std::string> hydrogens;
    for (const std::vector<std::string>& atom : atoms) {
        elements[atom[0]] = atom[1];
        types[atom[0]] = atom[2];
        if (is_hydrogen_symbol(atom[1]))
            hydrogens.insert(atom[0]);
    }

    const bool use_overrides = exceptions.enabled;
    for (const std::vector<std::string>& bond : bonds) {
        const std::string& a1 = bond[0];
        const std::string& a2 = bond[1];
        std::string value_and_sigma = "1.5 1E6";
        if (is_bond_to_hydrogen(a1, a2, hydrogens)) {
            const std::string& element = lookup(elements, xh_heavy_atom(a1, a2, hydrogens));
            const auto known = xh_lengths.find(element);
            // A length of zero counts as no length, so tesra_bondXH=0 selects
            // the default.
            float length = known == xh_lengths.end() ? 0.0f : known->second;
            if (length == 0.0f)
                length = tuning.tesra_hbond_default;
            value_and_sigma =
                float_to_string(length, 3) + " " + float_to_string(tuning.tesra_hbond_sigma, 3);
        } else if (use_overrides) {
            const std::string& t1 = lookup(types, a1);
            const std::string& t2 = lookup(types, a2);
            const auto found = exceptions.bond_overrides.find({t1, t2});
            if (found != exceptions.bond_overrides.end()) {
                std::cout << " Using overrides for bond from " << a1 << " (" << t1 << ") to " << a2
                          << " (" << t2 << ")" << std::endl;
                value_and_sigma = float_to_string(found->second.value, 3) + " " +
                                  float_to_string(found->second.esd, 3);
            }
        }
        out << "GEOMETRY " << comp_id << " BOND " << value_and_sigma << " " << a1 << " " << a2
            << " TYPE=" << bond[2] << "\n";
    }

    for (const std::vector<std::string>& angle : angles) {
        const std::string atoms_text = join_strings(angle, " ");
        if (use_overrides) {
            const AngleKey key{lookup(types, angle[0]), lookup(types, angle[1]),
                               lookup(types, angle[2])};
            const auto found = exceptions.angle_overrides.find(key);
            if (found != exceptions.angle_overrides.end()) {
                std::cout << " Using overrides for angle between " << angle[0] << "(" << key.first
                          << ") " << angle[1] << "(" << key.second << ") " << angle[2] << "("
                          << key.third << ") " << std::endl;
                out << "GEOMETRY " << comp_id << " ANGLE "
                    << float_to_string(found->second.value, 1) << " "
                    << float_to_string(found->second.esd, 1) << " " << atoms_text << "\n";
                continue;
            }
        }
        out << "GEOMETRY " << comp_id << " ANGLE 105.0 1E6 " << atoms_text << "\n";
    }

    try {
        file->commit(out.str());
    } catch (const std::exception&) {
        output_failed("write", output_path);
    }
}
