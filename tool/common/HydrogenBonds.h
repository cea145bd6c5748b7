#ifndef TESRA_TOOL_COMMON_HYDROGENBONDS_H
#define TESRA_TOOL_COMMON_HYDROGENBONDS_H

#include <iostream>
#include <map>
#include <set>
#include <string>

// X-H bond restraint targets. A bond to hydrogen takes its length from the
// element of the heavy atom, under one of two models: the electron-cloud model
// (shorter bonds, "-ecloud") or the nucleus model (the default).

// Element symbol -> value. Keys are compared byte-wise, so "SE" is found and
// "Se" is not. Each table is built afresh from the current `tuning`, so values
// set on the command line take effect; the caller owns the map.
using ElementTable = std::map<std::string, float>;

// Electron-cloud X-H lengths: C, N, O, S, P, B, SE.
ElementTable ecloud_xh_lengths();
// Electron-cloud X-H sigmas, same seven keys.
ElementTable ecloud_xh_sigmas();
// Nucleus-model X-H lengths: C, N, O, S, P (no B, no SE).
ElementTable nucleus_xh_lengths();

// Target length and sigma of one X-H bond.
struct XhBondTarget {
    float length = 0.0f;
    float sigma = 0.0f;
};

// The target for a bond from `heavy_atom` (of element `element`) to hydrogen.
// An element missing from the model's table falls back to the model's default
// length and prints "Not sure of length for <atom> (<element>) to hydrogen
// bond; using <length>Å" on `out` (standard output in the tool). The tables are
// only read.
XhBondTarget xh_bond_target(const std::string& heavy_atom, const std::string& element, bool ecloud,
                            const ElementTable& ecloud_lengths, const ElementTable& ecloud_sigmas,
                            const ElementTable& nucleus_lengths, std::ostream& out = std::cout);

// A hydrogen atom is one whose type_symbol is exactly "H" ("D" and "h" are not).
inline bool is_hydrogen_symbol(const std::string& type_symbol) {
    return type_symbol == "H";
}

// The heavy atom of a bond: atom 2 when atom 1 is a hydrogen, otherwise atom 1
// (so an H-H bond has atom 2 as its heavy atom).
inline const std::string& xh_heavy_atom(const std::string& atom1, const std::string& atom2,
                                        const std::set<std::string>& hydrogens) {
    return hydrogens.count(atom1) != 0 ? atom2 : atom1;
}

// True when either atom of the bond is a hydrogen atom.
inline bool is_bond_to_hydrogen(const std::string& atom1, const std::string& atom2,
                                const std::set<std::string>& hydrogens) {
    return hydrogens.count(atom1) != 0 || hydrogens.count(atom2) != 0;
}

#endif
