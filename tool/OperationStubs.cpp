// Handlers not yet provided by this build. Each one refuses the run instead of
// pretending to have done its work. A handler's real definition replaces its
// stub here.
#include <cstdlib>
#include <iostream>

#include "Operations.h"

namespace {
[[noreturn]] void not_provided(const char* name) {
    std::cerr << "tesra-rovidev: operation handler " << name << " is not provided by this build"
              << std::endl;
    std::exit(1);
}
}  // namespace
