#ifndef TESRA_TOOL_ROVIDEVPARAMS_H
#define TESRA_TOOL_ROVIDEVPARAMS_H

#include <string>

// The operations of tesra-rovidev, one per run, with their fixed codes. What
// each one takes and does is one row of the operations table
// (run/OperationCode.cpp).
enum class OperationCode : int {
    Fixnames = 0,
    RenameAtoms = 1,
    Setid = 2,
    Transcribe = 3,
    TranscribeMogul = 4,
    Setnamid = 5,
    Cifhet = 6,
    Planesplit = 7,
    Fuseplanes = 8,
    Fixforo = 9,
    Flipchirals = 10,
    WriteMogdict = 11,
    PostPqm = 12,
    Zapchirals = 13,
    TranscribeCoords = 14,
    WriteQdict = 15,
    Countchirals = 16,
    Listchirals = 17,
    Fixhydrogen = 18,
    AddCoordFields = 19,
    Refmacdict2tnt = 20,
    Conect = 21,
    Override = 22,
    WriteMogdictOverride = 23,
    WriteQdictOverride = 24,
};

// The driver's parameter record, filled by the command-line parser.
struct RovidevParams {
    // The operation the run performs: the one named, except that the
    // -override forms of write-mogdict and write-qdict run as those two (with
    // override_mode set).
    OperationCode operation = OperationCode::Fixnames;
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
