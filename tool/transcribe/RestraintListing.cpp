#include "transcribe/RestraintListing.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "common/RunStatus.h"
#include "common/SideFileCheck.h"
#include "common/TextHelpers.h"

namespace {

constexpr size_t kTagLength = 10;
constexpr size_t kValueColumn = 13;
constexpr size_t kValueWidth = 10;
constexpr size_t kFirstAtomColumn = 26;
constexpr size_t kAtomStride = 8;
constexpr size_t kAtomWidth = 4;
constexpr size_t kNameColumn = 12;

// A record of up to seven atoms is shown whole; a longer line is cut.
constexpr size_t kShownRecord = 80;

void skip_record(const std::string& line, const char* why, SideFileCheck& check) {
    const std::string shown =
        line.size() <= kShownRecord ? line : line.substr(0, kShownRecord) + "...";
    check.warn(std::string(" Skipping restraint listing record (") + why + "): " + shown);
}

// Up to `width` characters from `start`; the caller has checked that `start`
// lies inside the line.
std::string field(const std::string& line, size_t start, size_t width) {
    return line.substr(start, width);
}

float value_field(const std::string& line, const SideFileCheck& check) {
    return check.number(trim_spaces(field(line, kValueColumn, kValueWidth)));
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

void read_bond(const std::string& line, RestraintListing& listing, SideFileCheck& check) {
    std::vector<std::string> atoms;
    if (line.size() < 35)
        return skip_record(line, "too short", check);
    if (!atom_fields(line, {26, 34}, atoms))
        return skip_record(line, "blank atom name", check);
    if (!check.knows_atoms(atoms))
        return;
    const float value = value_field(line, check);
    listing.bonds[{atoms[0], atoms[1]}] = value;
    listing.bonds[{atoms[1], atoms[0]}] = value;
}

void read_angle(const std::string& line, RestraintListing& listing, SideFileCheck& check) {
    std::vector<std::string> atoms;
    if (line.size() < 43)
        return skip_record(line, "too short", check);
    if (!atom_fields(line, {26, 34, 42}, atoms))
        return skip_record(line, "blank atom name", check);
    if (!check.knows_atoms(atoms))
        return;
    const float value = value_field(line, check);
    listing.angles[AngleKey{atoms[0], atoms[1], atoms[2]}] = value;
    listing.angles[AngleKey{atoms[2], atoms[1], atoms[0]}] = value;
}

void read_plane_sigma(const std::string& line, RestraintListing& listing, SideFileCheck& check) {
    if (line.size() < kValueColumn)
        return skip_record(line, "too short", check);
    std::set<std::string> atoms;
    for (size_t start = kFirstAtomColumn; start < line.size(); start += kAtomStride) {
        std::string atom = trim_spaces(field(line, start, kAtomWidth));
        if (atom.empty())
            return skip_record(line, "blank atom name", check);
        atoms.insert(std::move(atom));
    }
    if (!check.knows_atoms(std::vector<std::string>(atoms.begin(), atoms.end())))
        return;
    listing.plane_sigmas[atoms] = value_field(line, check);
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

void read_named_plane(const std::string& line, RestraintListing& listing, SideFileCheck& check) {
    const std::vector<size_t> bars = bar_positions(line);
    if (bars.size() < 3 || bars.size() % 2 == 0)
        return skip_record(line, "malformed bars", check);
    std::vector<std::string> atoms;
    if (!bar_atoms(line, bars, bars.size() - 1, atoms))
        return skip_record(line, "blank atom name", check);
    if (!check.knows_atoms(atoms))
        return;
    // Plane names are kept as written, blanks included.
    const std::string name = line.substr(kNameColumn, bars[0] - kNameColumn);
    std::vector<std::string>& plane = listing.named_planes[name];
    plane.insert(plane.end(), atoms.begin(), atoms.end());
}

void read_torsion(const std::string& line, RestraintListing& listing, SideFileCheck& check) {
    const std::vector<size_t> bars = bar_positions(line);
    if (bars.size() < 9)
        return skip_record(line, "malformed bars", check);
    ListedTorsion torsion;
    torsion.name = trim_spaces(line.substr(kNameColumn, bars[0] - kNameColumn));
    if (torsion.name.empty())
        return skip_record(line, "blank name", check);
    std::vector<std::string> atoms;
    if (!bar_atoms(line, bars, 8, atoms))
        return skip_record(line, "blank atom name", check);
    const std::string numbers = line.substr(bars[8] + 1);
    // The ends of the value and the esd, to name the one that is not finite.
    int value_end = 0;
    int esd_end = 0;
    if (std::sscanf(numbers.c_str(), "%f%n %f%n %d", &torsion.value, &value_end, &torsion.esd,
                    &esd_end, &torsion.period) != 3)
        return skip_record(line, "value, esd and period do not all read", check);
    if (!check.knows_atoms(atoms))
        return;
    check.require_finite(torsion.value, trim(numbers.substr(0, value_end)));
    check.require_finite(torsion.esd, trim(numbers.substr(value_end, esd_end - value_end)));
    torsion.atom1 = atoms[0];
    torsion.atom2 = atoms[1];
    torsion.atom3 = atoms[2];
    torsion.atom4 = atoms[3];
    listing.torsions.push_back(std::move(torsion));
}

}  // namespace

void read_listing_line(const std::string& line, RestraintListing& listing, SideFileCheck& check) {
    if (line.size() < kTagLength)
        return;
    const std::string tag = line.substr(0, kTagLength);
    if (tag == "TESRA-BOND")
        read_bond(line, listing, check);
    else if (tag == "TESRA-ANGL")
        read_angle(line, listing, check);
    else if (tag == "TESRA-PLAN")
        read_plane_sigma(line, listing, check);
    else if (tag == "TESRA-PLNR")
        read_named_plane(line, listing, check);
    else if (tag == "TESRA-TOAD")
        read_torsion(line, listing, check);
}

void read_listing_line(const std::string& line, RestraintListing& listing) {
    SideFileCheck check("restraint listing", "");
    read_listing_line(line, listing, check);
}

RestraintListing read_restraint_listing(std::string path, Block* compound) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << " Problem opening restraint listing " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    SideFileCheck check("restraint listing", path);
    if (compound != nullptr)
        check.know_atoms_of(*compound);
    RestraintListing listing;
    std::string line;
    for (std::size_t number = 1; read_text_line(in, line); ++number) {
        check.at_line(number);
        read_listing_line(line, listing, check);
    }
    if (in.bad()) {
        std::cerr << " Problem reading restraint listing " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    return listing;
}
