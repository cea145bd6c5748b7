#ifndef TESRA_TOOL_COMMON_TEXTHELPERS_H
#define TESRA_TOOL_COMMON_TEXTHELPERS_H

#include <istream>
#include <ostream>
#include <string>
#include <vector>

// Small text functions shared by the tool's operations.

// The value widened to double and printed with "%.<decimals>f".
std::string float_to_string(float value, int decimals);

// The value printed with a printf format into a 100-byte buffer.
void double_to_string(std::string& result, const char* format, double value);

// Decimal text of the value ("%d").
std::string int_to_string(int value);

// Reads the number a word starts with as strtod reads it (no number gives 0)
// into `value` in single precision. False, with `value` untouched, when the
// number is not finite there: "nan", an infinity, or beyond the float range
// ("1e39").
bool read_finite_float(const std::string& word, float& value);

// True when the number is finite in single precision as well.
bool is_finite_float(double value);

// As std::getline, except that a carriage return before the line feed (or
// before the end of the text) belongs to the line end, not to the line.
std::istream& read_text_line(std::istream& in, std::string& line);

// A word as the tool's per-record warnings show it: cut after 40 characters
// with "...", so that a huge word does not flood the messages.
std::string shown_word(const std::string& word);

// The pieces between successive separators: "a,,b" gives "a", "", "b"; an empty
// text gives no pieces.
std::vector<std::string> split_string(const std::string& text, const std::string& separator);

// Splits a line at runs of the blank character (0x20 only; tabs and carriage
// returns belong to words). Leading blanks give no word, a trailing blank gives
// an empty last word, an empty line gives one empty word; never empty.
std::vector<std::string> split_at_blanks(const std::string& line);

// The strings joined with the separator between them.
std::string join_strings(const std::vector<std::string>& parts, const std::string& separator);

// Writes each word followed by one blank.
std::ostream& print_words(std::ostream& out, const std::vector<std::string>& words);

// The text without leading and trailing blanks (space characters only; tabs
// stay). An empty or all-blank text gives the empty text.
std::string trim(const std::string& text);

// The restraint-listing code knows trim by this name.
inline std::string trim_spaces(const std::string& text) {
    return trim(text);
}

#endif
