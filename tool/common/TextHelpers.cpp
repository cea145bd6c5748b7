#include "common/TextHelpers.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string float_to_string(float value, int decimals) {
    if (decimals < 0)
        decimals = 0;
    const double widened = value;
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, widened);
    if (length <= 0)
        return std::string();
    std::string result(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(&result[0], result.size(), "%.*f", decimals, widened);
    result.resize(static_cast<std::size_t>(length));
    return result;
}

void double_to_string(std::string& result, const char* format, double value) {
    char buffer[100];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    // snprintf truncates to the buffer; a failure leaves the empty text.
    result.assign(length < 0 ? "" : buffer);
}

std::string int_to_string(int value) {
    return std::to_string(value);
}

bool is_finite_float(double value) {
    return std::isfinite(value) && std::fabs(value) <= FLT_MAX;
}

bool read_finite_float(const std::string& word, float& value) {
    const double number = std::strtod(word.c_str(), nullptr);
    // Narrowing a number beyond the float range is undefined, so it is
    // refused before the cast.
    if (!is_finite_float(number))
        return false;
    value = static_cast<float>(number);
    return true;
}

std::istream& read_text_line(std::istream& in, std::string& line) {
    if (std::getline(in, line) && !line.empty() && line.back() == '\r')
        line.pop_back();
    return in;
}

std::string shown_word(const std::string& word) {
    constexpr std::size_t kShown = 40;
    return word.size() <= kShown ? word : word.substr(0, kShown) + "...";
}

std::vector<std::string> split_string(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type found = text.find(separator, start);
        if (found == std::string::npos) {
            pieces.emplace_back(text, start);
            return pieces;
        }
        pieces.emplace_back(text, start, found - start);
        start = found + separator.size();
    }
}

std::vector<std::string> split_at_blanks(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool after_blank = true;
    for (const char c : line) {
        if (c == ' ') {
            if (!after_blank) {
                words.push_back(std::move(word));
                word.clear();
            }
            after_blank = true;
        } else {
            after_blank = false;
            word += c;
        }
    }
    words.push_back(std::move(word));
    return words;
}

std::string join_strings(const std::vector<std::string>& parts, const std::string& separator) {
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            joined += separator;
        joined += parts[i];
    }
    return joined;
}

std::ostream& print_words(std::ostream& out, const std::vector<std::string>& words) {
    for (const std::string& word : words) out << word << ' ';
    return out;
}

std::string trim(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const std::string::size_type last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}
