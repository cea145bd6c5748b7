#ifndef TESRA_CIF_RESERVEDWORDS_H
#define TESRA_CIF_RESERVEDWORDS_H

#include <cstddef>
#include <string_view>

// CIF's reserved words (data_, loop_, save_, stop_, global_) are recognised in
// any case. Only the ASCII letters fold.
inline char CifLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// True when the text starts with the lower-case word, in any case.
inline bool StartsWithReservedWord(std::string_view text, std::string_view word) {
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (CifLower(text[i]) != word[i])
            return false;
    return true;
}

#endif
