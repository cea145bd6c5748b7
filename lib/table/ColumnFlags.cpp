#include "table/ColumnFlags.h"

#include <locale>
#include <sstream>

#include "foundation/String.h"

namespace {

const std::string::size_type INTEGER_KEY_WIDTH = 11;

// Appends the integer component of `value` (see ColumnKey::MakeIntegerKey).
void AppendIntegerComponent(std::string& out, const std::string& value) {
    const std::string::size_type length = value.size();
    if (length > INTEGER_KEY_WIDTH)
        return;
    if (length == 0) {
        out.append(INTEGER_KEY_WIDTH, '0');
        return;
    }

    const long long number = String::StringToInt(value);
    if (number >= 0) {
        out.append(INTEGER_KEY_WIDTH - length, '0');
        out.append(value);
        return;
    }

    // Nines' complement of the digits, so that byte order of negative
    // components follows numeric order. The nines are read back through
    // StringToInt, which refuses ten of them: an 11-character negative
    // value has no key.
    const long long nines = String::StringToInt(std::string(length - 1, '9'));
    const std::string digits = std::to_string(number + nines);
    out.push_back('-');
    out.append(INTEGER_KEY_WIDTH - length, '9');
    if (digits.size() < length - 1)
        out.append(length - 1 - digits.size(), '0');
    out.append(digits);
}

void AppendLowerCase(std::string& out, const std::string& value) {
    const std::string::size_type start = out.size();
    out.append(value);
    for (std::string::size_type i = start; i < out.size(); ++i)
        out[i] = String::CharToLower(out[i]);
}

void AppendWithoutWhiteSpace(std::string& out, const std::string& value, bool lowerCase) {
    for (const char c : value) {
        if (String::IsWhiteSpace(c))
            continue;
        out.push_back(lowerCase ? String::CharToLower(c) : c);
    }
}

}  // namespace

ColumnFlags ColumnKey::Validate(ColumnFlags flags) {
    const unsigned int type = DataType(flags);
    if (type == 0 || type > 3)
        flags = DEFAULT_COLUMN_FLAGS;
    return static_cast<ColumnFlags>(flags & 0xF3);
}

ColumnFlags ColumnKey::Merge(ColumnFlags stored, ColumnFlags given) {
    unsigned int result = stored;
    if ((given & 0xF0) != 0)
        result = (result & 0x0F) | (given & 0xF0);
    result = (result & ~0x03u) | (given & 0x03u);
    return Validate(static_cast<ColumnFlags>(result));
}

bool ColumnKey::IsCaseInsensitive(ColumnFlags flags) {
    return DataType(flags) == 1 && (flags & COLUMN_CASE_INSENSITIVE) != 0;
}

CompareType ColumnKey::KeyCompareType(ColumnFlags firstColumnFlags) {
    return IsCaseInsensitive(firstColumnFlags) ? CaseInsensitive : CaseSensitive;
}

void ColumnKey::AppendComponent(std::string& key, const std::string& value, ColumnFlags flags) {
    switch (DataType(flags)) {
        case 2:
            AppendIntegerComponent(key, value);
            return;
        case 1: {
            const bool caseInsensitive = (flags & COLUMN_CASE_INSENSITIVE) != 0;
            if ((flags & COLUMN_WHITESPACE_INSENSITIVE) != 0)
                AppendWithoutWhiteSpace(key, value, caseInsensitive);
            else if (caseInsensitive)
                AppendLowerCase(key, value);
            else
                key.append(value);
            return;
        }
        default:
            key.append(value);
            return;
    }
}

void ColumnKey::MakeIntegerKey(const std::string& in, std::string& out) {
    out.clear();
    AppendIntegerComponent(out, in);
}

void ColumnKey::NormalizeText(const std::string& in, std::string& out) {
    out.clear();
    AppendWithoutWhiteSpace(out, in, true);
}

void ColumnKey::MakeDoubleKey(const std::string& in, std::string& out) {
    const double d = String::StringToDouble(in);

    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream.setf(std::ios::scientific, std::ios::floatfield);
    stream.setf(std::ios::showpoint);
    stream.precision(15);
    stream << d;
    const std::string s = stream.str();

    const std::string::size_type point = s.find('.');
    const std::string::size_type e = s.find('e');
    if (point == std::string::npos || e == std::string::npos || e < point)
        return;

    const std::string integral = s.substr(0, point);
    const std::string fraction = s.substr(point + 1, e - point - 1);
    const std::string exponent = s.substr(e + 1);
    const int x = String::StringToInt(exponent);
    const std::string::size_type expLength = exponent.size();
    const std::string::size_type fill = expLength < 4 ? 4 - expLength : 0;

    out.push_back(d >= 0 ? '0' : '-');

    if (x < 0) {
        const int nines = expLength > 1 ? String::StringToInt(std::string(expLength - 1, '9')) : 0;
        const std::string digits = std::to_string(x + nines);
        out.push_back('-');
        out.append(fill, '9');
        if (digits.size() < expLength - 1)
            out.append(expLength - 1 - digits.size(), '0');
        out.append(digits);
    } else {
        out.push_back('0');
        out.append(fill, '0');
        out.append(exponent, 1, std::string::npos);
    }

    if (d >= 0) {
        out.append(integral);
        out.push_back('.');
        out.append(fraction);
    } else {
        const char lead = integral.empty() ? '0' : integral.back();
        out.push_back(static_cast<char>('9' - (lead - '0')));
        out.push_back('.');
        for (const char c : fraction) out.push_back(static_cast<char>('9' - (c - '0')));
    }
}

void ColumnKey::TerminateIndexComponent(std::string& key, std::string::size_type componentStart,
                                        CompareType mapCompareType) {
    // Case-sensitive maps compare unsigned bytes, whose least value is
    // 0x00; case-insensitive maps compare signed bytes, whose least value
    // is 0x80. The terminator is that least byte followed by a byte below
    // the escape's second byte, so an ended component orders first.
    const char low = mapCompareType == CaseInsensitive ? '\x80' : '\x00';
    const char escapeTail = mapCompareType == CaseInsensitive ? '\x7F' : '\xFF';
    const char terminatorTail = mapCompareType == CaseInsensitive ? '\x81' : '\x01';

    std::string::size_type pos = key.find(low, componentStart);
    while (pos != std::string::npos) {
        key.insert(pos + 1, 1, escapeTail);
        pos = key.find(low, pos + 2);
    }
    key.push_back(low);
    key.push_back(terminatorTail);
}
