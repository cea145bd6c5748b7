#ifndef TESRA_TOOL_RUN_OPERATIONCODE_H
#define TESRA_TOOL_RUN_OPERATIONCODE_H

#include <string>

// The operations of tesra-rovidev, one per run, with their fixed codes.
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

constexpr int operation_count = 25;

// The code of an operation name (exact, case-sensitive), or -1 for an unknown name.
int operation_code(const std::string& name);

// The name of a code 0..24; "" for any other value.
std::string operation_name(int code);

// True when this build has a handler for the operation. The editing,
// chirality, hydrogen, coordinate-field, CONECT and TNT operations are not
// provided.
bool operation_is_provided(int code);

// True for the operations after which the driver writes the edited dictionary
// back (the others write their own files or nothing).
bool operation_writes_dictionary(int code);

#endif
