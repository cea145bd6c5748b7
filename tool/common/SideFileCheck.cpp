#include "common/SideFileCheck.h"

#include <iostream>
#include <utility>

#include "cif/Block.h"
#include "cif/ShownValue.h"
#include "common/RunStatus.h"
#include "common/TableHelpers.h"
#include "common/TextHelpers.h"
#include "table/ISTable.h"

SideFileCheck::SideFileCheck(std::string what, std::string path)
    : _what(std::move(what)), _path(std::move(path)) {}

SideFileCheck::~SideFileCheck() {
    if (_warnings > kShownWarnings) {
        std::cerr << " " << _what << " " << _path << ": " << _warnings - kShownWarnings
                  << " more warnings not shown" << std::endl;
    }
}

std::string SideFileCheck::place() const {
    return " " + _what + " " + _path + ", line " + std::to_string(_line);
}

float SideFileCheck::number(const std::string& word) const {
    float value = 0.0f;
    if (!read_finite_float(word, value))
        _refuse(word);
    return value;
}

void SideFileCheck::require_finite(double value, const std::string& word) const {
    if (!is_finite_float(value))
        _refuse(word);
}

void SideFileCheck::_refuse(const std::string& word) const {
    std::cerr << place() << ": " << ShownValue(word) << " is not a finite number - cannot proceed"
              << std::endl;
    throw RunEnd{exit_status::failure};
}

void SideFileCheck::know_atoms_of(Block& block) {
    const ISTable* atoms = block.GetTablePtr("chem_comp_atom");
    if (atoms == nullptr || !atoms->IsColumnPresent("atom_id"))
        return;
    _atomsKnown = true;
    _atoms.clear();
    for (std::vector<std::string>& row : get_table_columns(block, "chem_comp_atom", {"atom_id"}))
        _atoms.insert(std::move(row[0]));
}

bool SideFileCheck::knows_atoms(const std::vector<std::string>& names) {
    if (!_atomsKnown)
        return true;
    std::string unknown;
    std::size_t count = 0;
    for (const std::string& name : names) {
        if (_atoms.count(name) == 0) {
            unknown += " " + shown_word(name);
            ++count;
        }
    }
    if (count == 0)
        return true;
    warn(place() + (count == 1 ? ": atom" : ": atoms") + unknown + (count == 1 ? " is" : " are") +
         " not in the compound; record skipped");
    return false;
}

void SideFileCheck::warn(const std::string& text) {
    if (++_warnings <= kShownWarnings)
        std::cerr << text << "\n";
}
