#include "transcribe/RestraintListing.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "common/RunStatus.h"
#include "common/TextHelpers.h"

namespace {

constexpr size_t kTagLength = 10;
constexpr size_t kValueColumn = 13;
constexpr size_t kValueWidth = 10;
constexpr size_t kFirstAtomColumn = 26;
constexpr size_t kAtomStride = 8;
constexpr size_t kAtomWidth = 4;
constexpr size_t kNameColumn = 12;

void skip_record(const std::string& line, const char* why) {
    std::cerr << " Skipping restraint listing record (" << why << "): " << line << std::endl;
}

// Up to `width` characters from `start`; the caller has checked that `start`
// lies inside the line.
std::string field(const std::string& line, size_t start, size_t width) {
    return line.substr(start, width);
}

float value_field(const std::string& line) {
    const std::string text = field(line, kValueColumn, kValueWidth);
    return static_cast<float>(std::strtod(text.c_str(), nullptr));
}

// Reads the atom fields at the given start columns; false when one is blank.
bool atom_fields(const std::string& line, std::initializer_list<size_t> starts,
                 std::vector<std::string>& atoms) {
    for (const size_t start : starts) {
        atoms.push_back(trim_spaces(field(line, start, kAtomWidth)));
        if (atoms.back().empty())
            return false;
    }
    return true;
}

void read_bond(const std::string& line, RestraintListing& listing) {
    std::vector<std::string> atoms;
    if (line.size() < 35)
        return skip_record(line, "too short");
    if (!atom_fields(line, {26, 34}, atoms))
        return skip_record(line, "blank atom name");
    const float value = value_field(line);
    listing.bonds[{atoms[0], atoms[1]}] = value;
    listing.bonds[{atoms[1], atoms[0]}] = value;
}

void read_angle(const std::string& line, RestraintListing& listing) {
    std::vector<std::string> atoms;
    if (line.size() < 43)
        return skip_record(line, "too short");
    if (!atom_fields(line, {26, 34, 42}, atoms))
        return skip_record(line, "blank atom name");
    const float value = value_field(line);
    listing.angles[AngleKey{atoms[0], atoms[1], atoms[2]}] = value;
    listing.angles[AngleKey{atoms[2], atoms[1], atoms[0]}] = value;
}

void read_plane_sigma(const std::string& line, RestraintListing& listing) {
    if (line.size() < kValueColumn)
        return skip_record(line, "too short");
    std::set<std::string> atoms;
    for (size_t start = kFirstAtomColumn; start < line.size(); start += kAtomStride) {
        std::string atom = trim_spaces(field(line, start, kAtomWidth));
        if (atom.empty())
            return skip_record(line, "blank atom name");
        atoms.insert(std::move(atom));
    }
    listing.plane_sigmas[atoms] = value_field(line);
}

// The bars of a bar-separated record: the first at column 13 or later, then
// every one after it.
std::vector<size_t> bar_positions(const std::string& line) {
    std::vector<size_t> bars;
    for (size_t bar = line.find('|', kValueColumn); bar != std::string::npos;
         bar = line.find('|', bar + 1))
        bars.push_back(bar);
    return bars;
}

std::string between(const std::string& line, size_t open_bar, size_t close_bar) {
    return line.substr(open_bar + 1, close_bar - open_bar - 1);
}

// Atom names stand between bars 1 and 2, 3 and 4, ... up to bar `last`;
// false when one is blank.
bool bar_atoms(const std::string& line, const std::vector<size_t>& bars, size_t last,
               std::vector<std::string>& atoms) {
    for (size_t open = 1; open + 1 <= last; open += 2) {
        atoms.push_back(trim_spaces(between(line, bars[open], bars[open + 1])));
        if (atoms.back().empty())
            return false;
    }
    return true;
}

void read_named_plane(const std::string& line, RestraintListing& listing) {
    const std::vector<size_t> bars = bar_positions(line);
    if (bars.size() < 3 || bars.size() % 2 == 0)
        return skip_record(line, "malformed bars");
    std::vector<std::string> atoms;
    if (!bar_atoms(line, bars, bars.size() - 1, atoms))
        return skip_record(line, "blank atom name");
    // Plane names are kept as written, blanks included.
    const std::string name = line.substr(kNameColumn, bars[0] - kNameColumn);
    std::vector<std::string>& plane = listing.named_planes[name];
    plane.insert(plane.end(), atoms.begin(), atoms.end());
}

void read_torsion(const std::string& line, RestraintListing& listing) {
    const std::vector<size_t> bars = bar_positions(line);
    if (bars.size() < 9)
        return skip_record(line, "malformed bars");
    ListedTorsion torsion;
    torsion.name = trim_spaces(line.substr(kNameColumn, bars[0] - kNameColumn));
    if (torsion.name.empty())
        return skip_record(line, "blank name");
    std::vector<std::string> atoms;
    if (!bar_atoms(line, bars, 8, atoms))
        return skip_record(line, "blank atom name");
    const std::string numbers = line.substr(bars[8] + 1);
    if (std::sscanf(numbers.c_str(), "%f %f %d", &torsion.value, &torsion.esd, &torsion.period) !=
        3)
        return skip_record(line, "value, esd and period do not all read");
    torsion.atom1 = atoms[0];
    torsion.atom2 = atoms[1];
    torsion.atom3 = atoms[2];
    torsion.atom4 = atoms[3];
    listing.torsions.push_back(std::move(torsion));
}

}  // namespace

void read_listing_line(const std::string& line, RestraintListing& listing) {
    if (line.size() < kTagLength)
        return;
    const std::string tag = line.substr(0, kTagLength);
    if (tag == "TESRA-BOND")
        read_bond(line, listing);
    else if (tag == "TESRA-ANGL")
        read_angle(line, listing);
    else if (tag == "TESRA-PLAN")
        read_plane_sigma(line, listing);
    else if (tag == "TESRA-PLNR")
        read_named_plane(line, listing);
    else if (tag == "TESRA-TOAD")
        read_torsion(line, listing);
}

RestraintListing read_restraint_listing(std::string path) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << " Problem opening restraint listing " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    RestraintListing listing;
    std::string line;
    while (std::getline(in, line)) read_listing_line(line, listing);
    if (in.bad()) {
        std::cerr << " Problem reading restraint listing " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    return listing;
}
