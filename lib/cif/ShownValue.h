#ifndef TESRA_CIF_SHOWNVALUE_H
#define TESRA_CIF_SHOWNVALUE_H

#include <string>
#include <string_view>

// A value as the reader's messages quote it: in double quotes, cut after 40
// characters with "..." so that a huge value does not flood the diagnostics.
std::string ShownValue(std::string_view text);

#endif  // TESRA_CIF_SHOWNVALUE_H
