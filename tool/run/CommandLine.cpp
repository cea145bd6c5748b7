#include "run/CommandLine.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "run/OperationCode.h"
#include "run/TuningKeys.h"

namespace {

bool starts_with(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

void set_tuning_argument(const std::string& arg, TuningParameters& settings) {
    const std::string::size_type eq = arg.find('=');
    const std::string key = arg.substr(0, eq);
    const std::string text = arg.substr(eq + 1);
    float value = 0.0f;
    if (!parse_float_argument(text, value)) {
        throw UsageError("the value of " + key + " is not a number: \"" + text + "\"");
    }
    if (!set_tuning_value(settings, key, value)) {
        throw UsageError("unknown tuning setting \"" + key + "\"");
    }
}

void require_count(const std::vector<std::string>& files, std::size_t low, std::size_t high,
                   const std::string& operation) {
    if (files.size() < low || files.size() > high) {
        std::string wanted = std::to_string(low);
        if (high != low)
            wanted += " or " + std::to_string(high);
        throw UsageError("operation " + operation + " takes " + wanted + " file arguments, " +
                         std::to_string(files.size()) + " given");
    }
}

// Places the positional file arguments where the operation expects them.
void assign_files(RovidevParams& params, const std::vector<std::string>& files,
                  const OperationRow& operation) {
    require_count(files, operation.min_files, operation.max_files, operation.name);
    params.input_filename = files[0];
    if (operation.max_files == 2) {
        params.output_filename = files[1];
        return;
    }
    params.extradata_filename = files[1];
    params.output_filename = files[2];
    if (files.size() > 3)
        params.extra2 = files[3];
    if (files.size() > 4)
        params.extra3 = files[4];
}

}  // namespace

bool parse_float_argument(const std::string& text, float& value) {
    if (text.empty())
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || errno == ERANGE)
        return false;
    if (!std::isfinite(parsed) || std::fabs(parsed) > FLT_MAX)
        return false;
    value = static_cast<float>(parsed);
    return true;
}

RovidevParams parse_command_line(const std::vector<std::string>& args, TuningParameters& settings,
                                 int& verbosity_level) {
    RovidevParams params;
    std::size_t i = 0;
    if (!args.empty() && (args[0] == "-silent" || args[0] == "--silent")) {
        params.silent = true;
        i = 1;
    }

    const OperationRow* operation = nullptr;
    // Arguments after the operation name other than the general ones
    // (-verbose, -allparams, tesra_ settings): -planekill must come first.
    std::size_t operation_args_seen = 0;
    bool thorough_seen = false;
    bool ecloud_seen = false;
    std::vector<std::string> files;

    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-verbose") {
            ++verbosity_level;
        } else if (arg == "-allparams") {
            params.allparams = true;
        } else if (starts_with(arg, "tesra_") && arg.find('=') != std::string::npos) {
            set_tuning_argument(arg, settings);
        } else if (arg == "-planekill") {
            if (operation == nullptr || (operation->options & kPlanekill) == 0 ||
                operation_args_seen != 0) {
                throw UsageError(
                    "-planekill is an option of transcribe and must follow the operation name");
            }
            if (i + 1 >= args.size())
                throw UsageError("-planekill needs a value");
            float value = 0.0f;
            if (!parse_float_argument(args[i + 1], value)) {
                throw UsageError("the value of -planekill is not a number: \"" + args[i + 1] +
                                 "\"");
            }
            params.planekill = value;
            params.planekill_given = true;
            ++i;
        } else if (arg == "-thorough") {
            thorough_seen = true;
            ++operation_args_seen;
        } else if (arg == "-ecloud") {
            ecloud_seen = true;
            ++operation_args_seen;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option \"" + arg + "\"");
        } else if (operation == nullptr) {
            operation = find_operation(arg);
            if (operation == nullptr)
                throw UsageError("unknown operation \"" + arg + "\"");
        } else {
            files.push_back(arg);
            ++operation_args_seen;
        }
    }

    if (operation == nullptr)
        throw UsageError("no operation given");
    params.operation = operation->runs_as;
    params.override_mode = operation->override_mode;

    if (thorough_seen) {
        if ((operation->options & kThorough) == 0)
            throw UsageError("-thorough is an option of transcribe and transcribe-mogul only");
        params.thorough = true;
    }
    if (ecloud_seen) {
        if ((operation->options & kEcloud) == 0)
            throw UsageError("-ecloud is an option of write-mogdict only");
        params.ecloud = true;
    }

    if (!operation->provided())
        return params;

    params.do_bonds = params.do_angles = operation->transcribes_geometry && !params.planekill_given;
    assign_files(params, files, *operation);
    return params;
}

std::string usage_text() {
    return "Usage: tesra-rovidev [-silent] <operation> [options] <files> [tesra_key=value ...]"
           " [-verbose] [-allparams]\n"
           "  transcribe [-planekill <sigma>] [-thorough] <input.cif> <listing> <output.cif>\n"
           "  post-pqm <input.cif> <listing> <output.cif> <geometry file> <veto-planebond file>\n"
           "  transcribe-mogul [-thorough] <input.cif> <mogul results> <output.cif>\n"
           "  transcribe-coords <input.cif> <coordinates.pdb> <output.cif>\n"
           "  override <input.cif> <output.cif>\n"
           "  write-mogdict [-ecloud] <input.cif> <mogul results> <geometry file> [<veto-planebond "
           "file>]\n"
           "  write-mogdict-override [-ecloud] <input.cif> <mogul results> <geometry file>"
           " [<veto-planebond file>]\n"
           "  write-qdict <input.cif> <geometry file>\n"
           "  write-qdict-override <input.cif> <geometry file>\n"
           "  -verbose raises the level of trace output (may be repeated); -allparams lists the\n"
           "  tuning settings; each setting may be changed with tesra_key=value.\n";
}
