#include "foundation/StringCompare.h"

#include <stdexcept>

bool CharLess::_OtherLess(char a, char b) const {
    if (_compareType != WhitespaceInsensitive) {
        throw std::out_of_range("Invalid compare type in CharLess::operator()");
    }
    if (CharClass::IsWhiteSpace(a) && CharClass::IsWhiteSpace(b)) {
        return false;
    }
    return static_cast<signed char>(a) < static_cast<signed char>(b);
}

bool CharEqual::operator()(char a, char b) const {
    const CharLess less(_compareType);
    return !less(a, b) && !less(b, a);
}

bool StringLess::_OtherLess(const std::string& a, const std::string& b) const {
    if (_compareType != Numeric) {
        throw std::out_of_range("Invalid compare type in StringLess::operator()");
    }
    // b is converted only when a converted, so a failure names the first bad text.
    const int valueA = CharClass::StringToInt(a);
    const int valueB = CharClass::StringToInt(b);
    return valueA < valueB;
}
