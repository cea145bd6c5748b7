#ifndef TESRA_FOUNDATION_FIXEDPOINT_H
#define TESRA_FOUNDATION_FIXEDPOINT_H

#include <cstddef>

#include "foundation/String.h"

// The fixed-point rewrite (String::IsScientific, GetExponent, GetMantissa,
// MakeFixedNumber, ScientificToFixed) is declared in String.h and defined in
// FixedPoint.cpp. An exponent is free to be huge ("0e2147483647" reads as a
// valid zero), so a result longer than this is refused rather than built.
constexpr std::size_t FixedNumberMaxLength = 4096;

#endif  // TESRA_FOUNDATION_FIXEDPOINT_H
