// The lookup tables of the checks: dense ids of texts, whatever their hashes,
// and the spread of hashes over an open-addressing table.

#include "validate/TextIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "validate/CheckTestSupport.h"

namespace {

typedef std::function<std::size_t(const std::string&)> HashOf;

// TextIds over texts kept here, under a hash the test chooses.
struct Ids {
    explicit Ids(HashOf hashOf) : hashOf(std::move(hashOf)) {}

    unsigned int Add(const std::string& text) {
        const unsigned int id = ids.AddHashed(text, hashOf(text), TextOf());
        if (id == texts.size()) {
            texts.push_back(text);
        }
        return id;
    }
    unsigned int Find(const std::string& text) const {
        return ids.FindHashed(text, hashOf(text), TextOf());
    }
    std::function<const std::string&(unsigned int)> TextOf() const {
        return [this](unsigned int id) -> const std::string& { return texts[id]; };
    }

    HashOf hashOf;
    TextIds ids;
    std::vector<std::string> texts;
};

const HashOf kTextHash = [](const std::string& text) { return TextHash(text); };
const HashOf kOneHash = [](const std::string&) { return std::size_t(7); };
const HashOf kByLength = [](const std::string& text) { return text.size(); };

std::string Numbers(const std::vector<unsigned int>& ids) {
    std::string text;
    for (const unsigned int id : ids) {
        text += (text.empty() ? "" : " ") + std::to_string(id);
    }
    return text;
}

TEST(TextIds, EqualTextsShareAnIdWhateverTheirHashes) {
    const struct {
        const char* name;
        HashOf hashOf;
        std::string texts, ids, absent;
    } cases[] = {
        {"text hash", kTextHash, "a b a c b c d", "0 1 0 2 1 2 3", "e ab"},
        // Every text on one hash: told apart by their texts.
        {"one hash", kOneHash, "a b a c b c d", "0 1 0 2 1 2 3", "e ab"},
        // Some texts share a hash, others not; absent texts share one too.
        {"by length", kByLength, "aa b bb a aa cc b", "0 1 2 3 0 4 1", "c dd abc"},
    };
    for (const auto& c : cases) {
        Ids ids(c.hashOf);
        std::vector<unsigned int> added;
        for (const std::string& text : Split(c.texts)) {
            added.push_back(ids.Add(text));
        }
        EXPECT_EQ(c.ids, Numbers(added)) << c.name;
        EXPECT_EQ(ids.texts.size(), ids.ids.Count()) << c.name;
        for (std::size_t id = 0; id < ids.texts.size(); ++id) {
            EXPECT_EQ(id, ids.Find(ids.texts[id])) << c.name << " " << ids.texts[id];
        }
        for (const std::string& text : Split(c.absent)) {
            EXPECT_EQ(TextIds::kNone, ids.Find(text)) << c.name << " " << text;
        }
    }
}

// Past the first size, with hashes that spread and with hashes that differ
// only above their low bits; every text keeps its id.
TEST(TextIds, KeepTheirIdsAsTheTableGrows) {
    const HashOf hashes[] = {kTextHash, [](const std::string& text) {
                                 return static_cast<std::size_t>(std::stoul(text.substr(1)) << 40);
                             }};
    for (const HashOf& hashOf : hashes) {
        Ids ids(hashOf);
        for (unsigned int i = 0; i < 5000; ++i) {
            ASSERT_EQ(i, ids.Add("t" + std::to_string(i)));
        }
        for (unsigned int i = 0; i < 5000; i += 7) {
            EXPECT_EQ(i, ids.Find("t" + std::to_string(i)));
            EXPECT_EQ(i, ids.Add("t" + std::to_string(i)));
        }
        EXPECT_EQ(TextIds::kNone, ids.Find("t5000"));
    }
}

// Whether CellIds::Add takes an argument of type T.
template <typename T, typename = void>
struct AddTakes : std::false_type {};
template <typename T>
struct AddTakes<T, std::void_t<decltype(std::declval<CellIds&>().Add(std::declval<T>()))> >
    : std::true_type {};
static_assert(AddTakes<const std::string&>::value && AddTakes<std::string&>::value,
              "a text that outlives the ids");
static_assert(!AddTakes<std::string>::value && !AddTakes<const std::string>::value &&
                  !AddTakes<const char*>::value && !AddTakes<std::string_view>::value,
              "a temporary, which would be gone before its id");

TEST(CellIds, HoldTheTextsByAddress) {
    const std::vector<std::string> cells = Split("x y x z y");
    CellIds ids;
    std::vector<unsigned int> added;
    for (const std::string& cell : cells) {
        added.push_back(ids.Add(cell));
    }
    EXPECT_EQ("0 1 0 2 1", Numbers(added));
    EXPECT_EQ(&cells[3], &ids.Text(2));
    EXPECT_EQ(1u, ids.Find("y"));
    EXPECT_EQ(CellIds::kNone, ids.Find("w"));
}

// Entries of one full hash are told apart by `same`, through growth.
TEST(HashSlots, EntriesOfOneHashAreAllFound) {
    HashSlots slots;
    const auto is = [](unsigned int wanted) {
        return [wanted](unsigned int id) { return id == wanted; };
    };
    for (unsigned int id = 0; id < 300; ++id) {
        ASSERT_EQ(id, slots.FindOrAdd(id % 3 == 0 ? 5 : id, is(id), id));
    }
    for (unsigned int id = 0; id < 300; ++id) {
        EXPECT_EQ(id, slots.Find(id % 3 == 0 ? 5 : id, is(id))) << id;
        EXPECT_EQ(id, slots.FindOrAdd(id % 3 == 0 ? 5 : id, is(id), 999)) << id;
    }
    EXPECT_EQ(HashSlots::kNone, slots.Find(5, is(1)));
    EXPECT_EQ(HashSlots::kNone, slots.Find(1000, is(1000)));
}

// splitmix64's finaliser without a seed: where hashes would go if the seed
// were known.
std::uint64_t Unseeded(std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// The most hashes that share one home slot.
std::size_t Crowding(const HashSlots& slots, const std::vector<std::size_t>& hashes) {
    std::map<std::size_t, std::size_t> homes;
    std::size_t most = 0;
    for (const std::size_t hash : hashes) {
        most = std::max(most, ++homes[slots.Home(hash)]);
    }
    return most;
}

// Hashes made to crowd one slot, for the bare hash or for the finaliser
// without its seed, spread over a table of 1024 slots.
TEST(HashSlots, HashesMadeToCrowdASlotSpread) {
    const HashSlots slots(512);
    std::vector<std::size_t> sameLowBits, unseededCrowd;
    for (std::uint64_t i = 0; sameLowBits.size() < 64; ++i) {
        sameLowBits.push_back(i << 20);
    }
    for (std::uint64_t h = 0; unseededCrowd.size() < 64; ++h) {
        if ((Unseeded(h) & 1023) == 0) {
            unseededCrowd.push_back(h);
        }
    }
    EXPECT_LT(Crowding(slots, sameLowBits), 8u);
    EXPECT_LT(Crowding(slots, unseededCrowd), 8u);
}

}  // namespace
