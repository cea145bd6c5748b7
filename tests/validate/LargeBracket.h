#ifndef TESRA_TESTS_VALIDATE_LARGEBRACKET_H
#define TESRA_TESTS_VALIDATE_LARGEBRACKET_H

#include <string>

// A bracket expression X of 128 bytes and 126 ranges: ']', then every other
// byte from 0x02 to '>' (or '?' with `shifted`, one byte apart from X), from
// 'A' to '[' and from '`' to 0xfe. It holds b and d but not c, a line feed
// and bytes above 127.
inline std::string LargeBracket(bool shifted = false) {
    std::string bracket = "[]";
    for (int b = 0x02; b <= 0x3e; b += 2) {
        bracket.push_back(static_cast<char>(b == 0x3e && shifted ? 0x3f : b));
    }
    for (int b = 'A'; b <= '['; b += 2) {
        bracket.push_back(static_cast<char>(b));
    }
    for (int b = '`'; b <= 0xfe; b += 2) {
        bracket.push_back(static_cast<char>(b));
    }
    return bracket + "]";
}

#endif  // TESRA_TESTS_VALIDATE_LARGEBRACKET_H
