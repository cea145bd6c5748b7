#ifndef TESRA_FOUNDATION_CHARCLASS_H
#define TESRA_FOUNDATION_CHARCLASS_H

#include <cstdint>
#include <stdexcept>
#include <string>

// The character classes of the library's text handling and the strict
// integer reading built on them. They sit below both String and the compare
// types (StringCompare.h), which use them, so neither of those two needs the
// other's source. Whitespace is exactly the bytes 9 to 13 and 32; case
// touches only the 26 ASCII letters.
namespace CharClass {

inline bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

inline char ToLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

inline char ToUpper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

// std::runtime_error "Could not convert "<text>" to a number in <method>".
[[noreturn]] inline void ThrowConversion(const std::string& text, const char* method) {
    throw std::runtime_error("Could not convert \"" + text + "\" to a number in " + method);
}

// The reading of String::StringToInt (and of the Numeric compare type):
// leading whitespace, an optional sign, then 32-bit decimal digits to the end
// of the text; anything else throws the conversion error of
// String::StringToInt.
inline int StringToInt(const std::string& text) {
    std::string::size_type i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size() || !IsDigit(text[i])) {
        ThrowConversion(text, "String::StringToInt");
    }
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            ThrowConversion(text, "String::StringToInt");
        }
    }
    if (i != text.size()) {
        ThrowConversion(text, "String::StringToInt");
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace CharClass

#endif  // TESRA_FOUNDATION_CHARCLASS_H
