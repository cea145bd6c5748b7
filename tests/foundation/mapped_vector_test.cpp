#include "foundation/mapped_vector.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

mapped_vector MakeList(CompareType type, const std::vector<std::string>& names)
{
    mapped_vector list(type);
    for (const auto& name : names)
        list.push_back(name);
    return list;
}

// Every name must be found at its list position.
void ExpectConsistent(const mapped_vector& list)
{
    for (std::uint32_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list.find(list[i]), i) << "name " << list[i];
}

std::string OutOfRangeText(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const std::out_of_range& exc)
    {
        return exc.what();
    }
    return "no exception";
}

} // namespace

TEST(MappedVector, InsertAndEraseRenumberPositions)
{
    mapped_vector list = MakeList(CaseSensitive, {"a", "b", "c"});
    // Fill the cache with a name whose position the insert will move.
    EXPECT_EQ(list.find("c"), 2u);

    list.insert(1, "x");
    EXPECT_EQ(list.get_vector(), (std::vector<std::string>{"a", "x", "b", "c"}));
    EXPECT_EQ(list.find("x"), 1u);
    EXPECT_EQ(list.find("b"), 2u);
    EXPECT_EQ(list.find("c"), 3u);

    EXPECT_EQ(list.find("c"), 3u);  // cached now; the erase must drop it
    list.erase("b");
    EXPECT_EQ(list.get_vector(), (std::vector<std::string>{"a", "x", "c"}));
    EXPECT_EQ(list.find("c"), 2u);
    EXPECT_EQ(list.find("b"), 3u);
    ExpectConsistent(list);

    list.insert(3, "end");
    list.insert(0, "front");
    EXPECT_EQ(list.get_vector(),
              (std::vector<std::string>{"front", "a", "x", "c", "end"}));
    ExpectConsistent(list);
}

TEST(MappedVector, FindOfAbsentNameReturnsSize)
{
    mapped_vector list = MakeList(CaseSensitive, {"a", "b", "c"});
    EXPECT_EQ(list.find("b"), 1u);
    EXPECT_EQ(list.find("zz"), 3u);
    EXPECT_EQ(list.find("b"), 1u);  // the miss left the cache usable

    const mapped_vector empty(CaseSensitive);
    EXPECT_EQ(empty.find("a"), 0u);
    EXPECT_EQ(empty.find(""), 0u);
}

TEST(MappedVector, RefusalsLeaveTheListUnchanged)
{
    mapped_vector list = MakeList(CaseSensitive, {"a", "b", "c"});
    const std::vector<std::string> before = list.get_vector();

    struct Case
    {
        const char* what;
        std::function<void()> action;
        const char* text;
    };
    const Case cases[] = {
        {"insert present", [&] { list.insert(0, "b"); },
         "Element exists in mapped_vector::insert"},
        {"insert beyond size", [&] { list.insert(4, "d"); },
         "Invalid index in mapped_vector::insert"},
        {"erase absent", [&] { list.erase("d"); },
         "Element not found in mapped_vector::erase"},
        {"operator[] at size", [&] { (void)list[3]; },
         "Invalid index in mapped_vector::operator[]"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(OutOfRangeText(c.action), c.text) << c.what;
        EXPECT_EQ(list.get_vector(), before) << c.what;
        ExpectConsistent(list);
    }
}

TEST(MappedVector, CaseInsensitiveNamesAreOneName)
{
    mapped_vector list(CaseInsensitive);
    list.push_back("atom_id");
    list.insert(0, "comp_id");
    EXPECT_EQ(list.find("ATOM_ID"), 1u);
    EXPECT_EQ(list.find("Comp_Id"), 0u);
    EXPECT_EQ(OutOfRangeText([&] { list.insert(2, "Atom_Id"); }),
              "Element exists in mapped_vector::insert");
    list.erase("COMP_ID");
    EXPECT_EQ(list.get_vector(), std::vector<std::string>{"atom_id"});

    mapped_vector sensitive = MakeList(CaseSensitive, {"atom_id"});
    EXPECT_EQ(sensitive.find("ATOM_ID"), 1u);
}

TEST(MappedVector, NumericOrderingWorksFromAnEmptyCache)
{
    // An empty cache must never be compared with: a numeric ordering cannot
    // convert the empty text.
    mapped_vector list(Numeric);
    list.push_back("7");
    list.push_back("12");
    EXPECT_EQ(list.find("007"), 0u);
    EXPECT_EQ(list.find("8"), 2u);
    list.erase("12");
    EXPECT_EQ(list.find("7"), 0u);
    list.clear();
    EXPECT_EQ(list.find("7"), 0u);
}

TEST(MappedVector, CopiesAndMovesAreIndependent)
{
    mapped_vector list = MakeList(CaseInsensitive, {"a", "b"});
    EXPECT_EQ(list.find("B"), 1u);

    mapped_vector copy(list);
    copy.insert(0, "z");
    EXPECT_EQ(list.find("b"), 1u);
    EXPECT_EQ(copy.find("b"), 2u);
    EXPECT_EQ(copy.find("A"), 1u);  // the compare type is copied too

    mapped_vector assigned(CaseSensitive);
    assigned = copy;
    EXPECT_EQ(assigned.get_vector(), copy.get_vector());
    ExpectConsistent(assigned);

    mapped_vector moved(std::move(copy));
    EXPECT_EQ(moved.size(), 3u);
    EXPECT_EQ(copy.size(), 0u);
    EXPECT_EQ(copy.find("b"), 0u);
}

TEST(MappedVector, PushBackOfPresentNameKeepsFirstIndexEntry)
{
    mapped_vector list = MakeList(CaseSensitive, {"a", "b"});
    list.push_back("a");
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list.find("a"), 0u);
}
