#ifndef TESRA_TOOL_COMMON_SIDEFILECHECK_H
#define TESRA_TOOL_COMMON_SIDEFILECHECK_H

#include <cstddef>
#include <set>
#include <string>
#include <vector>

class Block;

// What the reader of one side file (Mogul results, restraint listing,
// GEOMETRY file, exceptions dictionary) checks as it goes, and how it warns.
// A number that is not finite in single precision ends the run (status 1):
// written into a dictionary as "nan" or "inf" it would poison every program
// that reads it. A record naming an atom the compound lacks (the file of
// another compound) is skipped with a warning. Of the per-record warnings
// about the file, the first 1000 are printed on standard error and the rest
// counted in one line when the check is destroyed.
class SideFileCheck {
public:
    // `what` names the kind of file in messages ("Mogul results file").
    SideFileCheck(std::string what, std::string path);
    ~SideFileCheck();
    SideFileCheck(const SideFileCheck&) = delete;
    SideFileCheck& operator=(const SideFileCheck&) = delete;

    // The line (from 1) that the next messages are about.
    void at_line(std::size_t line) { _line = line; }

    // The number `word` starts with, in single precision (read_finite_float).
    // One that is not finite ends the run with a message naming the file, the
    // line and the word.
    float number(const std::string& word) const;

    // The same for a number that was read from `word` by other means.
    void require_finite(double value, const std::string& word) const;

    // From now on only the atom_id values of the block's chem_comp_atom are
    // known atoms. A block without that table or column leaves every name
    // known: the steps that need the table report its absence themselves.
    void know_atoms_of(Block& block);

    // True when every name is a known atom; otherwise warns, naming the
    // unknown ones, and the caller skips the record.
    bool knows_atoms(const std::vector<std::string>& names);

    // A per-record warning (one line, without its line feed).
    void warn(const std::string& text);

    // " <what> <path>, line <n>" for messages.
    std::string place() const;

private:
    [[noreturn]] void _refuse(const std::string& word) const;

    static constexpr std::size_t kShownWarnings = 1000;

    std::string _what;
    std::string _path;
    std::size_t _line = 0;
    bool _atomsKnown = false;
    std::set<std::string> _atoms;
    std::size_t _warnings = 0;
};

#endif
