#ifndef TESRA_TOOL_COMMON_ATOMKEYS_H
#define TESRA_TOOL_COMMON_ATOMKEYS_H

#include <array>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>

// The dictionary's vocabulary: one key type per restraint kind, by atom names
// (or atom types), each with its order-free form; and the maps of a
// compound's atoms and planes. Keys order name by name, each name byte-wise.

// The two names of a bond, in the order given.
using BondKey = std::pair<std::string, std::string>;

// The names of an angle, the centre second, in the order given.
struct AngleKey {
    std::string first;
    std::string second;  // the centre
    std::string third;

    bool operator<(const AngleKey& other) const {
        return std::tie(first, second, third) < std::tie(other.first, other.second, other.third);
    }
    bool operator==(const AngleKey& other) const {
        return first == other.first && second == other.second && third == other.third;
    }
};

// The four names of a torsion, in the order given.
using TorsionKey = std::array<std::string, 4>;

// The order-free forms: the same key for a restraint read either way round.
// A bond: its names in ascending order.
inline BondKey ordered_bond_key(const std::string& a, const std::string& b) {
    return b < a ? BondKey{b, a} : BondKey{a, b};
}

// An angle: its outer names in ascending order around the centre.
inline AngleKey ordered_angle_key(const std::string& a, const std::string& centre,
                                  const std::string& c) {
    return c < a ? AngleKey{c, centre, a} : AngleKey{a, centre, c};
}

// A torsion: reversed when its central names are out of ascending order.
inline TorsionKey ordered_torsion_key(const TorsionKey& torsion) {
    return torsion[2] < torsion[1] ? TorsionKey{torsion[3], torsion[2], torsion[1], torsion[0]}
                                   : torsion;
}

// atom_id -> type_energy of one compound.
using AtomTypeMap = std::map<std::string, std::string>;

// plane_id -> its atom_id values; both ordered byte-wise.
using PlaneAtomMap = std::map<std::string, std::set<std::string>>;

#endif
