#ifndef TESRA_TOOL_RUN_OPERATIONCODE_H
#define TESRA_TOOL_RUN_OPERATIONCODE_H

#include <array>
#include <cstddef>
#include <string>

#include "RovidevParams.h"

class Block;
struct ExceptionDictionary;

// The operations table: everything the command line and the driver know about
// an operation is its one row. Adding an operation, or an option of one, adds
// or changes one row (and its entry point in the family's folder).

// Options an operation takes besides the general ones (-verbose, -allparams,
// tesra_key=value), as bits.
enum OperationOption : unsigned {
    kThorough = 1u << 0,   // -thorough
    kEcloud = 1u << 1,     // -ecloud
    kPlanekill = 1u << 2,  // -planekill <sigma>, directly after the operation name
};

// Runs the operation on one compound: the block of comp_<id>, the compound's
// three-letter code, and the exceptions dictionary (empty unless the row's
// override_mode).
using OperationHandler = void (*)(const RovidevParams& params, Block& block,
                                  const std::string& compound_code,
                                  const ExceptionDictionary& exceptions);

struct OperationRow {
    const char* name;  // as typed on the command line, exact and case-sensitive
    OperationCode code;
    // The positional files after the options, at least and at most. An
    // operation of at most two takes input and output; the others take input,
    // extra data and output, then up to two more (RovidevParams::extra2, extra3).
    std::size_t min_files;
    std::size_t max_files;
    unsigned options;           // OperationOption bits
    bool override_mode;         // reads the exceptions dictionary first
    bool writes_dictionary;     // the driver writes the edited dictionary back
    bool transcribes_geometry;  // do_bonds and do_angles, unless -planekill is given
    OperationCode runs_as;      // RovidevParams::operation: the row itself, but
                                // write-mogdict / write-qdict for their -override forms
    OperationHandler run;       // null: not provided by this build

    bool provided() const { return run != nullptr; }
};

constexpr std::size_t operation_count = 25;

// Every row, indexed by code.
const std::array<OperationRow, operation_count>& operation_table();

// The row of an operation name; null for an unknown name.
const OperationRow* find_operation(const std::string& name);

// The row of a code.
const OperationRow& operation_row(OperationCode code);

#endif
