#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <vector>

#include "Operations.h"
#include "cif/Block.h"
#include "common/RunStatus.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "coords/PdbAtomPositions.h"
#include "table/ISTable.h"

namespace {

constexpr std::size_t name_offset = 12;
constexpr std::size_t name_length = 4;
constexpr std::size_t coordinate_offsets[3] = {30, 38, 46};
constexpr std::size_t coordinate_length = 8;

float read_coordinate(const std::string& line, std::size_t offset) {
    const std::string field = line.substr(offset, coordinate_length);
    const double value = std::strtod(field.c_str(), nullptr);
    // Narrowing a value beyond the float range is undefined; it becomes the
    // infinity that the caller refuses.
    if (std::fabs(value) > FLT_MAX)
        return value > 0 ? HUGE_VALF : -HUGE_VALF;
    return static_cast<float>(value);
}

bool is_coordinate_record(const std::string& line) {
    return line.compare(0, 6, "ATOM  ") == 0 || line.compare(0, 6, "HETATM") == 0;
}

}  // namespace

AtomPositionMap read_pdb_atom_positions(std::istream& in) {
    // The whole file is read before any line is interpreted.
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(std::move(line));

    AtomPositionMap positions;
    for (const std::string& record : lines) {
        if (record.size() < coordinate_offsets[2] || !is_coordinate_record(record))
            continue;
        AtomPosition position;
        position.x = read_coordinate(record, coordinate_offsets[0]);
        position.y = read_coordinate(record, coordinate_offsets[1]);
        position.z = read_coordinate(record, coordinate_offsets[2]);
        positions[trim(record.substr(name_offset, name_length))] = position;
    }
    return positions;
}

void transcribe_coords(Block& block, std::string pdb_path) {
    std::ifstream in(pdb_path, std::ios::binary);
    if (!in) {
        std::cerr << " Can't open coordinate file " << pdb_path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    const AtomPositionMap positions = read_pdb_atom_positions(in);
    if (in.bad()) {
        std::cerr << " Error reading coordinate file " << pdb_path << std::endl;
        throw RunEnd{exit_status::failure};
    }

    ISTable* atoms = block.GetTablePtr("chem_comp_atom");
    if (atoms == nullptr) {
        std::cerr << " CIF input file doesn't have a chem_comp_atom table - cannot proceed\n";
        throw RunEnd{exit_status::failure};
    }

    // Each of x, y, z that the table lacks is appended, in that order.
    for (const char* column : {"x", "y", "z"}) {
        if (!atoms->IsColumnPresent(column))
            atoms->AddColumn(column, std::vector<std::string>());
    }

    const std::map<std::string, int> columns = get_column_indices(*atoms);
    const auto atom_id = columns.find("atom_id");
    if (atom_id == columns.end()) {
        // Reading names from another column would write coordinates into the
        // wrong rows; every row reads as "?" instead.
        std::cerr << " Data table chem_comp_atom has no column atom_id; its atoms read as \"?\""
                  << std::endl;
    }

    std::string text;
    const unsigned int rows = atoms->GetNumRows();
    for (unsigned int row = 0; row < rows; ++row) {
        const std::string name =
            atom_id == columns.end() ? std::string("?") : atoms->GetRow(row)[atom_id->second];
        const auto found = positions.find(name);
        if (found == positions.end())
            continue;
        const AtomPosition& position = found->second;
        if (!std::isfinite(position.x) || !std::isfinite(position.y) ||
            !std::isfinite(position.z)) {
            // "inf" or "nan" in a dictionary would poison every program that reads it.
            std::cerr << " Coordinate file " << pdb_path << " gives atom " << name
                      << " a coordinate that is not a finite number - cannot proceed\n";
            throw RunEnd{exit_status::failure};
        }
        double_to_string(text, "%.3f", position.x);
        atoms->UpdateCell(row, "x", text);
        double_to_string(text, "%.3f", position.y);
        atoms->UpdateCell(row, "y", text);
        double_to_string(text, "%.3f", position.z);
        atoms->UpdateCell(row, "z", text);
    }
}
