#include "common/ExceptionDictionary.h"

#include <fstream>
#include <iostream>
#include <vector>

#include "common/RunStatus.h"
#include "common/SideFileCheck.h"
#include "common/TextHelpers.h"

namespace {

// Numbers are read as strtod reads them (longest numeric prefix, none gives 0)
// and kept in single precision; one that is not finite there ends the run.
OverrideValue read_override(const std::string& value_word, const std::string& esd_word,
                            const SideFileCheck& check) {
    OverrideValue value;
    value.value = check.number(value_word);
    value.esd = check.number(esd_word);
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
    SideFileCheck check("exceptions dictionary", path);
    std::string line;
    for (std::size_t number = 1; read_text_line(in, line); ++number) {
        check.at_line(number);
        // Words are cut at every single blank, so doubled blanks give empty
        // words and keep their positions.
        const std::vector<std::string> words = split_string(line, " ");
        if (words.empty() || words[0] == "NOTE")
            continue;
        if (words[0] == "BOND" && words.size() >= 5) {
            const OverrideValue value = read_override(words[3], words[4], check);
            dictionary.bond_overrides[{words[1], words[2]}] = value;
            dictionary.bond_overrides[{words[2], words[1]}] = value;
        } else if (words[0] == "ANGLE" && words.size() >= 6) {
            const OverrideValue value = read_override(words[4], words[5], check);
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
