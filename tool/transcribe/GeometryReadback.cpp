#include "transcribe/GeometryReadback.h"

#include <fstream>
#include <iostream>

#include "common/RunStatus.h"
#include "common/SideFileCheck.h"
#include "common/TextHelpers.h"

namespace {

// The words of a GEOMETRY line, numbered from 1 as in the file's description.
constexpr size_t kKind = 2;
constexpr size_t kValue = 3;
constexpr size_t kSigma = 4;
constexpr size_t kAtom1 = 5;
constexpr size_t kAtom2 = 6;
constexpr size_t kAtom3 = 7;

const char* const kUnrestrained = "1E6";

RestraintTarget target(const std::vector<std::string>& words, const SideFileCheck& check) {
    RestraintTarget result;
    result.value = check.number(words[kValue]);
    result.sigma = check.number(words[kSigma]);
    return result;
}

std::ifstream open_required(const std::string& path, const char* what) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << " Problem opening " << what << " " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    return in;
}

void check_read(const std::ifstream& in, const std::string& path, const char* what) {
    if (!in.bad())
        return;
    std::cerr << " Problem reading " << what << " " << path << std::endl;
    throw RunEnd{exit_status::failure};
}

}  // namespace

GeometryRestraints read_geometry_restraints(std::istream& in, SideFileCheck& check) {
    GeometryRestraints result;
    std::string line;
    for (std::size_t number = 1; read_text_line(in, line); ++number) {
        check.at_line(number);
        const std::vector<std::string> words = split_string(line, " ");
        if ((words.size() == 7 || words.size() == 8) && words[kKind] == "BOND") {
            const auto key = ordered_bond_key(words[kAtom1], words[kAtom2]);
            if (words[kSigma] == kUnrestrained)
                result.unrestrained_bonds.insert(key);
            else
                result.bond_restraints[key] = target(words, check);
        } else if (words.size() == 8 && words[kKind] == "ANGLE") {
            auto key = ordered_angle_key(words[kAtom1], words[kAtom2], words[kAtom3]);
            if (words[kSigma] == kUnrestrained)
                result.unrestrained_angles.insert(std::move(key));
            else
                result.angle_restraints[std::move(key)] = target(words, check);
        }
    }
    return result;
}

GeometryRestraints read_geometry_restraints(std::istream& in) {
    SideFileCheck check("GEOMETRY restraint file", "");
    return read_geometry_restraints(in, check);
}

PlaneBondVetoes read_plane_bond_vetoes(std::istream& in) {
    PlaneBondVetoes result;
    std::string line;
    while (read_text_line(in, line)) {
        const std::vector<std::string> words = split_string(line, " ");
        if (words.size() == 3 && words[0] == "VETO-PLANEBOND")
            result.emplace(words[1], words[2]);
    }
    return result;
}

GeometryRestraints read_geometry_restraints_file(const std::string& path) {
    const char* const what = "GEOMETRY restraint file";
    std::ifstream in = open_required(path, what);
    SideFileCheck check(what, path);
    GeometryRestraints result = read_geometry_restraints(in, check);
    check_read(in, path, what);
    return result;
}

PlaneBondVetoes read_plane_bond_vetoes_file(const std::string& path) {
    const char* const what = "VETO-PLANEBOND file";
    std::ifstream in = open_required(path, what);
    PlaneBondVetoes result = read_plane_bond_vetoes(in);
    check_read(in, path, what);
    return result;
}
