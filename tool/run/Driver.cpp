#include "run/Driver.h"

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "Operations.h"
#include "RovidevParams.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "common/ExceptionDictionary.h"
#include "common/RunStatus.h"
#include "common/TableHelpers.h"
#include "foundation/MirtFile.h"
#include "io/CommentKeeper.h"
#include "io/FileText.h"
#include "run/CommandLine.h"
#include "run/OperationCode.h"
#include "run/TuningKeys.h"
#include "table/ISTable.h"

namespace {

constexpr const char* list_block = "comp_list";

// Runs the operation for every compound listed in comp_list's chem_comp. Ends
// the run when the dictionary's structure is missing.
void dispatch_compounds(const OperationRow& operation, const RovidevParams& params, CifFile& cif,
                        const ExceptionDictionary& exceptions) {
    Block& list = cif.GetBlock(list_block);
    const ISTable* chem_comp = list.GetTablePtr("chem_comp");
    if (chem_comp == nullptr) {
        std::cerr << " Data table chem_comp not found in data block " << list_block << std::endl;
        throw RunEnd{exit_status::failure};
    }
    if (!chem_comp->IsColumnPresent("id")) {
        std::cerr << " Data table chem_comp of data block " << list_block << " has no column id"
                  << std::endl;
        throw RunEnd{exit_status::failure};
    }
    const TableRows compounds = get_table_columns(list, "chem_comp", {"id", "three_letter_code"});
    if (compounds.empty()) {
        std::cerr << " Data table chem_comp of data block " << list_block << " lists no compound"
                  << std::endl;
        throw RunEnd{exit_status::failure};
    }
    // Every block is looked for before any handler runs, so that a missing
    // one cannot leave the files of the compounds before it behind.
    for (const std::vector<std::string>& compound : compounds) {
        const std::string block_name = "comp_" + compound[0];
        if (!cif.IsBlockPresent(block_name)) {
            std::cerr << " Data block " << block_name << " of compound " << compound[0]
                      << " not found" << std::endl;
            throw RunEnd{exit_status::failure};
        }
    }
    for (const std::vector<std::string>& compound : compounds) {
        operation.run(params, cif.GetBlock("comp_" + compound[0]), compound[1], exceptions);
    }
}

// Writes the dictionary with the input's comments and puts it at the output
// path only when complete.
void write_dictionary(CifFile& cif, const CommentKeeper& comments, const std::string& output) {
    try {
        cif.SetLoopingAll(true);
        std::ostringstream written;
        cif.Write(written);
        replace_file_text(output, comments.restore(written.str()));
    } catch (const std::exception& e) {
        std::cerr << " Can't write output file " << output << ": " << e.what() << std::endl;
        throw RunEnd{exit_status::failure};
    }
}

RovidevParams read_command_line(const std::vector<std::string>& args) {
    try {
        return parse_command_line(args, tuning, verbosity);
    } catch (const UsageError& e) {
        std::cerr << "tesra-rovidev: " << e.what() << "\n" << usage_text();
        throw RunEnd{exit_status::failure};
    }
}

const OperationRow& provided_operation(const RovidevParams& params) {
    const OperationRow& operation = operation_row(params.operation);
    if (!operation.provided()) {
        std::cerr << "tesra-rovidev: operation " << operation.name
                  << " is not provided by this build" << std::endl;
        throw RunEnd{exit_status::failure};
    }
    return operation;
}

// The package data directory, $KTW_home.
std::string package_home() {
    const char* home = std::getenv("KTW_home");
    if (home == nullptr) {
        std::cerr << "KTW_home is not set; please check your setup\n\n";
        throw RunEnd{exit_status::failure};
    }
    return home;
}

ExceptionDictionary load_exceptions(const std::string& home) {
    const char* configured = std::getenv("TESRA_EXCEPTION_DICTIONARY");
    const std::string path = configured != nullptr
                                 ? std::string(configured)
                                 : home + "/autoFARNIX/tesra-data/tesra-exceptions.dat";
    return load_exception_dictionary(path);
}

std::string read_input(const std::string& path) {
    std::string input;
    if (!read_file_text(path, input)) {
        std::cerr << " Can't find file " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    return input;
}

// Parses the stripped input into `cif`; any parser diagnostic ends the run.
void parse_dictionary(const std::string& stripped, const std::string& input_path, CifFile& cif) {
    CifParser parser(cif);
    std::string diagnostics;
    std::string base_name;
    MirtFile::GetBaseName(base_name, input_path);
    parser.ParseString(stripped, diagnostics, base_name + "-parser.log");
    if (!diagnostics.empty()) {
        std::cerr << "[E001] CIF parser returned diagnostics: " << diagnostics;
        if (diagnostics.back() != '\n')
            std::cerr << '\n';
        throw RunEnd{exit_status::failure};
    }
}

// comp_list first, then exactly one compound block.
void check_blocks(CifFile& cif, const std::string& input_path, const OperationRow& operation) {
    std::vector<std::string> blocks;
    cif.GetBlockNames(blocks);
    if (blocks.empty() || blocks.front() != list_block) {
        std::cerr << "[E003] The first data block of " << input_path << " is not " << list_block
                  << std::endl;
        throw RunEnd{exit_status::first_block_not_list};
    }
    if (blocks.size() != 2) {
        std::cerr << "[E002] " << input_path << " holds " << blocks.size() - 1
                  << " compound blocks; operation " << operation.name << " needs exactly one"
                  << std::endl;
        throw RunEnd{exit_status::not_one_compound};
    }
}

void run(const std::vector<std::string>& args) {
    const bool silent = !args.empty() && (args[0] == "-silent" || args[0] == "--silent");
    if (!silent) {
        std::cout << " tesra-rovidev: restraint dictionary operations (tesra)" << std::endl;
    }

    const RovidevParams params = read_command_line(args);
    if (params.allparams)
        print_tuning_settings(std::cout, tuning);
    const OperationRow& operation = provided_operation(params);
    const std::string home = package_home();

    ExceptionDictionary exceptions;
    if (params.override_mode)
        exceptions = load_exceptions(home);

    CommentKeeper comments;
    const std::string stripped = comments.strip(read_input(params.input_filename));
    if (comments.removed_empty_loops())
        std::cerr << "[W004] File contains empty loops; removing them\n";

    CifFile cif(80, "?");
    parse_dictionary(stripped, params.input_filename, cif);
    check_blocks(cif, params.input_filename, operation);
    dispatch_compounds(operation, params, cif, exceptions);
    if (operation.writes_dictionary)
        write_dictionary(cif, comments, params.output_filename);

    if (!silent)
        std::cerr << " ... Normal Termination ... " << std::endl;
}

}  // namespace

int run_rovidev(const std::vector<std::string>& args) {
    try {
        run(args);
    } catch (const RunEnd& end) {
        return end.status;
    }
    return exit_status::success;
}
