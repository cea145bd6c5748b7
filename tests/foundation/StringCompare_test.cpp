#include "foundation/StringCompare.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "foundation/String.h"

namespace {

// -1: a before b, 0: equal keys, 1: b before a.
int Order(CompareType type, const std::string& a, const std::string& b) {
    const StringLess less(type);
    const bool ab = less(a, b);
    const bool ba = less(b, a);
    return ab ? (ba ? 99 : -1) : (ba ? 1 : 0);
}

template <typename E>
std::string ErrorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "<no exception>";
}

}  // namespace

TEST(StringLess, OrdersUnderEachSupportedCode) {
    const std::string high(1, '\xc8');
    const struct {
        CompareType type;
        std::string a;
        std::string b;
        int order;
    } cases[] = {
        {CaseSensitive, "ABC", "abc", -1},  {CaseSensitive, "ab", "abc", -1},
        {CaseSensitive, "", "a", -1},       {CaseSensitive, "AB", "A_", -1},
        {CaseSensitive, "a", high, -1},     {CaseInsensitive, "ABC", "abc", 0},
        {CaseInsensitive, "Ab", "abc", -1}, {CaseInsensitive, "A_", "AB", -1},
        {CaseInsensitive, high, "a", -1},   {CaseInsensitive, "abd", "ABC", 1},
        {Numeric, " 12", "12", 0},          {Numeric, "9", "10", -1},
        {Numeric, "007", "+7", 0},          {CaseInsensitive, "10", "9", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Order(c.type, c.a, c.b), c.order) << c.type << ": " << c.a << " / " << c.b;
        EXPECT_EQ(String::IsEqual(c.a, c.b, c.type), c.order == 0);
    }
    EXPECT_FALSE(String::IsCiEqual("a[", "A{"));
    EXPECT_TRUE(String::IsCiInList("Atom", {"x", "ATOM"}));
    EXPECT_FALSE(String::IsInList("Atom", {"x", "ATOM"}, CaseSensitive));
}

TEST(StringLess, NumericCodeNamesTheFirstTextThatFailed) {
    const StringLess less(Numeric);
    const struct {
        std::string a;
        std::string b;
        std::string failing;
    } cases[] = {{"12 ", "1", "12 "},
                 {"", "x", ""},
                 {"2147483648", "1", "2147483648"},
                 {"1", "abc", "abc"},
                 {"x", "y", "x"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorText<std::runtime_error>([&] { less(c.a, c.b); }),
                  "Could not convert \"" + c.failing + "\" to a number in String::StringToInt");
    }
}

TEST(CompareType, UnsupportedCodesAreRefusedAtEveryComparison) {
    const std::string charText = "Invalid compare type in CharLess::operator()";
    const std::string stringText = "Invalid compare type in StringLess::operator()";
    for (const CompareType type : {Numeric, CompareType(4), CompareType(-1)}) {
        const CharLess less(type);  // construction accepts anything
        const CharEqual equal(type);
        EXPECT_EQ(ErrorText<std::out_of_range>([&] { less('a', 'b'); }), charText);
        EXPECT_EQ(ErrorText<std::out_of_range>([&] { equal('a', 'a'); }), charText);
    }
    for (const CompareType type : {WhitespaceInsensitive, CompareType(4), CompareType(-1)}) {
        const StringLess less(type);
        EXPECT_EQ(ErrorText<std::out_of_range>([&] { less("a", "b"); }), stringText);
        EXPECT_EQ(ErrorText<std::out_of_range>([&] { String::IsInList("a", {"A"}, type); }),
                  stringText);
    }
    // An empty list is never compared, so even a bad code gives plain false.
    EXPECT_FALSE(String::IsInList("a", {}, WhitespaceInsensitive));
}

TEST(CharLess, OrdersUnderEachSupportedCode) {
    const struct {
        CompareType type;
        char a;
        char b;
        bool less;
        bool equal;
    } cases[] = {
        {CaseSensitive, 'A', 'a', true, false},
        {CaseSensitive, '\xc8', 'a', true, false},
        {CaseInsensitive, 'A', 'a', false, true},
        {CaseInsensitive, '[', 'A', true, false},
        {WhitespaceInsensitive, '\t', ' ', false, true},
        {WhitespaceInsensitive, ' ', 'a', true, false},
        {WhitespaceInsensitive, 'a', 'A', false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CharLess(c.type)(c.a, c.b), c.less) << c.type << ": " << c.a << c.b;
        EXPECT_EQ(CharEqual(c.type)(c.a, c.b), c.equal) << c.type << ": " << c.a << c.b;
    }
    const auto isE = std::bind(CharEqual(CaseInsensitive), std::placeholders::_1, 'E');
    for (int c = -128; c < 128; ++c) {
        EXPECT_EQ(isE(char(c)), c == 'e' || c == 'E') << c;
    }
}
