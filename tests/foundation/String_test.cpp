// Text rules of the foundation layer: number readings and writings, edits,
// compare types, the fixed-point rewrite and CIF item names.

#include "foundation/String.h"

#include <gtest/gtest.h>

#include <functional>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/CifString.h"
#include "foundation/Exceptions.h"
#include "foundation/FixedPoint.h"
#include "support/Thrown.h"

namespace {

typedef std::vector<std::string> Texts;

// What a classic-locale stream extraction plus an end-of-text check accepts;
// the library's readers must agree with it on every input.
template <typename T>
bool StreamReads(const std::string& text, T& value) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    return (in >> value) && in.peek() == std::char_traits<char>::eof();
}

// The refusal of a number reading (what() ends at a NUL of the text).
std::string Unconvertible(const std::string& text, const std::string& method) {
    const std::string message =
        "Could not convert \"" + text + "\" to a number in String::" + method;
    return Throws("std::runtime_error", message.c_str());
}

Texts Split(const std::string& text) {
    Texts parts(1);
    for (const char c : text) {
        if (c == '|')
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    return parts;
}

// -1: a before b, 0: equal keys, 1: b before a.
int Order(CompareType type, const std::string& a, const std::string& b) {
    const StringLess less(type);
    const bool ab = less(a, b);
    const bool ba = less(b, a);
    return ab ? (ba ? 99 : -1) : (ba ? 1 : 0);
}

}  // namespace

TEST(String, NumberReadersAgreeWithClassicStreamExtraction) {
    Texts texts = Split(
        "0| 42|\t-7|+0012|42 |4 2|-|+|0x1A|1e3|1.0||\n5|.5|5.|nan|inf|-inf|1,5|1e|1e+|1.e5|.e5|.|"
        "1.5.3|1e5e3|--1|+-1|0x1p3|1E+07|12.5\n|?|\xc3\xa9|1e400|-1e400|1e-400|4.9e-324|00000.000|"
        "  -2.5E-3|2147483647|-2147483648|2147483648|-2147483649|99999999999999999999|"
        "1.7976931348623157e308|1.7976931348623159e308| ");
    texts.push_back(std::string("1\0005", 3));
    for (const std::string& text : texts) {
        int i = 0;
        if (StreamReads(text, i)) {
            EXPECT_EQ(String::StringToInt(text), i) << '"' << text << '"';
        } else {
            EXPECT_EQ(Thrown([&] { String::StringToInt(text); }),
                      Unconvertible(text, "StringToInt"));
        }
        double d = 0;
        const bool reads = StreamReads(text, d);
        EXPECT_EQ(String::IsNumber(text), reads) << '"' << text << '"';
        if (reads) {
            EXPECT_EQ(String::StringToDouble(text), d) << '"' << text << '"';
        } else {
            EXPECT_EQ(Thrown([&] { String::StringToDouble(text); }),
                      Unconvertible(text, "StringToDouble"));
        }
    }
    EXPECT_EQ(String::StringToDouble("1e-400"), 0.0);  // underflow is accepted
    EXPECT_TRUE(String::StringToBoolean("-3"));
    EXPECT_EQ(String::DoubleToString(1234567), "1.23457e+06");
    EXPECT_EQ(String::DoubleToString(0.00001), "1e-05");
    EXPECT_EQ(String::DoubleToString(2.0), "2");
    EXPECT_EQ(String::IntToString(-2147483647 - 1), "-2147483648");
}

