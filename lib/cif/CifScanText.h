#ifndef TESRA_CIF_CIFSCANTEXT_H
#define TESRA_CIF_CIFSCANTEXT_H

#include <cstdint>
#include <cstring>

// The byte classes and word-at-a-time searches of CifScanner's hot loops,
// in a header so that the scanner's common token is read inline where the
// reader asks for it.
namespace cifscan {

// Character classes of the hot loops, by byte value. VT and FF separate
// tokens like blanks but are control characters all the same.
enum CharClass : unsigned char {
    kOther = 0,
    kBlank = 1,
    kLf = 2,
    kCr = 3,
    kControlBlank = 4,
    kHash = 5
};

struct ClassTable {
    unsigned char cls[256];
    constexpr ClassTable() : cls() {
        for (int c = 0; c < 256; ++c) {
            cls[c] = kOther;
        }
        cls[static_cast<unsigned char>(' ')] = kBlank;
        cls[static_cast<unsigned char>('\t')] = kBlank;
        cls[11] = kControlBlank;
        cls[12] = kControlBlank;
        cls[static_cast<unsigned char>('\n')] = kLf;
        cls[static_cast<unsigned char>('\r')] = kCr;
        cls[static_cast<unsigned char>('#')] = kHash;
    }
};

inline constexpr ClassTable kClasses;

inline unsigned char ClassOf(char c) {
    return kClasses.cls[static_cast<unsigned char>(c)];
}

// Whitespace: blanks and line ends.
inline bool IsSpaceClass(unsigned char cls) {
    return cls >= kBlank && cls <= kControlBlank;
}

// C0 control characters other than tab, LF and CR: refused outside text fields.
inline bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// Word-at-a-time scans of the two runs that make up most of a CIF text: the
// blanks that align columns, and the characters of a bare value. Eight bytes
// are tested at once where eight remain; the rest byte by byte.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ && defined(__GNUC__)
inline constexpr bool kWordScan = true;
#else
inline constexpr bool kWordScan = false;
#endif

inline std::uint64_t Load8(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Byte offset of the lowest flagged byte of a non-zero mask (little-endian).
inline unsigned int FirstFlagged(std::uint64_t mask) {
#if defined(__GNUC__)
    return static_cast<unsigned int>(__builtin_ctzll(mask)) / 8;
#else
    unsigned int n = 0;
    while ((mask & 0xFF) == 0) {
        mask >>= 8;
        ++n;
    }
    return n;
#endif
}

// The first character at or after p that is not ' ' (or end).
inline const char* SkipBlanks(const char* p, const char* end) {
    if (kWordScan) {
        while (end - p >= 8) {
            const std::uint64_t other = Load8(p) ^ 0x2020202020202020ULL;
            if (other != 0) {
                return p + FirstFlagged(other);
            }
            p += 8;
        }
    }
    while (p < end && *p == ' ') {
        ++p;
    }
    return p;
}

// The first whitespace character at or after p (or end); onControl(c) is
// called for each control character passed.
template <class OnControl>
inline const char* FindSpace(const char* p, const char* end, OnControl onControl) {
    if (kWordScan) {
        while (end - p >= 8) {
            const std::uint64_t word = Load8(p);
            // Flags the bytes below 0x21; the lowest flag is always exact.
            const std::uint64_t low =
                (word - 0x2121212121212121ULL) & ~word & 0x8080808080808080ULL;
            if (low == 0) {
                p += 8;
                continue;
            }
            p += FirstFlagged(low);
            if (IsSpaceClass(ClassOf(*p))) {
                return p;
            }
            onControl(*p);
            ++p;
        }
    }
    for (; p < end && !IsSpaceClass(ClassOf(*p)); ++p) {
        if (IsControl(*p)) {
            onControl(*p);
        }
    }
    return p;
}

// The first quote character or byte below 0x20 (control character or line
// end) at or after p, or end: the bytes a quoted value must look at.
inline const char* FindQuoteOrLow(const char* p, const char* end, char quote) {
    if (kWordScan) {
        const std::uint64_t quotes = 0x0101010101010101ULL * static_cast<unsigned char>(quote);
        while (end - p >= 8) {
            const std::uint64_t word = Load8(p);
            const std::uint64_t other = word ^ quotes;
            // Flags the quotes and the bytes below 0x20; the lowest flag of
            // each test is exact, and so is the lowest of both.
            const std::uint64_t flags = (((other - 0x0101010101010101ULL) & ~other) |
                                         ((word - 0x2020202020202020ULL) & ~word)) &
                                        0x8080808080808080ULL;
            if (flags != 0) {
                return p + FirstFlagged(flags);
            }
            p += 8;
        }
    }
    for (; p < end && *p != quote && static_cast<unsigned char>(*p) >= 0x20; ++p) {
    }
    return p;
}

// What a token that starts with that byte is, by byte value, when it is read
// inline: a bare value (not whitespace, a comment, a quote, a text field's
// ';', a data name's '_', or the first letter of a reserved word), a data
// name, or neither.
enum InlineStart : unsigned char { kNotInline = 0, kPlainValue = 1, kDataName = 2 };

struct InlineStartTable {
    unsigned char start[256];
    constexpr InlineStartTable() : start() {
        for (int c = 0; c < 256; ++c) {
            start[c] = kClasses.cls[c] == kOther ? kPlainValue : kNotInline;
        }
        for (const char c : {'#', ';', '\'', '"', 'd', 'D', 's', 'S', 'l', 'L', 'g', 'G'}) {
            start[static_cast<unsigned char>(c)] = kNotInline;
        }
        start[static_cast<unsigned char>('_')] = kDataName;
    }
};

inline constexpr InlineStartTable kInlineStart;

}  // namespace cifscan

#endif  // TESRA_CIF_CIFSCANTEXT_H
