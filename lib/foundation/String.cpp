#include "foundation/String.h"

#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>
#include <stdexcept>

// The readings below accept exactly what a classic-locale std::istringstream
// extraction followed by an end-of-text check accepts, without building a
// stream per call: the CIF writer asks IsNumber of every value it writes.

namespace {

std::string::size_type SkipWhiteSpace(const std::string& text) {
    std::string::size_type i = 0;
    while (i < text.size() && String::IsWhiteSpace(text[i])) {
        ++i;
    }
    return i;
}

std::string::size_type SkipDigits(const std::string& text, std::string::size_type i) {
    while (i < text.size() && String::IsDigit(text[i])) {
        ++i;
    }
    return i;
}

// Grammar of a formatted double extraction: sign, digits with at most one
// point (at least one digit), optional exponent with at least one digit.
// Returns true when it spans the text from 'start' to the end.
bool IsDoubleSyntax(const std::string& text, std::string::size_type start) {
    std::string::size_type i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::string::size_type intBegin = i;
    i = SkipDigits(text, i);
    bool hasDigits = i > intBegin;
    if (i < text.size() && text[i] == '.') {
        const std::string::size_type fracBegin = ++i;
        i = SkipDigits(text, i);
        hasDigits = hasDigits || i > fracBegin;
    }
    if (!hasDigits) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        const std::string::size_type expBegin = i;
        i = SkipDigits(text, i);
        if (i == expBegin) {
            return false;
        }
    }
    return i == text.size();
}

locale_t ClassicLocale() {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return classic;
}

bool ReadDouble(const std::string& text, double& value) {
    const std::string::size_type start = SkipWhiteSpace(text);
    const locale_t classic = ClassicLocale();
    if (!IsDoubleSyntax(text, start) || classic == static_cast<locale_t>(0)) {
        return false;
    }
    value = strtod_l(text.c_str() + start, nullptr, classic);
    // Overflow fails; underflow gives zero or a denormal and is accepted.
    return !std::isinf(value);
}

}  // namespace

std::string String::IntToString(int value) {
    char buffer[16];
    const std::to_chars_result res = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, res.ptr);
}

void String::IntToString(std::string& result, int value) {
    result = IntToString(value);
}

std::string String::DoubleToString(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

int String::StringToInt(const std::string& text) {
    return CharClass::StringToInt(text);
}

double String::StringToDouble(const std::string& text) {
    double value = 0;
    if (!ReadDouble(text, value)) {
        CharClass::ThrowConversion(text, "String::StringToDouble");
    }
    return value;
}

bool String::StringToBoolean(const std::string& text) {
    return StringToInt(text) != 0;
}

bool String::IsNumber(const std::string& text) {
    // Same verdict as StringToDouble, without the cost of a throw per non-number.
    double value = 0;
    return ReadDouble(text, value);
}

void String::LowerCase(const std::string& in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    for (const char c : in) {
        out.push_back(CharToLower(c));
    }
}

void String::LowerCase(std::string& text) {
    for (char& c : text) {
        c = CharToLower(c);
    }
}

void String::UpperCase(const std::string& in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    for (const char c : in) {
        out.push_back(CharToUpper(c));
    }
}

void String::UpperCase(std::string& text) {
    for (char& c : text) {
        c = CharToUpper(c);
    }
}

void String::RemoveWhiteSpace(const std::string& in, std::string& out) {
    std::string result;
    result.reserve(in.size());
    for (const char c : in) {
        if (!IsWhiteSpace(c)) {
            result.push_back(c);
        }
    }
    out.swap(result);
}

void String::StripLeadingWhiteSpace(std::string& text) {
    text.erase(0, SkipWhiteSpace(text));
}

void String::StripTrailingWhiteSpace(std::string& text) {
    std::string::size_type end = text.size();
    while (end > 0 && IsWhiteSpace(text[end - 1])) {
        --end;
    }
    text.erase(end);
}

void String::StripAndCompressWhiteSpace(std::string& text) {
    StripLeadingWhiteSpace(text);
    StripTrailingWhiteSpace(text);
    std::string::size_type out = 0;
    bool inRun = false;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (IsWhiteSpace(text[i])) {
            if (!inRun) {
                text[out++] = ' ';
            }
            inRun = true;
        } else {
            text[out++] = text[i];
            inRun = false;
        }
    }
    text.resize(out);
}

void String::StripAndBlankWhiteSpace(std::string& text) {
    StripLeadingWhiteSpace(text);
    StripTrailingWhiteSpace(text);
    for (char& c : text) {
        if (IsWhiteSpace(c)) {
            c = ' ';
        }
    }
}

void String::Replace(std::string& text, const std::string& search, const std::string& replacement) {
    if (text.empty() || search.empty() || replacement.empty()) {
        return;
    }
    std::string::size_type pos = text.find(search);
    while (pos != std::string::npos) {
        text.replace(pos, search.size(), replacement);
        pos = text.find(search, pos + replacement.size());
    }
}

void String::UnEscape(std::string& out, const std::string& in) {
    out = in;
    Replace(out, "\\n", "\n");
    Replace(out, "\\t", "\t");
    Replace(out, "\\r", "\r");
}

bool String::IsEqual(const std::string& a, const std::string& b, CompareType compareType) {
    return StringEqual(compareType)(a, b);
}

bool String::IsCiEqual(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::string::size_type i = 0; i < a.size(); ++i) {
        if (CharToLower(a[i]) != CharToLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool String::IsInList(const std::string& text, const std::vector<std::string>& list,
                      CompareType compareType) {
    const StringEqual equal(compareType);
    for (const std::string& element : list) {
        if (equal(element, text)) {
            return true;
        }
    }
    return false;
}

bool String::IsCiInList(const std::string& text, const std::vector<std::string>& list) {
    return IsInList(text, list, CaseInsensitive);
}
