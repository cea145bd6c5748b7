#include "foundation/FixedPoint.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Output of ScientificToFixed, or "!" + the error text.
std::string Fixed(const std::string& in) {
    std::string out = "<unchanged>";
    try {
        String::ScientificToFixed(out, in);
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(out, "<unchanged>") << in;
        return std::string("!") + e.what();
    }
    return out;
}

std::string Refused(const std::string& text, const std::string& method) {
    return "!Could not convert \"" + text + "\" to a number in String::" + method;
}

}  // namespace

TEST(FixedPoint, RewritesDigitForDigit) {
    const struct {
        const char* in;
        std::string out;
    } cases[] = {
        {"1.5E-3", "0.0015"},
        {"2.5e2", "250."},
        {"1.2345E2", "123.45"},
        {"123.45", "123.45"},
        {"0.00012", "0.00012"},
        {"100", "100."},
        {"-1.0", "-1."},
        {"0", "0."},
        {"0.0E5", "000000."},
        {"-5", "-5."},
        {"5", "5."},
        {"+5", "+5."},
        {".5", "0.5"},
        {"1.23456789012345678901e3", "1234.56789012345678901"},
        {"-2.50E-1", "-0.25"},
        {"12e-1", "1.2"},
        {"1e-400", "0." + std::string(399, '0') + "1"},
        // Whitespace and "+" stay in front, whatever the exponent does to the digits.
        {"+1.5E-3", "+0.0015"},
        {" 1.5e-3", " 0.0015"},
        {" -5e-1", " -0.5"},
        {"+0.0", "+0."},
        {"1.5 ", Refused("1.5 ", "StringToDouble")},
        {"abc", Refused("abc", "StringToDouble")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fixed(c.in), c.out) << c.in;
    }
}

TEST(FixedPoint, HugeExponentsAreRefusedNotBuilt) {
    for (const char* in :
         {"0e2147483647", "1e-2147483648", "0e5000", "1e-5000", "-0E4096", "0.0001e-2147483648"}) {
        EXPECT_EQ(Fixed(in), Refused(in, "ScientificToFixed")) << in;
    }
    // Just inside the bound is still built.
    const std::string longest = "0e" + std::to_string(FixedNumberMaxLength - 2);
    EXPECT_EQ(Fixed(longest).size(), FixedNumberMaxLength);

    std::string out;
    EXPECT_THROW(String::MakeFixedNumber(out, true, "1.", 2147483647), std::runtime_error);
    EXPECT_THROW(String::MakeFixedNumber(out, false, "1.5", -2147483647 - 1), std::runtime_error);
    // A mantissa without the point in second place cannot be laid out.
    EXPECT_THROW(String::MakeFixedNumber(out, true, "5", 0), std::runtime_error);
    EXPECT_THROW(String::MakeFixedNumber(out, true, "5", -3), std::runtime_error);
}

TEST(FixedPoint, MantissaWithoutDigitsIsRefused) {
    const std::string dot = ".";
    std::string mantissa;
    int shift = 0;
    EXPECT_THROW(String::GetMantissa(mantissa, shift, dot.begin(), dot.end()), std::runtime_error);
}
