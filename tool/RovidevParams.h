#ifndef TESRA_TOOL_ROVIDEVPARAMS_H
#define TESRA_TOOL_ROVIDEVPARAMS_H

#include <string>

// The driver's parameter record, filled by the command-line parser.
struct RovidevParams {
    int operation = -1;          // the OperationCode of the run
    bool override_mode = false;  // override, write-mogdict-override, write-qdict-override
    bool silent = false;         // "-silent" / "--silent" as the first argument
    bool allparams = false;      // "-allparams"
    bool thorough = false;       // "-thorough"
    bool ecloud = false;         // "-ecloud"
    std::string input_filename;
    std::string extradata_filename = "extradata_filename not set";
    std::string output_filename;
    std::string extra2;
    std::string extra3;
    bool do_bonds = false;
    bool do_angles = false;
    bool planekill_given = false;
    float planekill = -7.0f;
};

#endif
