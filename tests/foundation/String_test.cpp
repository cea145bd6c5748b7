#include "foundation/String.h"

#include <gtest/gtest.h>

#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

// What a classic-locale stream extraction plus an end-of-text check accepts;
// the library's own readers must agree with it on every input.
template <typename T>
bool StreamReads(const std::string& text, T& value) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    return (in >> value) && in.peek() == std::char_traits<char>::eof();
}

template <typename F>
std::string ErrorText(F f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "<no exception>";
}

std::string Refusal(const std::string& text, const std::string& method) {
    return "Could not convert \"" + text + "\" to a number in String::" + method;
}

}  // namespace

TEST(StringConversion, ReadersAgreeWithClassicStreamExtraction) {
    const std::string texts[] = {"0",
                                 " 42",
                                 "\t-7",
                                 "+0012",
                                 "2147483647",
                                 "-2147483648",
                                 "2147483648",
                                 "-2147483649",
                                 "99999999999999999999",
                                 "42 ",
                                 "4 2",
                                 "-",
                                 "+",
                                 "0x1A",
                                 "1e3",
                                 "1.0",
                                 "",
                                 " ",
                                 "\n5",
                                 ".5",
                                 "5.",
                                 "  -2.5E-3",
                                 "1e400",
                                 "-1e400",
                                 "1e-400",
                                 "4.9e-324",
                                 "nan",
                                 "inf",
                                 "-inf",
                                 "1,5",
                                 "1e",
                                 "1e+",
                                 "1.e5",
                                 ".e5",
                                 ".",
                                 "1.5.3",
                                 "1e5e3",
                                 "--1",
                                 "+-1",
                                 "0x1p3",
                                 "1E+07",
                                 "00000.000",
                                 "12.5\n",
                                 "?",
                                 "1.7976931348623157e308",
                                 "1.7976931348623159e308",
                                 "\xc3\xa9",
                                 std::string("1\0"
                                             "5",
                                             3)};
    // c_str(): what() of a message with a NUL ends there.
    for (const std::string& text : texts) {
        int i = 0;
        if (StreamReads(text, i)) {
            EXPECT_EQ(String::StringToInt(text), i) << '"' << text << '"';
        } else {
            EXPECT_EQ(ErrorText([&] { String::StringToInt(text); }),
                      Refusal(text, "StringToInt").c_str());
        }
        double d = 0;
        if (StreamReads(text, d)) {
            EXPECT_EQ(String::StringToDouble(text), d) << '"' << text << '"';
            EXPECT_TRUE(String::IsNumber(text)) << '"' << text << '"';
        } else {
            EXPECT_EQ(ErrorText([&] { String::StringToDouble(text); }),
                      Refusal(text, "StringToDouble").c_str());
            EXPECT_FALSE(String::IsNumber(text)) << '"' << text << '"';
        }
    }
    EXPECT_EQ(String::StringToDouble("1e-400"), 0.0);  // underflow is accepted
    EXPECT_TRUE(String::StringToBoolean("-3"));
    EXPECT_EQ(ErrorText([] { String::StringToBoolean("yes"); }), Refusal("yes", "StringToInt"));
}

TEST(StringConversion, NumberToText) {
    EXPECT_EQ(String::DoubleToString(2.0), "2");
    EXPECT_EQ(String::DoubleToString(1234567), "1.23457e+06");
    EXPECT_EQ(String::DoubleToString(0.00001), "1e-05");
    EXPECT_EQ(String::IntToString(-2147483647 - 1), "-2147483648");
    std::string out = "old";
    String::IntToString(out, 0);
    EXPECT_EQ(out, "0");
}

TEST(StringText, CaseAndWhiteSpace) {
    std::string out = "stale";
    String::LowerCase("AbC\xc8z[", out);
    EXPECT_EQ(out, "abc\xc8z[");
    String::RemoveWhiteSpace(" a\tb\nc\v", out);
    EXPECT_EQ(out, "abc");

    const struct {
        const char* in;
        const char* compressed;
        const char* blanked;
    } cases[] = {{"  a \t\n b  ", "a b", "a    b"}, {" \t\r\n\f ", "", ""}, {"a\tb", "a b", "a b"}};
    for (const auto& c : cases) {
        std::string compressed = c.in;
        String::StripAndCompressWhiteSpace(compressed);
        EXPECT_EQ(compressed, c.compressed) << '"' << c.in << '"';
        std::string blanked = c.in;
        String::StripAndBlankWhiteSpace(blanked);
        EXPECT_EQ(blanked, c.blanked) << '"' << c.in << '"';
    }
}

TEST(StringText, ReplaceAndUnEscape) {
    const struct {
        const char* text;
        const char* search;
        const char* replacement;
        const char* result;
    } cases[] = {{"aaa", "a", "aa", "aaaaaa"},
                 {"abab", "ab", "b", "bb"},
                 {"abc", "b", "", "abc"},
                 {"abc", "", "x", "abc"},
                 {"", "a", "b", ""}};
    for (const auto& c : cases) {
        std::string text = c.text;
        String::Replace(text, c.search, c.replacement);
        EXPECT_EQ(text, c.result) << c.text << " / " << c.search << " / " << c.replacement;
    }
    std::string out;
    String::UnEscape(out, "a\\tb\\r\\\\n");
    EXPECT_EQ(out, "a\tb\r\\\n");
}
