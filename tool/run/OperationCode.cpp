#include "run/OperationCode.h"

namespace {

struct OperationEntry {
    const char* name;
    OperationCode code;
    bool provided;
};

// Indexed by code.
const OperationEntry operations[operation_count] = {
    {"fixnames", OperationCode::Fixnames, false},
    {"rename-atoms", OperationCode::RenameAtoms, false},
    {"setid", OperationCode::Setid, false},
    {"transcribe", OperationCode::Transcribe, true},
    {"transcribe-mogul", OperationCode::TranscribeMogul, true},
    {"setnamid", OperationCode::Setnamid, false},
    {"cifhet", OperationCode::Cifhet, false},
    {"planesplit", OperationCode::Planesplit, false},
    {"fuseplanes", OperationCode::Fuseplanes, false},
    {"fixforo", OperationCode::Fixforo, false},
    {"flipchirals", OperationCode::Flipchirals, false},
    {"write-mogdict", OperationCode::WriteMogdict, true},
    {"post-pqm", OperationCode::PostPqm, true},
    {"zapchirals", OperationCode::Zapchirals, false},
    {"transcribe-coords", OperationCode::TranscribeCoords, true},
    {"write-qdict", OperationCode::WriteQdict, true},
    {"countchirals", OperationCode::Countchirals, false},
    {"listchirals", OperationCode::Listchirals, false},
    {"fixhydrogen", OperationCode::Fixhydrogen, false},
    {"add-coord-fields", OperationCode::AddCoordFields, false},
    {"refmacdict2tnt", OperationCode::Refmacdict2tnt, false},
    {"conect", OperationCode::Conect, false},
    {"override", OperationCode::Override, true},
    {"write-mogdict-override", OperationCode::WriteMogdictOverride, true},
    {"write-qdict-override", OperationCode::WriteQdictOverride, true},
};

bool valid_code(int code) {
    return code >= 0 && code < operation_count;
}

}  // namespace

int operation_code(const std::string& name) {
    for (const OperationEntry& entry : operations) {
        if (name == entry.name)
            return static_cast<int>(entry.code);
    }
    return -1;
}

std::string operation_name(int code) {
    return valid_code(code) ? operations[code].name : "";
}

bool operation_is_provided(int code) {
    return valid_code(code) && operations[code].provided;
}

bool operation_writes_dictionary(int code) {
    switch (static_cast<OperationCode>(code)) {
        case OperationCode::Transcribe:
        case OperationCode::TranscribeMogul:
        case OperationCode::PostPqm:
        case OperationCode::TranscribeCoords:
        case OperationCode::Override:
            return true;
        default:
            return false;
    }
}
