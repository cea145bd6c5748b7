#ifndef TESRA_VALIDATE_TEXTIDS_H
#define TESRA_VALIDATE_TEXTIDS_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "validate/SameText.h"
#include "validate/SlotHash.h"

// The lookup tables of the checks: texts numbered densely (0, 1, 2, ... in
// the order first met) and an open-addressing table of hashes. Input comes
// from outside and may be made to hurt, so each keeps its cost per lookup
// bounded whatever the texts are:
// - a hash's place in the table comes from SlotHash, seeded once per
//   process, so that texts made to crowd one stretch of the table would have
//   to be made for a seed that is not known in advance;
// - TextIds keeps one slot per distinct mark (32 bits of the seeded hash); a
//   text whose mark another text already holds (texts made to share a full
//   hash, or a rare natural match) goes to an ordered map, where it costs a
//   tree search, never a walk along a chain.

// Eight or four bytes of a text as a number.
inline std::uint64_t Load8(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}
inline std::uint64_t Load4(const char* p) {
    std::uint32_t word;
    std::memcpy(&word, p, 4);
    return word;
}

// The one hash of texts in the checks: eight bytes a step, the length first.
// The bytes after the last whole eight are read as the last eight bytes of
// the text (some read twice); a shorter text is read in at most two loads
// that between them hold each of its bytes. Neither even nor unpredictable
// by itself: SlotHash spreads and seeds it, and the tables tell apart the
// texts that share a hash.
inline std::size_t TextHash(std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    std::uint64_t last = 0;
    if (n >= 8) {
        const char* end = p + n;
        for (; end - p > 8; p += 8) {
            h = (h ^ Load8(p)) * 0xbf58476d1ce4e5b9ull;
            h ^= h >> 29;
        }
        last = Load8(end - 8);
    } else if (n >= 4) {
        last = Load4(p) | Load4(p + n - 4) << 32;
    } else if (n > 0) {
        last = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
               static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
    }
    h = (h ^ last) * 0x94d049bb133111ebull;
    return static_cast<std::size_t>(h ^ (h >> 32));
}

// Entries (hash, id) in open addressing: linear probing from the place that
// SlotHash gives the hash, at most half of the slots taken (the table
// doubles past that). A slot holds the id and the low 32 bits of the hash's
// SlotHash (its mark: its place in a table of any size, and a first test of
// equality), 8 bytes in all. Entries may share a mark; the caller's `same`
// tells them apart. At most 2^31 entries. Not thread-safe.
class HashSlots {
public:
    static constexpr unsigned int kNone = ~0u;

    // Room for `expected` entries before the table grows.
    explicit HashSlots(std::size_t expected = 0) {
        std::size_t size = 16;
        while (size < 2 * expected) {
            size *= 2;
        }
        _slots.assign(size, Slot());
        _mask = size - 1;
    }

    // The slot where the probe of a hash starts (its spread is tested).
    std::size_t Home(std::size_t hash) const { return Mark(hash) & _mask; }

    // The id of an entry of the hash for which same(id) holds, or kNone.
    template <typename Same>
    unsigned int Find(std::size_t hash, Same same) const {
        const std::uint32_t mark = Mark(hash);
        for (std::size_t i = mark & _mask;; i = (i + 1) & _mask) {
            const Slot& slot = _slots[i];
            if (slot.id == kNone || (slot.mark == mark && same(slot.id))) {
                return slot.id;
            }
        }
    }

    // As Find; when no entry is found, adds (hash, newId) and returns newId.
    template <typename Same>
    unsigned int FindOrAdd(std::size_t hash, Same same, unsigned int newId) {
        const std::uint32_t mark = Mark(hash);
        for (std::size_t i = mark & _mask;; i = (i + 1) & _mask) {
            Slot& slot = _slots[i];
            if (slot.id == kNone) {
                slot = Slot{mark, newId};
                if (2 * ++_count > _slots.size()) {
                    _Grow();
                }
                return newId;
            }
            if (slot.mark == mark && same(slot.id)) {
                return slot.id;
            }
        }
    }

private:
    struct Slot {
        std::uint32_t mark = 0;
        unsigned int id = kNone;
    };

