#include "common/ExceptionDictionary.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <vector>

#include "common/RunStatus.h"
#include "common/TextHelpers.h"

namespace {

// Numbers are read as strtod reads them (longest numeric prefix, none gives 0)
// and kept in single precision.
OverrideValue read_override(const std::string& value_word, const std::string& esd_word) {
    OverrideValue value;
    value.value = static_cast<float>(std::strtod(value_word.c_str(), nullptr));
    value.esd = static_cast<float>(std::strtod(esd_word.c_str(), nullptr));
    return value;
}

[[noreturn]] void refuse_line(const std::string& line, const std::string& path) {
    std::cerr << "Can't handle line\n  " << line << "\nin file " << path << std::endl;
    throw RunEnd{exit_status::bad_exception_line};
}

}  // namespace

ExceptionDictionary load_exception_dictionary(std::string path) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << " Problem opening " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    ExceptionDictionary dictionary;
    std::string line;
    while (std::getline(in, line)) {
        // Words are cut at every single blank, so doubled blanks give empty
        // words and keep their positions.
        const std::vector<std::string> words = split_string(line, " ");
        if (words.empty() || words[0] == "NOTE")
            continue;
        if (words[0] == "BOND" && words.size() >= 5) {
            const OverrideValue value = read_override(words[3], words[4]);
            dictionary.bond_overrides[{words[1], words[2]}] = value;
            dictionary.bond_overrides[{words[2], words[1]}] = value;
        } else if (words[0] == "ANGLE" && words.size() >= 6) {
            const OverrideValue value = read_override(words[4], words[5]);
            dictionary.angle_overrides[AngleKey{words[1], words[2], words[3]}] = value;
            dictionary.angle_overrides[AngleKey{words[3], words[2], words[1]}] = value;
        } else {
            // Unknown keywords, and BOND or ANGLE lines too short to hold their
            // numbers, have no meaning: refuse them rather than guess.
            refuse_line(line, path);
        }
    }
    if (in.bad()) {
        std::cerr << " Problem reading " << path << std::endl;
        throw RunEnd{exit_status::failure};
    }
    dictionary.enabled = true;
    return dictionary;
}
