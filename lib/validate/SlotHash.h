#ifndef TESRA_VALIDATE_SLOTHASH_H
#define TESRA_VALIDATE_SLOTHASH_H

#include <cstddef>
#include <cstdint>
#include <exception>
#include <random>

// Where a key's hash goes in an open-addressing table of the checks. The
// hash is mixed with a seed drawn once per process, so that an entry made to
// crowd one stretch of the table (keys whose hashes share their low bits)
// cannot make the lookups quadratic: the crowding would have to be made for
// a seed that is not known in advance. Keys whose hashes are equal in full
// are the table's own concern.
inline std::size_t SlotHash(std::size_t hash) {
    static const std::uint64_t seed = [] {
        // Without a random device the address, which the loader varies,
        // still keeps the seed from being known in advance.
        std::uint64_t value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&seed));
        try {
            std::random_device device;
            value ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
        } catch (const std::exception&) {
        }
        return value;
    }();
    // splitmix64's finaliser: every bit of the result depends on every bit
    // of the hash and the seed.
    std::uint64_t x = static_cast<std::uint64_t>(hash) ^ seed;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return static_cast<std::size_t>(x ^ (x >> 31));
}

#endif  // TESRA_VALIDATE_SLOTHASH_H