    static std::uint32_t Mark(std::size_t hash) {
        return static_cast<std::uint32_t>(SlotHash(hash));
    }

    // Doubles the table. The entries are distinct, so none is compared: each
    // goes to the first free slot from its new place.
    void _Grow() {
        std::vector<Slot> old(2 * _slots.size(), Slot());
        old.swap(_slots);
        _mask = _slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.id == kNone) {
                continue;
            }
            std::size_t i = slot.mark & _mask;
            while (_slots[i].id != kNone) {
                i = (i + 1) & _mask;
            }
            _slots[i] = slot;
        }
    }

    std::vector<Slot> _slots;
    std::size_t _mask = 0;
    std::size_t _count = 0;
};

// Dense ids of distinct texts. The texts are not kept here: textOf(id)
// gives the text of an id (a cell of the id's first row, a key made again),
// asked for only when a hash is found, to confirm the text. Not thread-safe.
class TextIds {
public:
    static constexpr unsigned int kNone = HashSlots::kNone;

    explicit TextIds(std::size_t expected = 0) : _slots(expected) {}

    // The number of ids given.
    unsigned int Count() const { return _count; }

    // The id of the text, kNone when it has none.
    template <typename TextOf>
    unsigned int Find(std::string_view text, TextOf textOf) const {
        return FindHashed(text, TextHash(text), textOf);
    }

    // The id of the text; a text without one gets Count(), and textOf must
    // give it from then on.
    template <typename TextOf>
    unsigned int Add(std::string_view text, TextOf textOf) {
        return AddHashed(text, TextHash(text), textOf);
    }

    // As Find and Add, for the text's TextHash (or any hash, in tests).
    template <typename TextOf>
    unsigned int FindHashed(std::string_view text, std::size_t hash, TextOf textOf) const {
        const unsigned int id = _slots.Find(hash, AnyId);
        if (id == kNone || SameText(textOf(id), text)) {
            return id;
        }
        const auto shared = _sharedHashes.find(text);
        return shared == _sharedHashes.end() ? kNone : shared->second;
    }

    template <typename TextOf>
    unsigned int AddHashed(std::string_view text, std::size_t hash, TextOf textOf) {
        const unsigned int id = _slots.FindOrAdd(hash, AnyId, _count);
        if (id == _count) {
            return _count++;
        }
        if (SameText(textOf(id), text)) {
            return id;
        }
        const auto shared = _sharedHashes.lower_bound(text);
        if (shared != _sharedHashes.end() && shared->first == text) {
            return shared->second;
        }
        _sharedHashes.emplace_hint(shared, std::string(text), _count);
        return _count++;
    }

private:
    // A mark has one slot: the first text to have it.
    static bool AnyId(unsigned int) { return true; }

    HashSlots _slots;
    unsigned int _count = 0;
    // The texts whose mark an earlier text holds.
    std::map<std::string, unsigned int, std::less<> > _sharedHashes;
};

// TextIds of texts that outlive the object (cells of a table that does not
// change while it is in use), held by address.
class CellIds {
public:
    static constexpr unsigned int kNone = TextIds::kNone;

    explicit CellIds(std::size_t expected = 0) : _ids(expected) { _texts.reserve(expected); }

    unsigned int Count() const { return _ids.Count(); }

    unsigned int Add(const std::string& text) {
        const unsigned int id = _ids.Add(text, _TextOf());
        if (id == _texts.size()) {
            _texts.push_back(&text);
        }
        return id;
    }

    // The text is held by address: a temporary (a std::string made for the
    // call, from a literal or a view too) would be gone before its id is.
    unsigned int Add(const std::string&& text) = delete;

    unsigned int Find(std::string_view text) const { return _ids.Find(text, _TextOf()); }

    const std::string& Text(unsigned int id) const { return *_texts[id]; }

private:
    struct TextOf {
        const CellIds* ids;
        const std::string& operator()(unsigned int id) const { return ids->Text(id); }
    };
    TextOf _TextOf() const { return TextOf{this}; }

    TextIds _ids;
    std::vector<const std::string*> _texts;
};

#endif  // TESRA_VALIDATE_TEXTIDS_H
