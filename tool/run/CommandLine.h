#ifndef TESRA_TOOL_RUN_COMMANDLINE_H
#define TESRA_TOOL_RUN_COMMANDLINE_H

#include <stdexcept>
#include <string>
#include <vector>

#include "RovidevParams.h"
#include "common/TuningParameters.h"

// A command line that cannot be run; the driver prints the message with the
// usage text on standard error and ends with status 1 before reading anything.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments that follow the program name into the run's record.
// Tuning settings (tesra_key=value) go to `settings`, each "-verbose" raises
// `verbosity_level`. Positional arguments are checked against the operation;
// for operations this build does not provide they are not checked (the driver
// refuses those runs). Throws UsageError.
RovidevParams parse_command_line(const std::vector<std::string>& args, TuningParameters& settings,
                                 int& verbosity_level);

// Reads a whole argument as a finite single-precision number (leading blanks
// allowed, nothing after the number).
bool parse_float_argument(const std::string& text, float& value);

// The usage text, several lines, for standard error.
std::string usage_text();

#endif
