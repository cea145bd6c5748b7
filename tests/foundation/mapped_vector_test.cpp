#include "foundation/mapped_vector.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BlockFileTestUtil.h"

using blockfile_test::TextOf;

namespace {

typedef std::vector<std::string> Names;

mapped_vector MakeList(CompareType type, const Names& names) {
    mapped_vector list(type);
    for (const auto& name : names) list.push_back(name);
    return list;
}

// Every name is found at its list position.
void ExpectConsistent(const mapped_vector& list) {
    for (std::uint32_t i = 0; i < list.size(); ++i) EXPECT_EQ(list.find(list[i]), i) << list[i];
}

}  // namespace

TEST(MappedVector, InsertAndEraseRenumberPositions) {
    mapped_vector list = MakeList(CaseSensitive, {"a", "b", "c"});
    EXPECT_EQ(list.find("c"), 2u);  // cached; the insert moves it

    list.insert(1, "x");
    EXPECT_EQ(list.get_vector(), (Names{"a", "x", "b", "c"}));
    EXPECT_EQ(list.find("c"), 3u);
    EXPECT_EQ(list.find("zz"), 4u);  // a miss leaves the cache usable
    EXPECT_EQ(list.find("c"), 3u);

    list.erase("b");
    EXPECT_EQ(list.get_vector(), (Names{"a", "x", "c"}));
    EXPECT_EQ(list.find("c"), 2u);
    EXPECT_EQ(list.find("b"), 3u);

    list.insert(3, "end");
    list.insert(0, "front");
    EXPECT_EQ(list.get_vector(), (Names{"front", "a", "x", "c", "end"}));
    ExpectConsistent(list);
}

TEST(MappedVector, RefusalsLeaveTheListUnchanged) {
    mapped_vector list = MakeList(CaseSensitive, {"a", "b", "c"});
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { list.insert(0, "b"); }, "Element exists in mapped_vector::insert"},
        {[&] { list.insert(4, "d"); }, "Invalid index in mapped_vector::insert"},
        {[&] { list.erase("d"); }, "Element not found in mapped_vector::erase"},
        {[&] { (void)list[3]; }, "Invalid index in mapped_vector::operator[]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextOf<std::out_of_range>(c.first), c.second);
        EXPECT_EQ(list.get_vector(), (Names{"a", "b", "c"}));
        ExpectConsistent(list);
    }
}

TEST(MappedVector, CompareTypeDecidesWhatIsOneName) {
    mapped_vector list(CaseInsensitive);
    list.push_back("atom_id");
    list.insert(0, "comp_id");
    EXPECT_EQ(list.find("ATOM_ID"), 1u);
    EXPECT_EQ(TextOf<std::out_of_range>([&] { list.insert(2, "Atom_Id"); }),
              "Element exists in mapped_vector::insert");
    list.erase("COMP_ID");
    EXPECT_EQ(list.get_vector(), Names{"atom_id"});
    EXPECT_EQ(MakeList(CaseSensitive, {"atom_id"}).find("ATOM_ID"), 1u);

    // An empty cache is never compared with, so a numeric order works from
    // the first lookup on.
    mapped_vector numbers = MakeList(Numeric, {"7", "12"});
    EXPECT_EQ(numbers.find("007"), 0u);
    EXPECT_EQ(numbers.find("8"), 2u);
    numbers.erase("12");
    EXPECT_EQ(numbers.find(" 7"), 0u);
}

TEST(MappedVector, CopiesAndMovesAreIndependent) {
    mapped_vector list = MakeList(CaseInsensitive, {"a", "b"});
    EXPECT_EQ(list.find("B"), 1u);

    mapped_vector copy(list);
    copy.insert(0, "z");
    EXPECT_EQ(list.find("b"), 1u);
    EXPECT_EQ(copy.find("b"), 2u);
    EXPECT_EQ(copy.find("A"), 1u);  // the compare type is copied too

    mapped_vector moved(std::move(copy));
    EXPECT_EQ(moved.find("b"), 2u);
    EXPECT_EQ(copy.size(), 0u);
    EXPECT_EQ(copy.find("b"), 0u);
}
