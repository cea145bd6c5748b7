#ifndef TESRA_TOOL_RUN_DRIVER_H
#define TESRA_TOOL_RUN_DRIVER_H

#include <string>
#include <vector>

// One run of tesra-rovidev with the arguments that follow the program name:
// command line, environment, input check, comment stripping, parsing, block
// checks, the operation per compound and writing the result. Returns the exit
// status: every step that ends the run early prints its message and throws
// RunEnd, which is turned into the status here and nowhere else. Exceptions
// of the library pass through to the caller.
int run_rovidev(const std::vector<std::string>& args);

#endif
