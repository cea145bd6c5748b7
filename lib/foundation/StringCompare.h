#ifndef TESRA_FOUNDATION_STRINGCOMPARE_H
#define TESRA_FOUNDATION_STRINGCOMPARE_H

#include <cstdint>
#include <string>

#include "foundation/CharClass.h"

// Comparison code shared by every name map and index of the library. It is a
// plain integer: construction stores any value, and an unsupported one is
// refused by the first comparison with std::out_of_range.
using CompareType = std::int32_t;

constexpr CompareType CaseSensitive = 0;          // bytes as they are
constexpr CompareType CaseInsensitive = 1;        // ASCII capitals folded to small letters
constexpr CompareType WhitespaceInsensitive = 2;  // characters only: all whitespace is equal
constexpr CompareType Numeric = 3;                // strings only: compared as 32-bit integers

// Character ordering. Code 0 compares signed 8-bit values, code 1 folds A-Z
// first, code 2 treats any two whitespace characters as equal.
class CharLess {
public:
    typedef char first_argument_type;
    typedef char second_argument_type;
    typedef bool result_type;

    explicit CharLess(CompareType compareType) : _compareType(compareType) {}

    bool operator()(char a, char b) const {
        if (_compareType == CaseSensitive) {
            return static_cast<signed char>(a) < static_cast<signed char>(b);
        }
        if (_compareType == CaseInsensitive) {
            return _Fold(a) < _Fold(b);
        }
        return _OtherLess(a, b);
    }

private:
    static signed char _Fold(char c) { return static_cast<signed char>(CharClass::ToLower(c)); }

    // Whitespace-insensitive code, or refusal of an unsupported one.
    bool _OtherLess(char a, char b) const;

    CompareType _compareType;
};

class CharEqual {
public:
    typedef char first_argument_type;
    typedef char second_argument_type;
    typedef bool result_type;

    explicit CharEqual(CompareType compareType) : _compareType(compareType) {}

    bool operator()(char a, char b) const;

private:
    CompareType _compareType;
};

// Key ordering of every ordered map of names or cell values. Codes 0 and 1 are
// on the hot path of every lookup, so they compare in place without copying.
class StringLess {
public:
    typedef std::string first_argument_type;
    typedef std::string second_argument_type;
    typedef bool result_type;

    explicit StringLess(CompareType compareType) : _compareType(compareType) {}
    StringLess(const StringLess&) = default;
    StringLess& operator=(const StringLess&) = default;

    bool operator()(const std::string& a, const std::string& b) const {
        if (_compareType == CaseSensitive) {
            return a < b;
        }
        if (_compareType == CaseInsensitive) {
            return _CaseInsensitiveLess(a, b);
        }
        return _OtherLess(a, b);
    }

    CompareType GetCompareType() const { return _compareType; }

private:
    static bool _CaseInsensitiveLess(const std::string& a, const std::string& b) {
        const std::string::size_type n = a.size() < b.size() ? a.size() : b.size();
        const char* pa = a.data();
        const char* pb = b.data();
        for (std::string::size_type i = 0; i < n; ++i) {
            const signed char ca = _Fold(pa[i]);
            const signed char cb = _Fold(pb[i]);
            if (ca < cb) {
                return true;
            }
            if (cb < ca) {
                return false;
            }
        }
        return a.size() < b.size();
    }

    static signed char _Fold(char c) { return static_cast<signed char>(CharClass::ToLower(c)); }

    // Numeric code, or refusal of an unsupported one.
    bool _OtherLess(const std::string& a, const std::string& b) const;

    CompareType _compareType;
};

class StringEqual {
public:
    typedef std::string first_argument_type;
    typedef std::string second_argument_type;
    typedef bool result_type;

    explicit StringEqual(CompareType compareType) : _less(compareType) {}

    bool operator()(const std::string& a, const std::string& b) const {
        return !_less(a, b) && !_less(b, a);
    }

private:
    StringLess _less;
};

#endif  // TESRA_FOUNDATION_STRINGCOMPARE_H
