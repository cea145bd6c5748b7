#include "validate/TypePattern.h"

#include <locale.h>

namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

// The C locale for the calling thread while the scope lasts. Should the
// locale object be missing, uselocale(0) changes nothing.
class CLocaleScope {
public:
    CLocaleScope() : _previous(uselocale(CLocale())) {}
    ~CLocaleScope() {
        if (_previous != static_cast<locale_t>(0)) {
            uselocale(_previous);
        }
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t _previous;
};

}  // namespace

TypePattern::TypePattern(const std::string& construct) : _regex(), _compiled(false) {
    std::string pattern;
    ConvertEscapes(construct, pattern);
    if (pattern.empty()) {
        return;
    }
    const CLocaleScope cLocale;
    _compiled = regcomp(&_regex, pattern.c_str(), REG_EXTENDED) == 0;
}

TypePattern::~TypePattern() {
    if (_compiled) {
        regfree(&_regex);
    }
}

TypePattern::Match TypePattern::Test(const std::string& value) const {
    // Only the whole match is read, so one slot is enough.
    regmatch_t match[1];
    const CLocaleScope cLocale;
    if (regexec(&_regex, value.c_str(), 1, match, 0) != 0) {
        return NO_MATCH;
    }
    const auto length = static_cast<std::string::size_type>(match[0].rm_eo - match[0].rm_so);
    return length == value.size() ? WHOLE_MATCH : PART_MATCH;
}

void TypePattern::ConvertEscapes(const std::string& construct, std::string& pattern) {
    pattern.clear();
    pattern.reserve(construct.size());
    for (std::string::size_type i = 0; i < construct.size(); ++i) {
        const char c = construct[i];
        const char next = i + 1 < construct.size() ? construct[i + 1] : '\0';
        if (c == '\\' && (next == '\\' || next == 't' || next == 'n')) {
            pattern.push_back(next == 't' ? '\t' : next == 'n' ? '\n' : '\\');
            ++i;
        } else {
            pattern.push_back(c);
        }
    }
}
