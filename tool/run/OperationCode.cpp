#include "run/OperationCode.h"

#include "Operations.h"
#include "common/ExceptionDictionary.h"

namespace {

// The handlers: each calls its family's entry point with what the run's
// record holds for it.

void run_transcribe(const RovidevParams& params, Block& block, const std::string&,
                    const ExceptionDictionary&) {
    transcribe(params, block);
}

void run_post_pqm(const RovidevParams& params, Block& block, const std::string&,
                  const ExceptionDictionary&) {
    post_pqm(params, block);
}

void run_transcribe_mogul(const RovidevParams& params, Block& block, const std::string&,
                          const ExceptionDictionary&) {
    transcribe_mogul(block, params.extradata_filename, params.thorough);
}

// The GEOMETRY file is the third file, the VETO-PLANEBOND file the optional fourth.
void run_write_mogdict(const RovidevParams& params, Block& block, const std::string& compound_code,
                       const ExceptionDictionary& exceptions) {
    write_mogdict(block, params.extradata_filename, true, true, params.ecloud,
                  params.output_filename, compound_code, exceptions, params.extra2);
}

void run_transcribe_coords(const RovidevParams& params, Block& block, const std::string&,
                           const ExceptionDictionary&) {
    transcribe_coords(block, params.extradata_filename);
}

void run_write_qdict(const RovidevParams& params, Block& block, const std::string&,
                     const ExceptionDictionary& exceptions) {
    write_qdict(block, params.output_filename, exceptions);
}

void run_override(const RovidevParams&, Block& block, const std::string&,
                  const ExceptionDictionary& exceptions) {
    apply_exception_dictionary(block, exceptions);
}

using Code = OperationCode;

// An operation this build does not provide: refused before its files are checked.
constexpr OperationRow not_provided(const char* name, OperationCode code) {
    return OperationRow{name, code, 0, 0, 0, false, false, false, code, nullptr};
}

// Indexed by code. Columns: name, code, least and most files, options,
// override_mode, writes_dictionary, transcribes_geometry, runs_as, handler.
// clang-format off
const std::array<OperationRow, operation_count> operations = {{
    not_provided("fixnames", Code::Fixnames),
    not_provided("rename-atoms", Code::RenameAtoms),
    not_provided("setid", Code::Setid),
    {"transcribe",             Code::Transcribe,           3, 3, kThorough | kPlanekill, false, true,  true,  Code::Transcribe,       run_transcribe},
    {"transcribe-mogul",       Code::TranscribeMogul,      3, 3, kThorough,              false, true,  true,  Code::TranscribeMogul,  run_transcribe_mogul},
    not_provided("setnamid", Code::Setnamid),
    not_provided("cifhet", Code::Cifhet),
    not_provided("planesplit", Code::Planesplit),
    not_provided("fuseplanes", Code::Fuseplanes),
    not_provided("fixforo", Code::Fixforo),
    not_provided("flipchirals", Code::Flipchirals),
    {"write-mogdict",          Code::WriteMogdict,         3, 4, kEcloud,                false, false, true,  Code::WriteMogdict,     run_write_mogdict},
    {"post-pqm",               Code::PostPqm,              5, 5, 0,                      false, true,  true,  Code::PostPqm,          run_post_pqm},
    not_provided("zapchirals", Code::Zapchirals),
    {"transcribe-coords",      Code::TranscribeCoords,     3, 3, 0,                      false, true,  true,  Code::TranscribeCoords, run_transcribe_coords},
    {"write-qdict",            Code::WriteQdict,           2, 2, 0,                      false, false, false, Code::WriteQdict,       run_write_qdict},
    not_provided("countchirals", Code::Countchirals),
    not_provided("listchirals", Code::Listchirals),
    not_provided("fixhydrogen", Code::Fixhydrogen),
    not_provided("add-coord-fields", Code::AddCoordFields),
    not_provided("refmacdict2tnt", Code::Refmacdict2tnt),
    not_provided("conect", Code::Conect),
    {"override",               Code::Override,             2, 2, 0,                      true,  true,  false, Code::Override,         run_override},
    {"write-mogdict-override", Code::WriteMogdictOverride, 3, 4, kEcloud,                true,  false, true,  Code::WriteMogdict,     run_write_mogdict},
    {"write-qdict-override",   Code::WriteQdictOverride,   2, 2, 0,                      true,  false, false, Code::WriteQdict,       run_write_qdict},
}};
// clang-format on

}  // namespace

const std::array<OperationRow, operation_count>& operation_table() {
    return operations;
}

const OperationRow* find_operation(const std::string& name) {
    for (const OperationRow& row : operations) {
        if (name == row.name)
            return &row;
    }
    return nullptr;
}

const OperationRow& operation_row(OperationCode code) {
    return operations[static_cast<std::size_t>(code)];
}
