#ifndef TESRA_TOOL_RUN_TUNINGKEYS_H
#define TESRA_TOOL_RUN_TUNINGKEYS_H

#include <ostream>
#include <string>
#include <vector>

#include "common/TuningParameters.h"

// The command-line keys of the tuning settings: each key is the name of the
// TuningParameters field it sets. The electron-cloud values have no key.
struct TuningKey {
    const char* key;
    float TuningParameters::*field;
};

// Every key, in the order of the record's fields.
const std::vector<TuningKey>& tuning_keys();

// Sets the field of the key (exact, case-sensitive) and returns true; an
// unknown key changes nothing and returns false.
bool set_tuning_value(TuningParameters& settings, const std::string& key, float value);

// One "key=value" line per key, values in the stream's default number form.
void print_tuning_settings(std::ostream& out, const TuningParameters& settings);

#endif
