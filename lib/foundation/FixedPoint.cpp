#include "foundation/FixedPoint.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>

namespace {

[[noreturn]] void ThrowUnconvertible(const std::string& text, const char* method) {
    throw std::runtime_error("Could not convert \"" + text + "\" to a number in " + method);
}

std::string::const_iterator FindExponentMark(std::string::const_iterator first,
                                             std::string::const_iterator last) {
    using std::placeholders::_1;
    return std::find_if(first, last, std::bind(CharEqual(CaseInsensitive), _1, 'E'));
}

// Length of the text MakeFixedNumber would build, computed without overflow.
std::int64_t FixedLength(bool nonNegative, const std::string& mantissa, std::int64_t exponent) {
    const std::int64_t sign = nonNegative ? 0 : 1;
    const std::int64_t fraction = static_cast<std::int64_t>(mantissa.size()) - 2;
    if (exponent >= 0) {
        return sign + 1 + std::max(fraction, exponent) + 1;
    }
    return sign + 2 + (-exponent - 1) + (fraction + 1);
}

}  // namespace

bool String::IsScientific(const std::string& text) {
    return text.find_first_of("Ee") != std::string::npos;
}

std::string::const_iterator String::GetExponent(int& exponent, std::string::const_iterator first,
                                                std::string::const_iterator last) {
    const std::string::const_iterator mark = FindExponentMark(first, last);
    if (mark == last) {
        exponent = 0;
    } else {
        exponent = StringToInt(std::string(mark + 1, last));
    }
    return mark;
}

void String::GetMantissa(std::string& mantissa, int& shift, std::string::const_iterator first,
                         std::string::const_iterator last) {
    mantissa.clear();
    const auto notZero = [](char c) { return c != '0'; };
    std::string::const_iterator p = std::find_if(first, last, notZero);
    if (p != last && *p == '.') {
        p = std::find_if(p + 1, last, notZero);
    }
    if (p == last) {
        // Only zeros and at most one point: validate, then it is plain zero.
        StringToDouble(std::string(first, last));
        mantissa = "0.";
        shift = 0;
        return;
    }
    const std::string::const_iterator d = std::find(first, last, '.');
    mantissa.reserve(static_cast<std::string::size_type>(last - p) + 1);
    mantissa.push_back(*p);
    mantissa.push_back('.');
    for (std::string::const_iterator it = p + 1; it != last; ++it) {
        if (*it != '.') {
            mantissa.push_back(*it);
        }
    }
    while (mantissa.size() > 2 && mantissa.back() == '0') {
        mantissa.pop_back();
    }
    const std::int64_t wideShift = (p < d) ? (d - p - 1) : (d - p);
    if (wideShift > std::numeric_limits<int>::max() ||
        wideShift < std::numeric_limits<int>::min()) {
        ThrowUnconvertible(std::string(first, last), "String::GetMantissa");
    }
    shift = static_cast<int>(wideShift);
}

void String::MakeFixedNumber(std::string& out, bool nonNegative, const std::string& mantissa,
                             int exponent) {
    StringToDouble(mantissa);
    // The digit arithmetic below needs the leading character and the point.
    if (mantissa.size() < 2 || mantissa[1] != '.') {
        ThrowUnconvertible(mantissa, "String::MakeFixedNumber");
    }
    const std::int64_t length = FixedLength(nonNegative, mantissa, exponent);
    if (length > static_cast<std::int64_t>(FixedNumberMaxLength)) {
        ThrowUnconvertible(mantissa + "E" + IntToString(exponent), "String::MakeFixedNumber");
    }

    std::string result;
    result.reserve(static_cast<std::string::size_type>(length));
    if (!nonNegative) {
        result.push_back('-');
    }
    const std::string::size_type fraction = mantissa.size() - 2;
    if (exponent >= 0) {
        const std::string::size_type e = static_cast<std::string::size_type>(exponent);
        result.push_back(mantissa[0]);
        if (fraction > e) {
            result.append(mantissa, 2, e);
            result.push_back('.');
            result.append(mantissa, 2 + e, std::string::npos);
        } else {
            result.append(mantissa, 2, std::string::npos);
            result.append(e - fraction, '0');
            result.push_back('.');
        }
    } else {
        // -(exponent + 1) cannot overflow, unlike -exponent for INT_MIN.
        const std::string::size_type zeros = static_cast<std::string::size_type>(-(exponent + 1));
        result += "0.";
        result.append(zeros, '0');
        result.push_back(mantissa[0]);
        result.append(mantissa, 2, std::string::npos);
    }
    out.swap(result);
}

void String::ScientificToFixed(std::string& out, const std::string& in) {
    StringToDouble(in);
    // Leading whitespace and a "+" are carried in front of the result rather than
    // taken for digits: as digits they would land inside the number ("+1.5E-3"
    // would become "0.0+15") or make a zero unreadable ("+0.0").
    std::string::const_iterator first = in.begin();
    while (first != in.end() && IsWhiteSpace(*first)) {
        ++first;
    }
    const bool nonNegative = first == in.end() || *first != '-';
    if (first != in.end() && (*first == '+' || *first == '-')) {
        ++first;
    }
    std::string prefix(in.begin(), first);
    if (!nonNegative) {
        prefix.pop_back();  // MakeFixedNumber writes the "-" itself
    }

    int exponent = 0;
    const std::string::const_iterator digitsEnd = GetExponent(exponent, first, in.end());
    std::string mantissa;
    int shift = 0;
    GetMantissa(mantissa, shift, first, digitsEnd);

    const std::int64_t total = static_cast<std::int64_t>(exponent) + shift;
    if (total > std::numeric_limits<int>::max() || total < std::numeric_limits<int>::min() ||
        static_cast<std::int64_t>(prefix.size()) + FixedLength(nonNegative, mantissa, total) >
            static_cast<std::int64_t>(FixedNumberMaxLength)) {
        ThrowUnconvertible(in, "String::ScientificToFixed");
    }
    std::string fixed;
    MakeFixedNumber(fixed, nonNegative, mantissa, static_cast<int>(total));
    out = prefix + fixed;
}
