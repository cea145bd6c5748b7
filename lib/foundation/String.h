#ifndef TESRA_FOUNDATION_STRING_H
#define TESRA_FOUNDATION_STRING_H

#include <string>
#include <vector>

#include "foundation/CharClass.h"
#include "foundation/StringCompare.h"

// Stateless text utilities. Whitespace is exactly the bytes 9 to 13 and 32;
// case folding touches only the 26 ASCII letters; number text is read and
// written in the classic ("C") locale whatever the process locale is.
class String {
public:
    String() = delete;

    // Number to text: decimal integers; doubles as %g with 6 significant digits.
    static std::string IntToString(int value);
    static void IntToString(std::string& result, int value);
    static std::string DoubleToString(double value);

    // Strict readings: leading whitespace is skipped, then the whole rest must be
    // one number. Failure raises std::runtime_error
    //   Could not convert "<text>" to a number in String::StringToInt
    // (StringToDouble names itself). Integers are 32-bit decimal, no base prefix.
    // Doubles take sign, digits, one point and an exponent; overflow, inf, nan and
    // hexadecimal forms fail, underflow yields zero or a denormal and passes.
    static int StringToInt(const std::string& text);
    static double StringToDouble(const std::string& text);
    static bool StringToBoolean(const std::string& text);  // StringToInt(text) != 0
    static bool IsNumber(const std::string& text);         // never throws

    // Case. The two-argument forms empty the output first, so the output must
    // not be the input; the one-argument forms change the text in place.
    static void LowerCase(const std::string& in, std::string& out);
    static void LowerCase(std::string& text);
    static void UpperCase(const std::string& in, std::string& out);
    static void UpperCase(std::string& text);
    static char CharToLower(char c) { return CharClass::ToLower(c); }
    static char CharToUpper(char c) { return CharClass::ToUpper(c); }
    static bool CiCharLess(char a, char b) {
        return static_cast<signed char>(CharToLower(a)) < static_cast<signed char>(CharToLower(b));
    }
    static bool IsWhiteSpace(char c) { return CharClass::IsWhiteSpace(c); }
    static bool IsDigit(char c) { return CharClass::IsDigit(c); }
    static int GetWhiteSpaceBit(int flags) { return flags & 2; }

    // Whitespace and substitution.
    static void RemoveWhiteSpace(const std::string& in, std::string& out);
    static void StripLeadingWhiteSpace(std::string& text);
    static void StripTrailingWhiteSpace(std::string& text);
    static void StripAndCompressWhiteSpace(std::string& text);  // inner runs -> one blank
    static void StripAndBlankWhiteSpace(std::string& text);     // inner whitespace -> blanks
    // Replaces every occurrence, never searching inserted text; nothing happens
    // when any of the three texts is empty.
    static void Replace(std::string& text, const std::string& search,
                        const std::string& replacement);
    // Turns the two-character escapes \n, \t and \r into control characters.
    static void UnEscape(std::string& out, const std::string& in);

    // Equality under a compare type (same rules and failures as StringEqual).
    static bool IsEqual(const std::string& a, const std::string& b, CompareType compareType);
    static bool IsCiEqual(const std::string& a, const std::string& b);  // never throws
    static bool IsInList(const std::string& text, const std::vector<std::string>& list,
                         CompareType compareType);
    static bool IsCiInList(const std::string& text, const std::vector<std::string>& list);

    // Number texts rewritten without exponent, digit for digit (1.5E-3 -> 0.0015).
    // A mantissa is one leading character, ".", then the remaining digits without
    // trailing zeros ("1.2345", "5.", "0."). Results longer than
    // FixedNumberMaxLength (FixedPoint.h) are refused with std::runtime_error.
    static bool IsScientific(const std::string& text);
    // Returns the position of the first E/e in [first, last) or last; exponent is
    // the integer after it, or 0.
    static std::string::const_iterator GetExponent(int& exponent, std::string::const_iterator first,
                                                   std::string::const_iterator last);
    static void GetMantissa(std::string& mantissa, int& shift, std::string::const_iterator first,
                            std::string::const_iterator last);
    static void MakeFixedNumber(std::string& out, bool nonNegative, const std::string& mantissa,
                                int exponent);
    // Leading whitespace and a "+" of the input are kept in front of the result.
    static void ScientificToFixed(std::string& out, const std::string& in);
};

// Predicates for the standard algorithms.
struct WhiteSpaceChar {
    typedef char argument_type;
    typedef bool result_type;
    bool operator()(char c) const { return String::IsWhiteSpace(c); }
};

struct WhiteSpacePair {
    typedef char first_argument_type;
    typedef char second_argument_type;
    typedef bool result_type;
    bool operator()(char a, char b) const {
        return String::IsWhiteSpace(a) && String::IsWhiteSpace(b);
    }
};

#endif  // TESRA_FOUNDATION_STRING_H