TEST(String, CompareTypes) {
    const std::string high(1, '\xc8');
    const struct {
        CompareType type;
        std::string a, b;
        int order;
    } cases[] = {{CaseSensitive, "ABC", "abc", -1},  {CaseSensitive, "ab", "abc", -1},
                 {CaseSensitive, "", "a", -1},       {CaseSensitive, "AB", "A_", -1},
                 {CaseSensitive, "a", high, -1},     {CaseInsensitive, "ABC", "abc", 0},
                 {CaseInsensitive, "Ab", "abc", -1}, {CaseInsensitive, "A_", "AB", -1},
                 {CaseInsensitive, high, "a", -1},   {CaseInsensitive, "abd", "ABC", 1},
                 {Numeric, " 12", "12", 0},          {Numeric, "9", "10", -1},
                 {Numeric, "007", "+7", 0},          {CaseInsensitive, "10", "9", -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(Order(c.type, c.a, c.b), c.order) << c.type << ": " << c.a << " / " << c.b;
        EXPECT_EQ(String::IsEqual(c.a, c.b, c.type), c.order == 0);
    }
    EXPECT_FALSE(String::IsCiEqual("a[", "A{"));
    EXPECT_TRUE(String::IsCiInList("Atom", {"x", "ATOM"}));
    EXPECT_FALSE(String::IsInList("Atom", {"x", "ATOM"}, CaseSensitive));
    EXPECT_FALSE(String::IsInList("a", {}, WhitespaceInsensitive));  // nothing compared
    EXPECT_TRUE(CharEqual(WhitespaceInsensitive)('\t', ' '));

    // The numeric code names the first text that is no integer; unsupported
    // codes are taken at construction and refused by every comparison.
    for (const auto& c :
         std::vector<Texts>{{"12 ", "1", "12 "}, {"1", "abc", "abc"}, {"", "x", ""}})
        EXPECT_EQ(Thrown([&] { StringLess{Numeric}(c[0], c[1]); }),
                  Unconvertible(c[2], "StringToInt"));
    const std::string charText = "Invalid compare type in CharLess::operator()";
    for (const CompareType type : {Numeric, CompareType(4), CompareType(-1)}) {
        EXPECT_THROW_MSG(CharLess{type}('a', 'b'), std::out_of_range, charText);
        EXPECT_THROW_MSG(CharEqual{type}('a', 'a'), std::out_of_range, charText);
    }
    const std::string stringText = "Invalid compare type in StringLess::operator()";
    for (const CompareType type : {WhitespaceInsensitive, CompareType(4), CompareType(-1)}) {
        EXPECT_THROW_MSG(StringLess{type}("a", "b"), std::out_of_range, stringText);
        EXPECT_THROW_MSG(String::IsInList("a", {"A"}, type), std::out_of_range, stringText);
    }
}

TEST(String, ScientificToFixed) {
    // Whitespace and "+" stay in front, whatever the exponent does; nothing
    // after "=" marks a refusal.
    const Texts cases = Split(
        "1.5E-3=0.0015|2.5e2=250.|1.2345E2=123.45|123.45=123.45|100=100.|-1.0=-1.|0=0.|"
        "0.0E5=000000.|-5=-5.|+5=+5.|.5=0.5|-2.50E-1=-0.25|12e-1=1.2|+1.5E-3=+0.0015|"
        " 1.5e-3= 0.0015| -5e-1= -0.5|+0.0=+0.|1.5 =|abc=|"
        "1.23456789012345678901e3=1234.56789012345678901");
    for (const std::string& c : cases) {
        const std::string in = c.substr(0, c.find('=')), fixed = c.substr(c.find('=') + 1);
        std::string out = "<unchanged>";
        const std::string thrown = Thrown([&] { String::ScientificToFixed(out, in); });
        EXPECT_EQ(thrown, fixed.empty() ? Unconvertible(in, "StringToDouble") : "nothing thrown");
        EXPECT_EQ(out, fixed.empty() ? "<unchanged>" : fixed) << in;
    }
    // A huge exponent is refused rather than built; just inside the bound is built.
    for (const char* in :
         {"0e2147483647", "1e-2147483648", "0e5000", "1e-5000", "-0E4096", "0.0001e-2147483648"}) {
        std::string out;
        EXPECT_EQ(Thrown([&] { String::ScientificToFixed(out, in); }),
                  Unconvertible(in, "ScientificToFixed"));
    }
    std::string out;
    String::ScientificToFixed(out, "0e" + std::to_string(FixedNumberMaxLength - 2));
    EXPECT_EQ(out.size(), FixedNumberMaxLength);
    String::ScientificToFixed(out, "1e-400");
    EXPECT_EQ(out, "0." + std::string(399, '0') + "1");
}

TEST(CifString, ItemNames) {
    // name, category, attribute; "!" marks a refusal.
    const Texts cases[] = {{"_a.b", "a", "b"},  {"_a.b.c", "a", "b.c"}, {"_abcd", "!", "!"},
                           {"a.b", "!", "!"},   {"", "!", "!"},         {"_.b", "", "!"},
                           {"_ab.", "ab", "!"}, {"_.", "", "!"},        {"_", "!", "!"}};
    for (const Texts& c : cases) {
        for (const int part : {1, 2}) {
            const std::string method = part == 1 ? "GetCategoryFromCifItem" : "GetItemFromCifItem";
            std::string result = "<unchanged>";
            const std::string thrown = Thrown([&] {
                part == 1 ? CifString::GetCategoryFromCifItem(result, c[0])
                          : CifString::GetItemFromCifItem(result, c[0]);
            });
            const bool refused = c[part] == "!";
            EXPECT_EQ(result, refused ? "<unchanged>" : c[part]) << c[0] << " " << method;
            EXPECT_EQ(thrown,
                      refused ? Throws("EmptyValueException", "Invalid CIF item \"" + c[0] + "\"",
                                       "CifString::" + method)
                              : "nothing thrown");
        }
    }
    // Joined parts split back unchanged, whatever the attribute holds.
    std::string item = "keep";
    EXPECT_THROW(CifString::MakeCifItem(item, "", ""), EmptyValueException);
    EXPECT_EQ(item, "keep");
    CifString::MakeCifItem(item, "chem_comp_atom", " x.y ");
    std::string part;
    CifString::GetItemFromCifItem(part, item);
    EXPECT_EQ(part, " x.y ");
    // The list form keeps the names made before a refused one.
    Texts items{"stale"};
    EXPECT_THROW_MSG(CifString::MakeCifItem(items, "cat", {"a", "", "c"}), EmptyValueException,
                     Line("Empty attribute name", "CifString::MakeCifItem"));
    EXPECT_EQ(items, (Texts{"_cat.a", "", ""}));
    CifString::MakeCifItem(items, "", {});
    EXPECT_TRUE(items.empty());
}

TEST(CifString, SpecialValuesAndCharacters) {
    const struct {
        const char* value;
        bool empty, unknown;
    } values[] = {{"", true, true},    {"?", true, true},    {".", true, false},
                  {" ", false, false}, {"..", false, false}, {" ?", false, false}};
    for (const auto& v : values) {
        EXPECT_EQ(CifString::IsEmptyValue(v.value), v.empty) << '"' << v.value << '"';
        EXPECT_EQ(CifString::IsUnknownValue(v.value), v.unknown) << '"' << v.value << '"';
    }
    for (const char c : std::string("#$();[]_{}'\" !<>")) {
        EXPECT_EQ(CifString::IsSpecialFirstChar(c),
                  std::string("#$();[]_{}").find(c) != std::string::npos)
            << c;
        EXPECT_EQ(CifString::IsBracketChar(c), std::string("()[]{}").find(c) != std::string::npos)
            << c;
    }
}
