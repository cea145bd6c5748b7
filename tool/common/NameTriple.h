#ifndef TESRA_TOOL_COMMON_NAMETRIPLE_H
#define TESRA_TOOL_COMMON_NAMETRIPLE_H

#include <string>
#include <tuple>

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

#endif
