#ifndef TESRA_TOOL_COMMON_EXCEPTIONDICTIONARY_H
#define TESRA_TOOL_COMMON_EXCEPTIONDICTIONARY_H

#include <map>
#include <string>
#include <utility>

#include "common/AtomKeys.h"

// A bond or angle value with its estimated standard deviation.
struct OverrideValue {
    float value = 0.0f;
    float esd = 0.0f;
};

// Bond and angle values keyed by atom types, from the exceptions dictionary
// file. Both directions of every key are stored, so one lookup in the order
// the atoms stand finds an entry either way.
struct ExceptionDictionary {
    bool enabled = false;
    std::map<BondKey, OverrideValue> bond_overrides;
    std::map<AngleKey, OverrideValue> angle_overrides;
};

// Reads the exceptions dictionary file; a carriage return before a line feed
// belongs to the line end. A file that cannot be opened or read, or a number
// that is not finite, ends the run (status 1); a line it cannot hold ends it
// with status 93.
ExceptionDictionary load_exception_dictionary(std::string path);

#endif
