#include "run/Driver.h"

#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include "Operations.h"
#include "RovidevParams.h"
#include "cif/CifFile.h"
#include "cif/CifParser.h"
#include "common/ExceptionDictionary.h"
#include "common/TableHelpers.h"
#include "foundation/Exceptions.h"
#include "io/CommentKeeper.h"
#include "io/FileText.h"
#include "io/TempFiles.h"
#include "run/CommandLine.h"
#include "run/OperationCode.h"
#include "run/TuningKeys.h"
#include "table/ISTable.h"

namespace {

constexpr const char* list_block = "comp_list";

std::string base_name_of(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Runs the operation for every compound listed in comp_list's chem_comp.
// Returns 0, or 1 after a message when the dictionary's structure is missing.
int dispatch_compounds(const OperationSpec& operation, const RovidevParams& params, CifFile& cif,
                       const ExceptionDictionary& exceptions) {
    Block& list = cif.GetBlock(list_block);
    const ISTable* chem_comp = list.GetTablePtr("chem_comp");
    if (chem_comp == nullptr) {
        std::cerr << " Data table chem_comp not found in data block " << list_block << std::endl;
        return 1;
    }
    if (!chem_comp->IsColumnPresent("id")) {
        std::cerr << " Data table chem_comp of data block " << list_block << " has no column id"
                  << std::endl;
        return 1;
    }
    const TableRows compounds = get_table_columns(list, "chem_comp", {"id", "three_letter_code"});
    if (compounds.empty()) {
        std::cerr << " Data table chem_comp of data block " << list_block << " lists no compound"
                  << std::endl;
        return 1;
    }
    // Every block is looked for before any handler runs, so that a missing
    // one cannot leave the files of the compounds before it behind.
    for (const std::vector<std::string>& compound : compounds) {
        const std::string block_name = "comp_" + compound[0];
        if (!cif.IsBlockPresent(block_name)) {
            std::cerr << " Data block " << block_name << " of compound " << compound[0]
                      << " not found" << std::endl;
            return 1;
        }
    }
    for (const std::vector<std::string>& compound : compounds) {
        operation.run(params, cif.GetBlock("comp_" + compound[0]), compound[1], exceptions);
    }
    return 0;
}

// Writes the dictionary with the input's comments and puts it at the output
// path only when complete. Returns 0, or 1 after a message.
int write_dictionary(CifFile& cif, const CommentKeeper& comments, const std::string& output) {
    try {
        cif.SetLoopingAll(true);
        const std::string written_path = make_temp_file(temp_directory(), "tesra-rovidev-");
        cif.Write(written_path);
        std::string written;
        if (!read_file_text(written_path, written)) {
            throw std::runtime_error("cannot read back " + written_path);
        }
        remove_temp_file(written_path);
        replace_file_text(output, comments.restore(written));
    } catch (const std::exception& e) {
        std::cerr << " Can't write output file " << output << ": " << e.what() << std::endl;
        remove_all_temp_files();
        return 1;
    }
    return 0;
}

ExceptionDictionary load_exceptions(const char* home) {
    const char* configured = std::getenv("TESRA_EXCEPTION_DICTIONARY");
    const std::string path =
        configured != nullptr ? std::string(configured)
                              : std::string(home) + "/autoFARNIX/tesra-data/tesra-exceptions.dat";
    return load_exception_dictionary(path);
}

}  // namespace

int run_rovidev(const std::vector<std::string>& args) {
    const bool silent = !args.empty() && (args[0] == "-silent" || args[0] == "--silent");
    if (!silent) {
        std::cout << " tesra-rovidev: restraint dictionary operations (tesra)" << std::endl;
    }

    RovidevParams params;
    try {
        params = parse_command_line(args, tuning, verbosity);
    } catch (const UsageError& e) {
        std::cerr << "tesra-rovidev: " << e.what() << "\n" << usage_text();
        return 1;
    }
    if (params.allparams)
        print_tuning_settings(std::cout, tuning);
    const OperationSpec& operation = operation_spec(params.operation);
    if (!operation.provided()) {
        std::cerr << "tesra-rovidev: operation " << operation.name
                  << " is not provided by this build" << std::endl;
        return 1;
    }

    const char* home = std::getenv("KTW_home");
    if (home == nullptr) {
        std::cerr << "KTW_home is not set; please check your setup\n\n";
        return 1;
    }

    ExceptionDictionary exceptions;
    if (params.override_mode)
        exceptions = load_exceptions(home);

    std::string input;
    if (!read_file_text(params.input_filename, input)) {
        std::cerr << " Can't find file " << params.input_filename << std::endl;
        return 1;
    }

    CommentKeeper comments;
    const std::string stripped = comments.strip(input);
    input.clear();
    input.shrink_to_fit();
    if (comments.removed_empty_loops())
        std::cerr << "[W004] File contains empty loops; removing them\n";

    CifFile cif(80, "?");
    {
        CifParser parser(cif);
        std::string diagnostics;
        parser.ParseString(stripped, diagnostics,
                           base_name_of(params.input_filename) + "-parser.log");
        if (!diagnostics.empty()) {
            std::cerr << "[E001] CIF parser returned diagnostics: " << diagnostics;
            if (diagnostics.back() != '\n')
                std::cerr << '\n';
            return 1;
        }
    }

    std::vector<std::string> blocks;
    cif.GetBlockNames(blocks);
    if (blocks.empty() || blocks.front() != list_block) {
        std::cerr << "[E003] The first data block of " << params.input_filename << " is not "
                  << list_block << std::endl;
        return 3;
    }
    if (blocks.size() != 2) {
        std::cerr << "[E002] " << params.input_filename << " holds " << blocks.size() - 1
                  << " compound blocks; operation " << operation.name << " needs exactly one"
                  << std::endl;
        return 2;
    }

    const int status = dispatch_compounds(operation, params, cif, exceptions);
    if (status != 0)
        return status;

    if (operation.writes_dictionary) {
        const int written = write_dictionary(cif, comments, params.output_filename);
        if (written != 0)
            return written;
    }

    if (!silent)
        std::cerr << " ... Normal Termination ... " << std::endl;
    return 0;
}
