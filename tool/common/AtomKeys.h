#ifndef TESRA_TOOL_COMMON_ATOMKEYS_H
#define TESRA_TOOL_COMMON_ATOMKEYS_H

#include <array>
#include <map>
#include <set>
#include <string>
#include <tuple>

// The dictionary's vocabulary: keys of restraints by atom names (or atom
// types), and the maps of a compound's atoms and planes. Every key orders name
// by name, each name byte-wise.

// Three names (atom names or atom types; the second is the central atom),
// ordered by first, then second, then third, each byte-wise.
struct NameTriple {
    std::string first;
    std::string second;
    std::string third;

    bool operator<(const NameTriple& other) const {
        return std::tie(first, second, third) < std::tie(other.first, other.second, other.third);
    }
    bool operator==(const NameTriple& other) const {
        return first == other.first && second == other.second && third == other.third;
    }
};

// The four atom names of a torsion, in the order given (never reordered here).
using TorsionKey = std::array<std::string, 4>;

// atom_id -> type_energy of one compound.
using AtomTypeMap = std::map<std::string, std::string>;

// plane_id -> its atom_id values; both ordered byte-wise.
using PlaneAtomMap = std::map<std::string, std::set<std::string>>;

#endif
