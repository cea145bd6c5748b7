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

void transcribe_mogul(Block&, std::string, bool) { not_provided("transcribe_mogul"); }

void write_mogdict(Block&, std::string, bool, bool, bool, std::string, std::string,
                   const ExceptionDictionary&, std::string) {
    not_provided("write_mogdict");
}

void write_qdict(Block&, std::string, const ExceptionDictionary&) { not_provided("write_qdict"); }

void apply_exception_dictionary(Block&, const ExceptionDictionary&) {
    not_provided("apply_exception_dictionary");
}

ExceptionDictionary load_exception_dictionary(std::string) {
    not_provided("load_exception_dictionary");
}

RestraintListing read_restraint_listing(std::string) { not_provided("read_restraint_listing"); }

void apply_transcribed_restraints(const RovidevParams&, Block&, const RestraintListing&,
                                  const PlaneAtomMap&, bool) {
    not_provided("apply_transcribed_restraints");
}

void transcribe_coords(Block&, std::string) { not_provided("transcribe_coords"); }
