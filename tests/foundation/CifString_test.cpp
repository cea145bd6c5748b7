#include "foundation/CifString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/Exceptions.h"

namespace {

const char kKept[] = "<unchanged>";

// Result of a splitter, or "!" + the exception text when it refuses.
template <typename F>
std::string Split(F splitter, const std::string& name) {
    std::string result = kKept;
    try {
        splitter(result, name);
    } catch (const EmptyValueException& e) {
        EXPECT_EQ(result, kKept) << "result changed on failure for " << name;
        return std::string("!") + e.what();
    }
    return result;
}

std::string Refusal(const std::string& name, const std::string& method) {
    return "!Message: \"Invalid CIF item \"" + name + "\"\" generated at: CifString::" + method +
           "\n";
}

std::string MakeFailure(const std::string& message) {
    return "Message: \"" + message + "\" generated at: CifString::MakeCifItem\n";
}

}  // namespace

TEST(CifString, SplitsItemNames) {
    const struct {
        const char* name;
        const char* category;  // nullptr: refused
        const char* attribute;
    } cases[] = {
        {"_a.b", "a", "b"},
        {"_a.b.c", "a", "b.c"},
        {"_chem_comp.id", "chem_comp", "id"},
        {"_abcd", nullptr, nullptr},
        {"a.b", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"_.b", "", nullptr},
        {"_ab.", "ab", nullptr},
        {"_.", "", nullptr},
        {"_a.", "a", nullptr},
        {"_", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const std::string category = Split(&CifString::GetCategoryFromCifItem, c.name);
        const std::string attribute = Split(&CifString::GetItemFromCifItem, c.name);
        EXPECT_EQ(category,
                  c.category ? std::string(c.category) : Refusal(c.name, "GetCategoryFromCifItem"))
            << c.name;
        EXPECT_EQ(attribute,
                  c.attribute ? std::string(c.attribute) : Refusal(c.name, "GetItemFromCifItem"))
            << c.name;
    }
}

TEST(CifString, MakeCifItem) {
    std::string item = "keep";
    try {
        CifString::MakeCifItem(item, "", "");
        FAIL();
    } catch (const EmptyValueException& e) {
        EXPECT_EQ(std::string(e.what()), MakeFailure("Empty category name"));
    }
    EXPECT_EQ(item, "keep");
    // Joined parts split back unchanged, whatever the attribute holds.
    CifString::MakeCifItem(item, "chem_comp_atom", " x.y ");
    std::string part;
    CifString::GetCategoryFromCifItem(part, item);
    EXPECT_EQ(part, "chem_comp_atom");
    CifString::GetItemFromCifItem(part, item);
    EXPECT_EQ(part, " x.y ");

    std::vector<std::string> items{"stale"};
    try {
        CifString::MakeCifItem(items, "cat", {"a", "", "c"});
        FAIL();
    } catch (const EmptyValueException& e) {
        EXPECT_EQ(std::string(e.what()), MakeFailure("Empty attribute name"));
    }
    EXPECT_EQ(items, (std::vector<std::string>{"_cat.a", "", ""}));

    EXPECT_THROW(CifString::MakeCifItem(items, "", {"a"}), EmptyValueException);
    EXPECT_EQ(items, (std::vector<std::string>{""}));
    CifString::MakeCifItem(items, "", {});
    EXPECT_TRUE(items.empty());
}

TEST(CifString, SpecialValuesAndCharacters) {
    const struct {
        const char* value;
        bool empty;
        bool unknown;
    } values[] = {{"", true, true},    {"?", true, true},    {".", true, false},
                  {" ", false, false}, {"..", false, false}, {"??", false, false},
                  {" ?", false, false}};
    for (const auto& v : values) {
        EXPECT_EQ(CifString::IsEmptyValue(v.value), v.empty) << '"' << v.value << '"';
        EXPECT_EQ(CifString::IsUnknownValue(v.value), v.unknown) << '"' << v.value << '"';
    }
    for (const char c : std::string("#$();[]_{}")) {
        EXPECT_TRUE(CifString::IsSpecialFirstChar(c)) << c;
        EXPECT_EQ(CifString::IsBracketChar(c), std::string("()[]{}").find(c) != std::string::npos);
    }
    for (const char c : std::string("'\" !<>")) {
        EXPECT_FALSE(CifString::IsSpecialFirstChar(c)) << c;
        EXPECT_FALSE(CifString::IsBracketChar(c)) << c;
    }
}
